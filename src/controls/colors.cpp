// The colour values and their conversions live in the framework (framework/graphics.h).
#include "controls/colors.h"

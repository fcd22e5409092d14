// Colour values of the controls: 0x00BBGGRR, or a system colour (high byte 0xFF, index
// in the low byte), or clNone. They are the framework's (framework/graphics.h).
#pragma once

#include "framework/graphics.h"

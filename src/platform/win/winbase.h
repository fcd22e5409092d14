// Arithmetic helpers of the platform's base services.
#pragma once

#include "com/types.h"

// number × numerator / denominator with a 64-bit intermediate, rounded to the nearest
// integer (halves away from zero). -1 when denominator is 0 or the result does not fit
// in 32 bits.
INT MulDiv(INT number, INT numerator, INT denominator);

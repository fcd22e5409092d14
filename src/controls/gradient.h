// Two-colour gradient fills in bands.
#pragma once

#include "com/types.h"
#include "controls/colors.h"

class QPainter;

enum TFillDirection { fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft };

// Fills rect with `steps` (0..255) bands going from `from` to `to` along `direction`;
// `from` always lies at the end the direction starts from. The band count is
// max(2, min(steps, length)), each band length div count pixels long, channel i of band
// k = from + MulDiv(k, to - from, count - 1); what the bands leave at the far end is
// filled with `to`. Fewer than 2 steps or equal colours fill with `from`; two clNone
// colours, or an empty rectangle, draw nothing.
void FillGradient(QPainter &canvas, const RECT &rect, TColor from, TColor to, TFillDirection direction, int steps);

// Mapping a point on the video window to the disc's stored picture, and finding the
// menu button under it.
#pragma once

#include "com/types.h"

#include <vector>

namespace dvd {

// A menu button in stored-picture pixels; all four edges inclusive (as the disc stores them).
struct ButtonArea {
  int number = 0; // 1..36
  LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Maps `point` (in the coordinates of `dest`, the rectangle where the picture is drawn,
// right and bottom exclusive) to stored-picture pixels of a picture `width` x `height`.
// False when the point lies outside the picture (for example on a letterbox bar) or the
// geometry is empty.
bool WindowToPicture(const RECT &dest, LONG width, LONG height, POINT point, POINT *picture);

// The number of the button whose area holds the picture point; 0 when none does.
int ButtonAt(const std::vector<ButtonArea> &buttons, POINT picture);

} // namespace dvd

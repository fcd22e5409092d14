#include "dvd/pointing.h"

namespace dvd {

bool WindowToPicture(const RECT &dest, LONG width, LONG height, POINT point, POINT *picture) {
  const LONGLONG w = static_cast<LONGLONG>(dest.right) - dest.left;
  const LONGLONG h = static_cast<LONGLONG>(dest.bottom) - dest.top;
  if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return false;
  if (point.x < dest.left || point.x >= dest.right || point.y < dest.top || point.y >= dest.bottom) return false;
  // Each window pixel stands for the picture pixels under its centre.
  LONGLONG x = ((point.x - dest.left) * 2LL + 1) * width / (2 * w);
  LONGLONG y = ((point.y - dest.top) * 2LL + 1) * height / (2 * h);
  picture->x = static_cast<LONG>(x < width ? x : width - 1);
  picture->y = static_cast<LONG>(y < height ? y : height - 1);
  return true;
}

int ButtonAt(const std::vector<ButtonArea> &buttons, POINT p) {
  for (const ButtonArea &b : buttons)
    if (p.x >= b.x0 && p.x <= b.x1 && p.y >= b.y0 && p.y <= b.y1) return b.number;
  return 0;
}

} // namespace dvd

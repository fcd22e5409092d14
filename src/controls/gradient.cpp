#include "controls/gradient.h"

#include "win/winbase.h"
#include "win/wingdi.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace {
QColor Rgb(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
} // namespace

void FillGradient(QPainter &canvas, const RECT &rect, TColor from, TColor to, TFillDirection direction, int steps) {
  if (from == clNone && to == clNone) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  COLORREF start = ColorToRGB(from), end = ColorToRGB(to);
  if (direction == fdBottomToTop) {
    std::swap(start, end);
    direction = fdTopToBottom;
  } else if (direction == fdRightToLeft) {
    std::swap(start, end);
    direction = fdLeftToRight;
  }
  if (steps < 2 || start == end) {
    canvas.fillRect(rect.left, rect.top, width, height, Rgb(start));
    return;
  }
  const bool vertical = direction == fdTopToBottom;
  const int length = vertical ? height : width;
  const int count = std::max(2, std::min(steps, length));
  const int size = length / count;
  const int r0 = GetRValue(start), g0 = GetGValue(start), b0 = GetBValue(start);
  const int dr = GetRValue(end) - r0, dg = GetGValue(end) - g0, db = GetBValue(end) - b0;
  if (size > 0) {
    for (int i = 0; i < count; ++i) {
      QColor band((r0 + MulDiv(i, dr, count - 1)) & 0xFF, (g0 + MulDiv(i, dg, count - 1)) & 0xFF,
                  (b0 + MulDiv(i, db, count - 1)) & 0xFF);
      if (vertical) canvas.fillRect(rect.left, rect.top + i * size, width, size, band);
      else canvas.fillRect(rect.left + i * size, rect.top, size, height, band);
    }
  }
  const int rest = length % count;
  if (rest > 0) {
    if (vertical) canvas.fillRect(rect.left, rect.bottom - rest, width, rest, Rgb(end));
    else canvas.fillRect(rect.right - rest, rect.top, rest, height, Rgb(end));
  }
}

// Where a picture of a given display aspect goes inside an area: the largest
// rectangle of that aspect, centred (letterbox or pillarbox), or the whole area.
#pragma once

#include <QRect>

namespace render {

inline QRect FitPicture(const QRect &area, int aspectX, int aspectY, bool keepAspect) {
  if (!keepAspect || aspectX <= 0 || aspectY <= 0 || area.isEmpty()) return area;
  const long long w = area.width(), h = area.height();
  long long fitW = w, fitH = (w * aspectY + aspectX / 2) / aspectX;
  if (fitH > h) {
    fitH = h;
    fitW = (h * aspectX + aspectY / 2) / aspectY;
  }
  return QRect(area.x() + static_cast<int>((w - fitW) / 2), area.y() + static_cast<int>((h - fitH) / 2),
               static_cast<int>(fitW), static_cast<int>(fitH));
}

} // namespace render

#include "win/wingdi.h"

#include <QColor>
#include <QPainter>

COLORREF GetSysColor(int index) {
  static const COLORREF palette[] = {
      RGB(212, 208, 200), // scroll bar
      RGB(58, 110, 165),  // desktop
      RGB(10, 36, 106),   // active caption
      RGB(128, 128, 128), // inactive caption
      RGB(212, 208, 200), // menu
      RGB(255, 255, 255), // window
      RGB(0, 0, 0),       // window frame
      RGB(0, 0, 0),       // menu text
      RGB(0, 0, 0),       // window text
      RGB(255, 255, 255), // caption text
      RGB(212, 208, 200), // active border
      RGB(212, 208, 200), // inactive border
      RGB(128, 128, 128), // application work space
      RGB(10, 36, 106),   // highlight
      RGB(255, 255, 255), // highlight text
      RGB(212, 208, 200), // button face
      RGB(128, 128, 128), // button shadow
      RGB(128, 128, 128), // grey text
      RGB(0, 0, 0),       // button text
      RGB(212, 208, 200), // inactive caption text
      RGB(255, 255, 255), // button highlight
      RGB(64, 64, 64),    // 3-D dark shadow
      RGB(212, 208, 200), // 3-D light
      RGB(0, 0, 0),       // tooltip text
      RGB(255, 255, 225), // tooltip background
      RGB(181, 181, 181), // (unused)
      RGB(0, 0, 128),     // hot-tracked item
      RGB(166, 202, 240), // active caption gradient
      RGB(192, 192, 192), // inactive caption gradient
      RGB(10, 36, 106),   // menu highlight
      RGB(212, 208, 200), // menu bar
  };
  if (index < 0 || index >= static_cast<int>(sizeof palette / sizeof palette[0])) return 0;
  return palette[index];
}

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

struct RingColors {
  int topLeft = -1; // system colour indices, -1 = no ring
  int bottomRight = -1;
};

RingColors OuterRing(UINT edge) {
  if (edge & BDR_RAISEDOUTER) return {COLOR_3DLIGHT, COLOR_3DDKSHADOW};
  if (edge & BDR_SUNKENOUTER) return {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
  return {};
}

RingColors InnerRing(UINT edge) {
  if (edge & BDR_RAISEDINNER) return {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
  if (edge & BDR_SUNKENINNER) return {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
  return {};
}

// One ring on the border of r (right and bottom exclusive).
void DrawRing(QPainter &dc, const RECT &r, const RingColors &c, UINT flags) {
  if (c.topLeft < 0) return;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  const QColor tl = ToQColor(GetSysColor(c.topLeft)), br = ToQColor(GetSysColor(c.bottomRight));
  if (flags & BF_TOP) dc.fillRect(r.left, r.top, w, 1, tl);
  if (flags & BF_LEFT) dc.fillRect(r.left, r.top, 1, h, tl);
  if (flags & BF_BOTTOM) dc.fillRect(r.left, r.bottom - 1, w, 1, br);
  if (flags & BF_RIGHT) dc.fillRect(r.right - 1, r.top, 1, h, br);
}

} // namespace

BOOL DrawEdge(QPainter &dc, RECT *rect, UINT edge, UINT flags) {
  if (!rect) return FALSE;
  RECT r = *rect;
  DrawRing(dc, r, OuterRing(edge), flags);
  const bool outer = OuterRing(edge).topLeft >= 0;
  const bool inner = InnerRing(edge).topLeft >= 0;
  if (outer) {
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  }
  DrawRing(dc, r, InnerRing(edge), flags);
  if (inner) {
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  }
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    dc.fillRect(r.left, r.top, r.right - r.left, r.bottom - r.top, ToQColor(GetSysColor(COLOR_BTNFACE)));
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

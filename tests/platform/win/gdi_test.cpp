#include "win/winbase.h"
#include "win/wingdi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <climits>

namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroWithAWideIntermediate) {
  EXPECT_EQ(MulDiv(1, 255, 115), 2);   // 2.217
  EXPECT_EQ(MulDiv(58, 255, 115), 129); // 128.6
  EXPECT_EQ(MulDiv(1, 3, 2), 2);        // 1.5
  EXPECT_EQ(MulDiv(-1, 3, 2), -2);
  EXPECT_EQ(MulDiv(1, -3, 2), -2);
  EXPECT_EQ(MulDiv(1, 3, -2), -2);
  EXPECT_EQ(MulDiv(-1, -3, -2), -2);
  EXPECT_EQ(MulDiv(5, -73, 115), -3); // -3.17
  EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
}

TEST(MulDiv, DivisionByZeroAndOverflowGiveMinusOne) {
  EXPECT_EQ(MulDiv(5, 7, 0), -1);
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT_MIN, 1, 1), -1);
}

QRgb Sys(int index) {
  COLORREF c = GetSysColor(index);
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

TEST(DrawEdge, SunkenAndRaisedRingsOnlyTouchTheBorder) {
  QImage img(10, 6, QImage::Format_RGB32);
  img.fill(Qt::red);
  {
    QPainter p(&img);
    RECT r{0, 0, 10, 6};
    ASSERT_TRUE(DrawEdge(p, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 4);
  }
  EXPECT_EQ(img.pixel(0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(img.pixel(0, 4), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(img.pixel(0, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(img.pixel(9, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(img.pixel(9, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(img.pixel(1, 1), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(img.pixel(8, 1), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(img.pixel(1, 4), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(img.pixel(8, 4), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(img.pixel(2, 2), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(7, 3), qRgb(255, 0, 0));

  QPainter p(&img);
  RECT r{0, 0, 10, 6};
  DrawEdge(p, &r, EDGE_RAISED, BF_TOP | BF_MIDDLE);
  p.end();
  EXPECT_EQ(img.pixel(5, 0), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(img.pixel(5, 1), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(img.pixel(0, 3), Sys(COLOR_BTNFACE)); // no left side: the middle reaches it
  EXPECT_EQ(r.top, 0);                            // no BF_ADJUST
}

} // namespace

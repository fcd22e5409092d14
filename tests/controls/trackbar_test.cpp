#include "controls/color_trackbar.h"
#include "win/wingdi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr TColor kParentBackground = 0x204060; // RGB(0x60, 0x40, 0x20)

QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
QRgb Inverse(QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); }

struct Bar {
  QWidget parent;
  TJvColorTrackBar *bar;
  std::vector<std::string> events;
  Bar(int width = 120, int height = 24) {
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, ToQColor(kParentBackground));
    parent.setPalette(p);
    parent.resize(400, 200);
    bar = new TJvColorTrackBar(&parent);
    bar->SetBounds(10, 10, width, height);
    bar->OnPosChange = [this](QObject *) { events.push_back("pos " + std::to_string(bar->Position())); };
    bar->OnMinChange = [this](QObject *) { events.push_back("min " + std::to_string(bar->Min())); };
    bar->OnMaxChange = [this](QObject *) { events.push_back("max " + std::to_string(bar->Max())); };
  }
  QImage Paint() { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  void Mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(x, y), bar->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
  }
  void Press(int x, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, x, 12, b, b); }
  void Move(int x) { Mouse(QEvent::MouseMove, x, 12, Qt::NoButton, Qt::LeftButton); }
  void Release(int x, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, x, 12, b, Qt::NoButton); }
  // Stored-layout order.
  void Range(int min, int max, int position) {
    bar->SetMin(min);
    bar->SetMax(max);
    bar->SetPosition(position);
    events.clear();
  }
};

TEST(ColorTrackBar, MarkerOfA120WideBarAndAPressOnIt) {
  Bar b;
  b.bar->SetArrowColor(clWhite);
  b.Range(0, 10000, 4000);
  EXPECT_EQ(b.bar->Position(), 4000);
  EXPECT_EQ(b.bar->PositionToPixel(4000), 48);
  QImage img = b.Paint();
  // Arrow: an 11-pixel top row narrowing to its tip at (48, 5).
  EXPECT_EQ(img.pixel(43, 0), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(53, 0), qRgb(255, 255, 255));
  EXPECT_NE(img.pixel(42, 0), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(48, 5), qRgb(255, 255, 255));
  EXPECT_NE(img.pixel(47, 5), qRgb(255, 255, 255));
  EXPECT_NE(img.pixel(48, 6), qRgb(255, 255, 255));
  // The strip beside the arrow shows the control's colour, the parent's background.
  EXPECT_EQ(img.pixel(100, 3), Rgb(kParentBackground));
  // The line: three columns inverting the gradient pixel under (48, 12).
  QRgb under = b.bar->GradientImage().pixel(48 - 2, 12 - 8);
  for (int x : {47, 48, 49}) EXPECT_EQ(img.pixel(x, 15), Inverse(under)) << x;
  EXPECT_NE(img.pixel(46, 15), Inverse(under));

  b.Press(48);
  EXPECT_EQ(b.bar->Position(), 4137); // 10000 * 48 div 116
  EXPECT_EQ(b.events, std::vector<std::string>{"pos 4137"});
}

TEST(ColorTrackBar, DefaultGradientIs116OnePixelBandsEndingInColorTo) {
  Bar b;
  b.bar->SetBorderStyle(bsNone);
  b.Paint();
  const QImage &g = b.bar->GradientImage();
  ASSERT_EQ(g.size(), QSize(116, 16));
  EXPECT_EQ(g.format(), QImage::Format_RGB888);
  // Black to blue: band x has blue MulDiv(x, 255, 115), rounded to nearest.
  EXPECT_EQ(g.pixel(0, 5), qRgb(0, 0, 0));
  EXPECT_EQ(g.pixel(1, 5), qRgb(0, 0, 2));   // 2.2
  EXPECT_EQ(g.pixel(57, 5), qRgb(0, 0, 126)); // 126.4
  EXPECT_EQ(g.pixel(58, 5), qRgb(0, 0, 129)); // 128.6
  EXPECT_EQ(g.pixel(115, 15), qRgb(0, 0, 255));
  for (int x = 1; x < 116; ++x) EXPECT_GT(qBlue(g.pixel(x, 0)), qBlue(g.pixel(x - 1, 0))) << x;
}

TEST(ColorTrackBar, WiderBarsGetWiderBandsAndTheRemainderInColorTo) {
  Bar b(4 + 520, 24); // 520 pixels: 255 bands of 2, 10 left over
  b.bar->SetBorderStyle(bsNone);
  b.bar->SetColorFrom(RGB(0, 0, 0));
  b.bar->SetColorTo(RGB(255, 0, 0));
  b.Paint();
  const QImage &g = b.bar->GradientImage();
  ASSERT_EQ(g.width(), 520);
  EXPECT_EQ(g.pixel(0, 0), g.pixel(1, 0));
  EXPECT_NE(g.pixel(1, 0), g.pixel(2, 0));
  EXPECT_EQ(g.pixel(2, 0), qRgb(1, 0, 0)); // MulDiv(1, 255, 254)
  EXPECT_EQ(g.pixel(508, 0), qRgb(255, 0, 0));
  for (int x = 510; x < 520; ++x) EXPECT_EQ(g.pixel(x, 0), qRgb(255, 0, 0)) << x;
  EXPECT_EQ(g.pixel(507, 0), qRgb(254, 0, 0));
}

TEST(ColorTrackBar, SunkenEdgeUsesTheClassicColours) {
  Bar b;
  b.Paint();
  const QImage &g = b.bar->GradientImage();
  const QRgb shadow = Rgb(GetSysColor(COLOR_BTNSHADOW)), dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
  const QRgb highlight = Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)), light = Rgb(GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(g.pixel(0, 0), shadow);
  EXPECT_EQ(g.pixel(50, 0), shadow);
  EXPECT_EQ(g.pixel(0, 8), shadow);
  EXPECT_EQ(g.pixel(1, 1), dark);
  EXPECT_EQ(g.pixel(50, 1), dark);
  EXPECT_EQ(g.pixel(115, 15), highlight);
  EXPECT_EQ(g.pixel(115, 0), highlight); // the bottom-right colour owns these corners
  EXPECT_EQ(g.pixel(0, 15), highlight);
  EXPECT_EQ(g.pixel(114, 14), light);
  EXPECT_EQ(g.pixel(50, 14), light);
  EXPECT_EQ(g.pixel(1, 14), light);
  EXPECT_EQ(g.pixel(2, 2), qRgb(0, 0, 4)); // MulDiv(2, 255, 115)
}

TEST(ColorTrackBar, ReversedDirectionsSwapTheEndsAndTheMouseScale) {
  Bar h;
  h.bar->SetBorderStyle(bsNone);
  h.bar->SetColorFrom(RGB(255, 0, 0));
  h.bar->SetColorTo(RGB(0, 255, 0));
  h.bar->SetFillDirection(fdRightToLeft);
  h.Paint();
  EXPECT_EQ(h.bar->GradientImage().pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(h.bar->GradientImage().pixel(115, 0), qRgb(255, 0, 0));
  h.Range(0, 100, 50);
  EXPECT_EQ(h.bar->PositionToPixel(0), 120 - 8);
  EXPECT_EQ(h.bar->PositionToPixel(100), 8);
  h.Press(0);
  EXPECT_EQ(h.bar->Position(), 100);
  h.Move(116);
  EXPECT_EQ(h.bar->Position(), 0);
  h.Release(116);

  Bar v(24, 120);
  v.bar->SetBorderStyle(bsNone);
  v.bar->SetColorFrom(RGB(255, 0, 0));
  v.bar->SetColorTo(RGB(0, 255, 0));
  v.bar->SetFillDirection(fdBottomToTop);
  v.Paint();
  ASSERT_EQ(v.bar->GradientImage().size(), QSize(16, 116));
  EXPECT_EQ(v.bar->GradientImage().pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(v.bar->GradientImage().pixel(0, 115), qRgb(255, 0, 0));
  v.bar->SetFillDirection(fdTopToBottom);
  v.bar->SetArrowColor(clWhite);
  v.Range(0, 10000, 4000);
  QImage img = v.Paint();
  EXPECT_EQ(img.pixel(5, 48), qRgb(255, 255, 255)); // tip of the arrow pointing right
  EXPECT_EQ(img.pixel(0, 43), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(0, 53), qRgb(255, 255, 255));
}

TEST(ColorTrackBar, PressesAtTheEndsAndDragsBeyondThemPin) {
  Bar b;
  b.Range(0, 1000, 500);
  b.Press(0);
  EXPECT_EQ(b.bar->Position(), 0);
  b.Move(-40);
  EXPECT_EQ(b.bar->Position(), 0);
  b.Move(116);
  EXPECT_EQ(b.bar->Position(), 1000);
  b.Move(400);
  EXPECT_EQ(b.bar->Position(), 1000);
  b.Move(58);
  EXPECT_EQ(b.bar->Position(), 500);
  b.Release(-5);
  EXPECT_EQ(b.bar->Position(), 0);
  EXPECT_FALSE(b.bar->Tracking());
  EXPECT_EQ(b.events, (std::vector<std::string>{"pos 0", "pos 1000", "pos 500", "pos 0"}));
  b.Move(100); // no button held: nothing
  EXPECT_EQ(b.bar->Position(), 0);
}

TEST(ColorTrackBar, AssignmentsOutsideTheRulesAreIgnored) {
  Bar b;
  b.Range(10, 90, 50);
  b.bar->SetPosition(9);
  b.bar->SetPosition(91);
  b.bar->SetPosition(50);
  b.bar->SetMin(90);
  b.bar->SetMin(95);
  b.bar->SetMax(10);
  b.bar->SetMax(5);
  EXPECT_EQ(b.bar->Min(), 10);
  EXPECT_EQ(b.bar->Max(), 90);
  EXPECT_EQ(b.bar->Position(), 50);
  EXPECT_TRUE(b.events.empty());
}

TEST(ColorTrackBar, MovedLimitsDragThePositionBeforeTheirOwnEvent) {
  Bar b;
  b.Range(0, 100, 20);
  b.bar->SetMin(50);
  EXPECT_EQ(b.events, (std::vector<std::string>{"pos 50", "min 50"}));
  b.events.clear();
  b.bar->SetMax(60);
  b.bar->SetMax(70);
  EXPECT_EQ(b.bar->Position(), 50);
  EXPECT_EQ(b.events, (std::vector<std::string>{"max 60", "max 70"}));
  b.events.clear();
  b.bar->SetPosition(70);
  b.bar->SetMax(55);
  EXPECT_EQ(b.events, (std::vector<std::string>{"pos 70", "pos 55", "max 55"}));
}

TEST(ColorTrackBar, StoredMinimumIsCheckedAgainstTheMaximumHeldThen) {
  Bar panel; // control panel: Min 100 meets the default Max 100 and is dropped
  panel.bar->SetMin(100);
  panel.bar->SetMax(10000);
  panel.bar->SetPosition(4000);
  EXPECT_EQ(panel.bar->Min(), 0);
  EXPECT_EQ(panel.events, (std::vector<std::string>{"max 10000", "pos 4000"}));

  Bar toolbar; // toolbar: Min 10 is below it and drags the position from 0 to 10
  toolbar.bar->SetMin(10);
  EXPECT_EQ(toolbar.events, (std::vector<std::string>{"pos 10", "min 10"}));
  toolbar.bar->SetMax(10000);
  toolbar.bar->SetPosition(4000);
  toolbar.bar->SetPosition(5);
  EXPECT_EQ(toolbar.bar->Min(), 10);
  EXPECT_EQ(toolbar.bar->Position(), 4000);
}

TEST(ColorTrackBar, ReadOnlyTakesThePressButNotTheDrag) {
  Bar b;
  b.Range(0, 10000, 4000);
  b.bar->SetReadOnly(true);
  b.Press(48);
  EXPECT_EQ(b.bar->Position(), 4137);
  EXPECT_FALSE(b.bar->Tracking());
  b.Move(90);
  b.Release(100);
  EXPECT_EQ(b.bar->Position(), 4137);
  b.Press(20, Qt::RightButton); // other buttons do nothing
  EXPECT_EQ(b.bar->Position(), 4137);
}

TEST(ColorTrackBar, ShortBarsPinTheMarker) {
  Bar b(14, 24);
  b.bar->SetArrowColor(clWhite);
  b.Range(0, 100, 0);
  EXPECT_EQ(b.bar->PositionToPixel(0), 6);
  EXPECT_EQ(b.bar->PositionToPixel(100), 6);
  EXPECT_EQ(b.Paint().pixel(6, 5), qRgb(255, 255, 255));
  b.bar->SetFillDirection(fdRightToLeft);
  EXPECT_EQ(b.bar->PositionToPixel(0), 8);
  EXPECT_EQ(b.bar->PositionToPixel(100), 8);
  EXPECT_EQ(b.Paint().pixel(8, 5), qRgb(255, 255, 255));
}

TEST(ColorTrackBar, LineMarkerSpanWithAndWithoutBorder) {
  Bar b;
  b.bar->SetIndicators(IndicatorBit(tbiLine));
  b.bar->SetColorFrom(RGB(100, 100, 100));
  b.bar->SetColorTo(RGB(100, 100, 100)); // flat: the line is its inverse everywhere
  b.Range(0, 100, 50);
  const QRgb line = qRgb(155, 155, 155);
  QImage img = b.Paint();
  EXPECT_NE(img.pixel(60, 9), line);
  EXPECT_EQ(img.pixel(60, 10), line);
  EXPECT_EQ(img.pixel(60, 21), line);
  EXPECT_NE(img.pixel(60, 22), line);
  EXPECT_NE(img.pixel(60, 3), line); // no arrow
  b.bar->SetBorderStyle(bsNone);
  img = b.Paint();
  EXPECT_NE(img.pixel(60, 7), line);
  EXPECT_EQ(img.pixel(60, 8), line);
  EXPECT_EQ(img.pixel(60, 23), line);
  EXPECT_EQ(img.pixel(59, 23), line);
  EXPECT_EQ(img.pixel(61, 23), line);
  EXPECT_NE(img.pixel(62, 23), line);
}

TEST(ColorTrackBar, OwnMouseHandlingReplacesTheGenericEvents) {
  Bar b;
  int generic = 0, clicks = 0;
  b.bar->OnMouseDown = [&](QObject *, TMouseButton, TShiftState, int, int) { ++generic; };
  b.bar->OnMouseUp = [&](QObject *, TMouseButton, TShiftState, int, int) { ++generic; };
  b.bar->OnMouseMove = [&](QObject *, TShiftState, int, int) { ++generic; };
  b.bar->OnClick = [&](QObject *) { ++clicks; };
  b.Press(30);
  b.Move(40);
  b.Release(40);
  EXPECT_EQ(generic, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b.bar->focusPolicy(), Qt::NoFocus);
}

TEST(ColorTrackBar, ColourFollowsTheParentUntilSet) {
  Bar b;
  EXPECT_EQ(b.bar->Color(), kParentBackground);
  EXPECT_EQ(b.Paint().pixel(2, 2), Rgb(kParentBackground));
  b.bar->SetColor(clBtnFace);
  EXPECT_FALSE(b.bar->ParentColor());
  EXPECT_EQ(b.Paint().pixel(2, 2), Rgb(GetSysColor(COLOR_BTNFACE)));
  b.bar->SetColor(clNone); // nothing painted: the parent shows through
  EXPECT_EQ(b.Paint().pixel(2, 2), Rgb(kParentBackground));
  b.bar->SetParentColor(true);
  QPalette p = b.parent.palette();
  p.setColor(QPalette::Window, QColor(1, 2, 3));
  b.parent.setPalette(p);
  EXPECT_EQ(b.Paint().pixel(2, 2), qRgb(1, 2, 3));
}

TEST(ColorTrackBar, HugeRangesNeedNoOverflow) {
  Bar b;
  b.bar->SetMax(2000000000);
  b.bar->SetMin(-2000000000);
  b.bar->SetPosition(0);
  EXPECT_EQ(b.bar->PositionToPixel(0), 60);
  EXPECT_EQ(b.bar->PositionToPixel(2000000000), 112);
  EXPECT_EQ(b.bar->PixelToPosition(58), 0);
  EXPECT_EQ(b.bar->PixelToPosition(116), 2000000000);
}

} // namespace

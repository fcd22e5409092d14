// The video renderer's window as a desktop program drives it through IVideoWindow:
// owned by a test window, the picture shows with the disc's display aspect (4:3 fills,
// 16:9 letterboxed, round circle); owner, style and position changes give exactly the
// geometry asked for, full screen included; input on the picture reaches the drain.
#include "media/playback.h"
#include "support/fixtures.h"
#include "support/wait.h"
#include "win/winuser.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include <cstdlib>

namespace {

OAHWND Handle(QWidget *w) { return reinterpret_cast<OAHWND>(WindowFromWidget(w)); }

bool IsBlack(QRgb c) { return qRed(c) < 24 && qGreen(c) < 24 && qBlue(c) < 24; }
// The test picture's circle: R 235, G 140, B 30.
bool IsOrange(QRgb c) { return qRed(c) > 190 && qGreen(c) > 100 && qGreen(c) < 180 && qBlue(c) < 80; }

struct Extent {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};
Extent OrangeExtent(const QImage &img) {
  Extent e;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (IsOrange(img.pixel(x, y))) {
        e.left = std::min(e.left, x);
        e.right = std::max(e.right, x);
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
      }
  return e;
}

void Save(const QImage &img, const char *name) {
  if (const char *dir = std::getenv("QDVD_SAVE_DIR")) img.save(QString(dir) + "/" + name);
}

// A paused title in a renderer owned by `host`, covering `area` of it.
struct OwnedPicture {
  Playback p;
  ComPtr<IVideoWindow> window;
  QWidget *widget = nullptr;

  bool Start(const char *disc, QWidget *host, QRect area) {
    if (!p.Build(FixturePath(std::string(disc) + "/VIDEO_TS/VTS_01_1.VOB"), CLSID_VideoRenderer, false)) return false;
    if (FAILED(p.videoRenderer.As(&window))) return false;
    window->put_Owner(Handle(host));
    window->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    window->SetWindowPosition(area.x(), area.y(), area.width(), area.height());
    p.control->Pause();
    OAFilterState state;
    p.control->GetState(3000, &state);
    QTest::qWait(300);
    widget = WidgetFromWindow(FindWindowExA(WindowFromWidget(host), nullptr, "VideoRenderer", nullptr));
    return widget != nullptr;
  }
};

} // namespace

TEST(VideoWindow, FourThreeFillsAndSixteenNineIsLetterboxed) {
  NEEDS_DISPLAY();
  QWidget host;
  host.setWindowTitle("host");
  host.setGeometry(40, 40, 800, 600);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

  { // 4:3 in a 4:3 area: the picture fills it, the circle is round.
    OwnedPicture o;
    ASSERT_TRUE(o.Start("ntsc_menu", &host, QRect(0, 0, 800, 600))) << o.p.error;
    EXPECT_EQ(o.widget->parentWidget(), &host);
    QImage shot = o.widget->grab().toImage();
    Save(shot, "owned_4x3.png");
    ASSERT_EQ(shot.size(), QSize(800, 600));
    EXPECT_FALSE(IsBlack(shot.pixel(400, 599)));
    EXPECT_FALSE(IsBlack(shot.pixel(799, 300)));
    Extent e = OrangeExtent(shot);
    const double w = e.right - e.left + 1, h = e.bottom - e.top + 1;
    EXPECT_NEAR(w / h, 1.0, 0.03) << w << " x " << h;
  }
  { // 16:9 in the same area: 800 x 450 in the middle, black rows above and below.
    OwnedPicture o;
    ASSERT_TRUE(o.Start("pal_wide", &host, QRect(0, 0, 800, 600))) << o.p.error;
    QImage shot = o.widget->grab().toImage();
    Save(shot, "owned_16x9.png");
    for (int x = 0; x < 800; x += 50) {
      EXPECT_TRUE(IsBlack(shot.pixel(x, 0)) && IsBlack(shot.pixel(x, 74))) << x;
      EXPECT_TRUE(IsBlack(shot.pixel(x, 525)) && IsBlack(shot.pixel(x, 599))) << x;
    }
    // The picture's first rows carry the frame code's white marker at stored x 640..679.
    EXPECT_GT(qGray(shot.pixel(660 * 800 / 720, 80)), 200);
    EXPECT_FALSE(IsBlack(shot.pixel(400, 300)));
    Extent e = OrangeExtent(shot);
    const double w = e.right - e.left + 1, h = e.bottom - e.top + 1;
    EXPECT_NEAR(w / h, 1.0, 0.03) << w << " x " << h;
    EXPECT_GE(e.top, 75);
    EXPECT_LE(e.bottom, 524);
    // The navigator maps clicks through this rectangle.
    ComPtr<IPictureGeometry> geometry;
    ASSERT_TRUE(SUCCEEDED(o.p.videoRenderer.As(&geometry)));
    RECT dest;
    LONG pw, ph;
    ASSERT_EQ(geometry->GetPictureGeometry(&dest, &pw, &ph), S_OK);
    EXPECT_EQ(dest.left, 0);
    EXPECT_EQ(dest.top, 75);
    EXPECT_EQ(dest.right, 800);
    EXPECT_EQ(dest.bottom, 525);
    EXPECT_EQ(pw, 720);
    EXPECT_EQ(ph, 576);
  }
  { // 4:3 in a wide area: black columns left and right.
    OwnedPicture o;
    ASSERT_TRUE(o.Start("ntsc_menu", &host, QRect(0, 0, 800, 450))) << o.p.error;
    QImage shot = o.widget->grab().toImage();
    Save(shot, "owned_4x3_pillarbox.png");
    for (int y = 20; y < 450; y += 50) {
      EXPECT_TRUE(IsBlack(shot.pixel(0, y)) && IsBlack(shot.pixel(99, y))) << y;
      EXPECT_TRUE(IsBlack(shot.pixel(700, y)) && IsBlack(shot.pixel(799, y))) << y;
    }
    EXPECT_FALSE(IsBlack(shot.pixel(400, 440)));
  }
}

TEST(VideoWindow, OwnerStyleAndPositionGiveTheGeometryAsked) {
  NEEDS_DISPLAY();
  QWidget host;
  host.setGeometry(60, 60, 640, 480);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  CoInitialize(nullptr);
  ComPtr<IVideoWindow> window;
  ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&window)), S_OK);
  ComPtr<IRendererProbe> probe;
  ASSERT_TRUE(SUCCEEDED(window.As(&probe)));
  QWidget *w = probe->PictureWidget();
  ASSERT_TRUE(w);
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, "VideoRenderer", nullptr), WindowFromWidget(w));

  auto expectPosition = [&](int l, int t, int wd, int ht) {
    LONG gl, gt, gw, gh;
    ASSERT_EQ(window->GetWindowPosition(&gl, &gt, &gw, &gh), S_OK);
    EXPECT_EQ(QRect(gl, gt, gw, gh), QRect(l, t, wd, ht));
    EXPECT_EQ(w->geometry(), QRect(l, t, wd, ht));
  };

  // Into the test window.
  ASSERT_EQ(window->put_Owner(Handle(&host)), S_OK);
  const LONG child = static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS);
  ASSERT_EQ(window->put_WindowStyle(child), S_OK);
  ASSERT_EQ(window->SetWindowPosition(10, 20, 320, 240), S_OK);
  ASSERT_EQ(window->put_Visible(OATRUE), S_OK);
  QTest::qWait(100);
  EXPECT_EQ(w->parentWidget(), &host);
  EXPECT_TRUE(w->isVisible());
  expectPosition(10, 20, 320, 240);
  OAHWND owner = 0;
  window->get_Owner(&owner);
  EXPECT_EQ(owner, Handle(&host));
  LONG style = 0;
  window->get_WindowStyle(&style);
  EXPECT_EQ(style, child);
  EXPECT_EQ(FindWindowExA(WindowFromWidget(&host), nullptr, "VideoRenderer", nullptr), WindowFromWidget(w));

  // Full screen: no owner, no frame, on top, covering the screen.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  ASSERT_EQ(window->put_Owner(0), S_OK);
  ASSERT_EQ(window->put_WindowStyle(static_cast<LONG>(WS_POPUP | WS_CLIPSIBLINGS)), S_OK);
  ASSERT_EQ(window->put_WindowStyleEx(WS_EX_TOPMOST), S_OK);
  ASSERT_EQ(window->SetWindowPosition(screen.x(), screen.y(), screen.width(), screen.height()), S_OK);
  QTest::qWait(300);
  EXPECT_TRUE(w->isWindow());
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  expectPosition(screen.x(), screen.y(), screen.width(), screen.height());
  EXPECT_EQ(w->frameGeometry(), screen) << "the window does not cover the screen";
  LONG ex = 0;
  window->get_WindowStyleEx(&ex);
  EXPECT_EQ(ex, static_cast<LONG>(WS_EX_TOPMOST));

  // Back into the test window at a given rectangle.
  ASSERT_EQ(window->put_WindowStyleEx(0), S_OK);
  ASSERT_EQ(window->put_Owner(Handle(&host)), S_OK);
  ASSERT_EQ(window->put_WindowStyle(child), S_OK);
  ASSERT_EQ(window->SetWindowPosition(32, 16, 400, 300), S_OK);
  QTest::qWait(200);
  EXPECT_FALSE(w->isWindow());
  EXPECT_EQ(w->parentWidget(), &host);
  EXPECT_TRUE(w->isVisible());
  expectPosition(32, 16, 400, 300);

  // A framed top-level window with a caption.
  ASSERT_EQ(window->put_Owner(0), S_OK);
  ASSERT_EQ(window->put_WindowStyle(static_cast<LONG>(WS_OVERLAPPEDWINDOW)), S_OK);
  BSTR caption = SysAllocString(u"Picture");
  ASSERT_EQ(window->put_Caption(caption), S_OK);
  SysFreeString(caption);
  ASSERT_EQ(window->SetWindowPosition(100, 120, 360, 270), S_OK);
  QTest::qWait(300);
  EXPECT_TRUE(w->isWindow());
  EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w->windowTitle(), "Picture");
  expectPosition(100, 120, 360, 270);
  BSTR got = nullptr;
  ASSERT_EQ(window->get_Caption(&got), S_OK);
  EXPECT_EQ(std::u16string(got), u"Picture");
  SysFreeString(got);

  ASSERT_EQ(window->put_Visible(OAFALSE), S_OK);
  LONG visible = OATRUE;
  window->get_Visible(&visible);
  EXPECT_EQ(visible, OAFALSE);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(window->put_Owner(reinterpret_cast<OAHWND>(WindowFromWidget(nullptr)) + 0x7770), E_INVALIDARG);
}

namespace {

class Drain : public QWidget {
public:
  struct Seen {
    QEvent::Type type;
    QPoint pos;
    Qt::MouseButtons buttons;
  };
  std::vector<Seen> seen;
  std::vector<int> keys;

protected:
  void mousePressEvent(QMouseEvent *e) override { seen.push_back({e->type(), e->position().toPoint(), e->buttons()}); }
  void mouseReleaseEvent(QMouseEvent *e) override { seen.push_back({e->type(), e->position().toPoint(), e->buttons()}); }
  void mouseMoveEvent(QMouseEvent *e) override { seen.push_back({e->type(), e->position().toPoint(), e->buttons()}); }
  void keyPressEvent(QKeyEvent *e) override { keys.push_back(e->key()); }
};

} // namespace

TEST(VideoWindow, InputOnThePictureReachesTheDrain) {
  NEEDS_DISPLAY();
  Drain host;
  host.setGeometry(80, 80, 640, 480);
  host.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  CoInitialize(nullptr);
  ComPtr<IVideoWindow> window;
  ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&window)), S_OK);
  window->put_Owner(Handle(&host));
  window->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS));
  window->SetWindowPosition(100, 50, 400, 300);
  window->put_Visible(OATRUE);
  ASSERT_EQ(window->put_MessageDrain(Handle(&host)), S_OK);
  OAHWND drain = 0;
  window->get_MessageDrain(&drain);
  EXPECT_EQ(drain, Handle(&host));
  EXPECT_TRUE(host.hasMouseTracking());
  ComPtr<IRendererProbe> probe;
  window.As(&probe);
  QWidget *picture = probe->PictureWidget();
  ASSERT_TRUE(WaitFor([&] { return picture->isVisible() && picture->mapTo(&host, QPoint(0, 0)) == QPoint(100, 50); }, 3000))
      << "the picture is not where it was put";

  // The pointer may already rest where the test moves it (an earlier test left it
  // there): it goes elsewhere first, so that the move to (10, 20) is a real one.
  QTest::mouseMove(picture, QPoint(30, 40));
  QTest::mouseMove(picture, QPoint(10, 20));
  QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  QTest::keyClick(picture, Qt::Key_Up);
  bool move = false, press = false, release = false;
  WaitFor([&] {
    for (const Drain::Seen &s : host.seen) {
      if (s.type == QEvent::MouseMove && s.pos == QPoint(110, 70) && s.buttons == Qt::NoButton) move = true;
      if (s.type == QEvent::MouseButtonPress && s.pos == QPoint(300, 200)) press = true;
      if (s.type == QEvent::MouseButtonRelease && s.pos == QPoint(300, 200)) release = true;
    }
    return move && press && release && !host.keys.empty();
  }, 3000);
  EXPECT_TRUE(move) << "a move without a button did not arrive at (110, 70)";
  EXPECT_TRUE(press);
  EXPECT_TRUE(release);
  EXPECT_EQ(host.keys, std::vector<int>{Qt::Key_Up});
}

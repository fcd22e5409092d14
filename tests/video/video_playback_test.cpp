// The video window on the real platform, on a real display: the picture of an authored
// disc in a window laid out as the video show window, full screen and back, and
// pointing at and clicking the disc's menu buttons with real pointer input.
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/forms.h"
#include "graph/dvd_stream.h"
#include "support/fixtures.h"
#include "support/pointer.h"
#include "support/scripted_dialogs.h"
#include "video/video_window.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Real pointer input; each call returns once the input it ends with has been handled here.
void Pointer(const QStringList &args, QEvent::Type last) {
  ASSERT_TRUE(PointerInput(args, last)) << args.join(' ').toStdString() << " did not arrive";
}
void MoveTo(QPoint screen) {
  Pointer({"mousemove", QString::number(screen.x()), QString::number(screen.y())}, QEvent::MouseMove);
}
void ClickAt(QPoint screen) {
  Pointer({"mousemove", QString::number(screen.x()), QString::number(screen.y()), "click", "1"},
          QEvent::MouseButtonRelease);
}

// The colour of one screen pixel.
QColor ScreenPixel(QPoint at) {
  return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
}

// Waits (a few seconds at most) until the pixel has the colour; there is no compositor,
// so the screen shows a new picture a little after it was presented.
bool ScreenShows(QPoint at, bool (*colour)(QColor)) {
  return WaitFor([&] { return colour(ScreenPixel(at)); }, 3000);
}

bool Bluish(QColor c) { return c.blue() > c.red() + 50 && c.blue() > c.green() + 50; }
bool Yellowish(QColor c) { return c.red() > 160 && c.green() > 160 && c.blue() < 110; }
bool NotYellowish(QColor c) { return !Yellowish(c); }
std::string Text(QColor c) { return c.name().toStdString(); }

// Buttons of the authored disc's title menu, stored-picture pixels (inclusive).
constexpr QRect kTitle1Button(QPoint(160, 120), QPoint(559, 179));
constexpr QRect kTitle2Button(QPoint(160, 200), QPoint(559, 259));

class VideoPlaybackTest : public ::testing::Test {
protected:
  void SetUp() override {
    NEEDS_DISPLAY();
    // Real pointer input needs the windows on the X display, not offscreen.
    NEEDS(QGuiApplication::platformName() == "xcb") << "not on an X display";
    CoInitialize(nullptr);
    NEEDS(CoIsClassRegistered(CLSID_DvdGraphBuilder) && CoIsClassRegistered(CLSID_VideoRenderer))
        << "the DVD graph builder or the video renderer is not registered";
    disc = QString::fromStdString(FixturePath("ntsc_menu")) + "/VIDEO_TS/VIDEO_TS.IFO";
    NEEDS(QFileInfo::exists(disc)) << "no test disc at " << disc.toStdString();

    Application().SetExceptionHook([this](QObject *, const QString &message) { errors.push_back(message); });
    filterGraph = std::make_unique<TFilterGraph>();
    filterGraph->SetMode(gmDVD);

    // Laid out as the video show window: the video window fills the client area.
    form = std::make_unique<TForm>();
    form->SetCaption("Quovadel - DVD Show");
    form->SetClientWidth(480);
    form->SetClientHeight(360);
    form->SetLeft(200);
    form->SetTop(100);
    video = new TVideoWindow(form->Client());
    video->SetName("VideoWindow");
    video->BeginLoading();
    video->SetColor(clBlack);
    video->SetFilterGraph(filterGraph.get());
    video->SetFullScreenTopMost(true);
    video->VMROptions()->SetMode(vmrWindowed);
    video->SetAlign(alClient);
    // What the control panel does with the picture's mouse input.
    video->OnMouseMove = [this](QObject *, TShiftState, int x, int y) {
      ++moves;
      if (!filterGraph->Active()) return;
      ComPtr<IDvdControl2> dvd;
      if (FAILED(filterGraph->QueryInterface(IID_PPV_ARGS(&dvd))) || !dvd) return;
      dvd->SelectAtPosition(POINT{x, y});
    };
    video->OnMouseUp = [this](QObject *, TMouseButton, TShiftState, int x, int y) {
      ++ups;
      if (!filterGraph->Active()) return;
      ComPtr<IDvdControl2> dvd;
      if (FAILED(filterGraph->QueryInterface(IID_PPV_ARGS(&dvd))) || !dvd) return;
      dvd->ActivateAtPosition(POINT{x, y});
    };
    video->Loaded();
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  void TearDown() override {
    if (filterGraph && filterGraph->Active()) {
      filterGraph->ClearGraph();
      filterGraph->SetActive(false);
    }
    form.reset();
    filterGraph.reset();
    Application().SetExceptionHook(nullptr);
  }

  // Renders the disc and plays it; waits for the title menu.
  void PlayDisc() {
    filterGraph->SetActive(true);
    AM_DVD_RENDERSTATUS status = {};
    ASSERT_EQ(filterGraph->RenderDvdVolume(status, disc.toStdU16String(), AM_DVD_HWDEC_PREFER), S_OK);
    filterGraph->Play();
    ASSERT_TRUE(WaitFor([this] { return Domain() == DVD_DOMAIN_VideoManagerMenu && PictureRect().isValid(); }))
        << "the title menu did not show";
    rendererWidget = WidgetFromWindow(video->VideoHandle());
    ASSERT_NE(rendererWidget, nullptr);
  }

  ComPtr<IDvdInfo2> Info() {
    ComPtr<IDvdInfo2> info;
    filterGraph->QueryInterface(IID_PPV_ARGS(&info));
    return info;
  }
  DVD_DOMAIN Domain() {
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    if (auto info = Info()) info->GetCurrentDomain(&domain);
    return domain;
  }
  ULONG CurrentButton() {
    ULONG available = 0, current = 0;
    if (auto info = Info()) info->GetCurrentButton(&available, &current);
    return current;
  }
  ULONG CurrentTitle() {
    DVD_PLAYBACK_LOCATION2 location = {};
    if (auto info = Info(); !info || FAILED(info->GetCurrentLocation(&location))) return 0;
    return location.TitleNum;
  }

  // The picture on the screen: the renderer's picture rectangle, moved to where the
  // renderer's window is (the video window's place, or the screen's corner).
  QRect PictureRect() {
    ComPtr<IPictureGeometry> geometry;
    if (FAILED(video->QueryInterface(IID_PPV_ARGS(&geometry))) || !geometry) return {};
    RECT dest = {};
    if (geometry->GetPictureGeometry(&dest, &pictureWidth, &pictureHeight) != S_OK) return {};
    const QPoint origin = video->FullScreenActive() ? QPoint(0, 0) : video->mapToGlobal(QPoint(0, 0));
    return QRect(QPoint(dest.left, dest.top), QPoint(dest.right - 1, dest.bottom - 1)).translated(origin);
  }
  // A stored-picture point on the screen.
  QPoint OnScreen(QPoint picture) {
    const QRect r = PictureRect();
    return QPoint(r.left() + (picture.x() * r.width() + r.width() / 2) / pictureWidth,
                  r.top() + (picture.y() * r.height() + r.height() / 2) / pictureHeight);
  }

  // Points at button 2 of the title menu, checks its highlight on the screen, then
  // clicks button 1 and waits for title 1.
  void PointAndClick() {
    MoveTo(OnScreen(kTitle2Button.center()));
    EXPECT_TRUE(WaitFor([this] { return CurrentButton() == 2; })) << "button 2 not selected";
    // The selection frame lies on the inside of the button's edge.
    const QPoint frame2 = OnScreen(QPoint(kTitle2Button.left() + 2, kTitle2Button.center().y()));
    const QPoint frame1 = OnScreen(QPoint(kTitle1Button.left() + 2, kTitle1Button.center().y()));
    EXPECT_TRUE(ScreenShows(frame2, Yellowish)) << "button 2 is not highlighted: " << Text(ScreenPixel(frame2));
    EXPECT_TRUE(ScreenShows(frame1, NotYellowish)) << "button 1 is still highlighted";

    ClickAt(OnScreen(kTitle1Button.center()));
    EXPECT_TRUE(WaitFor([this] { return Domain() == DVD_DOMAIN_Title && CurrentTitle() == 1; }))
        << "title 1 did not start";
  }

  ScopedScriptedDialogs dialogs;
  std::vector<QString> errors;
  QString disc;
  std::unique_ptr<TFilterGraph> filterGraph;
  std::unique_ptr<TForm> form;
  TVideoWindow *video = nullptr;
  QPointer<QWidget> rendererWidget;
  LONG pictureWidth = 0, pictureHeight = 0;
  int moves = 0, ups = 0;
};

TEST_F(VideoPlaybackTest, ThePictureFillsTheVideoAreaAndFollowsAResize) {
  PlayDisc();
  EXPECT_EQ(video->geometry(), form->Client()->rect());
  EXPECT_EQ(rendererWidget->parentWidget(), form->Client());
  EXPECT_EQ(rendererWidget->geometry(), video->geometry());
  const QRect picture = PictureRect();
  EXPECT_TRUE(ScreenShows(OnScreen(QPoint(80, 300)), Bluish)) << "no title menu picture";

  form->SetClientWidth(640);
  form->SetClientHeight(480);
  ASSERT_TRUE(WaitFor([this] { return rendererWidget->geometry() == video->geometry(); }));
  EXPECT_EQ(video->geometry(), form->Client()->rect());
  EXPECT_GT(PictureRect().width(), picture.width());
  EXPECT_TRUE(errors.empty());
}

TEST_F(VideoPlaybackTest, FullScreenCoversTheScreenAndReturns) {
  PlayDisc();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  video->SetFullScreen(true);
  ASSERT_TRUE(WaitFor([&] { return rendererWidget->isWindow() && rendererWidget->geometry() == screen; }));
  EXPECT_TRUE(video->FullScreenActive());
  EXPECT_TRUE(ScreenShows(OnScreen(QPoint(80, 300)), Bluish)) << "no picture across the screen";
  EXPECT_EQ(PictureRect().width(), screen.width()); // 4:3 on 5:4: bars above and below

  video->SetFullScreen(false);
  ASSERT_TRUE(WaitFor([&] { return !rendererWidget->isWindow(); }));
  EXPECT_EQ(rendererWidget->parentWidget(), form->Client());
  EXPECT_EQ(rendererWidget->geometry(), video->geometry());
  EXPECT_FALSE(video->FullScreenActive());
}

TEST_F(VideoPlaybackTest, PointingHighlightsAButtonAndClickingStartsItsTitleInAWindow) {
  PlayDisc();
  PointAndClick();
  EXPECT_TRUE(errors.empty());
}

TEST_F(VideoPlaybackTest, PointingHighlightsAButtonAndClickingStartsItsTitleInFullScreen) {
  PlayDisc();
  video->SetFullScreen(true);
  ASSERT_TRUE(WaitFor([&] { return rendererWidget->isWindow(); }));
  // Pointer input reaches the window once the display has mapped it.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(rendererWidget));
  QTest::qWait(300);
  PointAndClick();
  EXPECT_TRUE(errors.empty());
}

// A right click on a menu button activates it on the release, then opens the popup.
TEST_F(VideoPlaybackTest, ARightClickOnAMenuButtonActivatesItAndOpensThePopupMenu) {
  TPopupMenu popup;
  popup.addAction("Play");
  video->SetPopupMenu(&popup);
  PlayDisc();
  ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "10", "10"}), 0); // out of the way, maybe off the window
  const QPoint button = OnScreen(kTitle2Button.center());
  Pointer({"mousemove", QString::number(button.x()), QString::number(button.y()), "click", "3"},
          QEvent::MouseButtonRelease);
  EXPECT_TRUE(WaitFor([&] { return popup.isVisible(); })) << "no popup menu";
  EXPECT_EQ(popup.pos(), button);
  EXPECT_TRUE(WaitFor([this] { return Domain() == DVD_DOMAIN_Title && CurrentTitle() == 2; })) << "title 2 did not start";
  popup.hide();

  video->SetFullScreen(true);
  ASSERT_TRUE(WaitFor([&] { return rendererWidget->isWindow(); }));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(rendererWidget));
  QTest::qWait(300);
  Pointer({"mousemove", "600", "500", "click", "3"}, QEvent::MouseButtonRelease);
  EXPECT_TRUE(WaitFor([&] { return popup.isVisible(); })) << "no popup menu in full screen";
  EXPECT_EQ(popup.pos(), QPoint(600, 500));
  popup.hide();
  EXPECT_TRUE(errors.empty());
}

TEST_F(VideoPlaybackTest, WithoutAGraphMovingAndClickingDoNothing) {
  const int windows = static_cast<int>(QApplication::topLevelWidgets().size());
  const QPoint centre = video->mapToGlobal(video->rect().center());
  MoveTo(centre + QPoint(-20, -10));
  ClickAt(centre);
  ASSERT_TRUE(WaitFor([this] { return moves > 0 && ups > 0; }));
  EXPECT_FALSE(filterGraph->Active());
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(dialogs->messages.empty());
  int visible = 0;
  for (QWidget *w : QApplication::topLevelWidgets()) visible += w->isVisible() ? 1 : 0;
  EXPECT_EQ(visible, 1); // the form alone
  EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windows);
}

TEST_F(VideoPlaybackTest, AMoveOverAGraphClearedAfterAFailedRenderShowsNoError) {
  const QString notADvd = QString::fromStdString(FixturePath("not_a_dvd")) + "/VIDEO_TS.IFO";
  NEEDS(QFileInfo::exists(notADvd)) << "no test folder at " << notADvd.toStdString();
  filterGraph->SetActive(true);
  AM_DVD_RENDERSTATUS status = {};
  HRESULT hr = S_OK;
  try {
    hr = filterGraph->RenderDvdVolume(status, notADvd.toStdU16String(), AM_DVD_HWDEC_PREFER);
  } catch (const EDirectShowException &e) {
    hr = e.ErrorCode;
  }
  EXPECT_NE(hr, S_OK);
  filterGraph->ClearGraph();
  const QPoint centre = video->mapToGlobal(video->rect().center());
  MoveTo(centre);
  MoveTo(centre + QPoint(15, 10));
  ClickAt(centre);
  ASSERT_TRUE(WaitFor([this] { return moves > 0 && ups > 0; }));
  QTest::qWait(200);
  EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
  EXPECT_TRUE(dialogs->messages.empty());
}

} // namespace

// Placing the renderer's window: play, full screen and back, resizes, the windowless
// mode, the renderer's window handle.
#include "video_window_fixture.h"

#include "dshow/evcode.h"
#include "engine/check_result.h"
#include "win/winuser.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The control's stored styles: a child with a caption and a sizing frame, and edges.
constexpr LONG kStyle = static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_THICKFRAME |
                                          WS_TABSTOP); // 54C50000
constexpr LONG kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE |
                          WS_EX_CONTROLPARENT; // 00030301

class FullScreenTest : public VideoWindowTest {
protected:
  FullScreenTest() {
    host->show();
    HWND own = WindowFromWidget(video);
    SetWindowLongA(own, GWL_STYLE, kStyle);
    SetWindowLongA(own, GWL_EXSTYLE, kExStyle);
    video->BeginLoading();
    video->Loaded();
    video->OnMouseMove = [this](QObject *, TShiftState, int x, int y) { moves.push_back(QPoint(x, y)); };
  }

  std::string Screen() const {
    return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "," + std::to_string(GetSystemMetrics(SM_CYSCREEN));
  }
  std::string Own() const { return HandleText(WindowFromWidget(video)); }
  std::string Host() const { return HandleText(WindowFromWidget(host.get())); }
  QPoint MoveTo(QPoint local) {
    QMouseEvent move(QEvent::MouseMove, local, video->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(video, &move);
    return moves.empty() ? QPoint(-1, -1) : moves.back();
  }

  std::vector<QPoint> moves;
};

TEST_F(FullScreenTest, PlayPlacesTheRendererWindowOverTheControlAndDrainsItHere) {
  AttachAndActivate();
  ConnectRenderer();
  Take();
  EXPECT_TRUE(filterGraph->Play());
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Owner(" + Host() + ")", "VR0.put_WindowStyle(54C50000)",
                                  "VR0.put_WindowStyleEx(00030301)", "VR0.SetWindowPosition(10,20,300,200)",
                                  "VR0.put_Caption(VideoWindow)", "VR0.put_MessageDrain(" + Own() + ")"));
  EXPECT_FALSE(video->FullScreenActive());
}

TEST_F(FullScreenTest, NothingIsPlacedWhileNoPinIsConnected) {
  AttachAndActivate();
  Take();
  EXPECT_TRUE(filterGraph->Play());
  EXPECT_THAT(*log, IsEmpty());
}

TEST_F(FullScreenTest, ARequestBeforeAnyConnectionIsKeptUntilPlay) {
  AttachAndActivate();
  Take();
  video->SetFullScreen(true);
  EXPECT_TRUE(video->FullScreen());
  EXPECT_FALSE(video->FullScreenActive());
  EXPECT_THAT(*log, IsEmpty());
  QCursor::setPos(700, 500);
  EXPECT_EQ(MoveTo(QPoint(12, 34)), QPoint(12, 34));

  ConnectRenderer();
  EXPECT_TRUE(filterGraph->Play());
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Owner(0)", "VR0.put_WindowStyle(54010000)",
                                  "VR0.put_WindowStyleEx(00010000)", "VR0.SetWindowPosition(0,0," + Screen() + ")",
                                  "VR0.put_Caption(VideoWindow)", "VR0.put_MessageDrain(" + Own() + ")"));
  EXPECT_TRUE(video->FullScreenActive());
  // In full screen the handlers get the cursor's place on the screen.
  EXPECT_EQ(MoveTo(QPoint(12, 34)), QPoint(700, 500));
}

TEST_F(FullScreenTest, TopMostIsReappliedAtOnceOnlyInFullScreen) {
  AttachAndActivate();
  ConnectRenderer();
  Take();
  video->SetFullScreenTopMost(true);
  video->SetFullScreenTopMost(false);
  EXPECT_THAT(*log, IsEmpty());

  video->SetFullScreen(true);
  Take();
  video->SetFullScreenTopMost(true);
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Owner(0)", "VR0.put_WindowStyle(54010000)",
                                  "VR0.put_WindowStyleEx(00010008)", "VR0.SetWindowPosition(0,0," + Screen() + ")"));
  EXPECT_TRUE(video->FullScreenTopMost());
}

TEST_F(FullScreenTest, LeavingRestoresOwnerStylesAndPlace) {
  video->SetFullScreenTopMost(true);
  AttachAndActivate();
  ConnectRenderer();
  video->SetFullScreen(true);
  Take();
  video->SetFullScreen(false);
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Owner(" + Host() + ")", "VR0.put_WindowStyle(54C50000)",
                                  "VR0.put_WindowStyleEx(00030301)", "VR0.SetWindowPosition(10,20,300,200)"));
  EXPECT_FALSE(video->FullScreen());
  EXPECT_FALSE(video->FullScreenActive());
}

TEST_F(FullScreenTest, ResizesMoveTheRendererWindowExceptInFullScreen) {
  AttachAndActivate();
  ConnectRenderer();
  Take();
  video->resize(200, 100);
  video->move(30, 40);
  EXPECT_THAT(Take(), ElementsAre("VR0.SetWindowPosition(10,20,200,100)", "VR0.SetWindowPosition(30,40,200,100)"));
  video->SetFullScreen(true);
  Take();
  video->setGeometry(0, 0, 250, 150);
  EXPECT_THAT(*log, IsEmpty());
}

TEST_F(FullScreenTest, AFailingWindowCallRaisesAndTheRequestIsNotTaken) {
  AttachAndActivate();
  ConnectRenderer();
  Classic(0)->failing = "put_WindowStyleEx";
  EXPECT_THROW(video->SetFullScreen(true), EDirectShowException);
  EXPECT_FALSE(video->FullScreen());
  EXPECT_FALSE(video->FullScreenActive());
}

TEST_F(FullScreenTest, PaletteChangeReplacesAndRenderDeviceOnlyRenames) {
  AttachAndActivate();
  ConnectRenderer();
  Take();
  video->GraphNotify(EC_PALETTE_CHANGED, 0, 0);
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Owner(" + Host() + ")", "VR0.put_WindowStyle(54C50000)",
                                  "VR0.put_WindowStyleEx(00030301)", "VR0.SetWindowPosition(10,20,300,200)",
                                  "VR0.put_Caption(VideoWindow)", "VR0.put_MessageDrain(" + Own() + ")"));
  video->GraphNotify(EC_VMR_RENDERDEVICE_SET, 0, 0);
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Caption(VideoWindow)", "VR0.put_MessageDrain(" + Own() + ")"));
  video->GraphNotify(EC_COMPLETE, 0, 0);
  video->ControlNotify(ccPause, 0);
  EXPECT_THAT(*log, IsEmpty());
}

TEST_F(FullScreenTest, WindowlessModeHasNoFullScreenAndNoRendererWindow) {
  video->SetMode(vmVMR);
  video->VMROptions()->SetMode(vmrWindowless);
  AttachAndActivate();
  ASSERT_EQ(mixers.size(), 2u);
  EXPECT_THAT(Calls(Take(), "VMR1."),
              ElementsAre("VMR1.SetRenderingMode(2)", "VMR1.SetNumberOfStreams(4)", "VMR1.GetNumberOfStreams",
                          "VMR1.SetVideoClippingWindow(" + Own() + ")", "VMR1.SetRenderingPrefs(0)",
                          "VMR1.GetRenderingPrefs", "VMR1.SetVideoPosition(0,0,300,200)",
                          "VMR1.SetAspectRatioMode(1)"));
  ConnectRenderer();
  EXPECT_TRUE(filterGraph->Play());
  video->SetFullScreen(true);
  EXPECT_TRUE(video->FullScreen());
  EXPECT_FALSE(video->FullScreenActive());
  EXPECT_EQ(video->VideoHandle(), WindowFromWidget(video));
  ComPtr<IVMRWindowlessControl9> windowless;
  ASSERT_EQ(video->QueryInterface(IID_PPV_ARGS(&windowless)), S_OK);
  EXPECT_EQ(windowless.Get(), static_cast<IVMRWindowlessControl9 *>(Mixer(1)));
  Take();
  video->resize(200, 100);
  EXPECT_THAT(Take(), ElementsAre("VMR1.SetVideoPosition(0,0,200,100)"));
}

TEST_F(FullScreenTest, VideoHandleIsTheRendererWindowNamedAfterTheControl) {
  EXPECT_EQ(video->VideoHandle(), WindowFromWidget(video));
  AttachAndActivate();
  EXPECT_EQ(video->VideoHandle(), nullptr); // no such window yet
  auto *other = new QWidget(host.get());
  other->setWindowTitle("Other");
  SetWindowClassName(WindowFromWidget(other), "VideoRenderer");
  auto *picture = new QWidget(host.get());
  picture->setWindowTitle("VideoWindow");
  SetWindowClassName(WindowFromWidget(picture), "VideoRenderer");
  EXPECT_EQ(video->VideoHandle(), WindowFromWidget(picture));
}

TEST_F(FullScreenTest, VisibilityReachesTheRendererWindow) {
  AttachAndActivate();
  Take();
  video->SetVisible(false);
  EXPECT_FALSE(video->Visible());
  video->SetVisible(true);
  EXPECT_TRUE(video->Visible());
  EXPECT_THAT(Take(), ElementsAre("VR0.put_Visible(0)", "VR0.put_Visible(-1)"));
}

} // namespace

// The video window in its graph: joining and leaving, renderer kinds, adoption of the
// DVD builder's renderer, the interface lookup.
#include "video_window_fixture.h"

#include "engine/check_result.h"
#include "video/vidrex_exception.h"

#include <cfenv>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST_F(VideoWindowTest, ConstructionDefaults) {
  TVideoWindow fresh;
  EXPECT_EQ(fresh.width(), 160);
  EXPECT_EQ(fresh.height(), 120);
  EXPECT_EQ(fresh.Color(), clBlack);
  EXPECT_TRUE(fresh.TabStop());
  EXPECT_TRUE(fresh.hasMouseTracking());
  EXPECT_EQ(fresh.Mode(), vmNormal);
  EXPECT_FALSE(fresh.FullScreen());
  EXPECT_FALSE(fresh.FullScreenTopMost());
  EXPECT_FALSE(fresh.FullScreenActive());
  EXPECT_EQ(fresh.FilterGraph(), nullptr);
  EXPECT_FALSE(fresh.MemberFilter());
  ASSERT_NE(fresh.VMROptions(), nullptr);
  EXPECT_EQ(fresh.VMROptions()->Owner(), &fresh);
}

TEST_F(VideoWindowTest, JoiningAnActiveGraphAddsTheClassicRendererUnderTheName) {
  filterGraph->SetActive(true);
  video->SetFilterGraph(filterGraph.get());
  ASSERT_EQ(classics.size(), 1u);
  ASSERT_EQ(Graph()->FilterCount(), 1);
  EXPECT_EQ(Graph()->Filter(0), static_cast<IBaseFilter *>(Classic(0)));
  EXPECT_EQ(Graph()->NameOf(0), u"VideoWindow");
  // The window answers for its renderer's interfaces.
  ComPtr<IVideoWindow> window;
  EXPECT_EQ(video->QueryInterface(IID_PPV_ARGS(&window)), S_OK);
  EXPECT_EQ(window.Get(), static_cast<IVideoWindow *>(Classic(0)));
  ComPtr<IGraphListener> listener;
  EXPECT_EQ(video->QueryInterface(IID_PPV_ARGS(&listener)), S_OK);
  EXPECT_EQ(video->QueryInterface(IID_PPV_ARGS(&window)), S_OK);
  ComPtr<IVMRAspectRatioControl9> aspect;
  EXPECT_EQ(video->QueryInterface(IID_PPV_ARGS(&aspect)), E_NOINTERFACE);
}

TEST_F(VideoWindowTest, SameGraphAgainDoesNothing) {
  AttachAndActivate();
  Take();
  video->SetFilterGraph(filterGraph.get());
  EXPECT_THAT(*log, IsEmpty());
  EXPECT_EQ(classics.size(), 1u);
  EXPECT_EQ(Graph()->FilterCount(), 1);
}

TEST_F(VideoWindowTest, NoGraphStopsDisconnectsAndRemovesTheRendererThenStopsListening) {
  AttachAndActivate();
  ConnectRenderer();
  Take();
  video->SetFilterGraph(nullptr);
  EXPECT_THAT(Take(), ElementsAre("VR0.Stop", "VR0.pin0.Disconnect", "VR0.pin1.Disconnect"));
  EXPECT_EQ(Graph()->FilterCount(), 0);
  EXPECT_FALSE(video->MemberFilter());
  EXPECT_EQ(video->FilterGraph(), nullptr);
  // No longer a listener: playing the graph does not reach the window.
  EXPECT_TRUE(filterGraph->Play());
  EXPECT_THAT(*log, IsEmpty());
}

TEST_F(VideoWindowTest, AGraphThatGoesAwayIsForgotten) {
  AttachAndActivate();
  filterGraph.reset();
  EXPECT_EQ(video->FilterGraph(), nullptr);
  EXPECT_FALSE(video->MemberFilter());
}

TEST_F(VideoWindowTest, AWindowThatGoesAwayLeavesTheGraph) {
  AttachAndActivate();
  host.reset();
  EXPECT_EQ(Graph()->FilterCount(), 0);
  EXPECT_TRUE(filterGraph->Play());
  filterGraph->SetActive(false);
  filterGraph->SetActive(true);
  EXPECT_EQ(classics.size(), 1u);
}

TEST_F(VideoWindowTest, MixingModeWithoutTheMixerStaysNormalAndStillRebuilds) {
  mixerAvailable = false;
  AttachAndActivate();
  video->SetMode(vmVMR);
  EXPECT_EQ(video->Mode(), vmNormal);
  ASSERT_EQ(classics.size(), 2u);
  EXPECT_EQ(Renderer(), static_cast<IBaseFilter *>(Classic(1)));
  ASSERT_EQ(Graph()->FilterCount(), 1);
  EXPECT_EQ(Graph()->Filter(0), static_cast<IBaseFilter *>(Classic(1)));
  // The same value again rebuilds again.
  video->SetMode(vmNormal);
  EXPECT_EQ(classics.size(), 3u);
}

TEST_F(VideoWindowTest, MixingModeKeepsTheFloatingPointEnvironment) {
  ScopedClassRegistration roundingMixer(CLSID_VideoMixingRenderer9, [this](REFIID iid, void **out) {
    std::fesetround(FE_UPWARD);
    ComPtr<FakeMixingRenderer> mixer;
    mixer.Attach(new FakeMixingRenderer(log, "VMR" + std::to_string(mixers.size())));
    mixers.push_back(mixer);
    return mixer->QueryInterface(iid, out);
  });
  AttachAndActivate();
  Take();
  video->SetMode(vmVMR);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_EQ(video->Mode(), vmVMR);
  // One instance to ask whether the mixer exists, one for the graph.
  ASSERT_EQ(mixers.size(), 2u);
  EXPECT_EQ(Renderer(), static_cast<IBaseFilter *>(Mixer(1)));
  EXPECT_THAT(Calls(*log, "VMR1."), ElementsAre("VMR1.SetRenderingMode(1)", "VMR1.SetNumberOfStreams(4)",
                                                "VMR1.GetNumberOfStreams", "VMR1.SetRenderingPrefs(0)",
                                                "VMR1.GetRenderingPrefs", "VMR1.SetAspectRatioMode(1)"));
}

TEST_F(VideoWindowTest, WithoutARendererClassNothingIsReportedAndNothingHappens) {
  ScopedClassRegistration none(CLSID_VideoRenderer, nullptr);
  AttachAndActivate();
  EXPECT_FALSE(video->MemberFilter());
  EXPECT_TRUE(filterGraph->Play());
  video->SetFullScreen(true);
  EXPECT_TRUE(video->FullScreen());
  EXPECT_FALSE(video->FullScreenActive());
  filterGraph->SetActive(false);
}

TEST_F(VideoWindowTest, AfterDvdRenderingTheOwnRendererStillInTheGraphIsKept) {
  AttachAndActivate();
  Take();
  video->ControlNotify(ccDvdRendered, 0);
  EXPECT_EQ(Renderer(), static_cast<IBaseFilter *>(Classic(0)));
  EXPECT_THAT(*log, IsEmpty());
}

TEST_F(VideoWindowTest, AfterDvdRenderingTheFirstClassicRendererOfTheGraphIsAdopted) {
  AttachAndActivate();
  // The builder put its own renderers in and took ours out.
  ComPtr<FakeFilter> decoder;
  decoder.Attach(new FakeFilter(log, "decoder", CLSID_MpegVideoDecoder));
  ComPtr<FakeClassicRenderer> first, second;
  first.Attach(new FakeClassicRenderer(log, "builder1"));
  second.Attach(new FakeClassicRenderer(log, "builder2"));
  Graph()->AddFilter(decoder.Get(), u"decoder");
  Graph()->AddFilter(first.Get(), u"first");
  Graph()->AddFilter(second.Get(), u"second");
  Graph()->RemoveFilter(Classic(0));
  video->ControlNotify(ccDvdRendered, 0);
  EXPECT_EQ(Renderer(), static_cast<IBaseFilter *>(first.Get()));
  ComPtr<IVideoWindow> window;
  ASSERT_EQ(video->QueryInterface(IID_PPV_ARGS(&window)), S_OK);
  EXPECT_EQ(window.Get(), static_cast<IVideoWindow *>(first.Get()));
  // The adopted renderer is the window's from now on: it is placed and drained at play.
  first->Pin(0)->SetConnected(true);
  Take();
  EXPECT_TRUE(filterGraph->Play());
  EXPECT_EQ(Calls(*log, "builder1.put_Caption").size(), 1u);
  EXPECT_THAT(Calls(*log, "builder2."), IsEmpty());
  EXPECT_THAT(Calls(*log, "VR0."), IsEmpty());
}

TEST_F(VideoWindowTest, TheMixingRendererAdoptsNothing) {
  AttachAndActivate();
  video->SetMode(vmVMR);
  ComPtr<FakeClassicRenderer> builders;
  builders.Attach(new FakeClassicRenderer(log, "builder"));
  Graph()->AddFilter(builders.Get(), u"builder");
  Graph()->RemoveFilter(Renderer());
  IBaseFilter *own = Renderer();
  video->ControlNotify(ccDvdRendered, 0);
  EXPECT_EQ(Renderer(), own);
}

TEST_F(VideoWindowTest, RenderlessModeFailsWithoutAnAllocator) {
  AttachAndActivate();
  video->SetMode(vmVMR);
  try {
    video->VMROptions()->SetMode(vmrRenderless);
    FAIL() << "no exception";
  } catch (const EVidrexException &e) {
    EXPECT_EQ(e.Message(), "Allocator class not set.");
    EXPECT_TRUE(FAILED(e.ErrorCode));
  }
  EXPECT_EQ(video->VMROptions()->Mode(), vmrRenderless);
}

TEST_F(VideoWindowTest, LoadedTakesTheStylesOfTheOwnWindow) {
  host->show();
  HWND own = WindowFromWidget(video);
  SetWindowLongA(own, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  video->BeginLoading();
  video->Loaded();
  EXPECT_FALSE(video->Loading());
  AttachAndActivate();
  ConnectRenderer();
  Take();
  video->SetFullScreen(false);
  EXPECT_THAT(Calls(*log, "VR0.put_WindowStyle"),
              ElementsAre("VR0.put_WindowStyle(54000000)", "VR0.put_WindowStyleEx(00000200)"));
}

} // namespace

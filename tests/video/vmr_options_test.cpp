// The mixing renderer's settings: stored values, when a change rebuilds the renderer,
// what is sent to the renderer and what is read back.
#include "video_window_fixture.h"

#include "engine/check_result.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST_F(VideoWindowTest, OptionsDefaultsAndTheStreamRule) {
  TVMROptions &options = *video->VMROptions();
  EXPECT_EQ(options.Mode(), vmrWindowed);
  EXPECT_EQ(options.Streams(), 4u);
  EXPECT_EQ(options.Preferences(), TVMRPreferences{vpForceMixer});
  EXPECT_TRUE(options.KeepAspectRatio());
  options.SetStreams(16);
  EXPECT_EQ(options.Streams(), 16u);
  options.SetStreams(0);
  EXPECT_EQ(options.Streams(), 1u);
  options.SetStreams(7);
  options.SetStreams(17);
  EXPECT_EQ(options.Streams(), 1u);
}

TEST_F(VideoWindowTest, ChangesOnlyStoreUnlessTheMixerRendersOnAnActiveGraph) {
  TVMROptions &options = *video->VMROptions();
  AttachAndActivate(); // classic renderer
  options.SetStreams(8);
  options.SetPreferences({vpForceOffscreen});
  options.SetMode(vmrWindowless);
  EXPECT_EQ(classics.size(), 1u);
  EXPECT_TRUE(mixers.empty());

  options.SetMode(vmrWindowed);
  filterGraph->SetActive(false);
  video->SetMode(vmVMR); // one instance to ask whether the mixer exists
  ASSERT_EQ(mixers.size(), 1u);
  options.SetStreams(8);
  options.SetPreferences({vpForceOffscreen});
  EXPECT_EQ(mixers.size(), 1u);
}

TEST_F(VideoWindowTest, EveryChangeRebuildsTheMixerOnAnActiveGraph) {
  TVMROptions &options = *video->VMROptions();
  AttachAndActivate();
  video->SetMode(vmVMR);
  ASSERT_EQ(mixers.size(), 2u);
  options.SetStreams(4);
  options.SetPreferences(options.Preferences());
  options.SetMode(vmrWindowed);
  ASSERT_EQ(mixers.size(), 5u);
  EXPECT_EQ(Renderer(), static_cast<IBaseFilter *>(Mixer(4)));
  ASSERT_EQ(Graph()->FilterCount(), 1);
  EXPECT_EQ(Graph()->Filter(0), static_cast<IBaseFilter *>(Mixer(4)));
  // Each old renderer was stopped and disconnected before it left.
  EXPECT_EQ(Calls(*log, "VMR3.Stop").size(), 1u);
  EXPECT_EQ(Calls(*log, "VMR4.Stop").size(), 0u);
}

TEST_F(VideoWindowTest, FourStreamsWithoutForceMixerAreNotSent) {
  video->VMROptions()->SetPreferences({vpRestrictToInitialMonitor});
  video->SetMode(vmVMR);
  AttachAndActivate();
  EXPECT_THAT(Calls(*log, "VMR1."), ElementsAre("VMR1.SetRenderingMode(1)", "VMR1.SetRenderingPrefs(16)",
                                                "VMR1.GetRenderingPrefs", "VMR1.SetAspectRatioMode(1)"));
}

TEST_F(VideoWindowTest, WhatTheMixerAcceptedIsReadBack) {
  TVMROptions &options = *video->VMROptions();
  options.SetStreams(12);
  options.SetPreferences({vpForceOffscreen, vpForceOverlays, vpForceMixer, vpRestrictToInitialMonitor});
  video->SetMode(vmVMR);
  ScopedClassRegistration picky(CLSID_VideoMixingRenderer9, [this](REFIID iid, void **out) {
    ComPtr<FakeMixingRenderer> mixer;
    mixer.Attach(new FakeMixingRenderer(log, "VMR" + std::to_string(mixers.size())));
    mixer->maxStreams = 8;
    mixer->acceptedPrefs = RenderPrefs_ForceOffscreen | RenderPrefs_RestrictToInitialMonitor;
    mixers.push_back(mixer);
    return mixer->QueryInterface(iid, out);
  });
  AttachAndActivate();
  // The mixer preference is never sent.
  EXPECT_THAT(Calls(*log, "VMR1.Set"), ElementsAre("VMR1.SetRenderingMode(1)", "VMR1.SetNumberOfStreams(12)",
                                                   "VMR1.SetRenderingPrefs(19)", "VMR1.SetAspectRatioMode(1)"));
  EXPECT_EQ(options.Streams(), 8u);
  EXPECT_EQ(options.Preferences(), (TVMRPreferences{vpForceOffscreen, vpForceMixer, vpRestrictToInitialMonitor}));
}

TEST_F(VideoWindowTest, KeepAspectRatioReachesOnlyAMixerInAWindowMode) {
  TVMROptions &options = *video->VMROptions();
  AttachAndActivate();
  options.SetKeepAspectRatio(false); // classic renderer: no aspect-ratio control
  EXPECT_FALSE(options.KeepAspectRatio());
  video->SetMode(vmVMR);
  Take();
  options.SetKeepAspectRatio(false);
  options.SetKeepAspectRatio(true);
  EXPECT_THAT(Take(), ElementsAre("VMR1.SetAspectRatioMode(0)", "VMR1.SetAspectRatioMode(1)"));

  filterGraph->SetActive(false);
  Take();
  options.SetMode(vmrRenderless);
  options.SetKeepAspectRatio(false);
  EXPECT_FALSE(options.KeepAspectRatio());
  EXPECT_THAT(*log, IsEmpty());
}

} // namespace

#include "engine_fixture.h"

#include <cstring>

namespace {

using ::testing::ElementsAre;

AM_DVD_RENDERSTATUS Marked() {
  AM_DVD_RENDERSTATUS status;
  std::memset(&status, 0x5A, sizeof status);
  return status;
}

TEST_F(EngineTest, WithoutADvdBuilderRenderingReturnsRenderFailAndTouchesNothing) {
  fg.AddListener(&l);
  for (bool active : {false, true}) {
    fg.SetActive(active);
    trace.clear();
    AM_DVD_RENDERSTATUS status = Marked();
    EXPECT_EQ(fg.RenderDvdVolume(status, u"", AM_DVD_HWDEC_PREFER), VFW_E_DVD_RENDERFAIL);
    const AM_DVD_RENDERSTATUS untouched = Marked();
    EXPECT_EQ(std::memcmp(&status, &untouched, sizeof status), 0);
    EXPECT_TRUE(trace.empty());
  }
}

TEST_F(EngineTest, AVolumeSetBeforeAnyGraphReachesTheRendererRightAfterRendering) {
  fg.SetVolume(4000);
  fg.AddListener(&l);
  ActivateDvd();
  AM_DVD_RENDERSTATUS status = Marked();
  EXPECT_EQ(fg.RenderDvdVolume(status, u"", AM_DVD_HWDEC_PREFER), S_OK);
  EXPECT_THAT(Calls(), ElementsAre("l.ControlNotify 5 1", "RenderDvdVideoVolume (none) 1", "l.ControlNotify 6 1"));
  EXPECT_THAT(dvdAudio->volumes, ElementsAre(-995));
  EXPECT_THAT(dvdAudio->balances, ElementsAre(0));
  EXPECT_THAT(dvdAudio->rates, ElementsAre(1.0));
  EXPECT_EQ(status.bDvdVolUnknown, FALSE);
}

TEST_F(EngineTest, SFalseIsReturnedWithTheStatusAfterTheRenderedNotice) {
  fg.AddListener(&l);
  ActivateDvd();
  dvd->script.renderResult = S_FALSE;
  dvd->script.status.bDvdVolUnknown = TRUE;
  AM_DVD_RENDERSTATUS status = Marked();
  EXPECT_EQ(fg.RenderDvdVolume(status, u"/discs/VIDEO_TS/VIDEO_TS.IFO", 0x101), S_FALSE);
  EXPECT_EQ(status.bDvdVolUnknown, TRUE);
  EXPECT_THAT(Calls(), ElementsAre("l.ControlNotify 5 257", "RenderDvdVideoVolume /discs/VIDEO_TS/VIDEO_TS.IFO 257",
                                 "l.ControlNotify 6 257"));
  EXPECT_THAT(dvdAudio->volumes, ElementsAre(0));
}

TEST_F(EngineTest, ARenderFailureIsRaisedWithoutTheRenderedNotice) {
  fg.AddListener(&l);
  ActivateDvd();
  dvd->script.renderResult = VFW_E_DVD_DECNOTENOUGH;
  AM_DVD_RENDERSTATUS status = Marked();
  try {
    fg.RenderDvdVolume(status, u"", AM_DVD_HWDEC_PREFER);
    FAIL() << "no exception";
  } catch (const EDirectShowException &e) {
    EXPECT_EQ(e.ErrorCode, VFW_E_DVD_DECNOTENOUGH);
    EXPECT_EQ(e.Message(), GetErrorText(VFW_E_DVD_DECNOTENOUGH) + " ($8004027B).");
  }
  EXPECT_THAT(Calls(), ElementsAre("l.ControlNotify 5 1", "RenderDvdVideoVolume (none) 1"));
  EXPECT_TRUE(dvdAudio->volumes.empty());
}

} // namespace

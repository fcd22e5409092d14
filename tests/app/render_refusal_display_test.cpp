// The application refuses the video decoder through the graph's OnSelectedFilter: the
// player renders the disc without it and says so in its own words, and plays again
// from File › Apri once the application accepts every filter.
#include "real_player_fixture.h"

#include "dshow/uuids.h"

namespace {

TEST_F(RealPlayerTest, RefusingTheVideoDecoderShowsTheStreamMessageAndThePlayerRecovers) {
  std::vector<GUID> refused;
  Graph()->OnSelectedFilter = [&](IMoniker *, const std::u16string &, const GUID &clsid) {
    if (clsid != CLSID_MpegVideoDecoder) return true;
    refused.push_back(clsid);
    return false;
  };
  qputenv("DVD_DEVICE", Disc("ntsc_menu").toLocal8Bit());
  FormDVDPlayer->PlayMenu->trigger();
  EXPECT_FALSE(refused.empty()) << "the video decoder was never offered";
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Can't render one or more stream.");
  EXPECT_EQ(dialogs->messages[0].caption, "Error");

  // Every filter accepted again: File › Apri builds the whole graph and the disc starts.
  Graph()->OnSelectedFilter = nullptr;
  dialogs->messages.clear();
  dialogs->openAnswers.push_back(Disc("ntsc_menu") + "/VIDEO_TS/VIDEO_TS.IFO");
  FormDVDPlayer->OpenMenu->trigger();
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
  EXPECT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu || Domain() == DVD_DOMAIN_Title; }))
      << "the disc does not start";
}

} // namespace

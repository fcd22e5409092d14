// Finding and checking volumes on the test discs.
#include "dvd/disc_info.h"
#include "dvd/volume.h"
#include "support/fixtures.h"
#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace dvd;

TEST(Volume, AcceptsFoldersIfoPathsAndImages) {
  NEEDS_DISCS();
  std::string open;
  EXPECT_EQ(CheckVolume(FixturePath("ntsc_menu"), &open), VolumeCheck::Ok);
  EXPECT_EQ(open, FixturePath("ntsc_menu"));
  EXPECT_EQ(CheckVolume(FixturePath("ntsc_menu/VIDEO_TS"), &open), VolumeCheck::Ok);
  EXPECT_EQ(CheckVolume(FixturePath("ntsc_menu/VIDEO_TS/VIDEO_TS.IFO"), &open), VolumeCheck::Ok);
  EXPECT_EQ(open, FixturePath("ntsc_menu/VIDEO_TS"));
  EXPECT_EQ(CheckVolume(FixturePath("pal_wide/VIDEO_TS/VTS_01_0.IFO"), &open), VolumeCheck::Ok);
  if (HaveFixture("ntsc_menu.iso")) {
    EXPECT_EQ(CheckVolume(FixturePath("ntsc_menu.iso"), &open), VolumeCheck::Ok);
    EXPECT_EQ(open, FixturePath("ntsc_menu.iso"));
  }
}

TEST(Volume, RefusesWhatIsNoDvd) {
  NEEDS_DISCS();
  std::string open = "unchanged";
  EXPECT_EQ(CheckVolume(FixturePath("not_a_dvd"), &open), VolumeCheck::NotDvd);
  EXPECT_EQ(CheckVolume(FixturePath("not_a_dvd/VIDEO_TS.IFO"), &open), VolumeCheck::NotDvd);
  EXPECT_EQ(CheckVolume(FixturePath("no/such/path"), &open), VolumeCheck::NotDvd);
  EXPECT_EQ(CheckVolume(FixturePath("ntsc_menu.buttons.json"), &open), VolumeCheck::NotDvd);
  EXPECT_EQ(CheckVolume("", &open), VolumeCheck::NotDvd);
  EXPECT_EQ(CheckVolume("/dev/null", &open), VolumeCheck::NotDvd);
  EXPECT_EQ(open, "unchanged");
}

TEST(Volume, SearchUsesDvdDeviceThenDrives) {
  NEEDS_DISCS();
  std::string open;
  {
    ScopedEnv env("DVD_DEVICE", FixturePath("pal_wide").c_str());
    ASSERT_TRUE(FindVolume({}, &open));
    EXPECT_EQ(open, FixturePath("pal_wide"));
  }
  {
    ScopedEnv env("DVD_DEVICE", "/nowhere/at/all");
    EXPECT_FALSE(FindVolume({"/dev/sr97", "/dev/null"}, &open));
    // A "drive" that is a folder holding a volume is found after the variable fails.
    ASSERT_TRUE(FindVolume({"/dev/sr97", FixturePath("ntsc_menu")}, &open));
    EXPECT_EQ(open, FixturePath("ntsc_menu"));
  }
  {
    ScopedEnv env("DVD_DEVICE", nullptr);
    EXPECT_FALSE(FindVolume({}, &open));
  }
}

TEST(DiscInfo, ReadsTitlesStreamsAndLanguages) {
  NEEDS_DISCS();
  DiscInfo info;
  ASSERT_TRUE(ReadDiscInfo(FixturePath("ntsc_menu"), &info));
  ASSERT_EQ(info.titles.size(), 2u);
  EXPECT_EQ(info.titles[0].chapters, 3);
  EXPECT_EQ(info.titles[1].chapters, 2);
  ASSERT_EQ(info.titleSets.size(), 1u);
  const StreamSet &t = info.titleSets[0].titles;
  EXPECT_FALSE(t.video.pal);
  EXPECT_FALSE(t.video.wide);
  EXPECT_EQ(t.video.height, 480);
  ASSERT_EQ(t.audio.size(), 2u);
  EXPECT_EQ(t.audio[0].coding, AudioCoding::Ac3);
  EXPECT_EQ(t.audio[0].language, ('e' << 8) | 'n');
  EXPECT_EQ(t.audio[1].coding, AudioCoding::Mpeg);
  EXPECT_EQ(t.audio[1].language, ('i' << 8) | 't');
  ASSERT_EQ(t.subpictureLanguages.size(), 1u);
  EXPECT_EQ(t.subpictureLanguages[0], ('i' << 8) | 't');

  DiscInfo pal;
  ASSERT_TRUE(ReadDiscInfo(FixturePath("pal_wide"), &pal));
  EXPECT_TRUE(pal.titleSets[0].titles.video.pal);
  EXPECT_TRUE(pal.titleSets[0].titles.video.wide);
  EXPECT_NE(pal.discId, info.discId);

  ULONGLONG id = 0;
  ASSERT_TRUE(ReadDiscId(FixturePath("ntsc_menu"), &id));
  EXPECT_EQ(id, info.discId);
  if (HaveFixture("ntsc_menu.iso")) {
    ULONGLONG isoId = 0;
    ASSERT_TRUE(ReadDiscId(FixturePath("ntsc_menu.iso"), &isoId));
    EXPECT_EQ(isoId, id); // the same disc, whatever holds it
  }
  EXPECT_FALSE(ReadDiscInfo(FixturePath("not_a_dvd"), &info));
}

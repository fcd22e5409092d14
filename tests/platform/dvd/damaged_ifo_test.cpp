// Information files damaged in the ways that crash libdvdread's parsing or libdvdnav's
// walk of the tables: the disc is refused (or, for a title's chapter tables alone, the
// title has no times) and nothing crashes.
#include "damaged_disc.h"
#include "dvd/disc_info.h"
#include "dvd/nav_session.h"
#include "dvd/volume.h"

#include <gtest/gtest.h>

using namespace dvd;

// The sanitizer build traces allocations through libdvdread's frames (it keeps no
// frame pointers), so that the suppression of its known leak on an unreadable chain
// (tests/lsan.supp) matches it and only it.
extern "C" __attribute__((visibility("default"), used)) const char *__asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

namespace {

// The title set's program chain table of an authored disc: where it starts and its
// first chain.
struct ChainTable {
  std::size_t base = 0, firstChain = 0;
};
ChainTable TitleChains(const std::vector<uint8_t> &vts) {
  ChainTable t;
  t.base = std::size_t(Be32At(vts, 0xCC)) * 2048;
  t.firstChain = t.base + Be32At(vts, t.base + 12);
  return t;
}

void ExpectRefused(const DamagedDisc &disc, const char *file) {
  DiscInfo info;
  EXPECT_FALSE(ReadDiscInfo(disc.Path(), &info));
  std::string error;
  EXPECT_EQ(NavSession::Open(disc.Path(), &error), nullptr);
  EXPECT_NE(error.find(file), std::string::npos) << error;
}

} // namespace

TEST(DamagedIfo, TitleSetTablesThatWouldCrashTheLibrariesRefuseTheDisc) {
  NEEDS_DISCS();
  {
    // Two entries share a chain that lies past the file's end: libdvdread would take a
    // reference on the chain it could not read, through a null pointer.
    DamagedDisc disc;
    ASSERT_TRUE(disc.CopyOf("pal_wide"));
    std::vector<uint8_t> vts = disc.Read("VTS_01_0.IFO");
    const ChainTable t = TitleChains(vts);
    PutBe(vts, t.base, 2, 2);
    PutBe(vts, t.base + 8 + 4, 0x100000, 4);
    PutBe(vts, t.base + 16 + 4, 0x100000, 4);
    disc.Write("VTS_01_0.IFO", vts); // the backup stays sound: the IFO alone would crash
    ExpectRefused(disc, "VTS_01_0.IFO");
    std::string open;
    EXPECT_EQ(CheckVolume(disc.Path(), &open), VolumeCheck::Ok); // the video manager is sound
    // The same when the video manager does not count the title set its titles name.
    for (const char *name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
      std::vector<uint8_t> vmg = disc.Read(name);
      PutBe(vmg, 0x3E, 0, 2);
      disc.Write(name, vmg);
    }
    std::string error;
    EXPECT_EQ(NavSession::Open(disc.Path(), &error), nullptr);
    EXPECT_NE(error.find("VTS_01_0.IFO"), std::string::npos) << error;
  }
  {
    // A chain with programs and no program map: libdvdread accepts it and libdvdnav
    // reads the map through a null pointer when it plays or times the chain.
    DamagedDisc disc;
    ASSERT_TRUE(disc.CopyOf("pal_wide"));
    for (const char *name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
      std::vector<uint8_t> vts = disc.Read(name);
      PutBe(vts, TitleChains(vts).firstChain + 230, 0, 2);
      disc.Write(name, vts);
    }
    ExpectRefused(disc, "VTS_01_0.IFO");
  }
  {
    // A program that starts at cell 0 is refused as well; the untouched copy opens.
    DamagedDisc disc, sound;
    ASSERT_TRUE(disc.CopyOf("pal_wide"));
    ASSERT_TRUE(sound.CopyOf("pal_wide"));
    std::vector<uint8_t> vts = disc.Read("VTS_01_0.BUP");
    const std::size_t chain = TitleChains(vts).firstChain;
    vts.at(chain + (std::size_t(vts.at(chain + 230)) << 8 | vts.at(chain + 231))) = 0;
    disc.Write("VTS_01_0.BUP", vts);
    ExpectRefused(disc, "VTS_01_0.BUP");
    DiscInfo info;
    EXPECT_TRUE(ReadDiscInfo(sound.Path(), &info));
    std::string error;
    auto nav = NavSession::Open(sound.Path(), &error);
    ASSERT_NE(nav, nullptr) << error;
    std::optional<media::Ticks90k> total;
    EXPECT_FALSE(nav->ChapterEnds(1, &total).empty());
    ASSERT_TRUE(total);
    EXPECT_GT(total->ticks(), 0);
  }
}

TEST(DamagedIfo, ChaptersThatLeadNowhereLeaveTheTitleWithoutTimes) {
  NEEDS_DISCS();
  DamagedDisc disc;
  ASSERT_TRUE(disc.CopyOf("pal_wide"));
  for (const char *name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
    // The first chapter of title 1 names program chain 9 of a table with one.
    std::vector<uint8_t> vts = disc.Read(name);
    const std::size_t ptt = std::size_t(Be32At(vts, 0xC8)) * 2048;
    PutBe(vts, ptt + Be32At(vts, ptt + 8), 9, 2);
    disc.Write(name, vts);
  }
  std::string error;
  auto nav = NavSession::Open(disc.Path(), &error);
  ASSERT_NE(nav, nullptr) << error;
  std::optional<media::Ticks90k> total = media::Ticks90k(0);
  EXPECT_TRUE(nav->ChapterEnds(1, &total).empty());
  EXPECT_FALSE(total); // unknown
}

// libdvdread leaves a chain it cannot read null, and libdvdnav plays a null chain as
// soon as a title, a chapter or another chain's link leads to it: such a disc is
// refused. A chain that nothing leads to is left alone, as libdvdread leaves it.
TEST(DamagedIfo, UnreadableChainsThatPlaybackReachesRefuseTheDisc) {
  NEEDS_DISCS();
  // The second title's chain (ntsc_menu: titles 1 and 2, one chain each) made
  // unreadable: its command table lies past the file's end.
  auto damage = [](std::vector<uint8_t> &vts, bool entry, bool chapters, bool linked) {
    const std::size_t base = std::size_t(Be32At(vts, 0xCC)) * 2048;
    const std::size_t first = base + Be32At(vts, base + 12), second = base + Be32At(vts, base + 20);
    PutBe(vts, second + 0xE4, 0xFFF0, 2);
    if (!entry) vts.at(base + 16) &= 0x7F;
    if (!chapters) { // title 2's chapters name chain 1 instead
      const std::size_t ptt = std::size_t(Be32At(vts, 0xC8)) * 2048;
      for (std::size_t at = ptt + Be32At(vts, ptt + 12); at < ptt + Be32At(vts, ptt + 4) + 1; at += 4)
        PutBe(vts, at, 1, 2);
    }
    if (linked) PutBe(vts, first + 0x9C, 2, 2); // chain 1 goes on to chain 2
  };
  struct Case {
    const char *what;
    bool entry, chapters, linked, refused;
  } cases[] = {
      {"an entry chain", true, true, false, true},
      {"named by chapters", false, true, false, true},
      {"linked from another chain", false, false, true, true},
      {"reached by nothing", false, false, false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    DamagedDisc disc;
    ASSERT_TRUE(disc.CopyOf("ntsc_menu"));
    for (const char *name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
      std::vector<uint8_t> vts = disc.Read(name);
      damage(vts, c.entry, c.chapters, c.linked);
      disc.Write(name, vts);
    }
    if (c.refused) {
      ExpectRefused(disc, "VTS_01_0.IFO");
      continue;
    }
    DiscInfo info;
    EXPECT_TRUE(ReadDiscInfo(disc.Path(), &info));
    std::string error;
    auto nav = NavSession::Open(disc.Path(), &error);
    ASSERT_NE(nav, nullptr) << error;
    std::optional<media::Ticks90k> total;
    EXPECT_FALSE(nav->ChapterEnds(1, &total).empty());
    ASSERT_TRUE(total);
    EXPECT_GT(total->ticks(), 0);
  }
}

// A title table that starts at the video manager's end: libdvdread frees the table
// when its header cannot be read, then again when it closes the file.
TEST(DamagedIfo, AVideoManagerWhoseTitleTableCannotBeReadIsNoDisc) {
  NEEDS_DISCS();
  DamagedDisc disc;
  ASSERT_TRUE(disc.CopyOf("pal_wide"));
  for (const char *name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
    std::vector<uint8_t> vmg = disc.Read(name);
    PutBe(vmg, 0xC4, uint32_t(vmg.size() / 2048), 4);
    disc.Write(name, vmg);
  }
  ExpectRefused(disc, "VIDEO_TS.IFO");
  std::string open;
  EXPECT_EQ(CheckVolume(disc.Path(), &open), VolumeCheck::NotDvd);
}

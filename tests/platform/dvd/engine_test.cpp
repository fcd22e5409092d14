// The navigator engine on the test discs, with a recording output and a clock that
// runs four times faster than the wall clock.
#include "dvd/engine.h"
#include "fake_output.h"
#include "support/fixtures.h"

#include "dshow/errors.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dvd;

namespace {
bool HaveDiscs() { return std::filesystem::exists(FixturePath("ntsc_menu/VIDEO_TS/VIDEO_TS.IFO")); }

struct Running {
  explicit Running(const std::string &disc, double clock = 4.0) : out(clock), engine(&out) {
    opened = engine.Open(FixturePath(disc));
    engine.Run();
  }
  ~Running() { engine.Stop(); }
  HRESULT Do(std::function<HRESULT(NavEngine &)> f) {
    auto cmd = engine.Post(std::move(f));
    return cmd ? cmd->WaitEnd(5000) : E_FAIL;
  }
  FakeOutput out;
  NavEngine engine;
  HRESULT opened;
};

auto Param1(LONG_PTR v) {
  return [v](const RecordedEvent &e) { return e.p1 == v; };
}
} // namespace

TEST(Engine, FirstPlayReachesTheTitleMenuStill) {
  if (!HaveDiscs()) GTEST_SKIP();
  Running r("ntsc_menu");
  ASSERT_EQ(r.opened, S_OK);
  int menu = r.out.WaitFor(EC_DVD_DOMAIN_CHANGE, Param1(DVD_DOMAIN_VideoManagerMenu));
  ASSERT_GE(menu, 0);
  int buttons = r.out.WaitFor(EC_DVD_BUTTON_CHANGE, Param1(4), menu);
  ASSERT_GE(buttons, 0);
  int still = r.out.WaitFor(EC_DVD_STILL_ON, nullptr, menu);
  ASSERT_GE(still, 0);
  auto ev = r.out.Events();
  EXPECT_EQ(ev[still].p1, FALSE); // buttons are there
  EXPECT_EQ(ev[still].p2, -1);    // until told
  Snapshot s = r.engine.GetSnapshot();
  EXPECT_EQ(s.domain, NavDomain::VideoManagerMenu);
  EXPECT_EQ(s.buttonCount, 4);
  ASSERT_EQ(s.buttons.size(), 4u);
  EXPECT_EQ(s.buttons[1].y0, 200);
  EXPECT_EQ(s.buttons[1].x1, 560); // the disc stores spumux's end column, one past the drawn frame
  std::lock_guard g(r.out.m_);
  EXPECT_GT(r.out.samples[0], 0);
  EXPECT_GE(r.out.drains, 1);
  ASSERT_FALSE(r.out.highlights.empty());
  EXPECT_TRUE(r.out.highlights.back().visible);
  EXPECT_EQ(r.out.highlights.back().area.left, 160);
  EXPECT_EQ(r.out.highlights.back().area.right, 561);
}

TEST(Engine, ButtonsChaptersAndTime) {
  if (!HaveDiscs()) GTEST_SKIP();
  Running r("ntsc_menu");
  ASSERT_GE(r.out.WaitFor(EC_DVD_STILL_ON), 0);
  // "Title 1 Chapter 2" goes through the root menu's pre-command.
  int from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoPointAt({300, 300}, true); }), S_OK);
  int title = r.out.WaitFor(EC_DVD_TITLE_CHANGE, Param1(1), from);
  ASSERT_GE(title, 0);
  ASSERT_GE(r.out.WaitFor(EC_DVD_CHAPTER_START, Param1(2), title), 0);
  EXPECT_GE(r.out.WaitFor(EC_DVD_STILL_OFF, nullptr, from), 0);
  // Time events count up from chapter 2's start (4 s).
  int t = r.out.WaitFor(EC_DVD_CURRENT_TIME, [](const RecordedEvent &e) { return ((e.p1 >> 12) & 0xF) >= 5; }, title);
  ASSERT_GE(t, 0);
  from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoNextChapter(); }), S_OK);
  ASSERT_GE(r.out.WaitFor(EC_DVD_CHAPTER_START, Param1(3), from), 0);
  from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoPrevChapter(); }), S_OK);
  ASSERT_GE(r.out.WaitFor(EC_DVD_CHAPTER_START, Param1(2), from), 0);
  ShownVobu v;
  LONGLONG time = 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_TRUE(r.engine.Shown(&v, &time));
  EXPECT_EQ(v.title, 1);
  EXPECT_GE(time, 4 * 90000 - 9000);
  EXPECT_LT(time, 8 * 90000);
}

TEST(Engine, DamagedDiscStopsWithErrors) {
  if (!HaveDiscs()) GTEST_SKIP();
  Running r("damaged", 16.0);
  ASSERT_EQ(r.opened, S_OK);
  ASSERT_GE(r.out.WaitFor(EC_DVD_STILL_ON), 0);
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoPlayTitle(1); }), S_OK);
  int err = r.out.WaitFor(EC_DVD_ERROR, nullptr, 0, 20);
  ASSERT_GE(err, 0);
  EXPECT_GE(r.out.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, err), 0);
  EXPECT_TRUE(r.engine.GetSnapshot().stopped);
  // The stop is final: no more events without a command.
  int n = r.out.EventCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(r.out.EventCount(), n);
}

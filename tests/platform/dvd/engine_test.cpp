// The navigator engine on the test discs, with a recording output and a clock that
// runs four times faster than the wall clock.
#include "dvd/engine.h"
#include "fake_output.h"
#include "support/fixtures.h"
#include "support/wait.h"

#include "dshow/errors.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dvd;

namespace {

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
  NEEDS_DISCS();
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
  EXPECT_EQ(s.buttons[1].x1, 559); // the disc stores the last column of the button, inclusive
  std::lock_guard g(r.out.m_);
  EXPECT_GT(r.out.samples[0], 0);
  EXPECT_GT(r.out.samples[2], 0); // the menu's highlight subpicture
  EXPECT_GE(r.out.drains, 1);
  ASSERT_FALSE(r.out.highlights.empty());
  EXPECT_TRUE(r.out.highlights.back().visible);
  EXPECT_EQ(r.out.highlights.back().area.left, 160);
  EXPECT_EQ(r.out.highlights.back().area.right, 560); // exclusive in the highlight record
}

TEST(Engine, ButtonsChaptersAndTime) {
  NEEDS_DISCS();
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
  // The Italian MPEG track: the audio stream's format changes with its next sample.
  from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoSetStreams(1, -1, -1, -1); }), S_OK);
  ASSERT_GE(r.out.WaitFor(EC_DVD_AUDIO_STREAM_CHANGE, Param1(1), from), 0);
  EXPECT_TRUE(WaitFor([&] {
    std::lock_guard g(r.out.m_);
    bool mpeg = false;
    for (const StreamFormat &f : r.out.formats)
      if (f.kind == StreamKind::Audio && f.coding == AudioCoding::Mpeg) mpeg = f.audio.languageCode == (('i' << 8) | 't');
    return mpeg;
  }, 5000)) << "no Italian MPEG audio format";
  ShownVobu v;
  media::Ticks90k time;
  ASSERT_TRUE(WaitFor([&] { return r.engine.Shown(&v, &time); }, 5000));
  EXPECT_EQ(v.title, 1);
  EXPECT_GE(time.ticks(), 4 * 90000 - 9000);
  EXPECT_LT(time.ticks(), 8 * 90000);
}

TEST(Engine, DamagedDiscStopsWithErrors) {
  NEEDS_DISCS();
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

TEST(Engine, AJumpWhileTheDecodersDrainForAStillPlaysTheNewPlace) {
  // A paused graph holds the drain before the menu's still; the user's jump comes in
  // meanwhile. The still of the menu left behind must not stop the title.
  NEEDS_DISCS();
  FakeOutput out(4.0);
  NavEngine engine(&out);
  ASSERT_EQ(engine.Open(FixturePath("ntsc_menu")), S_OK);
  std::shared_ptr<CommandState> jump;
  out.onDrain = [&] { jump = engine.Post([](NavEngine &e) { return e.DoPlayTitle(1); }); };
  engine.Run();
  int title = out.WaitFor(EC_DVD_DOMAIN_CHANGE, Param1(DVD_DOMAIN_Title));
  ASSERT_GE(title, 0);
  ASSERT_TRUE(jump);
  // The title plays: its time advances and no still holds it.
  int time = out.WaitFor(EC_DVD_CURRENT_TIME, nullptr, title, 5);
  EXPECT_GE(time, 0) << "the title does not play";
  EXPECT_FALSE(engine.GetSnapshot().still);
  auto ev = out.Events();
  for (std::size_t i = static_cast<std::size_t>(title); i < ev.size(); ++i)
    EXPECT_NE(ev[i].code, EC_DVD_STILL_ON) << "a still in the title";
  engine.Stop();
}

TEST(Engine, TitleAndChapterEventsComeWithTheirFirstPicture) {
  // The navigator reads about a second ahead of the screen; the events describe what
  // is on it, so they follow the stream time of the pictures they belong to, in
  // normal play and after a chapter skip.
  NEEDS_DISCS();
  Running r("ntsc_menu", 2.0);
  ASSERT_GE(r.out.WaitFor(EC_DVD_STILL_ON), 0);
  const int from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoPlayTitle(1); }), S_OK);
  const int domain = r.out.WaitFor(EC_DVD_DOMAIN_CHANGE, Param1(DVD_DOMAIN_Title), from);
  ASSERT_GE(domain, 0);
  const int chapter2 = r.out.WaitFor(EC_DVD_CHAPTER_START, Param1(2), domain, 10);
  ASSERT_GE(chapter2, 0);
  const int skip = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoNextChapter(); }), S_OK);
  const int chapter3 = r.out.WaitFor(EC_DVD_CHAPTER_START, Param1(3), skip, 10);
  ASSERT_GE(chapter3, 0);

  auto ev = r.out.Events();
  std::vector<FakeOutput::VideoStart> starts;
  {
    std::lock_guard g(r.out.m_);
    starts = r.out.videoStarts;
  }
  auto streamTimeOf = [&](int index) {
    return static_cast<REFERENCE_TIME>(ev[static_cast<std::size_t>(index)].wall * 2.0 * 1e7);
  };
  // The first picture read since the flush of the place an event describes (the
  // place of the last picture read before the event).
  auto placeStart = [&](int index) -> REFERENCE_TIME {
    int flushes = -1;
    for (const auto &s : starts)
      if (s.events <= static_cast<std::size_t>(index)) flushes = s.flushes;
    for (const auto &s : starts)
      if (s.flushes == flushes) return s.start;
    return -1;
  };
  const int title = r.out.WaitFor(EC_DVD_TITLE_CHANGE, Param1(1), domain, 0);
  ASSERT_GE(title, 0);
  const REFERENCE_TIME titleStart = placeStart(title);
  ASSERT_GE(titleStart, 0);
  constexpr REFERENCE_TIME kEarly = 400000, kLate = 1000000; // 40 ms early, 100 ms late
  // The first picture of a VOBU may lie a few frames past the VOBU's start.
  constexpr REFERENCE_TIME kReorder = 700000;
  EXPECT_GE(streamTimeOf(title), titleStart - kEarly - kReorder);
  EXPECT_LE(streamTimeOf(title), titleStart + kLate);
  // Chapter 2 begins 120 frames (4.004 s) into the title.
  const REFERENCE_TIME chapter2Start = titleStart + 40040000;
  EXPECT_GE(streamTimeOf(chapter2), chapter2Start - kEarly - kReorder) << "the chapter event ran ahead of its picture";
  EXPECT_LE(streamTimeOf(chapter2), chapter2Start + kLate);
  const REFERENCE_TIME skipStart = placeStart(chapter3);
  ASSERT_GE(skipStart, 0);
  EXPECT_GE(streamTimeOf(chapter3), skipStart - kEarly - kReorder) << "the skip's chapter event ran ahead of its picture";
  EXPECT_LE(streamTimeOf(chapter3), skipStart + kLate);
}

TEST(Engine, AStreamChosenWhileATitlePlaysIsHandedOnFromThePictureOnScreen) {
  // The navigator reads about a second ahead of the screen. A sound track or subtitles
  // chosen while the title plays must not wait for that second: only the chosen stream
  // is flushed and handed on again from the packets that belong to the picture on screen,
  // and a caption that began before subtitles were switched on is handed on too.
  if (!HaveDiscs()) GTEST_SKIP();
  Running r("ntsc_menu", 2.0);
  ASSERT_GE(r.out.WaitFor(EC_DVD_STILL_ON), 0);
  const int from = r.out.EventCount();
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoPlayTitle(1); }), S_OK);
  const int domain = r.out.WaitFor(EC_DVD_DOMAIN_CHANGE, Param1(DVD_DOMAIN_Title), from);
  ASSERT_GE(domain, 0);
  // One second into the title: the caption of chapter 1 shows from 0.5 s to 3.5 s.
  const int first = r.out.WaitFor(EC_DVD_CURRENT_TIME, nullptr, domain);
  ASSERT_GE(first, 0);
  ASSERT_GE(r.out.WaitFor(EC_DVD_CURRENT_TIME, nullptr, first + 1), 0);
  std::size_t sound = 0, pictures = 0;
  int flushes = 0;
  {
    std::lock_guard g(r.out.m_);
    sound = r.out.streamSamples[1].size();
    pictures = r.out.streamSamples[2].size();
    flushes = r.out.flushes;
    ASSERT_GT(pictures, 0u) << "the subpicture stream is not read while subtitles are off";
  }
  REFERENCE_TIME before = 0, after = 0;
  r.out.Now(&before);
  ASSERT_EQ(r.Do([](NavEngine &e) { return e.DoSetStreams(1, 0, 1, -1); }), S_OK);
  r.out.Now(&after);
  // Let the reading go on past the second it ran ahead.
  const int now = r.out.EventCount();
  ASSERT_GE(r.out.WaitFor(EC_DVD_CURRENT_TIME, nullptr, now), 0);
  ASSERT_GE(r.out.WaitFor(EC_DVD_CURRENT_TIME, nullptr, r.out.EventCount()), 0);

  std::lock_guard g(r.out.m_);
  EXPECT_EQ(r.out.flushes, flushes) << "the picture was flushed too";
  EXPECT_EQ(r.out.streamFlushes[0], 0);
  EXPECT_EQ(r.out.streamFlushes[1], 1);
  EXPECT_EQ(r.out.streamFlushes[2], 1);
  constexpr REFERENCE_TIME kPacket = 2000000; // a sound packet holds well under 200 ms

  const auto &s = r.out.streamSamples[1];
  ASSERT_GT(s.size(), sound + 10);
  const FakeOutput::StreamSample &head = s[sound];
  EXPECT_TRUE(head.discontinuity);
  EXPECT_EQ(head.newCoding, AudioCoding::Mpeg);
  ASSERT_TRUE(head.hasTime);
  EXPECT_LE(head.start, after + kPacket) << "the new track starts where the reading was, not on screen";
  EXPECT_GE(head.start, before - kPacket);
  // From there the track goes on without a hole or a repeat, into what is read later
  // (up to the end of the chapter, where the next cell's sound begins anew).
  REFERENCE_TIME last = head.start;
  int stamped = 0;
  for (std::size_t i = sound + 1; i < s.size(); ++i) {
    if (!s[i].hasTime) continue;
    if (s[i].start > after + 20000000) break;
    ++stamped;
    EXPECT_GT(s[i].start, last) << "sample " << i - sound;
    EXPECT_LT(s[i].start - last, kPacket) << "sample " << i - sound << " at " << (s[i].start - after) / 10000
                                          << " ms after the choice, read " << (s[i].wall - s[sound].wall) * 1000
                                          << " ms after the first";
    last = s[i].start;
    EXPECT_FALSE(s[i].discontinuity);
  }
  EXPECT_GT(last, after + 15000000) << "the reading did not go on";
  EXPECT_GT(stamped, 10);

  const auto &p = r.out.streamSamples[2];
  ASSERT_GT(p.size(), pictures);
  EXPECT_TRUE(p[pictures].discontinuity);
  ASSERT_TRUE(p[pictures].hasTime);
  // The caption under way: its unit began half a second before the choice.
  EXPECT_LT(p[pictures].start, before - 3000000);
}

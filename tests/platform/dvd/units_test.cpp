// Pure pieces of the navigator: time codes, languages, pointing, bookmark records and
// the pack demultiplexer.
#include "dshow/errors.h"
#include "dvd/demux.h"
#include "dvd/languages.h"
#include "dvd/pointing.h"
#include "dvd/recent_packets.h"
#include "dvd/state_record.h"
#include "dvd/timecode.h"
#include "dvd/timeline.h"
#include "support/fixtures.h"
#include "win/locale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace dvd;

namespace {
media::StreamTime T(REFERENCE_TIME t) { return media::StreamTime(t); }
media::Pts90k P(LONGLONG pts) { return media::Pts90k(pts); }
} // namespace

TEST(Timecode, BcdPackingPutsEachDigitInItsNibble) {
  // 12:34:56 frame 23 at 30 fps: hour units 2 in 28-31, hour tens 1 in 24-27, ...
  DVD_HMSF_TIMECODE tc{12, 34, 56, 23};
  DWORD packed = PackBcdTime(tc, FrameRate::Fps30);
  EXPECT_EQ(packed >> 28, 2u);
  EXPECT_EQ((packed >> 24) & 0xF, 1u);
  EXPECT_EQ((packed >> 20) & 0xF, 4u);
  EXPECT_EQ((packed >> 16) & 0xF, 3u);
  EXPECT_EQ((packed >> 12) & 0xF, 6u);
  EXPECT_EQ((packed >> 8) & 0xF, 5u);
  EXPECT_EQ((packed >> 4) & 0xF, 3u);
  EXPECT_EQ((packed >> 2) & 0x3, 2u);
  EXPECT_EQ(packed & 0x3, 3u);
  EXPECT_EQ(packed, 0x2143653Bu);
  EXPECT_EQ(PackBcdTime({1, 2, 3, 4}, FrameRate::Fps25), 0x10203041u);

  DVD_HMSF_TIMECODE back{};
  FrameRate rate{};
  ASSERT_TRUE(UnpackBcdTime(packed, &back, &rate));
  EXPECT_EQ(rate, FrameRate::Fps30);
  EXPECT_EQ(back.bHours, 12);
  EXPECT_EQ(back.bMinutes, 34);
  EXPECT_EQ(back.bSeconds, 56);
  EXPECT_EQ(back.bFrames, 23);
  EXPECT_FALSE(UnpackBcdTime(0xA0000001u, &back, &rate)); // not a decimal digit
  EXPECT_FALSE(UnpackBcdTime(0x00000002u, &back, &rate)); // unknown rate code
}

TEST(Timecode, HmsfAndTicks) {
  EXPECT_EQ(PackHmsf({1, 2, 3, 4}), 0x04030201u);
  DVD_HMSF_TIMECODE tc = TimecodeFrom90k(media::Ticks90k(90000LL * 3723 + 45000), FrameRate::Fps25);
  EXPECT_EQ(tc.bHours, 1);
  EXPECT_EQ(tc.bMinutes, 2);
  EXPECT_EQ(tc.bSeconds, 3);
  EXPECT_EQ(tc.bFrames, 12);
  EXPECT_EQ(TimecodeFrom90k(media::Ticks90k(-5), FrameRate::Fps30).bSeconds, 0);
  EXPECT_EQ(TimecodeFrom90k(media::Ticks90k(90000LL * 3600 * 120), FrameRate::Fps30).bHours, 99);
  EXPECT_EQ(TimecodeTo90k({0, 1, 2, 15}, FrameRate::Fps30).ticks(), 62 * 90000LL + 45000);
}

TEST(Languages, DiscCodesMapToIdentifiersWithEnglishNames) {
  EXPECT_EQ(LcidFromIsoCode(IsoCode('e', 'n')), 0x0409u);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('i', 't')), 0x0410u);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('F', 'R')), 0x040Cu);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('d', 'e')), 0x0407u);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('e', 's')), 0x0C0Au);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('j', 'a')), 0x0411u);
  EXPECT_EQ(LcidFromIsoCode(0), 0u);
  EXPECT_EQ(LcidFromIsoCode(0xFFFF), 0u);
  EXPECT_EQ(LcidFromIsoCode(IsoCode('x', 'x')), 0u);

  // Every code a disc may carry has a name.
  int known = 0;
  for (char a = 'a'; a <= 'z'; ++a)
    for (char b = 'a'; b <= 'z'; ++b) {
      DWORD lcid = LcidFromIsoCode(IsoCode(a, b));
      if (!lcid) continue;
      ++known;
      char name[64];
      EXPECT_GT(GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, name, sizeof name), 1) << a << b;
    }
  EXPECT_GE(known, 40);
}

TEST(Locale, ItalianLanguageNamesForTheUserInterface) {
  char buf[32];
  EXPECT_EQ(GetLocaleInfoA(0x0410, LOCALE_SLANGUAGE, buf, sizeof buf), 9);
  EXPECT_STREQ(buf, "Italiano");
  EXPECT_EQ(GetLocaleInfoA(0x0809, LOCALE_SLANGUAGE, buf, sizeof buf), 8);
  EXPECT_STREQ(buf, "Inglese");
  EXPECT_EQ(GetLocaleInfoA(0x0C1A, LOCALE_SLANGUAGE, buf, sizeof buf), 6);
  EXPECT_STREQ(buf, "Serbo");
  EXPECT_EQ(GetLocaleInfoA(0x0410, LOCALE_SLANGUAGE, buf, 8), 0); // too small
  EXPECT_EQ(GetLocaleInfoA(0x0400, LOCALE_SLANGUAGE, buf, sizeof buf), 0);
  // Every language with an English name has an Italian one.
  for (LCID id = 1; id < 0x60; ++id)
    EXPECT_EQ(GetLocaleInfoA(0x0400 | id, LOCALE_SENGLANGUAGE, nullptr, 0) > 0,
              GetLocaleInfoA(0x0400 | id, LOCALE_SLANGUAGE, nullptr, 0) > 0) << id;
}

TEST(Locale, EnglishLanguageNames) {
  char buf[32];
  EXPECT_EQ(GetLocaleInfoA(0x0410, LOCALE_SENGLANGUAGE, buf, sizeof buf), 8);
  EXPECT_STREQ(buf, "Italian");
  EXPECT_EQ(GetLocaleInfoA(0x0809, LOCALE_SENGLANGUAGE, buf, sizeof buf), 8); // English (UK)
  EXPECT_STREQ(buf, "English");
  EXPECT_EQ(GetLocaleInfoA(0x0C1A, LOCALE_SENGLANGUAGE, buf, sizeof buf), 8);
  EXPECT_STREQ(buf, "Serbian");
  EXPECT_EQ(GetLocaleInfoA(0x041A, LOCALE_SENGLANGUAGE, buf, sizeof buf), 9);
  EXPECT_STREQ(buf, "Croatian");
  EXPECT_EQ(GetLocaleInfoA(0x0410, LOCALE_SENGLANGUAGE, nullptr, 0), 8); // size query
  EXPECT_EQ(GetLocaleInfoA(0x0410, LOCALE_SENGLANGUAGE, buf, 7), 0);     // too small
  EXPECT_EQ(GetLocaleInfoA(0x0400, LOCALE_SENGLANGUAGE, buf, sizeof buf), 0);
  EXPECT_EQ(GetLocaleInfoA(0x04FF, LOCALE_SENGLANGUAGE, buf, sizeof buf), 0);
  EXPECT_EQ(GetLocaleInfoA(0x0409, 0x1002, buf, sizeof buf), 0);
  EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SENGLANGUAGE, nullptr, 10), 0);
}

TEST(Pointing, MapsThroughScalingAndLetterbox) {
  POINT p{};
  // Native size.
  ASSERT_TRUE(WindowToPicture({0, 0, 720, 480}, 720, 480, {160, 120}, &p));
  EXPECT_EQ(p.x, 160);
  EXPECT_EQ(p.y, 120);
  // Twice the size.
  ASSERT_TRUE(WindowToPicture({0, 0, 1440, 960}, 720, 480, {1119, 359}, &p));
  EXPECT_EQ(p.x, 559);
  EXPECT_EQ(p.y, 179);
  // 16:9 letterboxed in a 4:3 window: 640 x 360 picture at y 60..420.
  ASSERT_TRUE(WindowToPicture({0, 60, 640, 420}, 720, 576, {320, 240}, &p));
  EXPECT_EQ(p.x, 360);
  EXPECT_EQ(p.y, 288);
  EXPECT_FALSE(WindowToPicture({0, 60, 640, 420}, 720, 576, {320, 30}, &p)); // on the bar
  EXPECT_FALSE(WindowToPicture({0, 60, 640, 420}, 720, 576, {320, 420}, &p)); // exclusive bottom
  EXPECT_FALSE(WindowToPicture({0, 0, 0, 0}, 720, 576, {0, 0}, &p));
  // The last window pixel maps into the picture.
  ASSERT_TRUE(WindowToPicture({10, 10, 373, 251}, 720, 480, {372, 250}, &p));
  EXPECT_EQ(p.x, 719);
  EXPECT_EQ(p.y, 479);

  std::vector<ButtonArea> buttons = {{1, 160, 120, 559, 179}, {2, 160, 200, 559, 259}};
  EXPECT_EQ(ButtonAt(buttons, {160, 120}), 1);
  EXPECT_EQ(ButtonAt(buttons, {559, 179}), 1); // inclusive edges
  EXPECT_EQ(ButtonAt(buttons, {300, 230}), 2);
  EXPECT_EQ(ButtonAt(buttons, {300, 190}), 0);
}

namespace {
StateRecord SampleState() {
  StateRecord s;
  s.discId = 0x0123456789ABCDEFull;
  s.domain = 4;
  s.title = 1;
  s.chapter = 2;
  s.pgcn = 1;
  s.pgn = 2;
  s.time90k = media::Ticks90k(6 * 90000 + 24000);
  s.pgcSector = 300;
  s.audio = 1;
  s.subpicture = 0x40;
  s.angle = 1;
  return s;
}
} // namespace

TEST(StateRecord, RoundTripsAndRefusesDamage) {
  std::vector<BYTE> bytes = SerializeState(SampleState());
  ASSERT_EQ(bytes.size(), kStateRecordSize);
  StateRecord back;
  ASSERT_EQ(ParseState(bytes.data(), bytes.size(), &back), S_OK);
  EXPECT_EQ(back.discId, 0x0123456789ABCDEFull);
  EXPECT_EQ(back.chapter, 2);
  EXPECT_EQ(back.time90k.ticks(), 6 * 90000 + 24000);
  EXPECT_EQ(back.audio, 1);
  EXPECT_EQ(back.subpicture, 0x40);

  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_EQ(ParseState(bytes.data(), n, &back), VFW_E_DVD_STATE_CORRUPT) << "truncated at " << n;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 5) continue; // the version field
    std::vector<BYTE> damaged = bytes;
    damaged[i] ^= 0x10;
    EXPECT_EQ(ParseState(damaged.data(), damaged.size(), &back), VFW_E_DVD_STATE_CORRUPT) << "byte " << i;
  }
  std::vector<BYTE> newer = bytes;
  newer[4] = 2;
  EXPECT_EQ(ParseState(newer.data(), newer.size(), &back), VFW_E_DVD_STATE_WRONG_VERSION);

  // Well-formed records with values no navigator writes are refused too.
  StateRecord bad = SampleState();
  bad.domain = 9;
  std::vector<BYTE> b1 = SerializeState(bad);
  EXPECT_EQ(ParseState(b1.data(), b1.size(), &back), VFW_E_DVD_STATE_CORRUPT);
  bad = SampleState();
  bad.audio = 9;
  std::vector<BYTE> b2 = SerializeState(bad);
  EXPECT_EQ(ParseState(b2.data(), b2.size(), &back), VFW_E_DVD_STATE_CORRUPT);
  bad = SampleState();
  bad.title = 0; // a title domain without a title
  std::vector<BYTE> b3 = SerializeState(bad);
  EXPECT_EQ(ParseState(b3.data(), b3.size(), &back), VFW_E_DVD_STATE_CORRUPT);
}

TEST(StateRecord, BytesStayThoseOfSavedBookmarks) {
  // Bookmarks saved by earlier builds are read back: the record's bytes never change.
  const std::vector<BYTE> saved = {
      0x51, 0x44, 0x56, 0x53, 0x01, 0x00, 0x22, 0x00, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01,
      0x04, 0x01, 0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x20, 0x9B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x2C, 0x01, 0x00, 0x00, 0x01, 0x40, 0x01, 0x0F, 0x00, 0x00, 0xDB, 0x73, 0x2A, 0x26};
  EXPECT_EQ(SerializeState(SampleState()), saved);
  StateRecord back;
  ASSERT_EQ(ParseState(saved.data(), saved.size(), &back), S_OK);
  EXPECT_EQ(back.time90k.ticks(), 6 * 90000 + 24000);
  EXPECT_EQ(back.pgcSector, 300u);
}

namespace {
// Builds a pack: MPEG-2 pack header, then the given PES packets, then padding.
std::vector<BYTE> MakePack(const std::vector<std::vector<BYTE>> &packets) {
  std::vector<BYTE> pack = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 0x01, 0x89, 0xC3, 0xF8};
  for (const auto &p : packets) pack.insert(pack.end(), p.begin(), p.end());
  std::size_t left = kPackSize - pack.size();
  if (left >= 6) {
    std::size_t n = left - 6;
    std::vector<BYTE> pad = {0, 0, 1, 0xBE, static_cast<BYTE>(n >> 8), static_cast<BYTE>(n)};
    pad.resize(left, 0xFF);
    pack.insert(pack.end(), pad.begin(), pad.end());
  }
  return pack;
}

std::vector<BYTE> Pes(BYTE id, const std::vector<BYTE> &body, long long pts = -1) {
  std::vector<BYTE> h = {0x80, static_cast<BYTE>(pts >= 0 ? 0x80 : 0), static_cast<BYTE>(pts >= 0 ? 5 : 0)};
  if (pts >= 0) {
    h.push_back(static_cast<BYTE>(0x21 | ((pts >> 29) & 0x0E)));
    h.push_back(static_cast<BYTE>(pts >> 22));
    h.push_back(static_cast<BYTE>(((pts >> 14) & 0xFE) | 1));
    h.push_back(static_cast<BYTE>(pts >> 7));
    h.push_back(static_cast<BYTE>(((pts << 1) & 0xFE) | 1));
  }
  std::size_t len = h.size() + body.size();
  std::vector<BYTE> out = {0, 0, 1, id, static_cast<BYTE>(len >> 8), static_cast<BYTE>(len)};
  out.insert(out.end(), h.begin(), h.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}
} // namespace

TEST(Demux, SplitsPrivateStreamsAndStripsTheirHeaders) {
  std::vector<BYTE> video = {0, 0, 1, 0xB3, 1, 2, 3};
  std::vector<BYTE> ac3 = {0x81, 1, 0, 1, 0x0B, 0x77, 9};             // sub-stream, 3-byte header, frame
  std::vector<BYTE> lpcm = {0xA0, 1, 0, 4, 0, 0x81, 0x80, 0x11, 0x22}; // 0x81: 24 bit, 48 kHz, 2 channels
  std::vector<BYTE> spu = {0x21, 0xAA, 0xBB};
  std::vector<BYTE> mp2 = {0xFF, 0xFD};
  auto pack = MakePack({Pes(0xE0, video, 0x1FFFFFFFFLL), Pes(0xBD, ac3, 3003), Pes(0xBD, lpcm),
                        Pes(0xBD, spu, 90000), Pes(0xC1, mp2)});
  PesPacket out[8];
  ASSERT_EQ(DemuxPack(pack.data(), pack.size(), out, 8), 5);
  EXPECT_EQ(out[0].kind, StreamKind::Video);
  EXPECT_TRUE(out[0].hasPts);
  EXPECT_EQ(out[0].pts.value(), 0x1FFFFFFFFLL);
  EXPECT_TRUE(out[0].startsKeyFrame);
  EXPECT_EQ(std::vector<BYTE>(out[0].payload, out[0].payload + out[0].size), video);
  EXPECT_EQ(out[1].coding, AudioCoding::Ac3);
  EXPECT_EQ(out[1].number, 1);
  EXPECT_EQ(out[1].pts.value(), 3003);
  EXPECT_EQ(std::vector<BYTE>(out[1].payload, out[1].payload + out[1].size), (std::vector<BYTE>{0x0B, 0x77, 9}));
  EXPECT_EQ(out[2].coding, AudioCoding::Lpcm);
  EXPECT_FALSE(out[2].hasPts);
  EXPECT_EQ(out[2].lpcm.channels, 2);
  EXPECT_EQ(out[2].lpcm.sampleRate, 48000);
  EXPECT_EQ(out[2].lpcm.bitsPerSample, 24);
  EXPECT_EQ(std::vector<BYTE>(out[2].payload, out[2].payload + out[2].size), (std::vector<BYTE>{0x11, 0x22}));
  EXPECT_EQ(out[3].kind, StreamKind::Subpicture);
  EXPECT_EQ(out[3].number, 1);
  EXPECT_EQ(out[3].size, 2u);
  EXPECT_EQ(out[4].coding, AudioCoding::Mpeg);
  EXPECT_EQ(out[4].number, 1);
}

TEST(Demux, FindsKeyFrameStartsAnywhereInAVideoPayload) {
  auto keyFrame = [](const std::vector<BYTE> &body) {
    auto pack = MakePack({Pes(0xE0, body)});
    PesPacket out[2];
    return DemuxPack(pack.data(), pack.size(), out, 2) == 1 && out[0].startsKeyFrame;
  };
  std::vector<BYTE> slice(300, 0x55);
  auto with = [&](std::vector<BYTE> tail) {
    std::vector<BYTE> b = slice;
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  EXPECT_TRUE(keyFrame({0, 0, 1, 0xB3}));             // sequence header at the start
  EXPECT_TRUE(keyFrame(with({0, 0, 0, 1, 0xB8})));    // a group after a longer run of zeros
  EXPECT_TRUE(keyFrame(with({0, 0, 1, 0, 0, 1 << 3}))); // an I-picture, the last bytes
  EXPECT_FALSE(keyFrame(with({0, 0, 1, 0, 0, 2 << 3}))); // a P-picture
  EXPECT_FALSE(keyFrame(with({0, 0, 1, 0, 0x08})));     // a picture header cut before its type
  EXPECT_FALSE(keyFrame(with({0, 1, 0xB3, 0, 0, 1})));  // one zero is no start code; nor is a code without its value
  EXPECT_FALSE(keyFrame(with({1, 1, 0, 0, 1, 0x01})));  // a slice
  EXPECT_FALSE(keyFrame(slice));
}

TEST(Demux, RefusesMalformedPacks) {
  PesPacket out[8];
  auto good = MakePack({Pes(0xE0, {1, 2, 3})});
  std::vector<BYTE> bad = good;
  bad[3] = 0xBB; // not a pack header
  EXPECT_EQ(DemuxPack(bad.data(), bad.size(), out, 8), -1);
  bad = good;
  bad[18] = 0x40; // PES length runs past the pack
  EXPECT_EQ(DemuxPack(bad.data(), bad.size(), out, 8), -1);
  EXPECT_EQ(DemuxPack(good.data(), 10, out, 8), -1);
  EXPECT_EQ(DemuxPack(nullptr, 2048, out, 8), -1);
  // A short private-stream packet cannot hold its sub-stream header.
  auto shortAc3 = MakePack({Pes(0xBD, {0x80, 1})});
  EXPECT_EQ(DemuxPack(shortAc3.data(), shortAc3.size(), out, 8), -1);
  // More packets than room: the count stops at maxOut.
  auto many = MakePack({Pes(0xE0, {1}), Pes(0xE0, {2}), Pes(0xE0, {3})});
  EXPECT_EQ(DemuxPack(many.data(), many.size(), out, 2), 2);
}

TEST(Demux, ReadsTheTestDiscTitleSet) {
  std::ifstream f(FixturePath("ntsc_menu/VIDEO_TS/VTS_01_1.VOB"), std::ios::binary);
  NEEDS(f) << "test discs not built in " << FixtureDir();
  std::vector<BYTE> vob((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_EQ(vob.size() % kPackSize, 0u);
  std::map<std::pair<int, int>, int> counts; // (kind, sub id or stream id) -> packets
  int keyFrames = 0, withPts = 0;
  for (std::size_t off = 0; off < vob.size(); off += kPackSize) {
    PesPacket out[16];
    int n = DemuxPack(vob.data() + off, kPackSize, out, 16);
    ASSERT_GE(n, 0) << "pack " << off / kPackSize;
    for (int i = 0; i < n; ++i) {
      counts[{static_cast<int>(out[i].kind), out[i].subId ? out[i].subId : out[i].streamId}]++;
      keyFrames += out[i].startsKeyFrame;
      withPts += out[i].hasPts;
    }
  }
  EXPECT_GT((counts[{static_cast<int>(StreamKind::Video), 0xE0}]), 500);
  EXPECT_GT((counts[{static_cast<int>(StreamKind::Audio), 0x80}]), 10);  // AC-3 English
  EXPECT_GT((counts[{static_cast<int>(StreamKind::Audio), 0xC0}]), 10);  // MPEG Italian
  EXPECT_GT((counts[{static_cast<int>(StreamKind::Subpicture), 0x20}]), 0);
  EXPECT_GT((counts[{static_cast<int>(StreamKind::Navigation), 0xBF}]), 40);
  EXPECT_GE(keyFrames, 36); // a group of pictures every 15 frames, 540 frames in all
  EXPECT_GT(withPts, 100);
}

TEST(Timeline, KeepsContinuingVobusAndRebasesOthers) {
  Timeline t;
  const REFERENCE_TIME margin = UNITS / 4;
  // The first VOBU starts a margin after now.
  EXPECT_EQ(t.OnVobu(P(48003), P(87042), T(10 * UNITS), T(margin)).ticks(), 10 * UNITS + margin);
  EXPECT_EQ(t.ToStream(P(48003 + 9000)).ticks(), 10 * UNITS + margin + UNITS / 10);
  // The next one continues it, whatever the clock says.
  EXPECT_EQ(t.OnVobu(P(87042), P(126081), T(99 * UNITS), T(margin)).ticks(),
            10 * UNITS + margin + media::ToStreamTime(media::Ticks90k(87042 - 48003)).ticks());
  // A new cell restarts the disc times: it follows what was delivered, without a gap.
  const REFERENCE_TIME end = t.ToStream(P(126081)).ticks();
  EXPECT_EQ(t.DeliveredEnd().ticks(), end);
  EXPECT_EQ(t.OnVobu(P(48003), P(87042), T(10 * UNITS), T(margin)).ticks(), end);
  // After a flush it starts from the clock again.
  t.Break();
  EXPECT_FALSE(t.Mapped());
  EXPECT_EQ(t.OnVobu(P(48003), P(87042), T(20 * UNITS), T(margin)).ticks(), 20 * UNITS + margin);
  // Presentation times wrap at 33 bits.
  t.MapAt(P((1u << 31) + 5000), P(7000), T(0));
  EXPECT_EQ(t.ToStream(P(((1LL << 33) - 90000 + ((1LL << 31) + 5000)) % (1LL << 33))).ticks(), -UNITS);
  Timeline w;
  w.MapAt(P(0), P(90000), T(5 * UNITS));
  EXPECT_EQ(w.ToStream(P((1LL << 33) - 9000)).ticks(), 5 * UNITS - UNITS / 10); // just before the anchor, across the wrap
}

TEST(Timeline, ShownHistoryFollowsTheClock) {
  ShownHistory h;
  ShownVobu a;
  a.streamStart = T(10 * UNITS);
  a.time90k = media::Ticks90k(90000);
  a.duration90k = media::Ticks90k(45000);
  a.title = 1;
  ShownVobu b = a;
  b.streamStart = T(10 * UNITS + UNITS / 2);
  b.time90k = media::Ticks90k(135000);
  h.Push(a);
  h.Push(b);
  ShownVobu v;
  media::Ticks90k t;
  ASSERT_TRUE(h.At(T(9 * UNITS), &v, &t)); // before anything is shown: the first one
  EXPECT_EQ(t.ticks(), 90000);
  ASSERT_TRUE(h.At(T(10 * UNITS + UNITS / 4), &v, &t));
  EXPECT_EQ(t.ticks(), 90000 + 22500);
  ASSERT_TRUE(h.At(T(20 * UNITS), &v, &t)); // the last picture stays: no time past its VOBU
  EXPECT_EQ(t.ticks(), 135000 + 45000);
  // A VOBU mapped earlier replaces the later ones (the stream went back).
  ShownVobu c = a;
  c.streamStart = T(10 * UNITS + UNITS / 10);
  c.time90k = media::Ticks90k(900000);
  h.Push(c);
  ASSERT_TRUE(h.At(T(20 * UNITS), &v, &t));
  EXPECT_EQ(v.time90k.ticks(), 900000);
  h.Clear();
  EXPECT_FALSE(h.At(T(20 * UNITS), &v, &t));
}

TEST(Timeline, ShownTimeOfADamagedVobuStaysAtItsStart) {
  // A navigation packet whose VOBU ends before it starts gives a negative duration: the
  // picture's time is the VOBU's start, never earlier (a time before the chain's start
  // made a bookmark that could not be read back).
  ShownHistory h;
  ShownVobu a;
  a.streamStart = T(10 * UNITS);
  a.time90k = media::Ticks90k(0);
  a.duration90k = media::Pts90k(1000) - media::Pts90k(46000);
  a.title = 1;
  h.Push(a);
  ShownVobu v;
  media::Ticks90k t(-1);
  ASSERT_TRUE(h.At(T(10 * UNITS + UNITS / 4), &v, &t));
  EXPECT_EQ(t.ticks(), 0);
  ASSERT_TRUE(h.At(T(9 * UNITS), &v, &t));
  EXPECT_EQ(t.ticks(), 0);
}

TEST(RecentPackets, HandsOnAStreamFromThePacketInEffectAndForgetsWhatIsTooOld) {
  RecentPackets r;
  const BYTE data[4] = {1, 2, 3, 4};
  constexpr REFERENCE_TIME ms = 10000;
  // Two sound tracks interleaved, 100 ms per packet, an unstamped packet after each stamp.
  for (int i = 0; i < 50; ++i) {
    const REFERENCE_TIME t = i * 100 * ms;
    for (int id : {0x80, 0xC1}) {
      r.Keep(StreamKind::Audio, id, data, sizeof data, true, T(t));
      r.Keep(StreamKind::Audio, id, data, 2, false, T(0));
    }
  }
  // Sound is kept three seconds behind the newest packet (4.9 s): from 1.9 s on.
  media::StreamTime oldest(-1);
  ASSERT_TRUE(r.Oldest(StreamKind::Audio, &oldest));
  EXPECT_EQ(oldest.ticks(), 1900 * ms);
  // From the packet playing at 2.55 s: the one stamped 2.5 s, its unstamped follower, and on.
  std::vector<const KeptPacket *> from = r.From(StreamKind::Audio, 0xC1, T(2550 * ms));
  ASSERT_EQ(from.size(), 2u * 25);
  EXPECT_TRUE(from[0]->hasTime);
  EXPECT_EQ(from[0]->start.ticks(), 2500 * ms);
  EXPECT_FALSE(from[1]->hasTime);
  EXPECT_EQ(from[1]->payload.size(), 2u);
  for (const KeptPacket *p : from) EXPECT_EQ(p->id, 0xC1);
  // Earlier than anything kept: from the first stamped packet; a stream never read: nothing.
  EXPECT_EQ(r.From(StreamKind::Audio, 0x80, T(0)).front()->start.ticks(), 1900 * ms);
  EXPECT_TRUE(r.From(StreamKind::Audio, 0x81, T(2550 * ms)).empty());
  EXPECT_TRUE(r.From(StreamKind::Video, 0x80, T(2550 * ms)).empty());

  // Subpictures are kept much longer: a caption may have begun long before it ends.
  for (int i = 0; i < 40; ++i) r.Keep(StreamKind::Subpicture, 0x20, data, sizeof data, true, T(i * 500 * ms));
  ASSERT_TRUE(r.Oldest(StreamKind::Subpicture, &oldest));
  EXPECT_EQ(oldest.ticks(), 4500 * ms); // 15 s behind 19.5 s
  EXPECT_EQ(r.From(StreamKind::Subpicture, 0x20, T(10200 * ms)).front()->start.ticks(), 10000 * ms);

  // The bytes are bounded whatever the times say.
  std::vector<BYTE> big(64 << 10, 7);
  for (int i = 0; i < 200; ++i) r.Keep(StreamKind::Audio, 0x80, big.data(), big.size(), true, T(5000 * ms));
  EXPECT_LE(r.Bytes(StreamKind::Audio), RecentPackets::kMaxBytes);
  EXPECT_GT(r.Bytes(StreamKind::Audio), RecentPackets::kMaxBytes - big.size() - 1);

  r.Clear();
  EXPECT_EQ(r.Bytes(StreamKind::Audio), 0u);
  EXPECT_FALSE(r.Oldest(StreamKind::Subpicture, &oldest));
}

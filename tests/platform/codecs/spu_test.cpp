// Subpicture units of the authored title: reassembly, display times, the display
// switch and forced units, and damaged units refused without harm.
#include "codecs/spu_overlay.h"
#include "codecs/spu_parser.h"
#include "media/vob_reader.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <vector>

using namespace codecs;

namespace {

constexpr long long kSecond = 10000000;

std::vector<SpuUnit> TitleUnits() {
  std::vector<SpuUnit> units;
  testmedia::VobReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(FixturePath("ntsc_menu/VIDEO_TS/VTS_01_1.VOB"), &error)) << error;
  SpuAssembler assembler;
  testmedia::VobPacket p;
  while (reader.Next(&p)) {
    if (p.kind != testmedia::StreamKind::Subpicture) continue;
    if (auto unit = assembler.Add(p.data.data(), p.data.size(), p.hasTime ? MaybeTime(media::StreamTime(p.time)) : std::nullopt)) units.push_back(*unit);
  }
  return units;
}

// Pixels of a 720 x 480 grey picture that the overlay changed.
int Drawn(SubpictureOverlay &overlay, long long time) {
  std::vector<uint8_t> rgb(720 * 480 * 4, 128);
  overlay.Apply(rgb.data(), 720 * 4, 720, 480, media::StreamTime(time));
  int changed = 0;
  for (std::size_t i = 0; i < rgb.size(); i += 4) changed += rgb[i] != 128 || rgb[i + 1] != 128 || rgb[i + 2] != 128;
  return changed;
}

} // namespace

TEST(Spu, TitleCaptionsHaveTheirTimesAndShowOnlyWhileDisplayIsOn) {
  std::vector<SpuUnit> units = TitleUnits();
  ASSERT_EQ(units.size(), 3u); // one caption per chapter of title 1
  std::vector<SpuPicture> pics;
  for (const SpuUnit &u : units) {
    auto pic = ParseSpu(u);
    ASSERT_TRUE(pic);
    EXPECT_FALSE(pic->forced);
    ASSERT_TRUE(pic->stop);
    // Shown 0.5 s .. 3.5 s into each chapter of 4.004 s.
    EXPECT_NEAR(static_cast<double>((*pic->stop - *pic->start).ticks()), 3.0 * kSecond, 0.05 * kSecond);
    EXPECT_GT(pic->y, 300); // near the bottom
    pics.push_back(*pic);
  }
  EXPECT_NEAR(static_cast<double>((*pics[1].start - *pics[0].start).ticks()), 4.004 * kSecond, 0.05 * kSecond);

  SubpictureOverlay overlay;
  for (const SpuPicture &p : pics) overlay.Add(p);
  const long long t = pics[0].start->ticks();
  EXPECT_EQ(Drawn(overlay, t - kSecond / 10), 0);
  EXPECT_GT(Drawn(overlay, t + kSecond), 1000);
  overlay.SetDisplay(false);
  EXPECT_EQ(Drawn(overlay, t + kSecond), 0);
  overlay.SetDisplay(true);
  EXPECT_EQ(Drawn(overlay, pics[0].stop->ticks() + kSecond / 10), 0);
  EXPECT_GT(Drawn(overlay, pics[1].start->ticks() + kSecond), 1000);
}

TEST(Spu, ForcedUnitsAndMenuHighlightsShowWithDisplayOff) {
  auto pic = ParseSpu(TitleUnits().at(0));
  ASSERT_TRUE(pic);
  SubpictureOverlay overlay;
  overlay.SetDisplay(false);
  SpuPicture forced = *pic;
  forced.forced = true;
  overlay.Add(forced);
  EXPECT_GT(Drawn(overlay, pic->start->ticks() + kSecond), 1000);

  SubpictureOverlay menu;
  menu.SetDisplay(false);
  menu.Add(*pic);
  EXPECT_EQ(Drawn(menu, pic->start->ticks() + kSecond), 0);
  DvdHighlight h{};
  h.visible = TRUE;
  h.area = RECT{0, 0, 720, 480};
  for (int i = 0; i < 4; ++i) h.contrast[i] = 15, h.colour[i] = static_cast<BYTE>(15 - i);
  menu.SetHighlight(h);
  EXPECT_GT(Drawn(menu, pic->start->ticks() + kSecond), 1000);
}

TEST(Spu, DamagedUnitsAreRefusedWithoutHarm) {
  const SpuUnit good = TitleUnits().at(0);
  int parsed = 0;
  for (std::size_t cut = 0; cut < good.bytes.size(); cut += 7) {
    SpuUnit u{std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + static_cast<long>(cut)), good.pts};
    if (ParseSpu(u)) ++parsed;
  }
  for (std::size_t at = 0; at < good.bytes.size(); ++at) {
    SpuUnit u = good;
    u.bytes[at] ^= 0xA5;
    if (auto p = ParseSpu(u)) {
      ++parsed;
      EXPECT_EQ(p->pixels.size(), static_cast<std::size_t>(p->width) * p->height);
    }
  }
  EXPECT_GT(parsed, 0); // many single-byte changes only alter pixels
  SpuAssembler assembler;
  const uint8_t tiny[] = {0x00, 0x02, 0xFF};
  EXPECT_FALSE(assembler.Add(tiny, sizeof tiny, media::StreamTime()));
}

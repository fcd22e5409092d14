// Subpictures through the video decoder filter: a still menu's buttons take the
// highlight's colours at once when the highlight changes, and titles' captions show
// at their times only while display is on; subpictures, parsed on their own thread,
// reach a still that is already shown and are gone after a flush.
#include "codecs/spu_overlay.h"
#include "media/frame_code.h"
#include "media/playback.h"
#include "support/fixtures.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <thread>

namespace {

// Palette entries 0x00YYCrCb: 1 red, 2 green, 3 blue, 4 yellow.
const DWORD kPalette[16] = {0x108080, 0x51F05A, 0x912236, 0x296EF0, 0xD29210, 0xEB8080};

struct Capture {
  QImage last;
  int count = 0;
};

DvdHighlight Button(int left, int top, int right, int bottom) {
  DvdHighlight h{};
  h.visible = TRUE;
  h.area = RECT{left, top, right, bottom};
  for (int i = 0; i < 4; ++i) {
    h.colour[i] = static_cast<BYTE>(i + 1);
    h.contrast[i] = 15;
  }
  return h;
}

// Share of pixels (every 4th) inside `r` that have one of the highlight colours (within
// the rounding of one YUV to RGB conversion).
double HighlightShare(const QImage &img, const RECT &r) {
  std::set<QRgb> colours;
  for (int i = 1; i <= 4; ++i) colours.insert(0xFF000000u | codecs::SubpictureOverlay::YCrCbToRgb(kPalette[i]));
  auto near = [&](QRgb p) {
    for (QRgb c : colours)
      if (std::abs(qRed(p) - qRed(c)) <= 6 && std::abs(qGreen(p) - qGreen(c)) <= 6 && std::abs(qBlue(p) - qBlue(c)) <= 6)
        return true;
    return false;
  };
  int in = 0, all = 0;
  for (int y = r.top; y < r.bottom; y += 4)
    for (int x = r.left; x < r.right; x += 4, ++all)
      if (near(img.pixel(x, y))) ++in;
  return all ? static_cast<double>(in) / all : 0;
}

template <class I> ComPtr<I> PinInterface(IBaseFilter *filter, const char16_t *pin) {
  ComPtr<I> out;
  Playback::PinOf(filter, pin).As(&out);
  return out;
}

} // namespace

TEST(Subpicture, StillMenuShowsTheHighlightAtOnce) {
  Playback p;
  ASSERT_TRUE(p.Build(FixturePath("ntsc_menu/VIDEO_TS/VIDEO_TS.VOB"), CLSID_VideoRenderer, false)) << p.error;
  p.source->SetManual(true);
  Capture cap;
  p.Probe()->SetPresentedCallback([&](const render::PresentedFrame &f) {
    cap.last = f.Image().copy();
    ++cap.count;
  });
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  std::thread push([&] { p.source->PushUntil(nullptr); });
  push.join();
  // Before a still the navigator drains the decoder: the menu's last picture comes out.
  ComPtr<IDvdDecoderControl> control = PinInterface<IDvdDecoderControl>(p.videoDecoder.Get(), u"Video");
  ASSERT_TRUE(control);
  ASSERT_EQ(control->Drain(), S_OK);
  QTest::qWait(500);
  ASSERT_FALSE(cap.last.isNull());
  EXPECT_EQ(testmedia::ReadFrameCode(cap.last.constBits(), static_cast<int>(cap.last.bytesPerLine())), 0xC001);
  const QImage plain = cap.last;
  const RECT b1{160, 120, 560, 180}, b2{160, 200, 560, 260};
  EXPECT_LT(HighlightShare(plain, b1), 0.05);

  ComPtr<IDvdSubpictureSink> sink = PinInterface<IDvdSubpictureSink>(p.videoDecoder.Get(), u"SubPicture");
  ASSERT_TRUE(sink);
  ASSERT_EQ(sink->SetPalette(kPalette), S_OK);
  DvdHighlight h = Button(b1.left, b1.top, b1.right, b1.bottom);
  const int before = cap.count;
  ASSERT_EQ(sink->SetHighlight(&h), S_OK);
  QTest::qWait(300);
  ASSERT_GT(cap.count, before) << "the still was not shown again";
  EXPECT_GT(HighlightShare(cap.last, b1), 0.9);
  EXPECT_LT(HighlightShare(cap.last, b2), 0.05);
  if (const char *dir = std::getenv("QDVD_SAVE_DIR")) cap.last.save(QString(dir) + "/menu_highlight.png");
  // Nothing changes outside the highlight.
  EXPECT_EQ(cap.last.copy(0, 300, 720, 180), plain.copy(0, 300, 720, 180));

  h = Button(b2.left, b2.top, b2.right, b2.bottom);
  ASSERT_EQ(sink->SetHighlight(&h), S_OK);
  QTest::qWait(300);
  EXPECT_LT(HighlightShare(cap.last, b1), 0.05);
  EXPECT_GT(HighlightShare(cap.last, b2), 0.9);

  h.visible = FALSE;
  ASSERT_EQ(sink->SetHighlight(&h), S_OK);
  QTest::qWait(300);
  EXPECT_LT(HighlightShare(cap.last, b2), 0.05);
}

TEST(Subpicture, AUnitParsedAsTheStillComesShowsOnItAndAFlushTakesItAway) {
  Playback p;
  ASSERT_TRUE(p.Build(FixturePath("ntsc_menu/VIDEO_TS/VIDEO_TS.VOB"), CLSID_VideoRenderer, false)) << p.error;
  p.source->SetManual(true);
  Capture cap;
  p.Probe()->SetPresentedCallback([&](const render::PresentedFrame &f) {
    cap.last = f.Image().copy();
    ++cap.count;
  });
  // The highlight is set before anything comes: only the menu's subpicture, once
  // parsed, gives it pixels to colour.
  ComPtr<IDvdSubpictureSink> sink = PinInterface<IDvdSubpictureSink>(p.videoDecoder.Get(), u"SubPicture");
  ASSERT_TRUE(sink);
  ASSERT_EQ(sink->SetPalette(kPalette), S_OK);
  const RECT b1{160, 120, 560, 180};
  DvdHighlight h = Button(b1.left, b1.top, b1.right, b1.bottom);
  ASSERT_EQ(sink->SetHighlight(&h), S_OK);
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  std::thread push([&] { p.source->PushUntil(nullptr); });
  push.join();
  // The drain may come before or after the subpicture thread got to the unit: either
  // way the still ends up with it.
  ComPtr<IDvdDecoderControl> control = PinInterface<IDvdDecoderControl>(p.videoDecoder.Get(), u"Video");
  ASSERT_TRUE(control);
  ASSERT_EQ(control->Drain(), S_OK);
  EXPECT_TRUE(WaitFor([&] { return !cap.last.isNull() && HighlightShare(cap.last, b1) > 0.9; }, 5000))
      << "the still never showed the subpicture";

  // A flush of the subpicture stream forgets the unit: the refresh after it shows none
  // (a refresh from before the flush may still be on its way to the screen).
  ComPtr<IPin> spuPin = Playback::PinOf(p.videoDecoder.Get(), u"SubPicture");
  ASSERT_EQ(spuPin->BeginFlush(), S_OK);
  ASSERT_EQ(spuPin->EndFlush(), S_OK);
  const int before = cap.count;
  ASSERT_EQ(sink->SetHighlight(&h), S_OK);
  EXPECT_TRUE(WaitFor([&] { return cap.count > before && HighlightShare(cap.last, b1) < 0.05; }, 5000))
      << "the flushed subpicture still shows";
}

// The last steps of a picture's way to the screen: YUV pictures converted once, at the
// size they are drawn (a crop included), a flush between the hand-over to the widget
// and its painting never shows the old picture, and the presenter's queue holds back
// the decoder at its few pictures.
#include "render/picture_scaler.h"
#include "render/video_presenter.h"
#include "render/video_widget.h"

#include "graph/media_sample.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using namespace render;

namespace {

// A 64 x 32 I420 picture: the left half white, the right half black; chroma neutral
// except a red 8 x 8 block at the top left of the right half. With `stripes`, grey
// columns one pixel wide, alternately white and black.
VideoFrame YuvFrame(std::uint64_t generation = 0, bool stripes = false) {
  constexpr int w = 64, h = 32;
  ComPtr<graph::MediaSample> s = graph::MediaSample::Create(w * h * 3 / 2);
  BYTE *y = s->Data(), *u = y + w * h, *v = u + w * h / 4;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) y[r * w + c] = (stripes ? c % 2 : c < w / 2) ? 235 : 16;
  std::memset(u, 128, w * h / 4);
  std::memset(v, 128, w * h / 4);
  for (int r = 0; r < (stripes ? 0 : 4); ++r)
    for (int c = 16; c < 20; ++c) {
      y[(r * 2) * w + c * 2] = y[(r * 2) * w + c * 2 + 1] = 81;
      y[(r * 2 + 1) * w + c * 2] = y[(r * 2 + 1) * w + c * 2 + 1] = 81;
      u[r * (w / 2) + c] = 90;
      v[r * (w / 2) + c] = 240;
    }
  VideoFrame f;
  f.yuv.owner = s.Get();
  f.yuv.width = w;
  f.yuv.height = h;
  f.yuv.planes[0] = y;
  f.yuv.planes[1] = u;
  f.yuv.planes[2] = v;
  f.yuv.strides[0] = w;
  f.yuv.strides[1] = f.yuv.strides[2] = w / 2;
  f.aspectX = 2;
  f.aspectY = 1;
  f.generation = generation;
  return f;
}

bool Near(QRgb p, int r, int g, int b, int tolerance = 12) {
  return std::abs(qRed(p) - r) <= tolerance && std::abs(qGreen(p) - g) <= tolerance &&
         std::abs(qBlue(p) - b) <= tolerance;
}

} // namespace

TEST(PictureScaler, ConvertsYuvOnceStraightToTheDrawnSize) {
  const VideoFrame f = YuvFrame();
  PictureScaler scaler;
  const QImage &big = scaler.Scale(f, QRect(0, 0, 64, 32), QSize(256, 128));
  ASSERT_EQ(big.size(), QSize(256, 128));
  EXPECT_TRUE(Near(big.pixel(20, 100), 255, 255, 255)) << std::hex << big.pixel(20, 100);
  EXPECT_TRUE(Near(big.pixel(240, 100), 0, 0, 0)) << std::hex << big.pixel(240, 100);
  EXPECT_TRUE(Near(big.pixel(140, 10), 255, 0, 0, 40)) << std::hex << big.pixel(140, 10); // the red block

  // A source rectangle: the right half alone fills the picture.
  const QImage &crop = scaler.Scale(f, QRect(32, 0, 32, 32), QSize(100, 100));
  ASSERT_EQ(crop.size(), QSize(100, 100));
  EXPECT_TRUE(Near(crop.pixel(70, 90), 0, 0, 0));
  EXPECT_TRUE(Near(crop.pixel(10, 10), 255, 0, 0, 40));

  // Shrunk, one-pixel stripes blend to grey instead of beating (no aliasing).
  const VideoFrame stripes = YuvFrame(0, true);
  const QImage &small = scaler.Scale(stripes, QRect(0, 0, 64, 32), QSize(27, 13));
  ASSERT_EQ(small.size(), QSize(27, 13));
  for (int c = 1; c < 26; ++c) EXPECT_TRUE(Near(small.pixel(c, 6), 128, 128, 128, 40)) << c;

  // The stored size for whoever reads pixels.
  const QImage stored = f.ToImage();
  ASSERT_EQ(stored.size(), QSize(64, 32));
  EXPECT_TRUE(Near(stored.pixel(5, 5), 255, 255, 255));
  EXPECT_TRUE(Near(stored.pixel(60, 30), 0, 0, 0));
}

TEST(VideoWidget, AFlushBetweenHandOverAndPaintingDropsTheOldPicture) {
  VideoWidget widget("test");
  widget.resize(128, 64);
  // Handed over, then flushed before the GUI thread took it.
  widget.Post(YuvFrame(1));
  widget.DropBefore(2);
  QCoreApplication::processEvents();
  EXPECT_FALSE(widget.HasPicture()) << "a picture from before the flush was shown";

  // One posted after the flush from an older generation (a presenter that popped it
  // just before) is refused as well; the new generation shows.
  widget.Post(YuvFrame(1));
  QCoreApplication::processEvents();
  EXPECT_FALSE(widget.HasPicture());
  widget.Post(YuvFrame(2));
  ASSERT_TRUE(WaitFor([&] { return widget.HasPicture(); }));
  EXPECT_EQ(widget.Current().generation, 2u);
  // And what is painted is the picture at the widget's size.
  const QImage shot = widget.grab().toImage();
  EXPECT_TRUE(Near(shot.pixel(10, 32), 255, 255, 255)) << std::hex << shot.pixel(10, 32);
  EXPECT_TRUE(Near(shot.pixel(118, 32), 0, 0, 0)) << std::hex << shot.pixel(118, 32);
}

TEST(VideoPresenter, TheQueueHoldsAFewPicturesAndAFlushStartsANewGeneration) {
  std::atomic<int> shown{0};
  std::atomic<std::uint64_t> lastGeneration{0};
  VideoPresenter::Events e;
  e.show = [&](VideoFrame f) {
    lastGeneration = f.generation;
    ++shown;
  };
  VideoPresenter presenter(e);
  presenter.Pause();
  std::atomic<int> queued{0};
  std::atomic<bool> refused{false};
  std::thread decoder([&] {
    for (int i = 0; i < 50 && !refused; ++i) {
      VideoFrame f;
      f.hasTime = true;
      f.start = media::StreamTime(i * 400000LL);
      if (presenter.Queue(f)) ++queued;
      else refused = true;
    }
  });
  // Paused: the first picture shows, then the queue fills to its bound and stays.
  ASSERT_TRUE(WaitFor([&] { return shown.load() == 1 && presenter.PeakQueued() == VideoPresenter::kQueueLength; }));
  EXPECT_LE(queued.load(), static_cast<int>(VideoPresenter::kQueueLength) + 1);
  const std::uint64_t before = presenter.Generation();
  EXPECT_EQ(lastGeneration.load(), before);
  presenter.BeginFlush();
  decoder.join();
  EXPECT_TRUE(refused.load());
  EXPECT_EQ(presenter.Generation(), before + 1);
  EXPECT_LE(presenter.PeakQueued(), VideoPresenter::kQueueLength);
  presenter.EndFlush();

  VideoFrame next;
  ASSERT_TRUE(presenter.Queue(next)); // untimed: shows at once as the new paused picture
  ASSERT_TRUE(WaitFor([&] { return shown.load() == 2; }));
  EXPECT_EQ(lastGeneration.load(), before + 1);
  presenter.Stop();
}

namespace {
class FixedClock : public ComObject<IReferenceClock> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IReferenceClock>(iid, object); }
  HRESULT GetTime(REFERENCE_TIME *t) override {
    *t = now.load();
    return S_OK;
  }
  std::atomic<REFERENCE_TIME> now{0};
};
} // namespace

TEST(VideoPresenter, TheFirstPictureAfterAFlushShowsAtOnceTheNextOnTime) {
  std::mutex lock;
  std::vector<REFERENCE_TIME> shown;
  VideoPresenter::Events e;
  e.show = [&](VideoFrame f) {
    std::lock_guard g(lock);
    shown.push_back(f.start.ticks());
  };
  auto count = [&] {
    std::lock_guard g(lock);
    return shown.size();
  };
  ComPtr<FixedClock> clock;
  clock.Attach(new FixedClock);
  VideoPresenter presenter(e);
  presenter.Run(media::StreamTime(0), clock.Get());
  presenter.BeginFlush(); // a jump: the new place is mapped a little ahead of the clock
  presenter.EndFlush();
  for (REFERENCE_TIME t : {2500000LL, 2900000LL}) {
    VideoFrame f;
    f.hasTime = true;
    f.start = media::StreamTime(t);
    ASSERT_TRUE(presenter.Queue(f));
  }
  ASSERT_TRUE(WaitFor([&] { return count() == 1; })) << "the first picture waited for the clock";
  clock->now = 2000000; // still before the second picture
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
  while (std::chrono::steady_clock::now() < until && count() == 1) std::this_thread::yield();
  EXPECT_EQ(count(), 1u) << "the second picture did not wait for its time";
  clock->now = 2900000;
  ASSERT_TRUE(WaitFor([&] { return count() == 2; }));

  // Material placed far ahead of the clock is not shown seconds early.
  presenter.BeginFlush();
  presenter.EndFlush();
  VideoFrame far;
  far.hasTime = true;
  far.start = media::StreamTime(50000000);
  ASSERT_TRUE(presenter.Queue(far));
  clock->now = 40000000; // a second before it
  const auto until2 = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
  while (std::chrono::steady_clock::now() < until2 && count() == 2) std::this_thread::yield();
  EXPECT_EQ(count(), 2u) << "a picture a second ahead was shown at once";
  clock->now = 50000000;
  ASSERT_TRUE(WaitFor([&] { return count() == 3; }));
  presenter.Stop();
}

// The presenter against a clock the test moves: pictures show when stream time
// reaches them, late ones are skipped, the rate scales the pace, pause shows the
// first picture only, steps show one more each, end of stream follows the last.
#include "render/video_presenter.h"

#include "dshow/errors.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace render;

namespace {

class ManualClock : public ComObject<IReferenceClock> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IReferenceClock>(iid, object); }
  HRESULT GetTime(REFERENCE_TIME *t) override {
    *t = now.load();
    return S_OK;
  }
  std::atomic<REFERENCE_TIME> now{0};
};

constexpr REFERENCE_TIME kFrame = 400000;

struct Harness {
  std::mutex lock;
  std::vector<REFERENCE_TIME> shown;
  std::atomic<int> complete{0}, steps{0}, first{0};
  ComPtr<ManualClock> clock;
  std::unique_ptr<VideoPresenter> presenter;

  Harness() {
    clock.Attach(new ManualClock);
    VideoPresenter::Events e;
    e.show = [this](VideoFrame f) {
      std::lock_guard g(lock);
      shown.push_back(f.start.ticks());
    };
    e.complete = [this] { ++complete; };
    e.stepComplete = [this] { ++steps; };
    e.firstPicture = [this] { ++first; };
    presenter = std::make_unique<VideoPresenter>(e, 64); // room for the timing cases
  }
  void Queue(int n, REFERENCE_TIME from = 0) {
    for (int i = 0; i < n; ++i) {
      VideoFrame f;
      f.hasTime = true;
      f.start = media::StreamTime(from + i * kFrame);
      ASSERT_TRUE(presenter->Queue(f));
    }
  }
  std::size_t Count() {
    std::lock_guard g(lock);
    return shown.size();
  }
  // Pictures shown or skipped, after waiting (up to 3 s on a busy machine) for `n`.
  std::size_t Seen(std::size_t n) {
    for (int i = 0; i < 300 && Count() + static_cast<std::size_t>(presenter->Dropped()) < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Count() + static_cast<std::size_t>(presenter->Dropped());
  }
  // Moves the clock in quarter frames, giving the presenter time to act at each.
  void Advance(REFERENCE_TIME to) {
    while (clock->now.load() < to) {
      clock->now = std::min<REFERENCE_TIME>(to, clock->now.load() + kFrame / 4);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
};

} // namespace

TEST(VideoPresenter, ShowsEachPictureWhenItsTimeComes) {
  Harness h;
  h.presenter->Pause();
  h.Queue(5);
  EXPECT_EQ(h.Seen(1), 1u); // the paused picture
  EXPECT_EQ(h.first.load(), 1);
  h.clock->now = 1000 * kFrame;
  h.presenter->Run(media::StreamTime(1000 * kFrame), h.clock.Get());
  h.Advance(1000 * kFrame + kFrame / 2);
  EXPECT_EQ(h.Count(), 1u);
  h.Advance(1000 * kFrame + kFrame);
  EXPECT_EQ(h.Seen(2), 2u);
  h.Advance(1000 * kFrame + 2 * kFrame + 10);
  EXPECT_EQ(h.Seen(3), 3u);
  h.presenter->EndOfStream();
  h.Advance(1000 * kFrame + 4 * kFrame);
  EXPECT_EQ(h.Seen(5), 5u);
  for (int i = 0; i < 300 && h.complete.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(h.complete.load(), 1);
}

TEST(VideoPresenter, SkipsALatePictureWhenTheNextIsDueToo) {
  Harness h;
  h.clock->now = -10 * kFrame; // all in the future while they are queued
  h.presenter->Run(media::StreamTime(0), h.clock.Get());
  h.Queue(4);
  h.clock->now = 10 * kFrame; // then far behind: only the last due picture shows
  EXPECT_EQ(h.Seen(4), 4u);
  EXPECT_EQ(h.Count(), 1u);
  EXPECT_EQ(h.presenter->Dropped(), 3);
}

TEST(VideoPresenter, RateScalesThePace) {
  Harness h;
  h.presenter->Run(media::StreamTime(0), h.clock.Get());
  h.presenter->SetRate(2.0);
  h.Queue(6);
  h.Advance(kFrame); // stream time 2 frames
  EXPECT_EQ(h.Seen(3), 3u);
  h.presenter->SetRate(0.5);
  h.Advance(kFrame + 2 * kFrame - kFrame / 4); // not quite 1 frame more of stream time
  EXPECT_EQ(h.Seen(3), 3u);
  h.Advance(kFrame + 2 * kFrame); // 1 frame more
  EXPECT_EQ(h.Seen(4), 4u);
  EXPECT_DOUBLE_EQ(h.presenter->Rate(), 0.5);
}

TEST(VideoPresenter, StepsShowOnePictureEachWhilePaused) {
  Harness h;
  EXPECT_EQ(h.presenter->Step(1), VFW_E_NOT_PAUSED);
  h.presenter->Pause();
  h.Queue(4);
  ASSERT_EQ(h.Seen(1), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_EQ(h.Count(), 1u); // paused: nothing more
  ASSERT_EQ(h.presenter->Step(1), S_OK);
  EXPECT_EQ(h.Seen(2), 2u);
  for (int i = 0; i < 300 && h.steps.load() < 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(h.steps.load(), 1);
  ASSERT_EQ(h.presenter->Step(2), S_OK);
  EXPECT_EQ(h.Seen(4), 4u);
  for (int i = 0; i < 300 && h.steps.load() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(h.steps.load(), 2);
  std::lock_guard g(h.lock);
  EXPECT_EQ(h.shown, (std::vector<REFERENCE_TIME>{0, kFrame, 2 * kFrame, 3 * kFrame}));
}

TEST(VideoPresenter, StopAndFlushReleaseAWaitingQueue) {
  // Also when the renderer pauses again, or the flush ends, before the waiting
  // thread wakes: the picture it holds is from before and must not show first.
  for (int mode : {0, 1, 2, 3}) {
    const bool flush = mode % 2 == 1, resumed = mode >= 2;
    Harness h;
    h.presenter->Pause();
    h.Queue(30); // 1.2 s: below the limit
    std::atomic<bool> returned{false}, accepted{true};
    std::thread pusher([&] {
      for (int i = 0; i < 100 && accepted; ++i) {
        VideoFrame f;
        f.hasTime = true;
        f.start = media::StreamTime((30 + i) * kFrame);
        accepted = h.presenter->Queue(f);
      }
      returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "the queue does not hold pictures back";
    if (flush) h.presenter->BeginFlush();
    else h.presenter->Stop();
    if (resumed && flush) h.presenter->EndFlush();
    if (resumed && !flush) h.presenter->Pause();
    pusher.join();
    EXPECT_FALSE(accepted.load()) << "mode " << mode;
  }
}

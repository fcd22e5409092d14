// The decoder's thread and its compressed-sample queue: the queue holds back the
// pusher at each of its bounds and never goes past them, samples come out in order,
// a flush drops what waits and marks what is in hand stale, EndFlush and Stop wait for the
// thread to let go, and Drain returns only after everything before it was handled.
#include "codecs/decode_thread.h"

#include "graph/media_sample.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using namespace codecs;

namespace {

ComPtr<graph::MediaSample> Sample(int id, LONG bytes, bool timed, REFERENCE_TIME start = 0) {
  ComPtr<graph::MediaSample> s = graph::MediaSample::Create(bytes < 4 ? 4 : bytes);
  std::memcpy(s->Data(), &id, sizeof id);
  s->SetActualDataLength(bytes < 4 ? 4 : bytes);
  if (timed) s->SetTime(&start, nullptr);
  return s;
}

// A decoder that records sample ids and can be held inside its callback.
struct Recorder {
  std::mutex lock;
  std::condition_variable cv;
  std::vector<int> ids;
  bool hold = false;      // the callback waits while set
  int inHand = 0;         // callbacks running now
  std::atomic<int> drains{0}, ends{0};
  std::atomic<bool> staleSeen{false};
  DecodeThread *thread = nullptr;

  DecodeThread::Handlers Handlers() {
    return {[this](IMediaSample *s) {
              BYTE *p = nullptr;
              s->GetPointer(&p);
              int id = 0;
              std::memcpy(&id, p, sizeof id);
              std::unique_lock g(lock);
              ids.push_back(id);
              ++inHand;
              cv.notify_all();
              cv.wait(g, [&] { return !hold; });
              if (thread->Stale()) staleSeen = true;
              --inHand;
            },
            [this] { ++drains; }, [this] { ++ends; }};
  }
  void Hold(bool on) {
    std::lock_guard g(lock);
    hold = on;
    cv.notify_all();
  }
  std::vector<int> Ids() {
    std::lock_guard g(lock);
    return ids;
  }
  int InHand() {
    std::lock_guard g(lock);
    return inHand;
  }
};

struct Rig {
  Recorder rec;
  std::unique_ptr<DecodeThread> thread;
  explicit Rig(DecodeThread::Limits limits) {
    thread = std::make_unique<DecodeThread>("test-decode", limits, rec.Handlers());
    rec.thread = thread.get();
  }
};

} // namespace

TEST(DecodeThread, EachBoundHoldsThePusherBackAndIsNeverPassed) {
  struct Case {
    const char *name;
    DecodeThread::Limits limits;
    LONG bytes;
    bool timed;
  };
  const Case cases[] = {
      {"count", {1u << 20, 5, media::StreamTime(100000000)}, 100, true},
      {"bytes", {10000, 1000, media::StreamTime(100000000)}, 2000, true},
      {"span", {1u << 20, 1000, media::StreamTime(4000000)}, 100, true}, // 0.4 s at one sample per 40 ms
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(c.limits);
    rig.rec.Hold(true);
    constexpr int kTotal = 40;
    std::atomic<int> pushed{0};
    std::thread pusher([&] {
      for (int i = 0; i < kTotal; ++i) {
        ComPtr<graph::MediaSample> s = Sample(i, c.bytes, c.timed, i * 400000LL);
        EXPECT_EQ(rig.thread->Push(s.Get()), S_OK);
        ++pushed;
      }
    });
    ASSERT_TRUE(WaitFor([&] { return rig.rec.InHand() == 1; }));
    // The queue fills up to its bound and the pusher waits there.
    ASSERT_TRUE(WaitFor([&] {
      DecodeThread::Peaks p = rig.thread->HighWater();
      return p.count == c.limits.count || p.bytes + c.bytes > c.limits.bytes ||
             p.span + media::StreamTime(400000) > c.limits.span;
    }));
    EXPECT_LT(pushed.load(), kTotal) << "the pusher was not held back";
    rig.rec.Hold(false);
    pusher.join();
    ASSERT_TRUE(WaitFor([&] { return rig.rec.Ids().size() == static_cast<std::size_t>(kTotal); }));
    std::vector<int> ids = rig.rec.Ids();
    for (int i = 0; i < kTotal; ++i) EXPECT_EQ(ids[static_cast<std::size_t>(i)], i);
    DecodeThread::Peaks p = rig.thread->HighWater();
    EXPECT_LE(p.count, c.limits.count);
    EXPECT_LE(p.bytes, c.limits.bytes);
    EXPECT_LE(p.span, c.limits.span);
  }
}

TEST(DecodeThread, FlushDropsWhatWaitsAndWaitsForWhatIsInHand) {
  Rig rig({1u << 20, 4, media::StreamTime(100000000)});
  rig.rec.Hold(true);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(rig.thread->Push(Sample(i, 100, false).Get()), S_OK);
  ASSERT_TRUE(WaitFor([&] { return rig.rec.InHand() == 1; }));
  // A pusher blocked on the full queue is let go by the flush, its sample dropped.
  std::atomic<HRESULT> blocked{E_FAIL};
  std::thread pusher([&] {
    rig.thread->Push(Sample(10, 100, false).Get());
    blocked = rig.thread->Push(Sample(11, 100, false).Get());
  });
  ASSERT_TRUE(WaitFor([&] { return rig.thread->HighWater().count == 4; }));

  rig.thread->BeginFlush();
  pusher.join();
  EXPECT_EQ(blocked.load(), S_FALSE);
  std::atomic<bool> ended{false};
  std::thread endFlush([&] {
    rig.thread->EndFlush();
    ended = true;
  });
  // EndFlush may not return while the stale sample is still being decoded.
  EXPECT_FALSE(ended.load());
  EXPECT_EQ(rig.rec.InHand(), 1);
  rig.rec.Hold(false);
  endFlush.join();
  EXPECT_EQ(rig.rec.InHand(), 0);
  EXPECT_TRUE(rig.rec.staleSeen.load()) << "the sample in hand did not know it was flushed";

  // After the flush only new samples come out.
  rig.rec.staleSeen = false;
  ASSERT_EQ(rig.thread->Push(Sample(20, 100, false).Get()), S_OK);
  ASSERT_TRUE(WaitFor([&] { return rig.rec.Ids().size() == 2; }));
  EXPECT_EQ(rig.rec.Ids(), (std::vector<int>{0, 20}));
  EXPECT_FALSE(rig.rec.staleSeen.load());
}

TEST(DecodeThread, DrainFollowsEverythingBeforeItAndAFlushCutsItShort) {
  Rig rig({1u << 20, 100, media::StreamTime(100000000)});
  for (int i = 0; i < 10; ++i) ASSERT_EQ(rig.thread->Push(Sample(i, 100, false).Get()), S_OK);
  EXPECT_EQ(rig.thread->Drain(), S_OK);
  EXPECT_EQ(rig.rec.Ids().size(), 10u);
  EXPECT_EQ(rig.rec.drains.load(), 1);

  rig.rec.Hold(true);
  ASSERT_EQ(rig.thread->Push(Sample(50, 100, false).Get()), S_OK);
  ASSERT_TRUE(WaitFor([&] { return rig.rec.InHand() == 1; }));
  std::atomic<HRESULT> drained{E_FAIL};
  std::thread drainer([&] { drained = rig.thread->Drain(); });
  ASSERT_TRUE(WaitFor([&] { return rig.thread->HighWater().count >= 1; }));
  rig.thread->BeginFlush(); // a stop or jump while the navigator waits in Drain
  drainer.join();
  EXPECT_EQ(drained.load(), S_FALSE);
  EXPECT_EQ(rig.rec.drains.load(), 1) << "the flushed drain was still handled";
  rig.rec.Hold(false);
  rig.thread->EndFlush();

  rig.thread->PushEnd();
  ASSERT_TRUE(WaitFor([&] { return rig.rec.ends.load() == 1; }));
}

TEST(DecodeThread, StopWaitsForTheSampleInHandAndTheNextRunStartsClean) {
  // A picture decoded from a sample taken before Stop must not reach a renderer that
  // has been paused again: Stop returns only once the thread has let go of it.
  Rig rig({1u << 20, 8, media::StreamTime(100000000)});
  rig.rec.Hold(true);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(rig.thread->Push(Sample(i, 100, false).Get()), S_OK);
  ASSERT_TRUE(WaitFor([&] { return rig.rec.InHand() == 1; }));
  std::atomic<bool> stopped{false}, released{false};
  std::thread stopper([&] {
    released = rig.thread->Stop();
    stopped = true;
  });
  ASSERT_TRUE(WaitFor([&] { return rig.thread->Stale(); })) << "the sample in hand was not marked stale";
  // Nothing lets Stop return while the stale sample is still being handled.
  EXPECT_FALSE(WaitFor([&] { return stopped.load(); }, 300)) << "Stop returned with the sample still in hand";
  EXPECT_EQ(rig.rec.InHand(), 1);
  rig.rec.Hold(false);
  stopper.join();
  EXPECT_TRUE(released.load());
  EXPECT_EQ(rig.rec.InHand(), 0);
  EXPECT_TRUE(rig.rec.staleSeen.load());

  // What waited was dropped; the next run's samples come out and are current. An idle
  // thread's Stop returns at once.
  rig.rec.staleSeen = false;
  ASSERT_EQ(rig.thread->Push(Sample(30, 100, false).Get()), S_OK);
  ASSERT_TRUE(WaitFor([&] { return rig.rec.Ids().size() == 2 && rig.rec.InHand() == 0; }));
  EXPECT_EQ(rig.rec.Ids(), (std::vector<int>{0, 30}));
  EXPECT_FALSE(rig.rec.staleSeen.load());
  EXPECT_TRUE(rig.thread->Stop());
}

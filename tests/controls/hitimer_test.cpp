#include "controls/hitimer.h"
#include "framework/application.h"
#include "win/mmsystem.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

// Both ways of running: multimedia-timer mode and thread mode.
class HiTimerModes : public ::testing::TestWithParam<bool> {};

// Counted, not timed: a loaded machine delays ticks (and may merge the late ones), but
// a 20 ms timer never ticks more often than every 20 ms since it was enabled, and it
// keeps ticking: eleven ticks well within ten times their interval.
TEST_P(HiTimerModes, TicksAtRoughlyTheInterval) {
  TLMDHiTimer timer(nullptr, 20);
  timer.SetUseThread(GetParam());
  std::vector<qint64> ticks;
  QElapsedTimer clock;
  QThread *ranOn = nullptr;
  timer.SetOnTimer([&](QObject *sender) {
    EXPECT_EQ(sender, &timer);
    ranOn = QThread::currentThread();
    ticks.push_back(clock.elapsed());
  });
  clock.start();
  timer.SetEnabled(true);
  ASSERT_TRUE(WaitFor([&] { return ticks.size() >= 11; }, 10 * 20 * 11));
  timer.SetEnabled(false);
  const qint64 span = clock.elapsed();
  const std::size_t count = ticks.size();
  EXPECT_LE(count, static_cast<std::size_t>(span / 20 + 2)) << span << " ms";
  EXPECT_GE(ticks.front(), 15) << "the first tick comes an interval after enabling";
  EXPECT_EQ(ranOn, QApplication::instance()->thread());
}

TEST_P(HiTimerModes, SameValuesDoNotRestartButAHandlerAlwaysDoes) {
  TLMDHiTimer timer(nullptr, 500);
  timer.SetUseThread(GetParam());
  TNotifyEvent handler = [](QObject *) {};
  timer.SetOnTimer(handler);
  timer.SetEnabled(true);
  ASSERT_EQ(timer.Arms(), 1u);
  timer.SetEnabled(true);
  timer.SetInterval(500);
  timer.SetUseThread(GetParam());
  timer.SetThreadPriority(tpNormal);
  EXPECT_EQ(timer.Arms(), 1u);
  timer.SetOnTimer(handler);
  EXPECT_EQ(timer.Arms(), 2u);
  timer.SetInterval(501);
  EXPECT_EQ(timer.Arms(), 3u);
  timer.SetThreadPriority(tpLower); // re-arms in thread mode only
  EXPECT_EQ(timer.Arms(), GetParam() ? 4u : 3u);
}

TEST_P(HiTimerModes, NothingIsArmedWithoutAHandler) {
  const UINT events = timeActiveEventCount();
  TLMDHiTimer timer;
  timer.SetUseThread(GetParam());
  timer.SetEnabled(true);
  EXPECT_EQ(timer.Arms(), 0u);
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_FALSE(timer.ThreadRunning());
  EXPECT_EQ(timeActiveEventCount(), events);
}

TEST_P(HiTimerModes, DestroyingAnEnabledTimerLeavesNothingRunning) {
  const UINT events = timeActiveEventCount();
  const UINT periods = timeActivePeriodCount();
  int ticks = 0;
  {
    QObject owner;
    auto *timer = new TLMDHiTimer(&owner, 2);
    EXPECT_EQ(timeActivePeriodCount(), periods + 1);
    timer->SetUseThread(GetParam());
    timer->SetOnTimer([&](QObject *) { ++ticks; });
    timer->SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // let ticks queue up
  }
  const int atDestruction = ticks;
  EXPECT_EQ(timeActiveEventCount(), events);
  EXPECT_EQ(timeActivePeriodCount(), periods);
  Pump(40);
  EXPECT_EQ(ticks, atDestruction);
}

TEST_P(HiTimerModes, NoTicksOnceTheApplicationIsTerminating) {
  TLMDHiTimer timer(nullptr, 2);
  timer.SetUseThread(GetParam());
  int ticks = 0;
  timer.SetOnTimer([&](QObject *) { ++ticks; });
  timer.SetEnabled(true);
  ASSERT_TRUE(WaitFor([&] { return ticks >= 2; }));
  Application().Terminate();
  Pump(5);
  const int atTerminate = ticks;
  Pump(40);
  EXPECT_EQ(ticks, atTerminate);
  timer.SetEnabled(false);
  // Run resets the termination; leave its loop at once.
  QTimer::singleShot(0, [] { QCoreApplication::quit(); });
  Application().Run();
  ASSERT_FALSE(Application().Terminated());
}

INSTANTIATE_TEST_SUITE_P(, HiTimerModes, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Thread" : "Multimedia"; });

TEST(HiTimer, CreationHoldsTheResolutionAndLeavesTheIntervalAsGiven) {
  const UINT periods = timeActivePeriodCount();
  auto timer = std::make_unique<TLMDHiTimer>(nullptr, 0);
  EXPECT_EQ(timeActivePeriodCount(), periods + 1);
  EXPECT_EQ(timer->Interval(), 0u);
  timer.reset();
  EXPECT_EQ(timeActivePeriodCount(), periods);
}

TEST(HiTimer, IntervalIsClampedToTheTimerCapabilities) {
  TLMDHiTimer timer;
  timer.SetInterval(0);
  EXPECT_EQ(timer.Interval(), 1u);
  timer.SetInterval(5000000);
  EXPECT_EQ(timer.Interval(), 1000000u);
}

TEST(HiTimer, TheLongestTrayIntervalRunsUnchangedInThreadMode) {
  TLMDHiTimer timer(nullptr, 65535);
  timer.SetOnTimer([](QObject *) {});
  timer.SetEnabled(true);
  EXPECT_EQ(timer.Interval(), 65535u);
  EXPECT_EQ(timer.ThreadSleepInterval(), 65535);
  // Longer periods do not wrap round to a short one.
  timer.SetInterval(65536 + 20);
  EXPECT_EQ(timer.ThreadSleepInterval(), 65535);
}

TEST(HiTimer, ThreadModeCanTickOnItsOwnThread) {
  TLMDHiTimer timer(nullptr, 5);
  timer.SetSynchronize(false);
  std::atomic<int> ticks{0};
  std::atomic<bool> onGui{false};
  QThread *gui = QApplication::instance()->thread();
  timer.SetOnTimer([&](QObject *) {
    ++ticks;
    if (QThread::currentThread() == gui) onGui = true;
  });
  timer.SetEnabled(true);
  // The GUI thread is not pumping: ticks still arrive.
  for (int i = 0; i < 300 && ticks < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  timer.SetEnabled(false);
  EXPECT_GE(ticks, 3);
  EXPECT_FALSE(onGui);
  const int stopped = ticks;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(ticks, stopped);
}

TEST(HiTimer, MessageModeDropsTicksWhileAModalLoopRunsInsideTheHandler) {
  TLMDHiTimer timer(nullptr, 5);
  timer.SetUseThread(false);
  ASSERT_NE(timer.TimerWindow(), nullptr);
  int depth = 0, deepest = 0, ticks = 0;
  bool busyInside = false;
  timer.SetOnTimer([&](QObject *) {
    ++ticks;
    deepest = std::max(deepest, ++depth);
    if (ticks == 1) {
      busyInside = timer.Busy();
      QEventLoop modal;
      QTimer::singleShot(100, &modal, &QEventLoop::quit);
      modal.exec();
    }
    --depth;
  });
  timer.SetEnabled(true);
  ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_TRUE(busyInside);
}

TEST(HiTimer, AFailingHandlerStopsTicksUntilTheTimerIsRearmed) {
  std::vector<QString> errors;
  Application().SetExceptionHook([&](QObject *, const QString &m) { errors.push_back(m); });
  TLMDHiTimer timer(nullptr, 3);
  timer.SetUseThread(false);
  int ticks = 0;
  timer.SetOnTimer([&](QObject *) {
    if (++ticks == 1) throw Exception("tick failed");
  });
  timer.SetEnabled(true);
  ASSERT_TRUE(WaitFor([&] { return ticks >= 1; }));
  Pump(40);
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(timer.Busy());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "tick failed.");
  timer.SetInterval(4);
  EXPECT_TRUE(WaitFor([&] { return ticks >= 3; }));
  Application().SetExceptionHook(nullptr);
}

TEST(HiTimer, NoMultimediaTimerLeftMeansOutOfResources) {
  TLMDHiTimer timer(nullptr, 10);
  timer.SetUseThread(false);
  timer.SetOnTimer([](QObject *) {});
  const UINT old = timeSetEventLimit(timeActiveEventCount());
  try {
    timer.SetEnabled(true);
    ADD_FAILURE() << "no exception";
  } catch (const EOutOfResources &e) {
    EXPECT_EQ(e.Message(), "Not enough timers available");
  }
  timeSetEventLimit(old);
  EXPECT_EQ(timer.TimerId(), 0u);
  timer.SetInterval(11); // arms again now that timers are available
  EXPECT_NE(timer.TimerId(), 0u);
}

TEST(HiTimer, SwitchingModesMovesBetweenTheWindowAndTheThread) {
  TLMDHiTimer timer(nullptr, 50);
  timer.SetOnTimer([](QObject *) {});
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.ThreadRunning());
  EXPECT_EQ(timer.TimerWindow(), nullptr);
  timer.SetUseThread(false);
  EXPECT_FALSE(timer.ThreadRunning());
  EXPECT_NE(timer.TimerWindow(), nullptr);
  EXPECT_NE(timer.TimerId(), 0u);
  timer.SetUseThread(true);
  EXPECT_EQ(timer.TimerWindow(), nullptr);
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_TRUE(timer.ThreadRunning());
}

} // namespace

#include "win/mmsystem.h"
#include "win/winuser.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_calls{0};
std::atomic<UINT> g_lastId{0};
void Count(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  g_lastId = id;
  ++g_calls;
  if (user) std::this_thread::sleep_for(std::chrono::milliseconds(user));
}

TEST(MultimediaTimer, CapabilitiesAndCountedResolutionRequests) {
  TIMECAPS caps{};
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_EQ(caps.wPeriodMax, 1000000u);
  EXPECT_EQ(timeGetDevCaps(&caps, 4), TIMERR_STRUCT);
  const UINT before = timeActivePeriodCount();
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
  EXPECT_EQ(timeActivePeriodCount(), before + 2);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(7), TIMERR_NOCANDO);
  EXPECT_EQ(timeActivePeriodCount(), before);
}

TEST(MultimediaTimer, PeriodicEventsPostToAWindowAtTheirPeriod) {
  std::vector<DWORD> arrivals;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_TIMER) arrivals.push_back(timeGetTime());
    return 0;
  });
  auto post = [](UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    PostMessageA(reinterpret_cast<HWND>(user), WM_TIMER, id, 0);
  };
  UINT id = timeSetEvent(20, 20, post, reinterpret_cast<DWORD_PTR>(hwnd), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor([&] { return arrivals.size() >= 11; }));
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  ASSERT_GE(arrivals.size(), 11u);
  const double mean = (arrivals[10] - arrivals[0]) / 10.0;
  EXPECT_GT(mean, 15.0);
  EXPECT_LT(mean, 40.0);
  DestroyWindow(hwnd);
}

TEST(MultimediaTimer, NoCallbackAfterKillAndIdentifiersAreNotReused) {
  g_calls = 0;
  UINT id = timeSetEvent(1, 1, Count, 3, TIME_PERIODIC); // each callback takes 3 ms
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor([] { return g_calls >= 3; }));
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  const int atKill = g_calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(g_calls, atKill);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
  UINT next = timeSetEvent(1000, 1, Count, 0, TIME_PERIODIC);
  EXPECT_GT(next, id);
  timeKillEvent(next);
}

TEST(MultimediaTimer, OneShotEventsFireOnceAndEndByThemselves) {
  g_calls = 0;
  const UINT active = timeActiveEventCount();
  UINT id = timeSetEvent(5, 1, Count, 0, TIME_ONESHOT);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor([&] { return g_calls == 1 && timeActiveEventCount() == active; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(g_lastId, id);
  EXPECT_EQ(timeActiveEventCount(), active);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

std::atomic<UINT> g_selfId{0};
std::atomic<int> g_selfCalls{0};
void KillSelf(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  ++g_selfCalls;
  timeKillEvent(id);
}

TEST(MultimediaTimer, AnEventMayKillItselfFromItsCallback) {
  g_selfCalls = 0;
  UINT id = timeSetEvent(2, 1, KillSelf, 0, TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor([] { return g_selfCalls >= 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(g_selfCalls, 1);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST(MultimediaTimer, RefusesBadArgumentsAndEventsBeyondTheLimit) {
  EXPECT_EQ(timeSetEvent(0, 1, Count, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(1000001, 1, Count, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(10, 1, nullptr, 0, TIME_PERIODIC), 0u);
  const UINT active = timeActiveEventCount();
  const UINT old = timeSetEventLimit(active + 1);
  UINT a = timeSetEvent(1000, 1, Count, 0, TIME_PERIODIC);
  EXPECT_NE(a, 0u);
  EXPECT_EQ(timeSetEvent(1000, 1, Count, 0, TIME_PERIODIC), 0u);
  timeKillEvent(a);
  UINT b = timeSetEvent(1000, 1, Count, 0, TIME_PERIODIC);
  EXPECT_NE(b, 0u);
  timeKillEvent(b);
  timeSetEventLimit(old);
}

} // namespace

// Console control events from the session's signals: delivered on the GUI thread from
// its event loop, the last added routine first; a second signal, or one that no
// routine takes, ends the program at once.
#include "win/console.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <functional>
#include <vector>

namespace {

std::vector<DWORD> seen;
std::vector<char> order;
bool onGuiThread = true;
BOOL answerA = TRUE;

BOOL RoutineA(DWORD type) {
  onGuiThread = onGuiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
  seen.push_back(type);
  order.push_back('A');
  return answerA;
}
BOOL RoutineB(DWORD) {
  order.push_back('B');
  return TRUE;
}
BOOL Refuse(DWORD) { return FALSE; }

void (*Disposition(int signo))(int) {
  struct sigaction now {};
  sigaction(signo, nullptr, &now);
  return now.sa_handler;
}

TEST(ConsoleControl, EachSignalArrivesAsItsEventOnTheGuiThreadFromTheLoop) {
  seen.clear();
  onGuiThread = true;
  const std::pair<int, DWORD> cases[] = {
      {SIGINT, CTRL_C_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}, {SIGTERM, CTRL_SHUTDOWN_EVENT}};
  for (auto [signo, type] : cases) {
    seen.clear();
    ASSERT_TRUE(SetConsoleCtrlHandler(RoutineA, TRUE));
    raise(signo);
    EXPECT_TRUE(seen.empty()) << "the routine ran inside the signal handler";
    ASSERT_TRUE(WaitFor([] { return !seen.empty(); })) << signo;
    EXPECT_EQ(seen, std::vector<DWORD>{type});
    // Removing the last routine gives the signal back; the next test starts afresh.
    ASSERT_TRUE(SetConsoleCtrlHandler(RoutineA, FALSE));
    EXPECT_EQ(Disposition(signo), SIG_DFL);
  }
  EXPECT_TRUE(onGuiThread);
}

TEST(ConsoleControl, TheLastAddedRoutineRunsFirstAndTheFirstToTakeItEndsTheRound) {
  order.clear();
  answerA = TRUE;
  ASSERT_TRUE(SetConsoleCtrlHandler(RoutineA, TRUE));
  ASSERT_TRUE(SetConsoleCtrlHandler(RoutineB, TRUE));
  raise(SIGTERM);
  ASSERT_TRUE(WaitFor([] { return !order.empty(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(order, std::vector<char>{'B'});
  EXPECT_TRUE(SetConsoleCtrlHandler(RoutineB, FALSE));
  EXPECT_TRUE(SetConsoleCtrlHandler(RoutineA, FALSE));
  EXPECT_FALSE(SetConsoleCtrlHandler(RoutineA, FALSE)) << "removed twice";
  EXPECT_FALSE(SetConsoleCtrlHandler(nullptr, TRUE));
}

TEST(ConsoleControl, ARefusingRoutineIsAskedAndTheNextOneTakesTheEvent) {
  order.clear();
  answerA = TRUE;
  ASSERT_TRUE(SetConsoleCtrlHandler(RoutineA, TRUE));
  ASSERT_TRUE(SetConsoleCtrlHandler(Refuse, TRUE));
  raise(SIGINT);
  ASSERT_TRUE(WaitFor([] { return !order.empty(); }));
  EXPECT_EQ(order, std::vector<char>{'A'});
  SetConsoleCtrlHandler(Refuse, FALSE);
  SetConsoleCtrlHandler(RoutineA, FALSE);
}

// The first signal is handed over but the loop never gets to it (a program stuck in
// its exit): the second ends the process with 128 + the signal number.
TEST(ConsoleControlDeathTest, ASecondSignalEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "fast"); // a re-run would lose the offscreen set-up
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(RoutineA, TRUE);
        raise(SIGTERM);
        raise(SIGINT);
        std::abort(); // not reached
      },
      ::testing::ExitedWithCode(128 + SIGINT), "");
}

TEST(ConsoleControlDeathTest, AnEventNoRoutineTakesEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "fast"); // a re-run would lose the offscreen set-up
  EXPECT_EXIT(
      {
        SetConsoleCtrlHandler(Refuse, TRUE);
        raise(SIGHUP);
        WaitFor([] { return false; }, 3000);
        std::abort(); // not reached
      },
      ::testing::ExitedWithCode(128 + SIGHUP), "");
}

} // namespace

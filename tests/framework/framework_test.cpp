#include "framework/application.h"
#include "framework/component.h"
#include "framework/hidden_window.h"
#include "framework/thread.h"
#include "support/scripted_dialogs.h"
#include "win/winbase.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <stdexcept>

namespace {

class Watcher : public TComponent {
public:
  using TComponent::TComponent;
  std::vector<QObject *> removed;
  void Notification(QObject *component, TOperation op) override {
    if (op == opRemove) removed.push_back(component);
  }
};

TEST(Component, OwnerAndNameRideOnTheObjectTree) {
  TComponent owner;
  auto *child = new TComponent(&owner);
  child->SetName("FilterGraph");
  EXPECT_EQ(child->Owner(), &owner);
  EXPECT_EQ(owner.findChild<QObject *>("FilterGraph"), child);
  EXPECT_FALSE(child->Loading());
  child->BeginLoading();
  EXPECT_TRUE(child->Loading());
  child->Loaded();
  EXPECT_FALSE(child->Loading());
}

TEST(Component, RemovalNoticeReachesEveryWatcherOnce) {
  Watcher a, b;
  auto *gone = new TComponent;
  a.FreeNotification(gone);
  a.FreeNotification(gone);
  b.FreeNotification(gone);
  delete gone;
  ASSERT_EQ(a.removed.size(), 1u);
  EXPECT_EQ(a.removed[0], gone);
  EXPECT_EQ(b.removed.size(), 1u);
}

TEST(Component, NoNoticeAfterTheWatcherIsGoneOrStoppedWatching) {
  auto *watched = new TComponent;
  auto *quitter = new Watcher;
  Watcher keeper;
  {
    Watcher shortLived;
    shortLived.FreeNotification(watched);
  }
  quitter->FreeNotification(watched);
  quitter->RemoveFreeNotification(watched);
  keeper.FreeNotification(watched);
  delete watched; // must not touch the destroyed watcher
  EXPECT_TRUE(quitter->removed.empty());
  EXPECT_EQ(keeper.removed.size(), 1u);
  delete quitter;
}

TEST(Application, FullStopIsAddedOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(TApplication::WithFullStop("Interface not supported"), "Interface not supported.");
  EXPECT_EQ(TApplication::WithFullStop("Done."), "Done.");
  EXPECT_EQ(TApplication::WithFullStop("Code ($8004027B)."), "Code ($8004027B).");
  EXPECT_EQ(TApplication::WithFullStop("Ends with a dash -"), "Ends with a dash -");
  EXPECT_EQ(TApplication::WithFullStop("(a)"), "(a)");
  EXPECT_EQ(TApplication::WithFullStop("x 9"), "x 9.");
  EXPECT_EQ(TApplication::WithFullStop(""), "");
}

TEST(Application, GuardShowsOneErrorBoxAndTheProgramGoesOn) {
  ScopedScriptedDialogs dialogs;
  Application().SetTitle("Quovadel DVD");
  int after = 0;
  Application().Guard(nullptr, [] { throw Exception("Interface not supported"); });
  Application().Guard(nullptr, [&] { ++after; });
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Interface not supported.");
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(after, 1);
}

TEST(Application, ForeignExceptionsAreShownToo) {
  ScopedScriptedDialogs dialogs;
  Application().Guard(nullptr, [] { throw std::runtime_error("disk on fire"); });
  Application().Guard(nullptr, [] { throw 42; });
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_EQ(dialogs->messages[0].text, "disk on fire.");
  EXPECT_FALSE(dialogs->messages[1].text.isEmpty());
}

TEST(HiddenWindow, ProcedureExceptionsReachTheGeneralHandler) {
  QStringList shown;
  Application().SetExceptionHook([&](QObject *, const QString &m) { shown << m; });
  HWND hwnd = AllocateHWnd([](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_APP + 1) throw Exception("graph failed");
    return 0;
  });
  PostMessageA(hwnd, WM_APP + 1, 0, 0);
  WaitFor([&] { return !shown.isEmpty(); });
  Application().SetExceptionHook(nullptr);
  DeallocateHWnd(hwnd);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], "graph failed.");
}

TEST(Application, SynchronizeRunsOnTheGuiThreadAndWaits) {
  std::atomic<bool> done{false};
  QThread *ranOn = nullptr;
  std::thread worker([&] {
    TApplication::Synchronize([&] { ranOn = QThread::currentThread(); });
    done = true;
  });
  WaitFor([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

class CountingThread : public TThread {
public:
  CountingThread(std::atomic<int> *count, std::atomic<int> *alive) : TThread(true), count_(count), alive_(alive) {
    ++*alive_;
  }
  ~CountingThread() override { --*alive_; }

protected:
  void Execute() override {
    while (!Terminated()) {
      ++*count_;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

private:
  std::atomic<int> *count_;
  std::atomic<int> *alive_;
};

TEST(Thread, SuspendedUntilStartedAndFreesItselfWhenTerminated) {
  std::atomic<int> count{0}, alive{0};
  auto *t = new CountingThread(&count, &alive);
  EXPECT_TRUE(t->Suspended());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(count.load(), 0);
  t->SetFreeOnTerminate(true);
  t->SetPriority(tpLower);
  t->Start();
  WaitFor([&] { return count.load() > 3; });
  EXPECT_GT(count.load(), 3);
  t->Terminate();
  WaitFor([&] { return alive.load() == 0; });
  EXPECT_EQ(alive.load(), 0);
}

class PriorityProbe : public TThread {
public:
  PriorityProbe() : TThread(true) {}
  std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN};

protected:
  void Execute() override {
    HANDLE self = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
    seen = GetThreadPriority(self);
    CloseHandle(self);
  }
};

// A priority set before Start reaches the running thread (lowering needs no privileges).
TEST(Thread, APrioritySetBeforeStartIsTheRunningThreadsPriority) {
  PriorityProbe t;
  t.SetPriority(tpIdle);
  t.Start();
  t.WaitFor();
  EXPECT_EQ(t.seen.load(), PlatformThreadPriority(tpIdle));
}

TEST(Thread, PriorityLevelsMapToPlatformValues) {
  EXPECT_EQ(PlatformThreadPriority(tpIdle), -15);
  EXPECT_EQ(PlatformThreadPriority(tpLowest), -2);
  EXPECT_EQ(PlatformThreadPriority(tpNormal), 0);
  EXPECT_EQ(PlatformThreadPriority(tpTimeCritical), 15);
}

} // namespace

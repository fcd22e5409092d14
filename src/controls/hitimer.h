// A timer with millisecond periods, in two ways of running:
// - multimedia-timer mode (UseThread false): a platform multimedia timer posts WM_TIMER
//   to a hidden window and OnTimer runs on the GUI thread; a tick that arrives while
//   the previous OnTimer still runs (a modal dialog inside it) is dropped;
// - thread mode (UseThread true, the default): a TLMDThreadedTimer sleeps for the
//   period, then runs OnTimer on the GUI thread and waits for it (Synchronize, the
//   default) or runs it on the tick thread itself (then OnTimer must not touch GUI
//   objects, nor wait for the GUI thread).
// The component holds the platform's timer resolution at its minimum period for its
// whole life. GUI thread only, except where said.
#pragma once

#include "framework/component.h"
#include "framework/thread.h"
#include "win/winuser.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

class TLMDHiTimer;

// What a tick thread shares with its timer. The timer detaches (timer = null) and stops
// the thread when it re-arms or goes; the thread never touches the timer after that.
struct TLMDTickLink {
  std::recursive_mutex lock; // guards `timer`; held while a tick runs on the tick thread
  TLMDHiTimer *timer = nullptr;
  std::mutex sleepLock;
  std::condition_variable wake;
  bool stopped = false; // guarded by sleepLock: the thread has been told to terminate
  void Stop();
  bool Stopped();
};

class TLMDThreadedTimer : public TThread {
public:
  // Created suspended and freed when its loop ends.
  explicit TLMDThreadedTimer(std::shared_ptr<TLMDTickLink> link);
  std::uint16_t SleepInterval() const { return sleepInterval_; }
  void SetSleepInterval(std::uint16_t ms) { sleepInterval_ = ms; }

protected:
  void Execute() override;

private:
  // Sleeps the interval; false when told to terminate meanwhile.
  bool Sleep();
  std::shared_ptr<TLMDTickLink> link_;
  std::atomic<std::uint16_t> sleepInterval_{1000};
};

class TLMDHiTimer : public TComponent {
  Q_OBJECT
public:
  explicit TLMDHiTimer(QObject *owner = nullptr, std::uint16_t interval = 1000);
  ~TLMDHiTimer() override;

  // The timer runs only while Enabled and OnTimer is set. Every change below that
  // re-arms the timer starts the period from zero.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // Milliseconds, kept within MinPeriod..MaxPeriod when assigned.
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t v);
  // Assigning always re-arms, even the same handler.
  const TNotifyEvent &OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);
  // Read by the tick thread at each tick.
  bool Synchronize() const { return synchronize_; }
  void SetSynchronize(bool v) { synchronize_ = v; }
  bool UseThread() const { return useThread_; }
  void SetUseThread(bool v);
  TThreadPriority ThreadPriority() const { return threadPriority_; }
  void SetThreadPriority(TThreadPriority v);

  // Raises OnTimer with the timer as sender.
  virtual void Tick();

  // State, for the curious and for tests.
  std::uint32_t MinPeriod() const { return minPeriod_; }
  std::uint32_t MaxPeriod() const { return maxPeriod_; }
  UINT TimerId() const { return timerId_; }
  HWND TimerWindow() const { return timerWindow_; }
  bool Busy() const { return busy_; }
  bool ThreadRunning() const { return link_ != nullptr; }
  // The period of the last tick thread started, and how often the timer has been armed
  // (a tick thread started or a multimedia timer set).
  std::uint16_t ThreadSleepInterval() const { return threadSleepInterval_; }
  unsigned Arms() const { return arms_; }

private:
  friend class TLMDThreadedTimer;
  void UpdateTimer();
  void StopThread();
  LRESULT TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static void TimerCallback(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

  std::atomic<bool> enabled_{false};
  std::atomic<bool> synchronize_{true};
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  bool useThread_ = true;
  TThreadPriority threadPriority_ = tpNormal;
  std::uint32_t minPeriod_ = 1;
  std::uint32_t maxPeriod_ = 1000000;
  UINT timerId_ = 0;
  HWND timerWindow_ = nullptr;
  bool busy_ = false;
  std::shared_ptr<TLMDTickLink> link_; // the running tick thread's link
  std::uint16_t threadSleepInterval_ = 0;
  unsigned arms_ = 0;
};

#include "controls/hitimer.h"

#include "framework/application.h"
#include "framework/hidden_window.h"
#include "win/mmsystem.h"

#include <chrono>
#include <exception>

// ---- tick thread ----

void TLMDTickLink::Stop() {
  {
    std::lock_guard guard(sleepLock);
    stopped = true;
  }
  wake.notify_all();
}

bool TLMDTickLink::Stopped() {
  std::lock_guard guard(sleepLock);
  return stopped;
}

TLMDThreadedTimer::TLMDThreadedTimer(std::shared_ptr<TLMDTickLink> link) : TThread(true), link_(std::move(link)) {
  SetFreeOnTerminate(true);
}

bool TLMDThreadedTimer::Sleep() {
  // Wakes early only to end: a terminated thread must not keep the process waiting.
  std::unique_lock lock(link_->sleepLock);
  return !link_->wake.wait_for(lock, std::chrono::milliseconds(sleepInterval_.load()), [this] { return link_->stopped; });
}

void TLMDThreadedTimer::Execute() {
  // The loop ends only when the timer tells it to; ticks stop as soon as the thread is
  // told to end, the application is terminating or the timer has gone.
  while (!link_->Stopped()) {
    if (!Sleep()) break;
    if (Application().Terminated()) continue;
    bool enabled = false, synchronize = true;
    {
      std::lock_guard guard(link_->lock);
      if (!link_->timer) continue;
      enabled = link_->timer->enabled_;
      synchronize = link_->timer->synchronize_;
    }
    if (!enabled || link_->Stopped()) continue;
    if (synchronize) {
      std::shared_ptr<TLMDTickLink> link = link_;
      Synchronize([link] {
        // On the GUI thread, where the timer is detached and destroyed: look again.
        if (link->Stopped() || !link->timer || Application().Terminated()) return;
        TLMDHiTimer *timer = link->timer;
        Application().Guard(timer, [timer] { timer->Tick(); });
      });
    } else {
      std::exception_ptr error;
      {
        std::lock_guard guard(link_->lock);
        if (link_->timer && !link_->Stopped()) {
          try {
            link_->timer->Tick();
          } catch (...) {
            error = std::current_exception();
          }
        }
      }
      if (error) TApplication::Synchronize([error] { Application().HandleException(nullptr, error); });
    }
  }
}

// ---- the timer ----

TLMDHiTimer::TLMDHiTimer(QObject *owner, std::uint16_t interval) : TComponent(owner) {
  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
    minPeriod_ = caps.wPeriodMin;
    maxPeriod_ = caps.wPeriodMax;
  }
  timeBeginPeriod(minPeriod_);
  interval_ = interval;
}

TLMDHiTimer::~TLMDHiTimer() {
  MarkDestroying();
  SetOnTimer(nullptr); // stops whichever timer runs
  timeEndPeriod(minPeriod_);
  enabled_ = false;
  if (timerWindow_) {
    DeallocateHWnd(timerWindow_);
    timerWindow_ = nullptr;
  }
}

void TLMDHiTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  UpdateTimer();
}

void TLMDHiTimer::SetInterval(std::uint32_t v) {
  if (v == interval_) return;
  interval_ = v < minPeriod_ ? minPeriod_ : v > maxPeriod_ ? maxPeriod_ : v;
  UpdateTimer();
}

void TLMDHiTimer::SetOnTimer(TNotifyEvent handler) {
  {
    // An unsynchronised tick may be reading the handler right now.
    std::shared_ptr<TLMDTickLink> link = link_;
    if (link) {
      std::lock_guard guard(link->lock);
      onTimer_ = std::move(handler);
    } else {
      onTimer_ = std::move(handler);
    }
  }
  UpdateTimer();
}

void TLMDHiTimer::SetUseThread(bool v) {
  if (v == useThread_) return;
  useThread_ = v;
  UpdateTimer();
}

void TLMDHiTimer::SetThreadPriority(TThreadPriority v) {
  if (v == threadPriority_) return;
  threadPriority_ = v;
  if (useThread_) UpdateTimer();
}

void TLMDHiTimer::Tick() {
  if (onTimer_) onTimer_(this);
}

void TLMDHiTimer::StopThread() {
  if (!link_) return;
  std::shared_ptr<TLMDTickLink> link = std::move(link_);
  link->Stop();
  // Waits only for a tick running on the tick thread; the thread frees itself.
  std::lock_guard guard(link->lock);
  link->timer = nullptr;
}

void TLMDHiTimer::UpdateTimer() {
  if (Designing()) return;
  StopThread();
  if (timerId_ != 0) {
    timeKillEvent(timerId_);
    timerId_ = 0;
  }
  if (Destroying()) return;
  if (useThread_) {
    if (timerWindow_) {
      DeallocateHWnd(timerWindow_);
      timerWindow_ = nullptr;
    }
    if (enabled_ && onTimer_) {
      auto link = std::make_shared<TLMDTickLink>();
      link->timer = this;
      auto *thread = new TLMDThreadedTimer(link);
      // The period is held in 16 bits; longer intervals run at the longest it can hold.
      threadSleepInterval_ = static_cast<std::uint16_t>(interval_ > 0xFFFF ? 0xFFFF : interval_);
      thread->SetSleepInterval(threadSleepInterval_);
      thread->SetPriority(threadPriority_);
      link_ = link;
      ++arms_;
      thread->Start();
    }
    return;
  }
  if (!timerWindow_)
    timerWindow_ = AllocateHWnd([this](HWND h, UINT m, WPARAM w, LPARAM l) { return TimerWindowProc(h, m, w, l); });
  if (interval_ != 0 && enabled_ && onTimer_) {
    timerId_ = timeSetEvent(interval_, interval_, &TLMDHiTimer::TimerCallback,
                            reinterpret_cast<DWORD_PTR>(timerWindow_), TIME_PERIODIC);
    busy_ = false;
    if (timerId_ == 0) throw EOutOfResources(QStringLiteral("Not enough timers available"));
    ++arms_;
  }
}

void TLMDHiTimer::TimerCallback(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  PostMessageA(reinterpret_cast<HWND>(user), WM_TIMER, id, 0);
}

LRESULT TLMDHiTimer::TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && timerId_ != 0 && wParam == timerId_) {
    if (busy_ || Application().Terminated()) return 0;
    busy_ = true;
    Tick(); // an exception leaves busy_ set: ticks are dropped until the timer is re-armed
    busy_ = false;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Periodic callbacks on the GUI thread with a settable interval and an on/off switch:
// an ordinary timer of its own, or a client of the process-wide shared timer service,
// which runs intervals in steps of 50 ms (an interval is rounded up to the next
// multiple of 50) and lets clients with the same interval share one timer.
#pragma once

#include "framework/component.h"

#include <cstdint>
#include <map>
#include <vector>

class QTimer;

class TLMDTimer : public TComponent {
  Q_OBJECT
public:
  explicit TLMDTimer(QObject *owner = nullptr, bool shared = false);
  ~TLMDTimer() override;

  bool Shared() const { return shared_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // Milliseconds; 0 never fires.
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t v);
  // The period the timer runs at while enabled: Interval, or the interval registered
  // with the shared service.
  std::uint32_t EffectiveInterval() const;

  TNotifyEvent OnTimer;

private:
  void Apply();
  bool shared_;
  bool enabled_ = false;
  std::uint32_t interval_ = 1000;
  QTimer *timer_ = nullptr; // ordinary timers only
};

// The shared timer service.
class TLMDTimerService {
public:
  static TLMDTimerService &Instance();
  static std::uint32_t RoundInterval(std::uint32_t ms) { return (ms + 49) / 50 * 50; }
  // Registers (or moves) a client; returns the interval it runs at.
  std::uint32_t Register(TLMDTimer *client, std::uint32_t interval);
  void Unregister(TLMDTimer *client);
  // 0 for a client that is not registered.
  std::uint32_t RegisteredInterval(const TLMDTimer *client) const;
  // Timers running now (one per distinct interval in use).
  std::size_t TimerCount() const { return groups_.size(); }

private:
  struct Group {
    QTimer *timer = nullptr;
    std::vector<TLMDTimer *> clients;
  };
  void Fire(std::uint32_t interval);
  std::map<std::uint32_t, Group> groups_;
};

#include "controls/lmdtimer.h"

#include "framework/application.h"

#include <QTimer>

#include <algorithm>

TLMDTimer::TLMDTimer(QObject *owner, bool shared) : TComponent(owner), shared_(shared) {
  if (!shared_) {
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
      if (OnTimer) Application().Guard(this, [this] { OnTimer(this); });
    });
  }
}

TLMDTimer::~TLMDTimer() {
  MarkDestroying();
  if (shared_) TLMDTimerService::Instance().Unregister(this);
}

void TLMDTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Apply();
}

void TLMDTimer::SetInterval(std::uint32_t v) {
  if (v == interval_) return;
  interval_ = v;
  Apply();
}

std::uint32_t TLMDTimer::EffectiveInterval() const {
  return shared_ ? TLMDTimerService::RoundInterval(interval_) : interval_;
}

void TLMDTimer::Apply() {
  const bool run = enabled_ && interval_ > 0;
  if (shared_) {
    if (run) TLMDTimerService::Instance().Register(this, interval_);
    else TLMDTimerService::Instance().Unregister(this);
    return;
  }
  if (run) timer_->start(static_cast<int>(std::min<std::uint32_t>(interval_, 0x7FFFFFFF)));
  else timer_->stop();
}

TLMDTimerService &TLMDTimerService::Instance() {
  static TLMDTimerService service;
  return service;
}

std::uint32_t TLMDTimerService::Register(TLMDTimer *client, std::uint32_t interval) {
  const std::uint32_t rounded = RoundInterval(interval);
  if (RegisteredInterval(client) == rounded) return rounded;
  Unregister(client);
  Group &group = groups_[rounded];
  if (!group.timer) {
    group.timer = new QTimer;
    group.timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(group.timer, &QTimer::timeout, group.timer, [this, rounded] { Fire(rounded); });
    group.timer->start(static_cast<int>(std::min<std::uint32_t>(rounded, 0x7FFFFFFF)));
  }
  group.clients.push_back(client);
  return rounded;
}

void TLMDTimerService::Unregister(TLMDTimer *client) {
  for (auto it = groups_.begin(); it != groups_.end(); ++it) {
    auto &clients = it->second.clients;
    auto found = std::find(clients.begin(), clients.end(), client);
    if (found == clients.end()) continue;
    clients.erase(found);
    if (clients.empty()) {
      // Possibly from inside this very timer's tick.
      it->second.timer->stop();
      it->second.timer->deleteLater();
      groups_.erase(it);
    }
    return;
  }
}

std::uint32_t TLMDTimerService::RegisteredInterval(const TLMDTimer *client) const {
  for (const auto &[interval, group] : groups_)
    if (std::find(group.clients.begin(), group.clients.end(), client) != group.clients.end()) return interval;
  return 0;
}

void TLMDTimerService::Fire(std::uint32_t interval) {
  auto it = groups_.find(interval);
  if (it == groups_.end()) return;
  // A handler may switch clients off or on: call only those still registered here.
  const std::vector<TLMDTimer *> clients = it->second.clients;
  for (TLMDTimer *client : clients) {
    auto now = groups_.find(interval);
    if (now == groups_.end()) return;
    auto &current = now->second.clients;
    if (std::find(current.begin(), current.end(), client) == current.end()) continue;
    if (client->OnTimer) Application().Guard(client, [client] { client->OnTimer(client); });
  }
}

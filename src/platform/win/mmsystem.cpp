#include "win/mmsystem.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

struct TimerEvent {
  UINT id = 0;
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  bool periodic = false;
  int timerFd = -1;
  int stopFd = -1;
  std::atomic<bool> stop{false};
  std::thread thread;

  ~TimerEvent() {
    if (timerFd >= 0) close(timerFd);
    if (stopFd >= 0) close(stopFd);
  }
};

struct TimerTable {
  std::mutex lock;
  std::map<UINT, std::shared_ptr<TimerEvent>> events;
  UINT nextId = 1;
  UINT limit = 256;
  std::map<UINT, UINT> periods; // period -> outstanding requests
};

// Never destroyed: event threads may still run while the process exits.
TimerTable &Table() {
  static TimerTable *table = new TimerTable;
  return *table;
}

void RunEvent(std::shared_ptr<TimerEvent> ev) {
  pollfd fds[2] = {{ev->timerFd, POLLIN, 0}, {ev->stopFd, POLLIN, 0}};
  while (!ev->stop.load()) {
    int n = poll(fds, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ev->stop.load() || (fds[1].revents & POLLIN)) break;
    if (!(fds[0].revents & POLLIN)) continue;
    std::uint64_t expirations = 0;
    if (read(ev->timerFd, &expirations, sizeof expirations) != sizeof expirations) continue;
    if (ev->stop.load()) break;
    ev->callback(ev->id, 0, ev->user, 0, 0);
    if (!ev->periodic) break;
  }
  if (!ev->periodic) {
    // A fired one-shot event ends by itself, unless timeKillEvent took it first.
    TimerTable &t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.events.find(ev->id);
    if (it != t.events.end() && it->second == ev) {
      t.events.erase(it);
      ev->thread.detach();
    }
  }
}

} // namespace

MMRESULT timeGetDevCaps(TIMECAPS *caps, UINT cbCaps) {
  if (!caps || cbCaps < sizeof(TIMECAPS)) return TIMERR_STRUCT;
  caps->wPeriodMin = kMinPeriod;
  caps->wPeriodMax = kMaxPeriod;
  return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
  if (period < kMinPeriod || period > kMaxPeriod) return TIMERR_NOCANDO;
  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  ++t.periods[period];
  return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.periods.find(period);
  if (it == t.periods.end()) return TIMERR_NOCANDO;
  if (--it->second == 0) t.periods.erase(it);
  return TIMERR_NOERROR;
}

DWORD timeGetTime() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

UINT timeSetEvent(UINT delay, UINT /*resolution*/, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
  if (!callback || delay < kMinPeriod || delay > kMaxPeriod) return 0;
  auto ev = std::make_shared<TimerEvent>();
  ev->callback = callback;
  ev->user = user;
  ev->periodic = (flags & TIME_PERIODIC) != 0;
  ev->timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
  ev->stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (ev->timerFd < 0 || ev->stopFd < 0) return 0;
  itimerspec period{};
  period.it_value.tv_sec = delay / 1000;
  period.it_value.tv_nsec = static_cast<long>(delay % 1000) * 1000000L;
  if (ev->periodic) period.it_interval = period.it_value;

  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  if (t.events.size() >= t.limit) return 0;
  ev->id = t.nextId++;
  if (t.nextId == 0) t.nextId = 1;
  if (timerfd_settime(ev->timerFd, 0, &period, nullptr) != 0) return 0;
  try {
    ev->thread = std::thread(RunEvent, ev);
  } catch (...) {
    return 0;
  }
  t.events[ev->id] = ev;
  return ev->id;
}

MMRESULT timeKillEvent(UINT id) {
  std::shared_ptr<TimerEvent> ev;
  {
    TimerTable &t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.events.find(id);
    if (it == t.events.end()) return MMSYSERR_INVALPARAM;
    ev = it->second;
    t.events.erase(it);
  }
  ev->stop = true;
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(ev->stopFd, &one, sizeof one);
  if (ev->thread.get_id() == std::this_thread::get_id()) ev->thread.detach();
  else ev->thread.join();
  return TIMERR_NOERROR;
}

UINT timeActiveEventCount() {
  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  return static_cast<UINT>(t.events.size());
}

UINT timeActivePeriodCount() {
  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  UINT n = 0;
  for (auto &[period, count] : t.periods) n += count;
  return n;
}

UINT timeSetEventLimit(UINT limit) {
  TimerTable &t = Table();
  std::lock_guard guard(t.lock);
  UINT old = t.limit;
  t.limit = limit;
  return old;
}

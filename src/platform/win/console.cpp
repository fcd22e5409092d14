// Console control events over POSIX signals: SIGINT is CTRL_C_EVENT, SIGHUP
// CTRL_CLOSE_EVENT, SIGTERM CTRL_SHUTDOWN_EVENT. The signal handler only counts and
// writes the signal number into a pipe; a socket notifier on the installing thread
// reads it there and runs the routines.
#include "win/console.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSignals[] = {SIGINT, SIGHUP, SIGTERM};

std::atomic<int> pending{0}; // signals handed over and not yet ended by a routine
int pipeFds[2] = {-1, -1};

struct Installed {
  std::vector<PHANDLER_ROUTINE> routines;
  std::unique_ptr<QSocketNotifier> notifier;
  struct sigaction old[3];
};
Installed *installed = nullptr;

void EndNow(int signo) {
  // Async-signal-safe: no destructors, no buffered output.
  _exit(128 + signo);
}

void OnSignal(int signo) {
  if (pending.fetch_add(1) > 0) EndNow(signo);
  const int saved = errno;
  unsigned char byte = static_cast<unsigned char>(signo);
  if (write(pipeFds[1], &byte, 1) != 1) EndNow(signo);
  errno = saved;
}

DWORD CtrlTypeOf(int signo) {
  switch (signo) {
  case SIGINT: return CTRL_C_EVENT;
  case SIGHUP: return CTRL_CLOSE_EVENT;
  default: return CTRL_SHUTDOWN_EVENT;
  }
}

void Dispatch() {
  unsigned char byte = 0;
  while (read(pipeFds[0], &byte, 1) == 1) {
    const int signo = byte;
    bool handled = false;
    if (installed) {
      // A routine may remove itself while it runs: walk a copy.
      std::vector<PHANDLER_ROUTINE> routines = installed->routines;
      for (auto it = routines.rbegin(); it != routines.rend() && !handled; ++it) handled = (*it)(CtrlTypeOf(signo)) != 0;
    }
    if (!handled) EndNow(signo);
  }
}

bool Install() {
  if (installed) return true;
  if (pipeFds[0] < 0) {
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  }
  auto state = std::make_unique<Installed>();
  state->notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
  QObject::connect(state->notifier.get(), &QSocketNotifier::activated, [] { Dispatch(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &state->old[i]);
  installed = state.release();
  return true;
}

void Uninstall() {
  if (!installed) return;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &installed->old[i], nullptr);
  delete installed;
  installed = nullptr;
  pending = 0;
}

} // namespace

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE routine, BOOL add) {
  if (!routine) return FALSE;
  if (add) {
    if (!Install()) return FALSE;
    installed->routines.push_back(routine);
    return TRUE;
  }
  if (!installed) return FALSE;
  auto &list = installed->routines;
  auto it = std::find(list.rbegin(), list.rend(), routine);
  if (it == list.rend()) return FALSE;
  list.erase(std::next(it).base());
  if (list.empty()) Uninstall();
  return TRUE;
}

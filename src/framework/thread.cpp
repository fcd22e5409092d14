#include "framework/thread.h"

#include "framework/application.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
void ApplyPriority(long tid, TThreadPriority priority) {
  if (tid == 0) return;
  // Threads take a nice value: higher priority means a lower value. Raising a priority
  // needs privileges the player does not have; a refusal leaves the thread as it was.
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), -PlatformThreadPriority(priority));
}
} // namespace

TThread::TThread(bool createSuspended) {
  if (!createSuspended) Start();
}

TThread::~TThread() {
  Terminate();
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();
    else thread_.join();
  }
}

void TThread::Start() {
  std::lock_guard guard(startLock_);
  if (started_.exchange(true)) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  { std::lock_guard guard(startLock_); }
  tid_ = static_cast<long>(syscall(SYS_gettid));
  ApplyPriority(tid_, priority_);
  Execute();
  finished_ = true;
  if (freeOnTerminate_) {
    thread_.detach();
    delete this;
  }
}

void TThread::SetPriority(TThreadPriority priority) {
  priority_ = priority;
  ApplyPriority(tid_, priority);
}

void TThread::WaitFor() {
  if (freeOnTerminate_) return;
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TThread::Synchronize(const std::function<void()> &fn) { TApplication::Synchronize(fn); }

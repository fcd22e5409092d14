#include "framework/thread.h"

#include "framework/application.h"

#include "win/winbase.h"

namespace {
void ApplyPriority(DWORD threadId, TThreadPriority priority) {
  HANDLE thread = OpenThread(THREAD_SET_INFORMATION, FALSE, threadId);
  if (!thread) return; // not running yet: applied when it starts
  // Raising a priority needs privileges the player does not have; a refusal leaves the
  // thread as it was.
  SetThreadPriority(thread, PlatformThreadPriority(priority));
  CloseHandle(thread);
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
  tid_ = GetCurrentThreadId();
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

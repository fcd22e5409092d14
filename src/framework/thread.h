// A thread object: Execute runs on its own thread; Terminate asks it to end;
// with FreeOnTerminate the object deletes itself when Execute returns.
#pragma once

#include "framework/component.h"

#include "com/types.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TThread {
public:
  explicit TThread(bool createSuspended);
  virtual ~TThread();
  TThread(const TThread &) = delete;
  TThread &operator=(const TThread &) = delete;

  // Starts a suspended thread (once).
  void Start();
  bool Suspended() const { return !started_; }
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  void SetFreeOnTerminate(bool v) { freeOnTerminate_ = v; }
  // Applied when the thread starts, and at once when it runs.
  void SetPriority(TThreadPriority priority);
  TThreadPriority Priority() const { return priority_; }
  // Waits until Execute has returned (not for a FreeOnTerminate thread).
  void WaitFor();

protected:
  virtual void Execute() = 0;
  // Runs fn on the GUI thread and waits for it.
  static void Synchronize(const std::function<void()> &fn);

private:
  void Run();
  std::mutex startLock_; // held while Start() stores the thread object
  std::thread thread_;
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<TThreadPriority> priority_{tpNormal};
  std::atomic<DWORD> tid_{0}; // the running thread's identifier, 0 before it starts
};

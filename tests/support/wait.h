// Waiting on a condition with a deadline, never for a fixed time.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <functional>

// Polls `done` until it holds or `ms` have passed; the calling thread's events (posted
// calls, timers, deferred deletions) run between polls. True when `done` held in time.
inline bool WaitFor(const std::function<bool()> &done, int ms = 10000) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(2);
  }
  return true;
}

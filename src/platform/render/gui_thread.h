// Running work on the GUI thread, where every widget lives.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <utility>

namespace render {

inline bool OnGuiThread() {
  QCoreApplication *app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

// Runs `fn` on the GUI thread and waits for it (at once when already there).
template <class Fn> void RunOnGui(Fn &&fn) {
  if (OnGuiThread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
}

// Runs `fn` on the GUI thread without waiting for it (at once when already there). For
// destructors: the last reference to a renderer can be dropped by a streaming thread
// while the GUI thread waits for that thread to end, so waiting here would never return.
template <class Fn> void PostToGui(Fn &&fn) {
  if (OnGuiThread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<Fn>(fn), Qt::QueuedConnection);
}

} // namespace render

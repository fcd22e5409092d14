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

} // namespace render

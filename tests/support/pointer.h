// Real pointer input through the X server (xdotool), waited on until it has reached this
// program's windows and been handled, instead of for a fixed time.
#pragma once

#include "support/wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QStringList>

// Counts the events of one type that this program's objects receive while it lives.
class EventCounter : public QObject {
public:
  explicit EventCounter(QEvent::Type type) : type_(type) { QCoreApplication::instance()->installEventFilter(this); }
  ~EventCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == type_) ++count;
    return false;
  }
  int count = 0;

private:
  QEvent::Type type_;
};

// Runs xdotool with `args` and waits until an event of type `last` (the one the input
// ends with) has been delivered here: the delivery, and what the receiver does with it
// there and then, is over when this returns true. False when xdotool fails or nothing
// arrives within `ms`.
inline bool PointerInput(const QStringList &args, QEvent::Type last, int ms = 5000) {
  EventCounter arrived(last);
  if (QProcess::execute("xdotool", args) != 0) return false;
  return WaitFor([&] { return arrived.count > 0; }, ms);
}

// A click of `button` at a screen point, handled by the window under it.
inline bool ClickOnScreen(QPoint at, int button = 1) {
  return PointerInput({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", QString::number(button)},
                      QEvent::MouseButtonRelease);
}

// A notification area for display tests: Debian's trayer, started and stopped by the
// test itself.
#pragma once

#include "win/shellapi.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QGuiApplication>

#include <functional>

inline void Pump(int ms) { WaitFor([] { return false; }, ms); }

class TrayHost {
public:
  TrayHost() { process_.setProcessChannelMode(QProcess::MergedChannels); }
  ~TrayHost() { Stop(); }
  bool Start() {
    process_.start("trayer", {"--edge", "bottom", "--align", "center", "--height", "32", "--widthtype", "request",
                              "--SetDockType", "true", "--SetPartialStrut", "false"});
    if (!process_.waitForStarted(5000)) return false;
    if (WaitFor([] { return NotificationAreaAvailable() != FALSE; }, 5000)) return true;
    qWarning("trayer (running %d) on %s: %s", int(process_.state() == QProcess::Running),
             qPrintable(QGuiApplication::platformName()), process_.readAll().constData());
    return false;
  }
  void Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
    WaitFor([] { return NotificationAreaAvailable() == FALSE; }, 5000);
  }

private:
  QProcess process_;
};

// The real program ends with status 0 on the session's end signals once its loop runs.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace {

// True once the process catches `signo` (its handler is in place).
bool Catches(qint64 pid, int signo) {
  QFile status(QString("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signo - 1)) & 1;
  return false;
}

bool WaitCatching(qint64 pid, int signo) {
  QElapsedTimer t;
  t.start();
  while (!Catches(pid, signo)) {
    if (t.elapsed() > 10000) return false;
    QThread::msleep(10);
  }
  return true;
}

void StartPlayer(QProcess &player, const QTemporaryDir &dir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("DVD_DEVICE", dir.filePath("no-disc-here"));
  player.setProcessEnvironment(env);
  player.start(QStringLiteral(QDVD_PLAYER_EXE), {});
  ASSERT_TRUE(player.waitForStarted(5000));
}

TEST(ProgramEnd, EachEndSignalEndsTheProgramWithStatusZeroWithin2s) {
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    QTemporaryDir dir;
    QProcess player;
    StartPlayer(player, dir);
    ASSERT_TRUE(WaitCatching(player.processId(), signo)) << "the program never handles signal " << signo;
    QElapsedTimer t;
    t.start();
    ::kill(static_cast<pid_t>(player.processId()), signo);
    ASSERT_TRUE(player.waitForFinished(2000)) << "still running 2 s after signal " << signo;
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit) << signo;
    EXPECT_EQ(player.exitCode(), 0) << signo;
  }
}

} // namespace

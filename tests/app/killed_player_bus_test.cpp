// A player process that is killed outright (no exit routine runs) leaves nothing on the
// session bus: its graph's registration goes with the process, as the bus and the
// inspector see it. The player here is this test program run again in a mode that
// plays the menu disc until it is killed.
#include "app/Unit1.h"
#include "app/startup.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"
#include "support/session_bus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

const char *const kPlayerTest = "PlayerProcess.DISABLED_PlaysTheMenuDiscUntilKilled";

QString PidText(qint64 pid) { return QString::number(pid, 16).toUpper(); }

// The registrations on the bus that belong to process `pid`.
std::vector<busprobe::Entry> EntriesOf(qint64 pid) {
  std::vector<busprobe::Entry> out;
  for (const busprobe::Entry &e : busprobe::Entries())
    if (e.displayName.endsWith(" pid " + PidText(pid))) out.push_back(e);
  return out;
}

bool BusNameTaken(qint64 pid) {
  return busprobe::Probe().interface()->isServiceRegistered(QString("org.quovadel.RunningObjects.pid%1").arg(pid));
}

// Waits (keeping this process's loop going) until `done` holds or `ms` pass.
bool WaitFor(const std::function<bool()> &done, int ms) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  return true;
}

// The inspector's list of every player's registrations.
QString InspectorList(int *exitCode) {
  QProcess p;
  p.start(QDVD_GRAPHS_TOOL, QStringList());
  if (!p.waitForFinished(10000)) p.kill();
  *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

// The player side, run only by the test below (disabled in a normal run): the player's
// windows, DVD › Play on the menu disc, then the message loop until the process dies.
TEST(PlayerProcess, DISABLED_PlaysTheMenuDiscUntilKilled) {
  CoInitialize(nullptr);
  ScopedScriptedDialogs dialogs;
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  Application().Run();
  Application().SetTitle(QStringLiteral("Quovadel DVD"));
  CreateApplicationForms();
  FormDVDPlayer->Show();
  qputenv("DVD_DEVICE", FixturePath("ntsc_menu").c_str());
  FormDVDPlayer->PlayMenu->trigger();
  ASSERT_TRUE(FormDVDPlayer->FilterGraph->Active());
  ASSERT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
  std::printf("playing\n");
  std::fflush(stdout);
  RunApplicationLoop();
  ADD_FAILURE() << "the loop ended before the process was killed";
}

TEST(KilledPlayer, LeavesNoEntryOnTheSessionBusAndTheInspectorListsNone) {
  NEEDS_DISCS();
  QProcess player;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM"); // the player sets up its own offscreen screen
  env.insert("SDL_AUDIODRIVER", "dummy");
  player.setProcessEnvironment(env);
  player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  player.start(QCoreApplication::applicationFilePath(),
               {"--gtest_also_run_disabled_tests", QString("--gtest_filter=") + kPlayerTest});
  ASSERT_TRUE(player.waitForStarted(5000));
  const qint64 pid = player.processId();

  // While it plays, its graph is on the bus, described, under the process's own name.
  ASSERT_TRUE(WaitFor([&] { return !EntriesOf(pid).empty(); }, 30000))
      << "the playing player's graph never showed on the bus; player said: "
      << QString::fromUtf8(player.readAllStandardOutput()).toStdString();
  const busprobe::Entry entry = EntriesOf(pid).front();
  EXPECT_TRUE(entry.displayName.startsWith("!FilterGraph ")) << entry.displayName.toStdString();
  EXPECT_EQ(entry.service, QString("org.quovadel.RunningObjects.pid%1").arg(pid));
  EXPECT_FALSE(busprobe::Rows(entry, "Filters").empty());
  EXPECT_TRUE(BusNameTaken(pid));
  int code = -1;
  EXPECT_TRUE(InspectorList(&code).contains(" pid " + PidText(pid)));

  // Killed outright: no exit routine, no revocation.
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  ASSERT_TRUE(player.waitForFinished(5000));
  EXPECT_EQ(player.exitStatus(), QProcess::CrashExit);

  EXPECT_TRUE(WaitFor([&] { return !BusNameTaken(pid); }, 5000)) << "the dead player's bus name is still taken";
  EXPECT_TRUE(EntriesOf(pid).empty());
  const QString list = InspectorList(&code);
  EXPECT_EQ(code, 0) << list.toStdString();
  EXPECT_FALSE(list.contains(" pid " + PidText(pid))) << list.toStdString();
}

// The rule for tests that need the authored discs or the display, seen from outside: a
// real test program run without them skips, and fails where the test command asks for
// the fixtures (QDVD_REQUIRE_FIXTURES=1).
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
  int code = -1;
  QString out;
};

// Runs a test program with the given environment changes (an empty value unsets).
Outcome RunTests(const char *program, const QString &filter, const QList<QPair<QString, QString>> &env) {
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  // Not what this process was given: its own platform set-up and the rule under test.
  for (const char *own : {"QDVD_REQUIRE_FIXTURES", "QDVD_NO_DISPLAY", "QT_QPA_PLATFORM"}) e.remove(own);
  for (const auto &[name, value] : env)
    if (value.isEmpty())
      e.remove(name);
    else
      e.insert(name, value);
  QProcess p;
  p.setProcessEnvironment(e);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QString::fromUtf8(program), {"--gtest_filter=" + filter});
  Outcome r;
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    r.out = "timed out";
    return r;
  }
  r.out = QString::fromUtf8(p.readAll());
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return r;
}

} // namespace

TEST(FixtureRule, MissingDiscsSkipLocallyAndFailUnderTheTestCommand) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  const Outcome local = RunTests(QDVD_DISC_TESTS, "Volume.*", {{"QDVD_FIXTURE_DIR", empty.path()}});
  EXPECT_EQ(local.code, 0) << local.out.toStdString();
  EXPECT_TRUE(local.out.contains("[  SKIPPED ]")) << local.out.toStdString();
  EXPECT_FALSE(local.out.contains("[  FAILED  ]")) << local.out.toStdString();

  const Outcome off =
      RunTests(QDVD_DISC_TESTS, "Volume.*", {{"QDVD_FIXTURE_DIR", empty.path()}, {"QDVD_REQUIRE_FIXTURES", "0"}});
  EXPECT_EQ(off.code, 0) << off.out.toStdString();

  const Outcome required =
      RunTests(QDVD_DISC_TESTS, "Volume.*", {{"QDVD_FIXTURE_DIR", empty.path()}, {"QDVD_REQUIRE_FIXTURES", "1"}});
  EXPECT_NE(required.code, 0) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("[  FAILED  ]")) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("test discs not built")) << required.out.toStdString();
  EXPECT_FALSE(required.out.contains("[  SKIPPED ]")) << required.out.toStdString();
}

TEST(FixtureRule, AnOptionalFixtureThatIsMissingFailsOnlyUnderTheTestCommand) {
  NEEDS_DISCS();
  // The menu disc without its image beside it.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QFile::link(QString::fromStdString(FixturePath("ntsc_menu")), dir.filePath("ntsc_menu")));
  ASSERT_TRUE(QFile::link(QString::fromStdString(FixturePath("pal_wide")), dir.filePath("pal_wide")));
  const Outcome local =
      RunTests(QDVD_DISC_TESTS, "Volume.AcceptsFoldersIfoPathsAndImages", {{"QDVD_FIXTURE_DIR", dir.path()}});
  EXPECT_EQ(local.code, 0) << local.out.toStdString();
  const Outcome required = RunTests(QDVD_DISC_TESTS, "Volume.AcceptsFoldersIfoPathsAndImages",
                                {{"QDVD_FIXTURE_DIR", dir.path()}, {"QDVD_REQUIRE_FIXTURES", "1"}});
  EXPECT_NE(required.code, 0) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("missing fixture")) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("ntsc_menu.iso")) << required.out.toStdString();
}

TEST(FixtureRule, NoDisplaySkipsLocallyAndFailsUnderTheTestCommand) {
  const QString filter = "TrayDisplay.ActivatingTwiceDoesNothingTheSecondTime";
  const QList<QPair<QString, QString>> noDisplay = {
      {"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
  const Outcome local = RunTests(QDVD_DISPLAY_TESTS, filter, noDisplay);
  EXPECT_EQ(local.code, 0) << local.out.toStdString();
  EXPECT_TRUE(local.out.contains("[  SKIPPED ]")) << local.out.toStdString();

  auto env = noDisplay;
  env.append(QPair<QString, QString>("QDVD_REQUIRE_FIXTURES", "1"));
  const Outcome required = RunTests(QDVD_DISPLAY_TESTS, filter, env);
  EXPECT_NE(required.code, 0) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("[  FAILED  ]")) << required.out.toStdString();
  EXPECT_TRUE(required.out.contains("no display")) << required.out.toStdString();
}

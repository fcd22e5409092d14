// The reading library's complaints about a damaged disc reach the qdvd.nav category,
// not raw stderr.
#include "dvd/disc_info.h"
#include "dvd/nav_session.h"
#include "support/fixtures.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {

// Runs fn with the process's stderr going to a file; returns what was written there.
template <class Fn> QByteArray RawStderrOf(Fn fn) {
  QTemporaryFile file;
  if (!file.open()) return "no temporary file";
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(file.handle(), 2);
  fn();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  file.seek(0);
  return file.readAll();
}

QStringList LibraryLines(ScopedLogCapture &log, QtMsgType type) {
  QStringList out;
  for (const QString &text : log.Texts("qdvd.nav", type))
    if (text.startsWith("libdvdread: ") || text.startsWith("libdvdnav: ")) out << text;
  return out;
}

TEST(LibraryLog, TheDamagedDiscsComplaintsAreWarningsInTheNavCategoryNotRawStderr) {
  NEEDS_DISCS();
  const std::string disc = FixturePath("damaged");
  {
    ScopedLogCapture log;
    dvd::DiscInfo info;
    const QByteArray raw = RawStderrOf([&] { dvd::ReadDiscInfo(disc, &info); });
    const QStringList warnings = LibraryLines(log, QtWarningMsg);
    EXPECT_FALSE(warnings.filter("CHECK_VALUE").isEmpty()) << warnings.join('\n').toStdString();
    EXPECT_TRUE(LibraryLines(log, QtDebugMsg).isEmpty()) << "debug lines are off by default";
    EXPECT_FALSE(raw.contains("CHECK_VALUE")) << raw.toStdString();
  }
  {
    ScopedLogCapture log("qdvd.nav.debug=true");
    dvd::DiscInfo info;
    dvd::ReadDiscInfo(disc, &info);
    EXPECT_FALSE(LibraryLines(log, QtDebugMsg).isEmpty()) << "the library's other lines show with debug on";
  }
}

// A disc folder has no drive to read a name from; the libraries call that an error on
// every open, which is no reason to warn.
TEST(LibraryLog, AGoodDiscFolderOpensWithoutWarnings) {
  NEEDS_DISCS();
  const std::string disc = FixturePath("ntsc_menu");
  ScopedLogCapture log;
  dvd::DiscInfo info;
  EXPECT_TRUE(dvd::ReadDiscInfo(disc, &info));
  std::string error;
  EXPECT_TRUE(dvd::NavSession::Open(disc, &error)) << error;
  EXPECT_TRUE(log.Texts("qdvd.nav", QtWarningMsg).isEmpty()) << log.Texts("qdvd.nav", QtWarningMsg).join('\n').toStdString();
}

} // namespace

// The reading library's complaints about a damaged disc reach the qdvd.nav category,
// not raw stderr; a pack that still carries its scrambling flags is recognised.
#include "dvd/disc_info.h"
#include "dvd/nav_session.h"
#include "dvd/scrambling.h"
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

std::vector<BYTE> Pack(BYTE stream, BYTE flags) {
  std::vector<BYTE> p(2048, 0xFF);
  const BYTE head[] = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8, 0, 0, 1, stream, 0x07, 0xEC, flags};
  std::copy(std::begin(head), std::end(head), p.begin());
  return p;
}

TEST(Scrambling, OnlyAMediaPacketWithItsScramblingBitsSetMarksThePack) {
  for (BYTE stream : {BYTE(0xE0), BYTE(0xBD), BYTE(0xC0)}) {
    EXPECT_FALSE(dvd::PackScrambled(Pack(stream, 0x81).data(), 2048)) << int(stream);
    EXPECT_TRUE(dvd::PackScrambled(Pack(stream, 0x91).data(), 2048)) << int(stream);
    EXPECT_TRUE(dvd::PackScrambled(Pack(stream, 0xB1).data(), 2048)) << int(stream);
  }
  // A navigation pack begins with the system header: its byte there is no flag.
  EXPECT_FALSE(dvd::PackScrambled(Pack(0xBB, 0xFF).data(), 2048));
  EXPECT_FALSE(dvd::PackScrambled(Pack(0xBF, 0x91).data(), 2048));
  // Not a pack, or too short to tell.
  std::vector<BYTE> notPack = Pack(0xE0, 0x91);
  notPack[3] = 0xB9;
  EXPECT_FALSE(dvd::PackScrambled(notPack.data(), 2048));
  EXPECT_FALSE(dvd::PackScrambled(Pack(0xE0, 0x91).data(), 20));
  EXPECT_FALSE(dvd::PackScrambled(nullptr, 2048));
}

} // namespace

// Where the bookmark file goes: beside the executable while its folder can be written,
// else in the user's data folder; the data folder follows XDG_DATA_HOME, then the home
// folder; the choice is made once.
#include "app/bookmark_file.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

TEST(BookmarkFile, BesideAWritableExecutableElseInTheDataFolder) {
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", true, "/home/u/.local/share"), "/opt/player/bookmark.bmk");
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", false, "/home/u/.local/share"),
            "/home/u/.local/share/quovadel-dvd/bookmark.bmk");
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", false, "/data/"), "/data/quovadel-dvd/bookmark.bmk");
  // No data folder at all: the executable's folder is the only place left.
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", false, ""), "/opt/player/bookmark.bmk");
}

// The data folder the choice is given: XDG_DATA_HOME when set, else ~/.local/share.
TEST(BookmarkFile, TheDataFolderIsXdgDataHomeElseTheHomeFolders) {
  const QByteArray savedData = qgetenv("XDG_DATA_HOME"), savedHome = qgetenv("HOME");
  const bool hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
  qputenv("HOME", dir.filePath("home").toLocal8Bit());
  const QString fromXdg = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  qunsetenv("XDG_DATA_HOME");
  const QString fromHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  qputenv("HOME", savedHome);
  if (hadData) qputenv("XDG_DATA_HOME", savedData);
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", false, fromXdg), dir.filePath("data/quovadel-dvd/bookmark.bmk"));
  EXPECT_EQ(ChooseBookmarkFile("/opt/player/", false, fromHome),
            dir.filePath("home/.local/share/quovadel-dvd/bookmark.bmk"));
}

// This test's folder in the build tree can be written: the file is beside it, as for a
// player started from its build folder, and it stays the same file for the whole run.
TEST(BookmarkFile, ARunFromTheBuildFolderKeepsTheFileBesideTheExecutable) {
  const QString &file = BookmarkFile();
  EXPECT_EQ(file, QCoreApplication::applicationDirPath() + "/bookmark.bmk");
  EXPECT_EQ(&BookmarkFile(), &file);
}

} // namespace

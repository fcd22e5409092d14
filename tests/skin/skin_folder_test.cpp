#include "skin/skin_folder.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString Assets() { return QStringLiteral(QDVD_SOURCE_DIR "/assets/temi"); }

void Write(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(SkinFolder, ReadsTheBundledSkinWithEverySectionAndAbsoluteImagePaths) {
  std::optional<SkinFolder> skin = ReadSkinFolder(Assets(), "cappuccino");
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->name, "cappuccino");
  EXPECT_TRUE(skin->description.contains("schiuma, caffelatte")); // commas are kept
  for (const char *section : {"FORM", "BUTTON", "CHECKBOX", "PANEL"})
    EXPECT_FALSE(skin->Sheet(section).isEmpty()) << section;
  QString checkbox = skin->Sheet("checkbox");
  EXPECT_FALSE(checkbox.contains("@SKIN@"));
  QString absolute = QDir(Assets() + "/cappuccino").absolutePath();
  EXPECT_TRUE(checkbox.contains("url(" + absolute + "/check_on.png)"));
  EXPECT_TRUE(QFile::exists(absolute + "/check_on.png"));
}

TEST(SkinFolder, FoldersThatAreNoSkinGiveNothing) {
  QTemporaryDir temp;
  EXPECT_FALSE(ReadSkinFolder(temp.path(), "cappuccino").has_value()); // no folder
  QDir(temp.path()).mkdir("empty");
  EXPECT_FALSE(ReadSkinFolder(temp.path(), "empty").has_value()); // no skin.ini
  QDir(temp.path()).mkdir("nogroup");
  Write(temp.path() + "/nogroup/skin.ini", "name=nogroup\n");
  EXPECT_FALSE(ReadSkinFolder(temp.path(), "nogroup").has_value());
  QDir(temp.path()).mkdir("dirini");
  QDir(temp.path()).mkpath("dirini/skin.ini"); // a folder where the file should be
  EXPECT_FALSE(ReadSkinFolder(temp.path(), "dirini").has_value());
  EXPECT_FALSE(ReadSkinFolder("", "cappuccino").has_value());
  EXPECT_FALSE(ReadSkinFolder(Assets(), "").has_value());
}

TEST(SkinFolder, MissingOrUnreadableSheetsLeaveOnlyTheirSectionUnskinned) {
  QTemporaryDir temp;
  QDir(temp.path()).mkdir("half");
  QString dir = temp.path() + "/half";
  Write(dir + "/skin.ini", "; a comment\n[other]\nsections=NOPE\n[skin]\nname = half\nsections = FORM, BUTTON, CHECKBOX, PANEL\n");
  Write(dir + "/FORM.qss", "QWidget { background: #101010; }");
  Write(dir + "/BUTTON.qss", QByteArray("QPushButton { color: \xff\xfe red; }")); // not UTF-8
  QDir(dir).mkdir("PANEL.qss");                                                    // unreadable
  std::optional<SkinFolder> skin = ReadSkinFolder(temp.path(), "half");
  ASSERT_TRUE(skin.has_value());
  EXPECT_EQ(skin->name, "half");
  EXPECT_EQ(skin->Sheet("FORM"), "QWidget { background: #101010; }");
  EXPECT_TRUE(skin->Sheet("BUTTON").isEmpty());
  EXPECT_TRUE(skin->Sheet("CHECKBOX").isEmpty());
  EXPECT_TRUE(skin->Sheet("PANEL").isEmpty());
  EXPECT_EQ(skin->sheets.size(), 1u);
}

} // namespace

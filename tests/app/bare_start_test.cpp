// Start-up from a folder without "temi" and with no disc: the program starts with
// plain controls in the windows' colours and reports nothing.
#include "player_fixture.h"

#include "engine/filter_graph.h"
#include "framework/buttons.h"
#include "framework/label.h"
#include "skin/skin_manager.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

namespace {

TEST_F(PlayerTest, WithoutASkinFolderTheWindowsArePlainAndNothingIsReported) {
  ASSERT_FALSE(QDir(QCoreApplication::applicationDirPath() + "/temi").exists());
  TsSkinManager *skin = FormDVDPlayer->sSkinManager1;
  EXPECT_TRUE(skin->Active());
  EXPECT_FALSE(skin->SkinLoaded());
  Form3->SetVisible(true);
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  Application().Run();
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_TRUE(Form3->isVisible());
  for (TForm *w : {static_cast<TForm *>(FormDVDPlayer), static_cast<TForm *>(Form2), static_cast<TForm *>(Form3),
                   static_cast<TForm *>(Form4)})
    EXPECT_TRUE(w->styleSheet().isEmpty()) << w->Name().toStdString();
  EXPECT_TRUE(FormDVDPlayer->sBitBtn1->styleSheet().isEmpty());
  // The window colour and the label colour.
  QImage shot = FormDVDPlayer->Client()->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(300, 55)), QColor(71, 52, 25));
  EXPECT_EQ(FormDVDPlayer->Labelcap->palette().color(QPalette::WindowText), QColor(157, 147, 118));
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_TRUE(dialogs->messages.empty());
}

// The real program, copied into a folder of its own without "temi", starts and keeps
// running with no disc (it is stopped from outside).
TEST(Program, StartsWithoutSkinFolderOrDisc) {
  QTemporaryDir dir;
  QString exe = dir.filePath("QuovadelDVD");
  ASSERT_TRUE(QFile::copy(QStringLiteral(QDVD_PLAYER_EXE), exe));
  QProcess player;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("DVD_DEVICE", dir.filePath("no-disc-here"));
  player.setProcessEnvironment(env);
  player.start(exe, {});
  ASSERT_TRUE(player.waitForStarted(5000));
  EXPECT_FALSE(player.waitForFinished(1500)) << "the player ended by itself: "
                                             << player.readAllStandardError().toStdString();
  player.kill();
  player.waitForFinished(5000);
  QString errors = QString::fromLocal8Bit(player.readAllStandardError());
  EXPECT_FALSE(errors.contains("rror", Qt::CaseInsensitive)) << errors.toStdString();
}

} // namespace

// Discs that fail while they play, on the real platform: the truncated authored disc,
// a disc folder moved away, and a scrambled disc read without the decryption library. The person is told once, the labels keep their last
// values, and Play, Open and exit still answer.
#include "real_player_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kFailed = QString::fromUtf8("Impossibile leggere il disco: la riproduzione si è fermata.\n");

const QString kScrambled = QString::fromUtf8(
    "Questo disco è protetto (CSS) e la libreria libdvdcss non è installata: non può essere riprodotto.");

class DiscFailureDisplayTest : public RealPlayerTest {
protected:
  void SetUp() override {
    RealPlayerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    dialogs->onMessageBox = [this](const RecordedMessage &) { labelsAtBox_ = Labels(); };
  }
  // Waits for the failure box; then, over a second and a half, no second one comes and
  // the labels stay as the box found them.
  void ExpectToldOnce(const QString &reason) {
    ASSERT_TRUE(WaitFor([&] { return !dialogs->messages.empty(); }, 30000)) << "the failure is not told";
    const RecordedMessage &box = dialogs->messages[0];
    EXPECT_EQ(box.text, kFailed + reason);
    EXPECT_EQ(box.caption, "Quovadel DVD");
    EXPECT_EQ(box.flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(labelsAtBox_.contains("Titolo: 1")) << labelsAtBox_.toStdString();
    EXPECT_FALSE(WaitFor([&] { return dialogs->messages.size() > 1; }, 1500)) << dialogs->messages[1].text.toStdString();
    EXPECT_EQ(Labels(), labelsAtBox_);
    EXPECT_TRUE(Graph()->Active()) << "the graph was let go";
  }
  // Play, Open of a good disc and exit answer after the failure.
  void ExpectStillAnswers() {
    FormDVDPlayer->PlayMenu->trigger();
    EXPECT_TRUE(Graph()->Active());
    dialogs->openAnswers.push_back(Disc("ntsc_menu") + "/VIDEO_TS/VIDEO_TS.IFO");
    FormDVDPlayer->OpenMenu->trigger();
    EXPECT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; })) << "the other disc does not play";
    const std::size_t told = dialogs->messages.size();
    FormDVDPlayer->ExitMenu->trigger();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(Graph()->Active());
    EXPECT_EQ(dialogs->messages.size(), told);
  }
  QString labelsAtBox_;
};

// The disc's title 1 file ends half way through chapter 2.
TEST_F(DiscFailureDisplayTest, ATruncatedDiscIsToldOnceAndThePlayerGoesOn) {
  PlayVolume(Disc("damaged"));
  PlayTitle(1);
  ExpectToldOnce("Reading from the disc or file failed.");
  EXPECT_TRUE(labelsAtBox_.contains("Capitolo: 2")) << labelsAtBox_.toStdString();
  ExpectStillAnswers();
}

TEST_F(DiscFailureDisplayTest, ADiscFolderMovedAwayWhilePlayingIsToldOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString disc = dir.filePath("disc"), moved = dir.filePath("moved");
  ASSERT_EQ(QProcess::execute("cp", {"-r", Disc("ntsc_menu"), disc}), 0);
  PlayVolume(disc);
  PlayTitle(1);
  ASSERT_TRUE(QDir().rename(disc, moved));
  ExpectToldOnce("The folder could not be found.");
  ExpectStillAnswers();
}

// Every media pack of the disc carries the scrambling flags: nothing of it is played,
// the person is told once, also when Play is tried again, and the player goes on.
TEST_F(DiscFailureDisplayTest, AScrambledDiscIsToldOnceAndNotPlayed) {
  const QString disc = Disc("scrambled");
  ASSERT_TRUE(QFileInfo::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO")) << "no scrambled disc in " << FixtureDir();
  qputenv("DVD_DEVICE", disc.toLocal8Bit());
  FormDVDPlayer->PlayMenu->trigger();
  ASSERT_TRUE(WaitFor([&] { return !dialogs->messages.empty(); }, 30000)) << "the scrambled disc is not told";
  const RecordedMessage box = dialogs->messages[0];
  EXPECT_EQ(box.text, kScrambled);
  EXPECT_EQ(box.caption, "Quovadel DVD");
  EXPECT_EQ(box.flags, unsigned(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Stop; })) << "the navigator goes on with it";
  EXPECT_FALSE(labelsAtBox_.contains("Tempo: 0:0:")) << labelsAtBox_.toStdString();
  FormDVDPlayer->PlayMenu->trigger();
  EXPECT_FALSE(WaitFor([&] { return dialogs->messages.size() > 1; }, 1500)) << dialogs->messages[1].text.toStdString();
  EXPECT_TRUE(Graph()->Active());
  ExpectStillAnswers();
}

} // namespace

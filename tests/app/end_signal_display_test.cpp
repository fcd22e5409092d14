// The session asks the player to end (kill, Ctrl+C, log-off) while a disc plays, is
// paused, sits in its menu, is shown full screen or behind a modal box: the exit
// routine runs on the GUI thread, the graph is torn down and the loop ends with 0.
#include "real_player_fixture.h"

#include "video/video_window.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>

namespace {

class EndSignalTest : public RealPlayerTest {
protected:
  // Sends `signo` from the loop once `ready` holds and runs the loop; the loop must end
  // within 2 s of the signal with the graph gone and nothing reported.
  void EndsWithin2s(int signo, const std::function<bool()> &ready = [] { return true; }) {
    QElapsedTimer sent;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (sent.isValid() || !ready()) return;
      sent.start();
      raise(signo);
    });
    poll.start();
    QTimer guard; // a loop that never ends fails the test instead of hanging it
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    const int code = RunApplicationLoop();
    ASSERT_TRUE(sent.isValid()) << "never ready to send the signal";
    EXPECT_LT(sent.elapsed(), 2000);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(Graph()->Active()) << "the graph was not torn down";
    EXPECT_FALSE(Query<IDvdControl2>()) << "the graph is still there";
  }
};

TEST_F(EndSignalTest, TerminationWhileATitlePlays) {
  PlayVolume(Disc("ntsc_menu"));
  PlayTitle(1);
  EndsWithin2s(SIGTERM);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(EndSignalTest, InterruptWhileTheDiscMenuShowsAndHangUpWhilePaused) {
  PlayVolume(Disc("ntsc_menu"));
  EndsWithin2s(SIGINT);
  TearDown();
  SetUp();
  PlayVolume(Disc("pal_wide"));
  PlayTitle(1);
  ASSERT_TRUE(Graph()->Pause());
  EndsWithin2s(SIGHUP);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(EndSignalTest, TerminationInFullScreen) {
  PlayVolume(Disc("ntsc_menu"));
  PlayTitle(1);
  Form3->VideoWindow->SetFullScreen(true);
  ASSERT_TRUE(WaitFor([] { return Form3->VideoWindow->FullScreenActive(); }));
  EndsWithin2s(SIGTERM);
}

// A real modal box runs its own loop; the end request reaches the exit routine from
// inside it, and the box gives way.
TEST_F(EndSignalTest, TerminationWhileAModalBoxIsOpen) {
  PlayVolume(Disc("ntsc_menu"));
  PlayTitle(1);
  bool boxReturned = false;
  QTimer::singleShot(0, [&] {
    QMessageBox box(QMessageBox::Critical, "Quovadel DVD", "modal", QMessageBox::Ok, FormDVDPlayer);
    box.exec();
    boxReturned = true;
  });
  EndsWithin2s(SIGTERM, [] { return QApplication::activeModalWidget() != nullptr; });
  EXPECT_TRUE(boxReturned);
}

} // namespace

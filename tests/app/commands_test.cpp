// The transport and navigation commands from every control bound to them, against a
// scripted navigator over the real graph manager: their guard, the call each makes,
// the scans, the full-screen switch with its notice, the drive tray.
#include "play_fixture.h"

#include "app/Unit4.h"
#include "framework/buttons.h"
#include "framework/panel.h"
#include "video/video_window.h"
#include "win/mci.h"

#include <functional>
#include <utility>

namespace {

using Use = std::pair<const char *, std::function<void()>>;

const QString kNotice = QString::fromUtf8("La modalità schermo intero, è attiva in fase di lettura del dvd.");

// The controls of each guarded command (menu item, popup item, panel and toolbar
// buttons) and what the navigator or the graph is asked.
struct Row {
  const char *call;
  std::vector<Use> controls;
};

std::vector<Row> GuardedRows() {
  TFormDVDPlayer *p = FormDVDPlayer;
  return {
      {"Step 1 null", {{"StepForwardMenu", [p] { p->StepForwardMenu->trigger(); }},
                       {"panel sBitBtn9", [p] { p->sBitBtn9->click(); }}}},
      {"PlayNextChapter 0", {{"NextChapterMenu", [p] { p->NextChapterMenu->trigger(); }},
                             {"NextChapter2", [p] { p->NextChapter2->trigger(); }},
                             {"panel sBitBtn7", [p] { p->sBitBtn7->click(); }},
                             {"toolbar sBitBtn15", [] { Form4->sBitBtn15->click(); }}}},
      {"PlayPrevChapter 0", {{"PreviousChapterMenu", [p] { p->PreviousChapterMenu->trigger(); }},
                             {"PreviousChapter2", [p] { p->PreviousChapter2->trigger(); }},
                             {"panel sBitBtn6", [p] { p->sBitBtn6->click(); }},
                             {"toolbar sBitBtn14", [] { Form4->sBitBtn14->click(); }}}},
      {"PlayForwards 8 0", {{"FastForward1", [p] { p->FastForward1->trigger(); }},
                            {"FastForward2", [p] { p->FastForward2->trigger(); }},
                            {"panel sBitBtn5", [p] { p->sBitBtn5->click(); }},
                            {"toolbar sBitBtn13", [] { Form4->sBitBtn13->click(); }}}},
      {"PlayBackwards 8 0", {{"Rewind1", [p] { p->Rewind1->trigger(); }},
                             {"Rewind2", [p] { p->Rewind2->trigger(); }},
                             {"panel sBitBtn4", [p] { p->sBitBtn4->click(); }},
                             {"toolbar sBitBtn12", [] { Form4->sBitBtn12->click(); }}}},
      {"ShowMenu 3 0", {{"MenuRoot", [p] { p->MenuRoot->trigger(); }},
                        {"MenuRoot2", [p] { p->MenuRoot2->trigger(); }},
                        {"panel sBitBtn10", [p] { p->sBitBtn10->click(); }}}},
      {"ShowMenu 2 0", {{"TitleMenu", [p] { p->TitleMenu->trigger(); }},
                        {"TitleMenu2", [p] { p->TitleMenu2->trigger(); }}}},
  };
}

class CommandsTest : public PlayTest {
protected:
  void SetUp() override {
    PlayTest::SetUp();
    dvd.script.withVideo = true;
  }
  void TearDown() override {
    mciSetCdAudioDrives({});
    PlayTest::TearDown();
  }
  FILTER_STATE GraphState() { return dvd.last->audio->State(); }
  ScriptedNavigator *Navigator() { return dvd.last->navigator.Get(); }
  bool FullScreen() { return Form3->VideoWindow->FullScreen(); }
};

TEST_F(CommandsTest, EveryGuardedCommandDoesWhatItsRowSaysFromEachOfItsControls) {
  PlayingDisc();
  for (const Row &row : GuardedRows()) {
    for (const auto &[name, use] : row.controls) {
      SCOPED_TRACE(name);
      trace.clear();
      use();
      EXPECT_EQ(trace, Trace{row.call});
    }
  }
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(CommandsTest, GuardedCommandsWithNoDiscDoNothingAndShowNothing) {
  for (const Row &row : GuardedRows()) {
    for (const auto &[name, use] : row.controls) {
      SCOPED_TRACE(name);
      use();
    }
  }
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(dvd.created, 0);
  EXPECT_FALSE(Graph()->Active());
  EXPECT_TRUE(dialogs->messages.empty());

  // Pause and Stop have no guard of their own: without a graph the engine does nothing.
  const Use unguarded[] = {
      {"PauseMenu", [] { FormDVDPlayer->PauseMenu->trigger(); }},
      {"Pause2", [] { FormDVDPlayer->Pause2->trigger(); }},
      {"panel sBitBtn2", [] { FormDVDPlayer->sBitBtn2->click(); }},
      {"toolbar sBitBtn9", [] { Form4->sBitBtn9->click(); }},
      {"StopMenu", [] { FormDVDPlayer->StopMenu->trigger(); }},
      {"Stop2", [] { FormDVDPlayer->Stop2->trigger(); }},
      {"panel sBitBtn3", [] { FormDVDPlayer->sBitBtn3->click(); }},
      {"toolbar sBitBtn10", [] { Form4->sBitBtn10->click(); }},
  };
  for (const auto &[name, use] : unguarded) use();
  EXPECT_TRUE(trace.empty());
  EXPECT_FALSE(Graph()->Active());
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(CommandsTest, PauseAndStopMoveTheGraphFromEachOfTheirControls) {
  PlayingDisc();
  const Use pauses[] = {
      {"PauseMenu", [] { FormDVDPlayer->PauseMenu->trigger(); }},
      {"Pause2", [] { FormDVDPlayer->Pause2->trigger(); }},
      {"panel sBitBtn2", [] { FormDVDPlayer->sBitBtn2->click(); }},
      {"toolbar sBitBtn9", [] { Form4->sBitBtn9->click(); }},
  };
  const Use stops[] = {
      {"StopMenu", [] { FormDVDPlayer->StopMenu->trigger(); }},
      {"Stop2", [] { FormDVDPlayer->Stop2->trigger(); }},
      {"panel sBitBtn3", [] { FormDVDPlayer->sBitBtn3->click(); }},
      {"toolbar sBitBtn10", [] { Form4->sBitBtn10->click(); }},
  };
  for (const Use *set : {pauses, stops}) {
    const FILTER_STATE expected = set == pauses ? State_Paused : State_Stopped;
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(set[i].first);
      ASSERT_TRUE(Graph()->Play());
      ASSERT_EQ(GraphState(), State_Running);
      set[i].second();
      EXPECT_EQ(GraphState(), expected);
    }
  }
  // Neither asks the navigator anything.
  for (const std::string &line : trace) EXPECT_EQ(line, "Audio runs");
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(CommandsTest, ScansKeepEightTimesAndPlayReturnsToNormalForwards) {
  PlayingDisc();
  FormDVDPlayer->sBitBtn5->click();
  FormDVDPlayer->sBitBtn5->click();
  FormDVDPlayer->sBitBtn4->click();
  FormDVDPlayer->sBitBtn1->click();
  EXPECT_EQ(trace, (Trace{"PlayForwards 8 0", "PlayForwards 8 0", "PlayBackwards 8 0", "PlayForwards 1 0"}));
  EXPECT_EQ(GraphState(), State_Running);
}

TEST_F(CommandsTest, CommandObjectsAreReleasedAndRefusalsAreSilent) {
  PlayingDisc();
  Navigator()->handOutCommands = true;
  Navigator()->result = VFW_E_DVD_OPERATION_INHIBITED;
  FormDVDPlayer->NextChapterMenu->trigger();
  FormDVDPlayer->Rewind1->trigger();
  FormDVDPlayer->MenuRoot->trigger();
  EXPECT_EQ(trace, (Trace{"PlayNextChapter 0", "command released", "PlayBackwards 8 0", "command released",
                          "ShowMenu 3 0", "command released"}));
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(CommandsTest, WithoutTheNavigatorsControlTheErrorIsReportedAndAStepWithoutVideoIsSilent) {
  dvd.script.controlAvailable = false;
  dvd.script.withVideo = false;
  Play(); // the render succeeds; the options cannot be set
  dialogs->messages.clear();
  trace.clear();
  FormDVDPlayer->NextChapterMenu->trigger();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Interface not supported.");
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  // The graph itself answers the frame step; with no video renderer it refuses, quietly.
  FormDVDPlayer->StepForwardMenu->trigger();
  EXPECT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(trace, Trace{"box Quovadel DVD"});
}

// The title menu has no button on either window; frame step and the root menu have
// none on the toolbar. Every button of each window is pressed and what it asked for is
// looked at.
TEST_F(CommandsTest, NoButtonCallsTheTitleMenuAndTheToolbarHasNoFrameStepOrRootMenu) {
  PlayingDisc();
  mciSetCdAudioDrives({"/nonexistent/drive"});
  Trace panelCalls, toolbarCalls;
  for (TsBitBtn *b : FormDVDPlayer->findChildren<TsBitBtn *>()) {
    trace.clear();
    b->click();
    panelCalls.insert(panelCalls.end(), trace.begin(), trace.end());
  }
  for (TsBitBtn *b : Form4->findChildren<TsBitBtn *>()) {
    trace.clear();
    b->click();
    toolbarCalls.insert(toolbarCalls.end(), trace.begin(), trace.end());
  }
  auto has = [](const Trace &t, const std::string &line) { return std::find(t.begin(), t.end(), line) != t.end(); };
  EXPECT_TRUE(has(panelCalls, "ShowMenu 3 0"));
  EXPECT_TRUE(has(panelCalls, "Step 1 null"));
  EXPECT_FALSE(has(panelCalls, "ShowMenu 2 0"));
  EXPECT_FALSE(has(toolbarCalls, "ShowMenu 2 0"));
  EXPECT_FALSE(has(toolbarCalls, "ShowMenu 3 0"));
  EXPECT_FALSE(has(toolbarCalls, "Step 1 null"));
  EXPECT_TRUE(has(toolbarCalls, "PlayNextChapter 0")); // the toolbar's buttons do reach the panel's
}

TEST_F(CommandsTest, FullScreenWithNoDiscShowsTheNoticeThenSwitchesTheWindowsBothWays) {
  FormDVDPlayer->Show();
  QWidget *noticeShown = nullptr;
  bool fullScreenWhileNotice = true;
  dialogs->onShowModal = [&](QWidget *form) {
    noticeShown = form;
    fullScreenWhileNotice = FullScreen(); // the switch waits for the notice to close
    return IDOK;
  };
  const std::pair<const char *, std::function<void()>> controls[] = {
      {"FullscreenMenu", [] { FormDVDPlayer->FullscreenMenu->trigger(); }},
      {"Fullscreen2", [] { FormDVDPlayer->Fullscreen2->trigger(); }},
      {"panel sBitBtn8", [] { FormDVDPlayer->sBitBtn8->click(); }},
  };
  bool expected = false;
  for (const auto &[name, use] : controls) {
    for (int twice = 0; twice < 2; ++twice) {
      SCOPED_TRACE(name);
      noticeShown = nullptr;
      fullScreenWhileNotice = !expected;
      use();
      expected = !expected;
      EXPECT_EQ(noticeShown, Form2);
      EXPECT_EQ(fullScreenWhileNotice, !expected);
      EXPECT_EQ(Form2->sPanel1->Caption(), kNotice);
      EXPECT_EQ(FullScreen(), expected);
      EXPECT_EQ(FormDVDPlayer->isVisible(), !expected);
      EXPECT_EQ(Form4->isVisible(), expected);
    }
  }
  EXPECT_EQ(dialogs->modalForms.size(), 6u);
  EXPECT_FALSE(Graph()->Active());
  EXPECT_TRUE(trace.empty());
}

TEST_F(CommandsTest, FullScreenWhilePausedOrStoppedResumesWithoutTheNotice) {
  PlayingDisc();
  FormDVDPlayer->Show();
  FormDVDPlayer->PauseMenu->trigger();
  ASSERT_EQ(GraphState(), State_Paused);
  FormDVDPlayer->FullscreenMenu->trigger();
  EXPECT_EQ(GraphState(), State_Running);
  EXPECT_TRUE(FullScreen());
  EXPECT_FALSE(FormDVDPlayer->isVisible());
  EXPECT_TRUE(Form4->isVisible());

  FormDVDPlayer->StopMenu->trigger();
  ASSERT_EQ(GraphState(), State_Stopped);
  Form4->sBitBtn9->click(); // pause from the toolbar
  FormDVDPlayer->Fullscreen2->trigger();
  EXPECT_EQ(GraphState(), State_Running);
  EXPECT_FALSE(FullScreen());
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_TRUE(dialogs->modalForms.empty());
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(CommandsTest, TheDriveTrayCommandIsSilentAndLeavesTheDiscPlaying) {
  PlayingDisc();
  EXPECT_FALSE(FormDVDPlayer->Aprilettore1->isVisible());
  // A machine without a drive, and a device that is not a drive.
  for (const char *drive : {"/nonexistent/drive", "/dev/null"}) {
    SCOPED_TRACE(drive);
    mciSetCdAudioDrives({drive});
    FormDVDPlayer->sBitBtn11->click();
    FormDVDPlayer->Aprilettore1->trigger();
    EXPECT_EQ(GraphState(), State_Running);
  }
  EXPECT_TRUE(trace.empty());
  EXPECT_TRUE(dialogs->messages.empty());
}

} // namespace

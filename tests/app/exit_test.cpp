// Leaving the program: the graph is cleared and released before the application
// terminates, by the menu and by closing the control panel; other windows only hide.
#include "player_fixture.h"

#include "engine/filter_graph.h"
#include "framework/buttons.h"
#include "framework/menus.h"
#include "framework/panel.h"
#include "scripted_graph.h"

namespace {

class ExitTest : public PlayerTest {
protected:
  void SetUp() override {
    PlayerTest::SetUp();
    // A graph that renders nothing, with no navigator interfaces.
    dvd.script.renderResult = E_NOTIMPL;
    dvd.script.controlAvailable = dvd.script.infoAvailable = false;
    FormDVDPlayer->FilterGraph->SetActive(true);
    trace.clear();
  }
  Trace trace;
  ScopedScriptedDvd<ScriptedGraphDvd> dvd{&trace};
};

const Trace kTeardown = {"Stop", "RemoveFilter Navigator", "SetNotifyFlags 1", "SetLogFile 0", "builder released",
                         "graph released"};

TEST_F(ExitTest, FileExitClearsAndReleasesTheGraphThenTerminates) {
  ASSERT_TRUE(FormDVDPlayer->FilterGraph->Active());
  FormDVDPlayer->ExitMenu->trigger();
  EXPECT_EQ(trace, kTeardown);
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(ExitTest, ClosingTheControlPanelRunsTheExitRoutineAndIsPermitted) {
  FormDVDPlayer->Show();
  FormDVDPlayer->Close();
  EXPECT_EQ(trace, kTeardown);
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(FormDVDPlayer->isVisible());
}

TEST_F(ExitTest, TheSystemMenuCloseCommandDoesTheSame) {
  FormDVDPlayer->Show();
  SendMessageA(WindowFromWidget(FormDVDPlayer), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(trace, kTeardown);
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(PlayerTest, ExitWithoutAGraphReportsNothing) {
  ASSERT_FALSE(FormDVDPlayer->FilterGraph->Active());
  FormDVDPlayer->ExitMenu->trigger();
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(PlayerTest, ClosingTheVideoWindowOnlyHidesIt) {
  Form3->Show();
  Form3->Close();
  EXPECT_FALSE(Form3->isVisible());
  EXPECT_FALSE(Application().Terminated());
  Form3->Show();
  EXPECT_TRUE(Form3->isVisible());
}

TEST_F(PlayerTest, TheInformationBoxRunsModallyUntilOk) {
  Form2->sPanel1->SetCaption("La modalità schermo intero, è attiva in fase di lettura del dvd.");
  bool visibleWhileModal = false;
  dialogs->onShowModal = [&](QWidget *form) {
    form->show();
    visibleWhileModal = form->isVisible();
    Form2->sBitBtn1->click(); // the user presses Ok
    return Form2->ModalResult();
  };
  Form2->ShowModal();
  ASSERT_EQ(dialogs->modalForms.size(), 1u);
  EXPECT_EQ(dialogs->modalForms[0], Form2);
  EXPECT_TRUE(visibleWhileModal);
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_FALSE(Application().Terminated());
}

// A failing platform call inside a handler reaches the general error handler: one box
// with the error icon, captioned with the title, ending in a full stop. Exit goes on
// after it: the graph is still released and the program still ends.
TEST_F(ExitTest, AGraphThatFailsToStopIsReportedAndExitStillEnds) {
  dvd.last->scripted->stopResult = E_FAIL;
  FormDVDPlayer->ExitMenu->trigger();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  const RecordedMessage &box = dialogs->messages[0];
  EXPECT_EQ(box.caption, "Quovadel DVD");
  EXPECT_EQ(box.flags, MB_OK | MB_ICONERROR);
  EXPECT_TRUE(box.text.endsWith("($80004005).")) << box.text.toStdString();
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_EQ(trace.back(), "graph released");
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(ExitTest, ClosingThePanelWithAGraphThatFailsToStopStillEnds) {
  dvd.last->scripted->stopResult = E_FAIL;
  FormDVDPlayer->Show();
  FormDVDPlayer->Close();
  EXPECT_EQ(dialogs->messages.size(), 1u);
  EXPECT_FALSE(FormDVDPlayer->isVisible());
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_TRUE(Application().Terminated());
}

TEST(PlayerApplication, AnExceptionEscapingAHandlerIsShownAndTheLoopGoesOn) {
  ScopedScriptedDialogs dialogs;
  Application().SetTitle(QStringLiteral("Quovadel DVD"));
  QObject receiver;
  QEvent event(QEvent::User);
  bool delivered = TPlayerApplication::Deliver(&receiver, &event, [] () -> bool { throw Exception("Interface not supported"); });
  EXPECT_FALSE(delivered);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Interface not supported.");
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_TRUE(TPlayerApplication::Deliver(&receiver, &event, [] { return true; }));
  EXPECT_EQ(dialogs->messages.size(), 1u);
}

} // namespace

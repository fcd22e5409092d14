// The open and play commands around the render: resuming the graph that exists, the
// open dialog, tearing down before opening, retrying only through Open, and the
// controls that run the commands.
#include "play_fixture.h"

#include "app/Unit4.h"
#include "framework/buttons.h"

#include <functional>
#include <utility>

namespace {

// A path with characters outside Latin-1 that must reach the builder unchanged.
const QString kChosen = QString::fromUtf8("/media/Film \u00e8 \u6f22/VIDEO_TS/VIDEO_TS.IFO");
const Trace kStarted = {"Audio runs", "SetOption 2 0", "SetOption 3 -1"};

Trace Then(Trace head, const Trace &tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(PlayTest, PlayWhilePausedResumesNormalForwardPlayWithoutRendering) {
  PlayingDisc();
  Graph()->Pause();
  Form3->Hide();
  Play();
  EXPECT_EQ(trace, (Trace{"Audio runs", "PlayForwards 1 0"}));
  EXPECT_EQ(dvd.created, 1);
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_TRUE(Form3->isVisible());
}

TEST_F(PlayTest, ResumingWithoutTheNavigatorsControlReportsInterfaceNotSupported) {
  PlayingDisc();
  Graph()->Pause();
  Form3->Hide();
  dvd.script.controlAvailable = false;
  Play();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Interface not supported.");
  EXPECT_EQ(dialogs->messages[0].caption, "Quovadel DVD");
  EXPECT_EQ(dialogs->messages[0].flags, unsigned(MB_OK | MB_ICONERROR));
  EXPECT_EQ(trace, (Trace{"Audio runs", "box Quovadel DVD"}));
  EXPECT_FALSE(Form3->isVisible());
}

TEST_F(PlayTest, AfterAFailedRenderPlayDoesNotRetryButOpenDoes) {
  dvd.script.renderResult = S_FALSE;
  dvd.script.status.bDvdVolUnknown = TRUE;
  Play();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  dvd.script.renderResult = S_OK;
  dvd.script.status = {};
  trace.clear();

  Play(); // the empty graph is resumed
  EXPECT_EQ(trace, Trace{"PlayForwards 1 0"});
  EXPECT_EQ(dvd.created, 1);

  trace.clear();
  Open(kChosen);
  EXPECT_EQ(trace, Then({"builder released", "RenderDvdVideoVolume " + kChosen.toStdString() + " 1"}, kStarted));
  EXPECT_EQ(dvd.created, 2);
  EXPECT_EQ(dvd.last->paths, std::vector<std::u16string>{kChosen.toStdU16String()});
  EXPECT_EQ(dialogs->messages.size(), 1u);
}

TEST_F(PlayTest, OpenAsksForTheVideoManagerFileAndCancellingLeavesThePlayingDiscAlone) {
  PlayingDisc();
  Open(QString()); // Cancel
  ASSERT_EQ(dialogs->openRequests.size(), 1u);
  const OpenDialogRequest &request = dialogs->openRequests[0];
  EXPECT_EQ(request.title, "Apri DVD Video");
  EXPECT_EQ(request.filter, "VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO");
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_TRUE(request.initialDir.isEmpty());
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(dvd.created, 1);
  EXPECT_TRUE(Graph()->Active());
  EXPECT_EQ(dvd.last->audio->State(), State_Running);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(PlayTest, OpenWhileADiscPlaysTearsItDownFirstAndDoesNotShowTheVideoWindow) {
  PlayingDisc();
  Form3->Hide();
  Open(kChosen);
  EXPECT_EQ(Steps(), Then({"graph cleared", "builder released", "RenderDvdVideoVolume " + kChosen.toStdString() + " 1"}, kStarted));
  EXPECT_EQ(dvd.created, 2);
  EXPECT_TRUE(dvd.last->audio->InGraph());
  EXPECT_FALSE(Form3->isVisible());

  // A chosen volume that does not render leaves nothing playing.
  dvd.script.renderResult = S_FALSE;
  dvd.script.status.bDvdVolInvalid = TRUE;
  trace.clear();
  Open(kChosen);
  EXPECT_EQ(Steps(), (Trace{"graph cleared", "builder released", "RenderDvdVideoVolume " + kChosen.toStdString() + " 1",
                            "box Errore", "graph cleared"}));
  EXPECT_FALSE(Form3->isVisible());
}

// Every control bound to Play or Open starts the disc through the builder.
TEST_F(PlayTest, ThePlayControlsAndFileOpenRunTheirCommands) {
  const std::pair<const char *, std::function<void()>> controls[] = {
      {"panel play button", [] { FormDVDPlayer->sBitBtn1->click(); }},
      {"toolbar play button", [] { Form4->sBitBtn8->click(); }},
      {"DVD > Play", [] { FormDVDPlayer->PlayMenu->trigger(); }},
      {"popup Play", [] { FormDVDPlayer->Play2->trigger(); }},
  };
  for (const auto &[name, use] : controls) {
    SCOPED_TRACE(name);
    Graph()->ClearGraph();
    Graph()->SetActive(false);
    Form3->Hide();
    trace.clear();
    use();
    EXPECT_EQ(trace, Then({"RenderDvdVideoVolume (none) 1"}, kStarted));
    EXPECT_TRUE(Form3->isVisible());
  }
  trace.clear();
  dialogs->openAnswers.push_back(kChosen);
  FormDVDPlayer->OpenMenu->trigger();
  EXPECT_EQ(Steps(), Then({"graph cleared", "builder released", "RenderDvdVideoVolume " + kChosen.toStdString() + " 1"}, kStarted));
  EXPECT_TRUE(dialogs->messages.empty());
}

} // namespace

// Play with no graph renders the disc and acts on the builder's answer: a full render
// plays, a partial one is explained message by message and cleared, a builder that
// fails is left to the general error handler.
#include "play_fixture.h"

#include "engine/check_result.h"

#include <utility>

namespace {

const QString kS2 = "The specified DVD volume to be played does not exist.";
const QString kS3 = "No DVD volume is specified or isn't found.";
const QString kS4 = "The video decoder doesn't produce line 21 (closed captioning) data.";
const QString kS5 = "The video decoder can't be shown as closed captioning on video due to a problem with graph building.";
const QString kS6 = "Can't render one or more stream.";

// The video port's failure and the platform's text for it.
constexpr HRESULT kVpeFailure = VFW_E_DDRAW_CAPS_NOT_SUITABLE;
QString PlatformText(HRESULT code) {
  char text[256] = {};
  AMGetErrorTextA(code, text, 255);
  return QString::fromLocal8Bit(text);
}

using Boxes = std::vector<std::pair<QString, QString>>; // text, caption

class RenderResultTest : public PlayTest {
protected:
  // Plays with the builder answering `result` and `status`, from no graph.
  void PlayAnswering(HRESULT result, const AM_DVD_RENDERSTATUS &status = {}) {
    Graph()->ClearGraph();
    Graph()->SetActive(false);
    Form3->Hide();
    dvd.script.renderResult = result;
    dvd.script.status = status;
    dialogs->messages.clear();
    trace.clear();
    Play();
  }
  // The render messages: modal, OK only, no icon.
  Boxes Shown() {
    Boxes out;
    for (const RecordedMessage &box : dialogs->messages) {
      EXPECT_EQ(box.flags, unsigned(MB_OK)) << box.text.toStdString();
      out.emplace_back(box.text, box.caption);
    }
    return out;
  }
};

TEST_F(RenderResultTest, AFullRenderPlaysThenSwitchesParentalNoticesOffAndTimeEventsOn) {
  Play();
  EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "Audio runs", "SetOption 2 0", "SetOption 3 -1"}));
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_TRUE(dvd.last->navigatorFilter->InGraph());
  EXPECT_TRUE(dvd.last->audio->InGraph());
  EXPECT_TRUE(Form3->isVisible());
  // The slider's volume (4000) was handed to the engine before any graph existed; it
  // reaches the new graph's audio renderer right after rendering, mapped.
  EXPECT_EQ(dvd.last->audio->volumes, std::vector<LONG>{-995});
}

TEST_F(RenderResultTest, EachStatusConditionAloneShowsItsMessageThenClearsTheGraph) {
  struct Case {
    const char *name;
    void (*set)(AM_DVD_RENDERSTATUS &);
    QString text, caption;
  };
  const Case cases[] = {
      {"hrVPEStatus", [](AM_DVD_RENDERSTATUS &s) { s.hrVPEStatus = kVpeFailure; }, PlatformText(kVpeFailure), "Errore"},
      {"bDvdVolInvalid", [](AM_DVD_RENDERSTATUS &s) { s.bDvdVolInvalid = TRUE; }, kS2, "Errore"},
      {"bDvdVolUnknown", [](AM_DVD_RENDERSTATUS &s) { s.bDvdVolUnknown = TRUE; }, kS3, "Errore"},
      {"bNoLine21In", [](AM_DVD_RENDERSTATUS &s) { s.bNoLine21In = TRUE; }, kS4, "Error"},
      {"bNoLine21Out", [](AM_DVD_RENDERSTATUS &s) { s.bNoLine21Out = TRUE; }, kS5, "Error"},
      {"iNumStreamsFailed", [](AM_DVD_RENDERSTATUS &s) { s.iNumStreamsFailed = 1; }, kS6, "Error"},
  };
  ASSERT_FALSE(PlatformText(kVpeFailure).isEmpty());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    AM_DVD_RENDERSTATUS status{};
    c.set(status);
    PlayAnswering(S_FALSE, status);
    EXPECT_EQ(Shown(), (Boxes{{c.text, c.caption}}));
    EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "box " + c.caption.toStdString(), "graph cleared"}));
    EXPECT_TRUE(Graph()->Active());
    EXPECT_TRUE(Form3->isVisible());
  }
}

TEST_F(RenderResultTest, AllStatusConditionsTogetherShowSixMessagesInTheirOrder) {
  AM_DVD_RENDERSTATUS status{};
  status.hrVPEStatus = kVpeFailure;
  status.bDvdVolInvalid = status.bDvdVolUnknown = TRUE;
  status.bNoLine21In = status.bNoLine21Out = 2; // any non-zero value is true
  status.iNumStreams = 3;
  status.iNumStreamsFailed = 2;
  PlayAnswering(S_FALSE, status);
  EXPECT_EQ(Shown(), (Boxes{{PlatformText(kVpeFailure), "Errore"},
                            {kS2, "Errore"},
                            {kS3, "Errore"},
                            {kS4, "Error"},
                            {kS5, "Error"},
                            {kS6, "Error"}}));
  EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "box Errore", "box Errore", "box Errore", "box Error", "box Error",
                            "box Error", "graph cleared"}));
  EXPECT_TRUE(Form3->isVisible());
}

TEST_F(RenderResultTest, APartialRenderWithNoConditionClearsTheGraphSilently) {
  AM_DVD_RENDERSTATUS status{};
  status.iNumStreams = 3;             // not looked at
  status.dwFailedStreamsFlag = 0x7;   // not looked at
  status.iNumStreamsFailed = -1;      // a count: only above zero means failed streams
  PlayAnswering(S_FALSE, status);
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "graph cleared"}));
  EXPECT_TRUE(Graph()->Active()); // an empty graph stays
  EXPECT_TRUE(Form3->isVisible());
}

TEST_F(RenderResultTest, AnotherSuccessCodeClearsTheGraphWithoutAMessage) {
  PlayAnswering(2);
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "graph cleared"}));
  EXPECT_TRUE(Form3->isVisible());
}

// The engine returns VFW_E_DVD_RENDERFAIL when it holds no DVD graph builder, as in
// any mode other than the DVD mode.
TEST_F(RenderResultTest, ARenderFailureWithoutABuilderShowsTheBasicErrorThenClearsTheGraph) {
  Graph()->SetMode(gmNormal);
  ComPtr<TracedFilter> member = TracedFilter::Make("Other", &trace, false);
  Graph()->OnActivate = [&](QObject *) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(Graph()->QueryInterface(IID_PPV_ARGS(&graph)), S_OK);
    graph->AddFilter(member.Get(), u"Other");
  };
  PlayAnswering(S_OK);
  EXPECT_EQ(Shown(), (Boxes{{"Some basic error occurred in building the graph.\r"
                             "Possibilities include the DVD Navigator filter or the video or audio renderer not "
                             "instantiating,\r"
                             "a trivial connection or pin enumeration failing, or none of the streams rendering.",
                             "Error"}}));
  EXPECT_FALSE(dialogs->messages[0].text.contains('\n'));
  EXPECT_EQ(trace, (Trace{"box Error", "Other leaves the graph"}));
  EXPECT_EQ(dvd.created, 0);
  EXPECT_TRUE(Graph()->Active());
  EXPECT_TRUE(Form3->isVisible());
  Graph()->OnActivate = nullptr;
}

TEST_F(RenderResultTest, ABuilderFailureGoesToTheGeneralErrorHandlerAndLeavesTheGraphAsBuilt) {
  PlayAnswering(VFW_E_DVD_DECNOTENOUGH);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  const RecordedMessage &box = dialogs->messages[0];
  EXPECT_EQ(box.text, ErrorMessage(VFW_E_DVD_DECNOTENOUGH));
  EXPECT_TRUE(box.text.endsWith("($8004027B).")) << box.text.toStdString();
  EXPECT_EQ(box.caption, "Quovadel DVD");
  EXPECT_EQ(box.flags, unsigned(MB_OK | MB_ICONERROR));
  EXPECT_EQ(Steps(), (Trace{"RenderDvdVideoVolume (none) 1", "box Quovadel DVD"}));
  EXPECT_TRUE(dvd.last->navigatorFilter->InGraph()); // not cleared
  EXPECT_TRUE(Graph()->Active());
  EXPECT_FALSE(Form3->isVisible());
}

} // namespace

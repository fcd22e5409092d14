#include "engine_fixture.h"

#include <QElapsedTimer>
#include <QThread>

#include <thread>

namespace {

using ::testing::ElementsAre;

class EventsTest : public EngineTest {
protected:
  void Send() { SendMessageA(fg.NotificationWindow(), WM_GRAPHNOTIFY, 0, 0); }
  void Notify(LONG code, LONG_PTR p1, LONG_PTR p2 = 0) { ASSERT_EQ(sink->Notify(code, p1, p2), S_OK); }
  void ActivateWithSink() {
    ActivateDvd();
    sink = Query<IMediaEventSink>();
    trace.clear();
  }
  ComPtr<IMediaEventSink> sink;
};

TEST_F(EventsTest, ABurstIsDeliveredInQueueOrderWithinOneMessageListenersFirst) {
  fg.AddListener(&l);
  ActivateWithSink();
  fg.OnDSEvent = [&](TComponent *sender, LONG code, LONG_PTR, LONG_PTR) {
    trace.push_back(QString::asprintf("OnDSEvent %X%s", static_cast<unsigned>(code), sender == &fg ? "" : "?")
                        .toStdString());
  };
  fg.OnDVDTitleChange = [&](QObject *, LONG title) { trace.push_back("title " + std::to_string(title)); };
  fg.OnDVDChapterStart = [&](QObject *, LONG chapter) { trace.push_back("chapter " + std::to_string(chapter)); };
  fg.OnDVDDomainTitle = [&](QObject *) { trace.push_back("domain"); };
  Notify(EC_DVD_TITLE_CHANGE, 3);
  Notify(EC_DVD_DOMAIN_CHANGE, 6);
  Notify(EC_DVD_CHAPTER_START, 4);
  Send();
  EXPECT_THAT(trace, ElementsAre("l.GraphNotify 102 3 0", "OnDSEvent 102", "title 3", "l.GraphNotify 101 6 0",
                                 "OnDSEvent 101", "l.GraphNotify 103 4 0", "OnDSEvent 103", "chapter 4"));
  trace.clear();
  ProcessPostedMessages(); // the graph's three messages find an empty queue
  EXPECT_TRUE(trace.empty());
}

TEST_F(EventsTest, LanguagesAreAskedOnlyForAnAssignedHandler) {
  ActivateWithSink();
  Notify(EC_DVD_AUDIO_STREAM_CHANGE, 2);
  Notify(EC_DVD_SUBPICTURE_STREAM_CHANGE, 1);
  Send();
  EXPECT_TRUE(trace.empty());

  LONG lcid = 0;
  fg.OnDVDAudioStreamChange = [&](QObject *, LONG stream, LONG id, const QString &) {
    trace.push_back("audio " + std::to_string(stream));
    lcid = id;
  };
  Notify(EC_DVD_AUDIO_STREAM_CHANGE, 2);
  Notify(EC_DVD_SUBPICTURE_STREAM_CHANGE, 1);
  Send();
  EXPECT_THAT(trace, ElementsAre("builder.QueryInterface IDvdInfo2", "builder.GetDvdInterface IDvdInfo2",
                                 "GetAudioLanguage 2", "audio 2"));
  EXPECT_EQ(lcid, 0x402);

  trace.clear();
  dvd->navigator->languageResult = VFW_E_DVD_INVALIDDOMAIN;
  Notify(EC_DVD_AUDIO_STREAM_CHANGE, 1);
  Notify(EC_DVD_TITLE_CHANGE, 1); // stays queued until the next message
  Send();
  EXPECT_THAT(errors, ElementsAre("fg: " + ErrorMessage(VFW_E_DVD_INVALIDDOMAIN).toStdString()));
  EXPECT_EQ(Calls(), Trace{"GetAudioLanguage 1"});
  EXPECT_TRUE(fg.Active());
}

TEST_F(EventsTest, WithoutTheNavigatorsInformationTheLanguageEventIsSkipped) {
  fg.SetActive(true); // a normal graph has no IDvdInfo2
  bool raised = false;
  fg.OnDVDAudioStreamChange = [&](QObject *, LONG, LONG, const QString &) { raised = true; };
  Query<IMediaEventSink>()->Notify(EC_DVD_AUDIO_STREAM_CHANGE, 1, 0);
  Send();
  EXPECT_FALSE(raised);
  EXPECT_TRUE(errors.empty());
}

TEST_F(EventsTest, AMessageAfterDeactivationDoesNothing) {
  ActivateWithSink();
  bool raised = false;
  fg.OnDSEvent = [&](TComponent *, LONG, LONG_PTR, LONG_PTR) { raised = true; };
  Notify(EC_DVD_TITLE_CHANGE, 1);
  fg.SetActive(false);
  ProcessPostedMessages();
  Send();
  EXPECT_FALSE(raised);
}

TEST_F(EventsTest, AnEventQueuedOnAWorkerThreadIsHandledOnTheGuiThread) {
  ActivateWithSink();
  QThread *handledOn = nullptr;
  fg.OnDVDChapterStart = [&](QObject *, LONG) { handledOn = QThread::currentThread(); };
  std::thread worker([this] { sink->Notify(EC_DVD_CHAPTER_START, 2, 0); });
  worker.join();
  QElapsedTimer waited;
  waited.start();
  while (!handledOn && waited.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(handledOn, QCoreApplication::instance()->thread());
}

TEST_F(EventsTest, AThrowingHandlerIsReportedOnceEveryFetchedEventIsFreedAndLaterEventsArrive) {
  ComPtr<ScriptedGraph> graph;
  graph.Attach(new ScriptedGraph(&trace));
  ScopedClassRegistration graphClass(CLSID_FilterGraph, FactoryOf(graph, &trace, "graph"));
  fg.SetActive(true);
  trace.clear();
  fg.OnDVDTitleChange = [&](QObject *, LONG title) { trace.push_back("title " + std::to_string(title)); };
  fg.OnDVDChapterStart = [&](QObject *, LONG) { throw Exception("chapter handler failed"); };
  graph->events = {{EC_DVD_TITLE_CHANGE, 1, 0}, {EC_DVD_CHAPTER_START, 2, 0}, {EC_DVD_TITLE_CHANGE, 3, 0}};
  Send();
  EXPECT_THAT(errors, ElementsAre("fg: chapter handler failed."));
  EXPECT_THAT(trace, ElementsAre("title 1"));
  EXPECT_EQ(graph->fetched, 2);
  EXPECT_EQ(graph->freed, 2);
  Send();
  EXPECT_THAT(trace, ElementsAre("title 1", "title 3"));
  EXPECT_EQ(graph->freed, 3);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_TRUE(fg.Active());
}

TEST_F(EventsTest, AHandlerThatDeactivatesTheComponentEndsTheBurst) {
  ComPtr<ScriptedGraph> graph;
  graph.Attach(new ScriptedGraph(&trace));
  ScopedClassRegistration graphClass(CLSID_FilterGraph, FactoryOf(graph, &trace, "graph"));
  fg.SetActive(true);
  fg.OnDVDTitleChange = [&](QObject *, LONG) { fg.SetActive(false); };
  graph->events = {{EC_DVD_TITLE_CHANGE, 1, 0}, {EC_DVD_TITLE_CHANGE, 2, 0}};
  Send();
  EXPECT_EQ(graph->fetched, 1);
  EXPECT_EQ(graph->freed, 1);
  EXPECT_TRUE(errors.empty());
}

} // namespace

#include "engine_fixture.h"

#include "engine/filter_list.h"

namespace {

using ::testing::ElementsAre;

class TransportTest : public EngineTest {
protected:
  // An active normal graph holding the recording audio renderer.
  void ActivateWithAudio() {
    fg.SetActive(true);
    Query<IFilterGraph>()->AddFilter(audio.Get(), u"Audio");
  }
  ComPtr<TestAudioRenderer> audio = TestAudioRenderer::Make();
};

TEST_F(TransportTest, VolumeAndBalanceFollowTheLogarithmicAndTheLinearTables) {
  struct Row {
    LONG volume, linear, plain;
  };
  const Row volumes[] = {{0, -10000, -10000}, {1, -9247, -9999},   {10, -7397, -9990},
                         {100, -4989, -9900}, {1000, -2499, -9000}, {4000, -995, -6000},
                         {5000, -752, -5000}, {8000, -242, -2000},  {10000, 0, 0}};
  const Row balances[] = {{0, 0, 0},         {1, -753, 1},          {-1, 753, -1},
                          {5000, -9248, 5000}, {10000, -10000, 10000}, {-10000, 10000, -10000}};
  ActivateWithAudio();
  for (bool linear : {true, false}) {
    fg.SetLinearVolume(linear);
    for (const Row &row : volumes) {
      fg.SetVolume(row.volume);
      EXPECT_EQ(audio->volumes.back(), linear ? row.linear : row.plain) << row.volume << " linear " << linear;
    }
    for (const Row &row : balances) {
      fg.SetBalance(row.volume);
      EXPECT_EQ(audio->balances.back(), linear ? row.linear : row.plain) << row.volume << " linear " << linear;
    }
  }
}

TEST_F(TransportTest, ValuesAreClampedStoredWhileInactiveAndReappliedOnMappingChange) {
  fg.SetVolume(12000);
  EXPECT_EQ(fg.Volume(), 10000);
  fg.SetVolume(-5);
  EXPECT_EQ(fg.Volume(), 0);
  fg.SetBalance(-20000);
  EXPECT_EQ(fg.Balance(), -10000);
  fg.SetBalance(0);
  fg.SetVolume(4000);
  fg.SetRate(2.0);
  EXPECT_EQ(fg.Volume(), 4000);
  EXPECT_EQ(fg.Rate(), 2.0);

  ActivateWithAudio();
  fg.SetVolume(4000);
  fg.SetLinearVolume(false);
  EXPECT_THAT(audio->volumes, ElementsAre(-995, -6000));
  EXPECT_THAT(audio->balances, ElementsAre(0));
  fg.SetLinearVolume(false);
  EXPECT_EQ(audio->volumes.size(), 2u);
  fg.SetRate(0.5);
  EXPECT_THAT(audio->rates, ElementsAre(0.5));
  EXPECT_EQ(fg.Rate(), 0.5);
}

class ScriptedTransportTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    graph.Attach(new ScriptedGraph(&trace));
    graphClass.emplace(CLSID_FilterGraph, FactoryOf(graph, &trace, "graph"));
  }
  ComPtr<ScriptedGraph> graph;
  std::optional<ScopedClassRegistration> graphClass;
};

TEST_F(ScriptedTransportTest, ActivationAndDeactivationMakeTheirPlatformCallsInOrder) {
  fg.AddMember(&m1);
  fg.SetActive(true);
  EXPECT_THAT(trace, ElementsAre("create graph as IFilterGraph2", "SetNotifyFlags 0", "SetNotifyWindow window 32769",
                                 "SetLogFile 0", "m1.BeforeAdd", "AddFilter m1", "m1.AfterAdd"));
  EXPECT_EQ(graph->instance, reinterpret_cast<LONG_PTR>(static_cast<IMediaEventEx *>(graph.Get())));
  trace.clear();
  fg.SetActive(false);
  EXPECT_THAT(trace, ElementsAre("m1.BeforeRemove", "RemoveFilter", "m1.AfterRemove", "SetNotifyFlags 1",
                                 "SetLogFile 0"));
}

TEST_F(ScriptedTransportTest, PlayAcceptsSFalsePauseAndStopDoNotAndListenersHearFirst) {
  EXPECT_FALSE(fg.Play()); // inactive: nobody is told
  fg.AddListener(&l);
  fg.SetActive(true);
  trace.clear();
  graph->runResult = S_FALSE;
  graph->pauseResult = S_FALSE;
  graph->stopResult = S_FALSE;
  EXPECT_TRUE(fg.Play());
  EXPECT_FALSE(fg.Pause());
  EXPECT_FALSE(fg.Stop());
  graph->pauseResult = graph->stopResult = S_OK;
  EXPECT_TRUE(fg.Pause());
  EXPECT_TRUE(fg.Stop());
  EXPECT_THAT(trace, ElementsAre("l.ControlNotify 0 0", "Run", "l.ControlNotify 1 0", "Pause", "l.ControlNotify 2 0",
                                 "Stop", "l.ControlNotify 1 0", "Pause", "l.ControlNotify 2 0", "Stop"));
}

TEST_F(ScriptedTransportTest, TransportFailuresAreRaisedAfterTheListenersWereTold) {
  fg.AddListener(&l);
  fg.SetActive(true);
  trace.clear();
  graph->runResult = VFW_E_NOT_CONNECTED;
  try {
    fg.Play();
    FAIL() << "no exception";
  } catch (const EDirectShowException &e) {
    EXPECT_EQ(e.ErrorCode, VFW_E_NOT_CONNECTED);
    EXPECT_EQ(e.Message(), GetErrorText(VFW_E_NOT_CONNECTED) + " ($80040209).");
  }
  graph->stopResult = E_FAIL;
  EXPECT_THROW(fg.Stop(), EDirectShowException);
  EXPECT_THAT(trace, ElementsAre("l.ControlNotify 0 0", "Run", "l.ControlNotify 2 0", "Stop"));
}

class ClearGraphTest : public EngineTest {
protected:
  // source -> m1 (member), source2 -> sink; m1 is also a listener.
  void BuildGraph() {
    fg.AddMember(&m1);
    fg.AddListener(&m1);
    fg.SetActive(true);
    auto graph = Query<IFilterGraph>();
    ASSERT_EQ(graph->AddFilter(source.Get(), u"source"), S_OK);
    ASSERT_EQ(graph->AddFilter(source2.Get(), u"source2"), S_OK);
    ASSERT_EQ(graph->AddFilter(sink.Get(), u"sink"), S_OK);
    ASSERT_EQ(graph->ConnectDirect(&source->out, &member()->in, nullptr), S_OK);
    ASSERT_EQ(graph->ConnectDirect(&source2->out, &sink->in, nullptr), S_OK);
    trace.clear();
  }
  TestFilter *member() { return static_cast<TestFilter *>(m1.filter.Get()); }
  ComPtr<TestFilter> source = TestFilter::Make("source", false, true, &trace);
  ComPtr<TestFilter> source2 = TestFilter::Make("source2", false, true, &trace);
  ComPtr<TestFilter> sink = TestFilter::Make("sink", true, false, &trace);
};

TEST_F(ClearGraphTest, StopsThenDisconnectsEveryPinAndKeepsOnlyTheMembersFilters) {
  fg.ClearGraph(); // inactive: nothing
  EXPECT_TRUE(trace.empty());
  BuildGraph();
  m1.onControl = [&](LONG, LONG) { trace.push_back(member()->in.IsConnected() ? "still connected" : "disconnected"); };
  fg.ClearGraph();
  EXPECT_THAT(trace, ElementsAre("m1.ControlNotify 2 0", "still connected", "m1.In disconnect", "source.Out disconnect",
                                 "source2.Out disconnect", "sink.In disconnect"));
  TFilterList left(Query<IFilterGraph>().Get());
  ASSERT_EQ(left.Count(), 1);
  EXPECT_EQ(left[0], m1.filter.Get());
  EXPECT_FALSE(member()->in.IsConnected());
  EXPECT_TRUE(fg.Active());
}

TEST_F(ClearGraphTest, APinThatCannotDisconnectStopsClearingWithItsError) {
  BuildGraph();
  source2->out.disconnectResult = VFW_E_NOT_STOPPED;
  try {
    fg.ClearGraph();
    FAIL() << "no exception";
  } catch (const EDirectShowException &e) {
    EXPECT_EQ(e.ErrorCode, VFW_E_NOT_STOPPED);
  }
  EXPECT_EQ(TFilterList(Query<IFilterGraph>().Get()).Count(), 4);
  EXPECT_FALSE(member()->in.IsConnected());
  EXPECT_TRUE(sink->in.IsConnected());
}

} // namespace

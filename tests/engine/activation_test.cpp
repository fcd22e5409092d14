#include "engine_fixture.h"

#include "dshow/uuids.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string> Only(const Trace &trace, const std::string &prefix) {
  std::vector<std::string> out;
  for (const auto &line : trace)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

TEST_F(EngineTest, ActivationAddsMembersThenTellsListenersAndDeactivationUndoesItInOrder) {
  UseFakeDvdBuilder();
  fg.SetMode(gmDVD);
  fg.AddMember(&m1);
  fg.AddListener(&m1);
  fg.AddMember(&m2);
  fg.AddListener(&l);
  fg.OnActivate = [&](QObject *sender) { trace.push_back(sender == &fg ? "OnActivate" : "OnActivate?"); };
  fg.SetActive(true);
  EXPECT_TRUE(fg.Active());
  EXPECT_THAT(trace, ElementsAre("create DVD builder as IDvdGraphBuilder", "builder.QueryInterface IDvdGraphBuilder",
                                 "builder.QueryInterface IMediaEventEx",
                                 "builder.GetDvdInterface IMediaEventEx", "builder.QueryInterface IObjectWithSite",
                                 "builder.GetDvdInterface IObjectWithSite", "m1.BeforeAdd", "m1.AfterAdd (in graph)",
                                 "m2.BeforeAdd", "m2.AfterAdd (in graph)", "OnActivate", "m1.ControlNotify 7 1",
                                 "l.ControlNotify 7 1"));
  trace.clear();
  fg.SetActive(true);
  EXPECT_TRUE(trace.empty());

  fg.SetActive(false);
  EXPECT_FALSE(fg.Active());
  EXPECT_THAT(trace, ElementsAre("m1.ControlNotify 7 0", "l.ControlNotify 7 0", "m1.BeforeRemove (in graph)",
                                           "m1.AfterRemove", "m2.BeforeRemove (in graph)", "m2.AfterRemove",
                                           "builder.QueryInterface IObjectWithSite",
                                           "builder.GetDvdInterface IObjectWithSite"));
  trace.clear();
  fg.SetActive(false);
  EXPECT_TRUE(trace.empty());
}

TEST_F(EngineTest, ModeChangeWhileActiveRebuildsTheGraphOfTheNewKind) {
  UseFakeDvdBuilder();
  fg.SetMode(gmNormal);
  fg.AddMember(&m1);
  fg.AddListener(&l);
  fg.SetMode(gmDVD);
  EXPECT_FALSE(fg.Active()); // only stored while inactive
  EXPECT_TRUE(trace.empty());
  fg.SetMode(gmNormal);
  fg.SetActive(true);
  trace.clear();

  fg.SetMode(gmDVD);
  EXPECT_TRUE(fg.Active());
  EXPECT_EQ(fg.Mode(), gmDVD);
  trace.erase(std::remove_if(trace.begin(), trace.end(), [](auto &s) { return s.rfind("builder.", 0) == 0; }),
              trace.end());
  EXPECT_THAT(trace, ElementsAre("l.ControlNotify 7 0", "m1.BeforeRemove (in graph)", "m1.AfterRemove",
                                 "create DVD builder as IDvdGraphBuilder", "m1.BeforeAdd", "m1.AfterAdd (in graph)",
                                 "l.ControlNotify 7 1"));
  trace.clear();
  fg.SetMode(gmDVD);
  EXPECT_TRUE(trace.empty());
}

TEST_F(EngineTest, MembersJoinAndLeaveAnActiveGraphAtOnce) {
  fg.SetActive(true);
  fg.AddMember(&m1);
  EXPECT_THAT(trace, ElementsAre("m1.BeforeAdd", "m1.AfterAdd (in graph)"));
  trace.clear();
  fg.RemoveMember(&m2); // never added
  EXPECT_TRUE(trace.empty());
  fg.RemoveMember(&m1);
  EXPECT_THAT(trace, ElementsAre("m1.BeforeRemove (in graph)", "m1.AfterRemove"));
  trace.clear();
  fg.SetActive(false);
  EXPECT_TRUE(trace.empty());
}

TEST_F(EngineTest, AutoCreateActivatesWhenLoadingEnds) {
  fg.BeginLoading();
  fg.Loaded();
  EXPECT_FALSE(fg.Active());
  fg.SetAutoCreate(true);
  fg.BeginLoading();
  fg.Loaded();
  EXPECT_TRUE(fg.Active());
  EXPECT_FALSE(fg.Loading());
}

TEST_F(EngineTest, InactiveComponentAnswersOnlyItsOwnInterfaces) {
  EXPECT_EQ(Query<IMediaControl>(), nullptr);
  EXPECT_EQ(Query<IDvdControl2>(), nullptr);
  void *object = reinterpret_cast<void *>(1);
  EXPECT_EQ(fg.QueryInterface(IID_IMediaControl, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_NE(Query<IServiceProvider>(), nullptr);
  EXPECT_NE(Query<IAMFilterGraphCallback>(), nullptr);
  EXPECT_NE(Query<IAMGraphBuilderCallback>(), nullptr);
  EXPECT_NE(Query<IUnknown>(), nullptr);
}

TEST_F(EngineTest, NormalGraphIsAskedForTheGraphManagerItself) {
  ScopedClassRegistration recorded(CLSID_FilterGraph, [&](REFIID iid, void **object) {
    trace.push_back("create graph as " + IidName(iid));
    return CoCreateInstance(CLSID_FilterGraphNoThread, nullptr, CLSCTX_INPROC_SERVER, iid, object);
  });
  fg.SetActive(true);
  EXPECT_THAT(trace, ElementsAre("create graph as IFilterGraph2"));
  auto control = Query<IMediaControl>();
  ASSERT_NE(control, nullptr);
  ComPtr<IMediaControl> fromGraph;
  Query<IFilterGraph>().As(&fromGraph);
  EXPECT_EQ(control, fromGraph);
}

TEST_F(EngineTest, CaptureGraphAsksTheCaptureBuilderBeforeTheGraph) {
  ComPtr<FakeCaptureBuilder> capture;
  capture.Attach(new FakeCaptureBuilder(&trace));
  ScopedClassRegistration captureClass(CLSID_CaptureGraphBuilder2, FactoryOf(capture, &trace, "capture builder"));
  fg.SetMode(gmCapture);
  fg.SetActive(true);
  EXPECT_THAT(Only(trace, "c"), ElementsAre("create capture builder as ICaptureGraphBuilder2",
                                            "capture.QueryInterface ICaptureGraphBuilder2", "capture.SetFiltergraph", "capture.QueryInterface IMediaEventEx",
                                            "capture.QueryInterface IObjectWithSite"));
  ASSERT_NE(capture->graph, nullptr);
  trace.clear();
  EXPECT_EQ(Query<ICaptureGraphBuilder2>().Get(), static_cast<ICaptureGraphBuilder2 *>(capture.Get()));
  ComPtr<IMediaControl> fromGraph;
  capture->graph.As(&fromGraph);
  EXPECT_EQ(Query<IMediaControl>(), fromGraph);
  EXPECT_THAT(trace, ElementsAre("capture.QueryInterface ICaptureGraphBuilder2", "capture.QueryInterface IMediaControl"));
}

TEST_F(EngineTest, DvdGraphAsksTheBuilderThenTheNavigatorThenTheGraph) {
  ActivateDvd();
  EXPECT_EQ(Query<IDvdGraphBuilder>().Get(), static_cast<IDvdGraphBuilder *>(dvd.Get()));
  EXPECT_EQ(Query<IDvdInfo2>().Get(), static_cast<IDvdInfo2 *>(dvd->navigator.Get()));
  ComPtr<IMediaControl> fromGraph;
  dvd->graph.As(&fromGraph);
  EXPECT_EQ(Query<IMediaControl>(), fromGraph);
  EXPECT_THAT(trace, ElementsAre("builder.QueryInterface IDvdGraphBuilder", "builder.QueryInterface IDvdInfo2",
                                 "builder.GetDvdInterface IDvdInfo2", "builder.QueryInterface IMediaControl",
                                 "builder.GetDvdInterface IMediaControl"));
}

TEST_F(EngineTest, MissingGraphOrBuilderRaisesAndLeavesTheComponentInactive) {
  fg.AddListener(&l);
  {
    ScopedClassRegistration missing(CLSID_FilterGraph, {});
    try {
      fg.SetActive(true);
      FAIL() << "no exception";
    } catch (const EDirectShowException &e) {
      EXPECT_EQ(e.ErrorCode, REGDB_E_CLASSNOTREG);
      EXPECT_EQ(e.Message(), "Cannot create the filter graph manager: " + ErrorMessage(REGDB_E_CLASSNOTREG));
    }
    EXPECT_FALSE(fg.Active());
  }
  UseFakeDvdBuilder();
  dvd->script.graphResult = E_OUTOFMEMORY;
  fg.SetMode(gmDVD);
  EXPECT_THROW(fg.SetActive(true), EDirectShowException);
  EXPECT_FALSE(fg.Active());
  EXPECT_EQ(Query<IDvdGraphBuilder>(), nullptr);
  EXPECT_EQ(Only(trace, "l."), std::vector<std::string>{});
}

} // namespace

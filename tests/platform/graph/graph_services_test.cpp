// Calls the graph forwards to its filters, its site, log file, the capture graph
// builder and creation through the class registry.
#include "test_filters.h"

#include "com/registry.h"
#include "graph/filter_graph.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace testfilters;

namespace {

ComPtr<IFilterGraph2> NewGraph() {
  ComPtr<IFilterGraph2> g;
  EXPECT_EQ(graph::FilterGraph::Create(IID_PPV_ARGS(&g)), S_OK);
  return g;
}

TEST(GraphForwarding, WithoutSupportingFiltersTheCallsFailHonestly) {
  auto g = NewGraph();
  ComPtr<IBasicAudio> audio;
  ComPtr<IMediaSeeking> seeking;
  ComPtr<IVideoFrameStep> step;
  ASSERT_EQ(g.As(&audio), S_OK); // always answered
  ASSERT_EQ(g.As(&seeking), S_OK);
  ASSERT_EQ(g.As(&step), S_OK);
  LONG v;
  double r;
  DWORD caps;
  LONGLONG pos;
  EXPECT_EQ(audio->put_Volume(-500), E_NOTIMPL);
  EXPECT_EQ(audio->get_Balance(&v), E_NOTIMPL);
  EXPECT_EQ(seeking->SetRate(2.0), E_NOTIMPL);
  EXPECT_EQ(seeking->GetRate(&r), E_NOTIMPL);
  EXPECT_EQ(seeking->GetCapabilities(&caps), E_NOTIMPL);
  EXPECT_EQ(seeking->GetCurrentPosition(&pos), E_NOTIMPL);
  EXPECT_EQ(step->Step(1, nullptr), VFW_E_FRAME_STEP_UNSUPPORTED);
  EXPECT_EQ(step->CanStep(0, nullptr), VFW_E_FRAME_STEP_UNSUPPORTED);
}

TEST(GraphForwarding, AudioAndStepGoToTheFirstFilterRateToAll) {
  auto g = NewGraph();
  auto first = ControlFilter::Create(u"First"), second = ControlFilter::Create(u"Second");
  g->AddFilter(F(first), nullptr);
  g->AddFilter(F(second), nullptr);
  ComPtr<IBasicAudio> audio;
  ComPtr<IMediaSeeking> seeking;
  ComPtr<IVideoFrameStep> step;
  g.As(&audio);
  g.As(&seeking);
  g.As(&step);

  EXPECT_EQ(audio->put_Volume(-2500), S_OK);
  EXPECT_EQ(audio->put_Balance(300), S_OK);
  LONG volume = 0;
  EXPECT_EQ(audio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, -2500);
  EXPECT_EQ(step->Step(1, nullptr), S_OK);
  EXPECT_EQ(first->calls, (std::vector<std::string>{"put_Volume -2500", "put_Balance 300", "get_Volume", "Step 1"}));
  EXPECT_TRUE(second->calls.empty());

  second->failWith = E_INVALIDARG;
  EXPECT_EQ(seeking->SetRate(8.0), E_INVALIDARG);
  EXPECT_EQ(first->rate, 8.0);
  EXPECT_EQ(second->rate, 8.0);
  double rate = 0;
  EXPECT_EQ(seeking->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, 8.0);

  first->capabilities = AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanSeekForwards;
  second->failWith = S_OK;
  DWORD caps = 0;
  EXPECT_EQ(seeking->GetCapabilities(&caps), S_OK);
  EXPECT_EQ(caps, AM_SEEKING_CanGetCurrentPos);
  first->position = 77;
  LONGLONG pos = 0;
  EXPECT_EQ(seeking->GetCurrentPosition(&pos), S_OK);
  EXPECT_EQ(pos, 77);

  first->failWith = VFW_E_NOT_PAUSED;
  EXPECT_EQ(step->Step(2, nullptr), VFW_E_NOT_PAUSED);
}

// A step from a running graph stops on the next picture: the graph pauses first.
TEST(GraphForwarding, AStepWhileRunningPausesTheGraphFirst) {
  auto g = NewGraph();
  auto renderer = ControlFilter::Create(u"Renderer");
  g->AddFilter(F(renderer), nullptr);
  ComPtr<IMediaControl> control;
  ComPtr<IVideoFrameStep> step;
  g.As(&control);
  g.As(&step);
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  FILTER_STATE state = State_Stopped;
  ASSERT_EQ(renderer->GetState(0, &state), S_OK);
  ASSERT_EQ(state, State_Running);
  EXPECT_EQ(step->Step(1, nullptr), S_OK);
  EXPECT_EQ(renderer->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Paused);
  OAFilterState graphState = State_Stopped;
  EXPECT_EQ(control->GetState(0, &graphState), S_OK);
  EXPECT_EQ(graphState, State_Paused);
  EXPECT_EQ(renderer->calls, std::vector<std::string>{"Step 1"});
  // Stopped graphs are left to the renderer, which refuses.
  control->Stop();
  renderer->failWith = VFW_E_NOT_PAUSED;
  EXPECT_EQ(step->Step(1, nullptr), VFW_E_NOT_PAUSED);
  EXPECT_EQ(control->GetState(0, &graphState), S_OK);
  EXPECT_EQ(graphState, State_Stopped);
  control->Stop();
}

class Site final : public ComObject<IServiceProvider> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IServiceProvider>(iid, object); }
  HRESULT QueryService(REFGUID service, REFIID iid, void **object) override {
    asked = service == SID_FilterGraphComponent;
    return QueryInterface(iid, object);
  }
  bool asked = false;
};

TEST(GraphSite, SiteIsCountedAndServicesGoThroughIt) {
  auto g = NewGraph();
  ComPtr<IObjectWithSite> withSite;
  ComPtr<IServiceProvider> services;
  g.As(&withSite);
  g.As(&services);
  ComPtr<IUnknown> out;
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, reinterpret_cast<void **>(&out)), E_FAIL);
  EXPECT_EQ(services->QueryService(SID_FilterGraphComponent, IID_IUnknown, reinterpret_cast<void **>(&out)),
            E_NOINTERFACE);

  ComPtr<Site> site;
  site.Attach(new Site);
  ASSERT_EQ(withSite->SetSite(site.Get()), S_OK);
  ComPtr<IServiceProvider> back;
  ASSERT_EQ(withSite->GetSite(IID_PPV_ARGS(&back)), S_OK);
  EXPECT_EQ(back.Get(), static_cast<IServiceProvider *>(site.Get()));
  back = nullptr;
  ASSERT_EQ(services->QueryService(SID_FilterGraphComponent, IID_IUnknown, reinterpret_cast<void **>(&out)), S_OK);
  EXPECT_TRUE(site->asked);
  out = nullptr;
  // The graph's count goes away with SetSite(nullptr): ours is the last one.
  withSite->SetSite(nullptr);
  EXPECT_EQ(site->AddRef(), 2u);
  site->Release();
}

std::string ReadAll(const char *path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(GraphLog, LinesForFiltersConnectionsAndStates) {
  char path[] = "/tmp/graph-log-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  auto g = NewGraph();
  ASSERT_EQ(g->SetLogFile(static_cast<DWORD_PTR>(fd)), S_OK);
  close(fd); // the graph keeps its own descriptor
  auto source = TestSource::Create(u"Disc Source");
  auto sink = TestSink::Create(u"Picture");
  g->AddFilter(F(source), nullptr);
  g->AddFilter(F(sink), nullptr);
  g->ConnectDirect(&source->out, &sink->in, nullptr);
  ComPtr<IMediaControl> control;
  g.As(&control);
  control->Pause();
  control->Stop();
  g->RemoveFilter(F(sink));
  EXPECT_EQ(g->SetLogFile(0), S_OK);
  g->RemoveFilter(F(source)); // not logged any more

  std::string log = ReadAll(path);
  unlink(path);
  EXPECT_NE(log.find("Added filter \"Disc Source\""), std::string::npos) << log;
  EXPECT_NE(log.find("Connected \"Disc Source\".\"Out\" to \"Picture\".\"In\" type " + GuidToString(MEDIATYPE_Video) +
                     " " + GuidToString(MEDIASUBTYPE_MPEG2_VIDEO)),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Paused: 0x00000000"), std::string::npos) << log;
  EXPECT_NE(log.find("Stopped: 0x00000000"), std::string::npos) << log;
  EXPECT_NE(log.find("Disconnected \"Disc Source\".\"Out\""), std::string::npos) << log;
  EXPECT_NE(log.find("Removed filter \"Picture\""), std::string::npos) << log;
  EXPECT_EQ(log.find("Removed filter \"Disc Source\""), std::string::npos) << log;
  EXPECT_EQ(log.back(), '\n');

  EXPECT_EQ(g->SetLogFile(987654), E_INVALIDARG); // not an open descriptor
}

TEST(Registry, CoInitializeRegistersTheGraphClasses) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  ComPtr<IFilterGraph2> g;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&g)), S_OK);
  ComPtr<IMediaEventEx> events;
  EXPECT_EQ(g.As(&events), S_OK);
  CLSID clsid{};
  ComPtr<IPersist> persist;
  ASSERT_EQ(g.As(&persist), S_OK);
  persist->GetClassID(&clsid);
  EXPECT_EQ(clsid, CLSID_FilterGraph);
  ComPtr<IMediaControl> other;
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraphNoThread, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&other)), S_OK);
  ComPtr<IReferenceClock> clock;
  EXPECT_EQ(CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&clock)), S_OK);

  ComPtr<ICaptureGraphBuilder2> builder;
  ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder)),
            S_OK);
  ComPtr<IGraphBuilder> asBuilder;
  g.As(&asBuilder);
  ASSERT_EQ(builder->SetFiltergraph(asBuilder.Get()), S_OK);
  ComPtr<IGraphBuilder> back;
  ASSERT_EQ(builder->GetFiltergraph(&back), S_OK);
  EXPECT_EQ(back, asBuilder);
  EXPECT_EQ(builder->RenderStream(nullptr, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  builder->SetFiltergraph(nullptr);
  ASSERT_EQ(builder->GetFiltergraph(&back), S_OK); // a graph of its own
  EXPECT_NE(back, asBuilder);
}

} // namespace

// The graph's filter list and connections.
#include "test_filters.h"

#include "graph/filter_graph.h"

#include <gtest/gtest.h>

using namespace testfilters;

namespace {

ComPtr<IFilterGraph2> NewGraph() {
  ComPtr<IFilterGraph2> g;
  EXPECT_EQ(graph::FilterGraph::Create(IID_PPV_ARGS(&g)), S_OK);
  return g;
}

std::vector<std::u16string> Names(IFilterGraph *g) {
  std::vector<std::u16string> names;
  ComPtr<IEnumFilters> e;
  EXPECT_EQ(g->EnumFilters(&e), S_OK);
  IBaseFilter *f = nullptr;
  ULONG got = 0;
  while (e->Next(1, &f, &got) == S_OK) {
    FILTER_INFO info{};
    f->QueryFilterInfo(&info);
    names.emplace_back(info.achName);
    if (info.pGraph) info.pGraph->Release();
    f->Release();
  }
  EXPECT_EQ(got, 0u);
  return names;
}

TEST(GraphFilters, AddGivesUniqueNamesAndJoinsTheGraph) {
  auto g = NewGraph();
  auto a = TestSink::Create(), b = TestSink::Create(), c = TestSink::Create(), d = TestSink::Create();
  EXPECT_EQ(g->AddFilter(F(a), u"Renderer"), S_OK);
  EXPECT_EQ(g->AddFilter(F(b), u"Renderer"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(g->AddFilter(F(c), u"Renderer"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(g->AddFilter(F(d), nullptr), S_OK); // the filter's own name
  EXPECT_EQ(g->AddFilter(F(a), u"Again"), E_INVALIDARG);
  EXPECT_EQ(g->AddFilter(nullptr, u"x"), E_POINTER);
  EXPECT_EQ(Names(g.Get()), (std::vector<std::u16string>{u"Renderer", u"Renderer 0001", u"Renderer 0002", u"Sink"}));

  FILTER_INFO info{};
  ASSERT_EQ(F(b)->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(info.pGraph, static_cast<IFilterGraph *>(g.Get()));
  info.pGraph->Release();

  ComPtr<IBaseFilter> found;
  EXPECT_EQ(g->FindFilterByName(u"Renderer 0001", &found), S_OK);
  EXPECT_EQ(found.Get(), F(b));
  EXPECT_EQ(g->FindFilterByName(u"Nobody", &found), VFW_E_NOT_FOUND);

  // A filter in one graph cannot join another.
  auto other = NewGraph();
  EXPECT_EQ(other->AddFilter(F(a), u"Stolen"), E_INVALIDARG);
}

TEST(GraphFilters, RemoveLeavesTheGraphAndFreesTheName) {
  auto g = NewGraph();
  auto a = TestSink::Create(), b = TestSink::Create();
  g->AddFilter(F(a), u"A");
  g->AddFilter(F(b), u"B");
  EXPECT_EQ(g->RemoveFilter(F(a)), S_OK);
  EXPECT_EQ(g->RemoveFilter(F(a)), VFW_E_NOT_FOUND);
  EXPECT_EQ(a->Graph(), nullptr);
  EXPECT_EQ(Names(g.Get()), (std::vector<std::u16string>{u"B"}));
  EXPECT_EQ(g->AddFilter(F(a), u"B"), VFW_S_DUPLICATE_NAME);
  auto e = TestSink::Create();
  EXPECT_EQ(g->AddFilter(F(e), u"A"), S_OK); // the name is free again
}

TEST(GraphFilters, EnumeratorSkipResetCloneAndBatches) {
  auto g = NewGraph();
  auto a = TestSink::Create(), b = TestSink::Create(), c = TestSink::Create();
  g->AddFilter(F(a), u"A");
  g->AddFilter(F(b), u"B");
  g->AddFilter(F(c), u"C");
  ComPtr<IEnumFilters> e;
  g->EnumFilters(&e);
  EXPECT_EQ(e->Skip(1), S_OK);
  ComPtr<IEnumFilters> copy;
  ASSERT_EQ(e->Clone(&copy), S_OK);
  IBaseFilter *batch[4] = {};
  ULONG got = 0;
  EXPECT_EQ(e->Next(4, batch, &got), S_FALSE);
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(batch[0], F(b));
  EXPECT_EQ(batch[1], F(c));
  batch[0]->Release();
  batch[1]->Release();
  EXPECT_EQ(copy->Next(1, batch, nullptr), S_OK); // the clone kept its own position
  EXPECT_EQ(batch[0], F(b));
  batch[0]->Release();
  EXPECT_EQ(e->Skip(1), S_FALSE);
  e->Reset();
  EXPECT_EQ(e->Next(1, batch, nullptr), S_OK);
  EXPECT_EQ(batch[0], F(a));
  batch[0]->Release();
  EXPECT_EQ(e->Next(2, batch, nullptr), E_INVALIDARG); // several need a count
}

TEST(GraphConnections, DirectConnectionInsideTheGraphOnly) {
  auto g = NewGraph();
  auto source = TestSource::Create();
  auto sink = TestSink::Create(), outsider = TestSink::Create();
  g->AddFilter(F(source), u"Source");
  g->AddFilter(F(sink), u"Sink");
  EXPECT_EQ(g->ConnectDirect(&source->out, &outsider->in, nullptr), VFW_E_NOT_IN_GRAPH);
  EXPECT_EQ(g->ConnectDirect(&sink->in, &source->out, nullptr), VFW_E_INVALID_DIRECTION);
  ASSERT_EQ(g->ConnectDirect(&source->out, &sink->in, nullptr), S_OK);
  EXPECT_EQ(g->ConnectDirect(&source->out, &sink->in, nullptr), VFW_E_ALREADY_CONNECTED);

  // Disconnect breaks one side only.
  EXPECT_EQ(g->Disconnect(&sink->in), S_OK);
  EXPECT_FALSE(sink->in.IsConnected());
  EXPECT_TRUE(source->out.IsConnected());
  EXPECT_EQ(g->Disconnect(&source->out), S_OK);

  // Pins that agree on no type cannot be connected directly.
  sink->in.major = MEDIATYPE_Audio;
  EXPECT_EQ(g->Connect(&source->out, &sink->in), VFW_E_CANNOT_CONNECT);
  sink->in.major = MEDIATYPE_Video;
  EXPECT_EQ(g->Connect(&source->out, &sink->in), S_OK);

  // Reconnect keeps the type and the pair.
  EXPECT_EQ(g->Reconnect(&sink->in), S_OK);
  EXPECT_TRUE(source->out.IsConnected());
  EXPECT_EQ(sink->in.ConnectionType().Sub(), MEDIASUBTYPE_MPEG2_VIDEO);
}

TEST(GraphConnections, RemovingAFilterDisconnectsBothSides) {
  auto g = NewGraph();
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  g->AddFilter(F(source), u"Source");
  g->AddFilter(F(sink), u"Sink");
  ASSERT_EQ(g->ConnectDirect(&source->out, &sink->in, nullptr), S_OK);
  EXPECT_EQ(g->RemoveFilter(F(sink)), S_OK);
  EXPECT_FALSE(source->out.IsConnected());
  EXPECT_FALSE(sink->in.IsConnected());
}

TEST(GraphConnections, ReleasingTheGraphLetsEveryFilterGo) {
  auto source = TestSource::Create();
  auto sink = TestSink::Create();
  {
    auto g = NewGraph();
    g->AddFilter(F(source), u"Source");
    g->AddFilter(F(sink), u"Sink");
    ASSERT_EQ(g->ConnectDirect(&source->out, &sink->in, nullptr), S_OK);
    ComPtr<IMediaControl> control;
    g.As(&control);
    EXPECT_EQ(control->Run(), S_OK);
  }
  EXPECT_EQ(source->State(), State_Stopped);
  EXPECT_EQ(sink->Graph(), nullptr);
  EXPECT_FALSE(source->out.IsConnected());
  EXPECT_FALSE(sink->in.IsConnected());
}

} // namespace

// Rendering a pin: filters of the catalogue chosen by type and merit, the site asked
// before and after each filter and about a pin that nothing renders.
#include "test_filters.h"

#include "com/registry.h"
#include "graph/builder_callbacks.h"
#include "graph/filter_graph.h"

#include <gtest/gtest.h>

#include <optional>

using namespace testfilters;

namespace {

constexpr GUID kSubtype = {0x5A5A0001, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x77}};
constexpr GUID kNobody = {0x5A5A0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x77}};
constexpr GUID kNobodyMajor = {0x5A5A0003, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x77}};
constexpr CLSID kBest = {0x5A5A0010, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x77}};
constexpr CLSID kSecond = {0x5A5A0011, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x77}};

std::string Text(BSTR s) { return s ? std::string(s, s + SysStringLen(s)) : std::string(); }

// The graph's site: records each callback with what the moniker's bag says.
class Site final : public ComObject<IAMGraphBuilderCallback, IAMFilterGraphCallback> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IAMGraphBuilderCallback, IAMFilterGraphCallback>(iid, object);
  }
  HRESULT SelectedFilter(IMoniker *moniker) override {
    ComPtr<IPropertyBag> bag;
    std::string clsid, name;
    if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag))) && bag) {
      BSTR v = nullptr;
      if (bag->Read(u"CLSID", &v, nullptr) == S_OK) clsid = Text(v);
      SysFreeString(v);
      v = nullptr;
      if (bag->Read(u"FriendlyName", &v, nullptr) == S_OK) name = Text(v);
      SysFreeString(v);
    }
    calls.push_back("selected " + name + " " + clsid);
    return refuseSelected == name ? E_FAIL : S_OK;
  }
  HRESULT CreatedFilter(IBaseFilter *filter) override {
    (void)filter;
    calls.push_back("created");
    return refuseCreated ? E_FAIL : S_OK;
  }
  HRESULT UnableToRenderPin(IPin *pin) override {
    calls.push_back("unable");
    lastPin = pin;
    if (onUnable) onUnable();
    return unableAnswer;
  }
  std::vector<std::string> calls;
  std::string refuseSelected;
  bool refuseCreated = false;
  HRESULT unableAnswer = S_FALSE;
  IPin *lastPin = nullptr;
  std::function<void()> onUnable;
};

ClassFactoryFn SinkFactory(std::u16string name) {
  return [name](REFIID iid, void **object) -> HRESULT {
    auto sink = TestSink::Create(name);
    sink->in.major = MEDIATYPE_Stream;
    return F(sink)->QueryInterface(iid, object);
  };
}

class GraphRender : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    site.Attach(new Site);
    graph::FilterGraph::Create(IID_PPV_ARGS(&g));
    source->out.types = {graph::MediaType(MEDIATYPE_Stream, kSubtype)};
    source->out.acceptedMajor = MEDIATYPE_Stream;
    g->AddFilter(F(source), u"Source");
    graph::RegisterCatalogFilter({kSecond, u"Second Sink", 0x100, {{MEDIATYPE_Stream, kSubtype}}});
    graph::RegisterCatalogFilter({kBest, u"Best Sink", 0x200, {{MEDIATYPE_Stream, GUID_NULL}}});
    ComPtr<IObjectWithSite> withSite;
    g.As(&withSite);
    withSite->SetSite(static_cast<IAMFilterGraphCallback *>(site.Get()));
  }
  void TearDown() override {
    graph::RevokeCatalogFilter(kBest);
    graph::RevokeCatalogFilter(kSecond);
  }
  std::vector<std::string> Filters() {
    std::vector<std::string> names;
    ComPtr<IEnumFilters> e;
    g->EnumFilters(&e);
    ComPtr<IBaseFilter> f;
    while (e->Next(1, &f, nullptr) == S_OK) {
      FILTER_INFO info{};
      f->QueryFilterInfo(&info);
      if (info.pGraph) info.pGraph->Release();
      names.emplace_back(info.achName, info.achName + std::char_traits<char16_t>::length(info.achName));
    }
    return names;
  }
  IPin *Out() { return &source->out; }

  ScopedClassRegistration best{kBest, SinkFactory(u"best")};
  ScopedClassRegistration second{kSecond, SinkFactory(u"second")};
  ComPtr<IFilterGraph2> g;
  ComPtr<TestSource> source = TestSource::Create(u"Source", 0);
  ComPtr<Site> site;
};

TEST_F(GraphRender, TheBestCatalogueFilterIsOfferedCreatedAndConnected) {
  EXPECT_EQ(g->Render(Out()), S_OK);
  EXPECT_EQ(Filters(), (std::vector<std::string>{"Source", "Best Sink"}));
  ASSERT_EQ(site->calls.size(), 2u);
  EXPECT_EQ(site->calls[0], "selected Best Sink " + GuidToString(kBest));
  EXPECT_EQ(site->calls[1], "created");
  EXPECT_EQ(g->Render(Out()), VFW_E_ALREADY_CONNECTED);
}

TEST_F(GraphRender, ARefusedFilterIsSkippedForTheNextOne) {
  site->refuseSelected = "Best Sink";
  EXPECT_EQ(g->Render(Out()), S_OK);
  EXPECT_EQ(Filters(), (std::vector<std::string>{"Source", "Second Sink"}));
  EXPECT_EQ(site->calls, (std::vector<std::string>{"selected Best Sink " + GuidToString(kBest),
                                                   "selected Second Sink " + GuidToString(kSecond), "created"}));
}

TEST_F(GraphRender, RefusingEveryFilterAfterCreationLeavesTheGraphAsItWas) {
  site->refuseCreated = true;
  EXPECT_EQ(g->Render(Out()), VFW_E_CANNOT_RENDER);
  EXPECT_EQ(Filters(), (std::vector<std::string>{"Source"}));
  EXPECT_EQ(site->calls.back(), "unable");
}

TEST_F(GraphRender, WithoutASiteEveryFilterIsAccepted) {
  ComPtr<IObjectWithSite> withSite;
  g.As(&withSite);
  withSite->SetSite(nullptr);
  EXPECT_EQ(g->Render(Out()), S_OK);
  EXPECT_EQ(Filters(), (std::vector<std::string>{"Source", "Best Sink"}));
  EXPECT_TRUE(site->calls.empty());
}

TEST_F(GraphRender, APinNothingRendersIsOfferedToTheSiteWhoseAnswerDecides) {
  source->out.types = {graph::MediaType(kNobodyMajor, kNobody)};
  source->out.acceptedMajor = kNobodyMajor;
  auto sink = TestSink::Create(u"Late Sink");
  sink->in.major = kNobodyMajor;

  // Not handled: the render fails and the pin stays free.
  EXPECT_EQ(g->Render(Out()), VFW_E_CANNOT_RENDER);
  EXPECT_EQ(site->calls, std::vector<std::string>{"unable"});
  EXPECT_EQ(site->lastPin, Out());

  // The handler adds a filter that takes the type but does not say so: still failed.
  site->onUnable = [&] { g->AddFilter(F(sink), u"Late Sink"); };
  EXPECT_EQ(g->Render(Out()), VFW_E_CANNOT_RENDER);
  g->RemoveFilter(F(sink));

  // It says S_OK: the graph tries once more and finds it.
  site->unableAnswer = S_OK;
  site->calls.clear();
  EXPECT_EQ(g->Render(Out()), S_OK);
  EXPECT_EQ(site->calls, std::vector<std::string>{"unable"});
  ComPtr<IPin> peer;
  EXPECT_EQ(Out()->ConnectedTo(&peer), S_OK);
}

TEST_F(GraphRender, AnAnswerOfSOkWithoutAFixIsAskedOnceAndFails) {
  source->out.types = {graph::MediaType(kNobodyMajor, kNobody)};
  source->out.acceptedMajor = kNobodyMajor;
  site->unableAnswer = S_OK;
  EXPECT_EQ(g->Render(Out()), VFW_E_CANNOT_RENDER);
  EXPECT_EQ(site->calls, std::vector<std::string>{"unable"});
}

} // namespace

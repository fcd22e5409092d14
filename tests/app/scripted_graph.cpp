#include "scripted_graph.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"
#include "framework/application.h"

ScriptedGraph::ScriptedGraph(Trace *trace) : trace(trace) {}

ScriptedGraph::~ScriptedGraph() {
  trace->push_back(Application().Terminated() ? "graph released after termination" : "graph released");
}

HRESULT ScriptedGraph::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IGraphBuilder, IFilterGraph, IMediaControl, IMediaEventEx, IMediaEvent>(iid, object);
}

HRESULT ScriptedGraph::RemoveFilter(IBaseFilter *filter) {
  for (auto it = filters.begin(); it != filters.end(); ++it) {
    if (it->Get() != filter) continue;
    trace->push_back("RemoveFilter " + static_cast<ScriptedFilter *>(filter)->name);
    filters.erase(it);
    return S_OK;
  }
  return VFW_E_NOT_FOUND;
}

HRESULT ScriptedGraph::EnumFilters(IEnumFilters **out) {
  cursor = 0;
  AddRef();
  *out = this;
  return S_OK;
}

HRESULT ScriptedGraph::Next(ULONG count, IBaseFilter **out, ULONG *fetched) {
  ULONG n = 0;
  while (n < count && cursor < filters.size()) {
    out[n] = filters[cursor++].Get();
    out[n]->AddRef();
    ++n;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT ScriptedGraph::SetLogFile(DWORD_PTR file) {
  trace->push_back("SetLogFile " + std::to_string(file));
  return S_OK;
}

HRESULT ScriptedGraph::Run() {
  trace->push_back("Run");
  return S_OK;
}

HRESULT ScriptedGraph::Pause() {
  trace->push_back("Pause");
  return S_OK;
}

HRESULT ScriptedGraph::Stop() {
  trace->push_back("Stop");
  return stopResult;
}

HRESULT ScriptedGraph::SetNotifyWindow(OAHWND window, LONG, LONG_PTR) {
  trace->push_back(window ? "SetNotifyWindow" : "SetNotifyWindow 0");
  return S_OK;
}

HRESULT ScriptedGraph::SetNotifyFlags(LONG flags) {
  trace->push_back("SetNotifyFlags " + std::to_string(flags));
  return S_OK;
}

namespace {
ComPtr<ScriptedGraph> WithNavigator(Trace *trace) {
  ComPtr<ScriptedGraph> graph;
  graph.Attach(new ScriptedGraph(trace));
  ComPtr<IBaseFilter> navigator;
  navigator.Attach(new ScriptedFilter("Navigator", trace));
  graph->filters.push_back(navigator);
  return graph;
}
} // namespace

ScriptedGraphDvd::ScriptedGraphDvd(Trace *trace, const DvdScript *script)
    : ScriptedDvdBuilder(trace, script, WithNavigator(trace)) {
  scripted = static_cast<ScriptedGraph *>(graph.Get());
}

#include "graph/capture_builder.h"

#include "graph/filter_graph.h"

namespace graph {

HRESULT CaptureGraphBuilder::Create(REFIID iid, void **object) { return CreateComObject<CaptureGraphBuilder>(iid, object); }

HRESULT CaptureGraphBuilder::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<ICaptureGraphBuilder2>(iid, object);
}

HRESULT CaptureGraphBuilder::SetFiltergraph(IGraphBuilder *graph) {
  graph_ = graph;
  return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(IGraphBuilder **graph) {
  if (!graph) return E_POINTER;
  *graph = nullptr;
  if (!graph_) {
    HRESULT hr = FilterGraph::Create(IID_PPV_ARGS(graph_.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
  }
  return graph_.CopyTo(graph);
}

HRESULT CaptureGraphBuilder::SetOutputFileName(const GUID *, LPCWSTR, IBaseFilter **mux, IUnknown **sink) {
  if (mux) *mux = nullptr;
  if (sink) *sink = nullptr;
  return E_NOTIMPL;
}

HRESULT CaptureGraphBuilder::FindInterface(const GUID *, const GUID *, IBaseFilter *, REFIID, void **object) {
  if (object) *object = nullptr;
  return E_NOTIMPL;
}

HRESULT CaptureGraphBuilder::RenderStream(const GUID *, const GUID *, IUnknown *, IBaseFilter *, IBaseFilter *) {
  return E_NOTIMPL;
}

HRESULT CaptureGraphBuilder::FindPin(IUnknown *, PIN_DIRECTION, const GUID *, const GUID *, BOOL, int, IPin **pin) {
  if (pin) *pin = nullptr;
  return E_NOTIMPL;
}

} // namespace graph

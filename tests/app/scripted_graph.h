// A graph manager that writes its calls to a trace, under the shared scripted DVD
// builder, for the player's tests: CLSID_DvdGraphBuilder is replaced by
// ScopedScriptedDvd<ScriptedGraphDvd> for a test's scope.
#pragma once

#include "com/registry.h"
#include "dshow/control.h"
#include "dshow/dvd.h"
#include "dshow/strmif.h"
#include "support/dvd/scripted_dvd.h"
#include "support/graph_stub.h"

#include <string>
#include <vector>

class ScriptedFilter : public ComObject<IBaseFilter> {
public:
  ScriptedFilter(std::string name, Trace *trace) : name(std::move(name)), trace(trace) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IBaseFilter, IMediaFilter, IPersist>(iid, object);
  }
  HRESULT GetClassID(CLSID *) override { return E_NOTIMPL; }
  HRESULT Stop() override { return S_OK; }
  HRESULT Pause() override { return S_OK; }
  HRESULT Run(REFERENCE_TIME) override { return S_OK; }
  HRESULT GetState(DWORD, FILTER_STATE *) override { return E_NOTIMPL; }
  HRESULT SetSyncSource(IReferenceClock *) override { return S_OK; }
  HRESULT GetSyncSource(IReferenceClock **) override { return E_NOTIMPL; }
  HRESULT EnumPins(IEnumPins **) override { return E_NOTIMPL; }
  HRESULT FindPin(LPCWSTR, IPin **) override { return E_NOTIMPL; }
  HRESULT QueryFilterInfo(FILTER_INFO *) override { return E_NOTIMPL; }
  HRESULT JoinFilterGraph(IFilterGraph *, LPCWSTR) override { return S_OK; }
  HRESULT QueryVendorInfo(LPWSTR *) override { return E_NOTIMPL; }
  std::string name;
  Trace *trace;
};

class ScriptedGraph : public GraphStub<IEnumFilters> {
public:
  explicit ScriptedGraph(Trace *trace);
  ~ScriptedGraph() override;
  HRESULT QueryInterface(REFIID iid, void **object) override;
  // IFilterGraph / IGraphBuilder
  HRESULT AddFilter(IBaseFilter *, LPCWSTR) override { return S_OK; }
  HRESULT RemoveFilter(IBaseFilter *filter) override;
  HRESULT EnumFilters(IEnumFilters **filters) override;
  HRESULT SetLogFile(DWORD_PTR file) override;
  // IMediaControl
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  // IMediaEventEx
  HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
  HRESULT SetNotifyWindow(OAHWND, LONG, LONG_PTR) override;
  HRESULT SetNotifyFlags(LONG flags) override;
  // IEnumFilters over `filters` (EnumFilters hands out this object, reset)
  HRESULT Next(ULONG count, IBaseFilter **out, ULONG *fetched) override;
  HRESULT Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT Reset() override {
    cursor = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFilters **) override { return E_NOTIMPL; }

  Trace *trace;
  std::vector<ComPtr<IBaseFilter>> filters;
  std::size_t cursor = 0;
  HRESULT stopResult = S_OK;
};

// The shared scripted DVD builder over a ScriptedGraph that holds one filter "Navigator".
class ScriptedGraphDvd : public ScriptedDvdBuilder {
public:
  ScriptedGraphDvd(Trace *trace, const DvdScript *script);
  ComPtr<ScriptedGraph> scripted; // the graph, as scripted
};

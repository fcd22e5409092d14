// Filter graph: identity, filters and connections.
#include "graph/filter_graph.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"
#include "graph/enumerators.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

namespace graph {

namespace {

bool SameObject(IUnknown *a, IUnknown *b) {
  if (a == b) return true;
  if (!a || !b) return false;
  ComPtr<IUnknown> ua, ub;
  a->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(ua.ReleaseAndGetAddressOf()));
  b->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(ub.ReleaseAndGetAddressOf()));
  return ua && ua == ub;
}

template <class F> void ForEachPin(IBaseFilter *filter, F &&f) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(&pins)) || !pins) return;
  IPin *pin = nullptr;
  ULONG got = 0;
  while (pins->Next(1, &pin, &got) == S_OK && got == 1) {
    ComPtr<IPin> held;
    held.Attach(pin);
    f(pin);
  }
}

bool IsNegotiationFailure(HRESULT hr) {
  return hr == VFW_E_NO_ACCEPTABLE_TYPES || hr == VFW_E_TYPE_NOT_ACCEPTED || hr == VFW_E_NO_TRANSPORT ||
         hr == VFW_E_INVALIDMEDIATYPE || hr == E_FAIL;
}

} // namespace

FilterGraph::FilterGraph() = default;

FilterGraph::~FilterGraph() { Teardown(); }

HRESULT FilterGraph::Create(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto *graph = new FilterGraph;
  HRESULT hr = graph->QueryInterface(iid, object);
  graph->Release();
  return hr;
}

HRESULT FilterGraph::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IFilterGraph, IGraphBuilder, IFilterGraph2, IMediaControl, IMediaEvent, IMediaEventEx,
                   IMediaEventSink, IPersist, IMediaFilter, IBasicAudio, IMediaSeeking, IVideoFrameStep,
                   IObjectWithSite, IServiceProvider, IGraphLogSink>(iid, object);
}

ULONG FilterGraph::AddRef() { return refs_.fetch_add(1) + 1; }

ULONG FilterGraph::Release() {
  ULONG left = refs_.fetch_sub(1) - 1;
  if (left != 0) return left;
  refs_ = 1; // alive again while the filters leave; they may still call the graph
  Teardown();
  if (refs_.fetch_sub(1) == 1) delete this;
  return 0;
}

void FilterGraph::Teardown() {
  std::lock_guard guard(lock_);
  if (filters_.empty() && state_ == State_Stopped) return;
  StopLocked();
  while (!filters_.empty()) {
    Entry entry = filters_.back();
    DisconnectPins(entry.filter.Get());
    entry.filter->SetSyncSource(nullptr);
    entry.filter->JoinFilterGraph(nullptr, nullptr);
    filters_.pop_back();
  }
  clock_ = nullptr;
  site_ = nullptr;
}

// --- Lookup ------------------------------------------------------------------------

FilterGraph::Entry *FilterGraph::Find(IUnknown *object) {
  for (Entry &e : filters_)
    if (e.filter.Get() == object) return &e;
  for (Entry &e : filters_)
    if (SameObject(e.filter.Get(), object)) return &e;
  return nullptr;
}

FilterGraph::Entry *FilterGraph::FindByName(const std::u16string &name) {
  for (Entry &e : filters_)
    if (e.name == name) return &e;
  return nullptr;
}

bool FilterGraph::PinInGraph(IPin *pin) {
  PIN_INFO info{};
  if (FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return false;
  ComPtr<IBaseFilter> owner;
  owner.Attach(info.pFilter);
  return Find(owner.Get()) != nullptr;
}

std::string FilterGraph::Describe(IPin *pin) {
  PIN_INFO info{};
  std::string filterName = "?";
  if (SUCCEEDED(pin->QueryPinInfo(&info)) && info.pFilter) {
    if (Entry *e = Find(info.pFilter)) filterName = ToUtf8(e->name);
    info.pFilter->Release();
  }
  return "\"" + filterName + "\".\"" + ToUtf8(info.achName) + "\"";
}

// Post-order over output connections: a filter comes after everything downstream.
std::vector<ComPtr<IBaseFilter>> FilterGraph::DownstreamFirst() {
  std::vector<ComPtr<IBaseFilter>> order;
  std::set<IBaseFilter *> visited;
  std::function<void(IBaseFilter *)> visit = [&](IBaseFilter *filter) {
    if (!visited.insert(filter).second) return;
    ForEachPin(filter, [&](IPin *pin) {
      PIN_DIRECTION dir;
      ComPtr<IPin> peer;
      if (FAILED(pin->QueryDirection(&dir)) || dir != PINDIR_OUTPUT) return;
      if (pin->ConnectedTo(&peer) != S_OK || !peer) return;
      PIN_INFO info{};
      if (FAILED(peer->QueryPinInfo(&info)) || !info.pFilter) return;
      ComPtr<IBaseFilter> next;
      next.Attach(info.pFilter);
      if (Entry *e = Find(next.Get())) visit(e->filter.Get());
    });
    order.emplace_back(filter);
  };
  for (Entry &e : filters_) visit(e.filter.Get());
  return order;
}

// --- Filters -----------------------------------------------------------------------

std::u16string FilterGraph::UniqueName(const std::u16string &wanted, bool *renamed) {
  std::u16string base = wanted.substr(0, MAX_FILTER_NAME - 1);
  *renamed = false;
  if (!FindByName(base)) return base;
  *renamed = true;
  std::u16string stem = wanted.substr(0, MAX_FILTER_NAME - 1 - 5);
  for (int n = 1; n <= 9999; ++n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, " %04d", n);
    std::u16string candidate = stem + std::u16string(digits, digits + 5);
    if (!FindByName(candidate)) return candidate;
  }
  return {};
}

HRESULT FilterGraph::AddFilter(IBaseFilter *filter, LPCWSTR name) {
  if (!filter) return E_POINTER;
  std::lock_guard guard(lock_);
  if (Find(filter)) return E_INVALIDARG;
  FILTER_INFO info{};
  if (SUCCEEDED(filter->QueryFilterInfo(&info)) && info.pGraph) {
    info.pGraph->Release();
    return E_INVALIDARG; // a filter belongs to one graph at a time
  }
  std::u16string wanted = name && *name ? std::u16string(name) : std::u16string(info.achName);
  if (wanted.empty()) wanted = u"Filter";
  bool renamed = false;
  std::u16string unique = UniqueName(wanted, &renamed);
  if (unique.empty()) return VFW_E_DUPLICATE_NAME;
  HRESULT hr = filter->JoinFilterGraph(this, unique.c_str());
  if (FAILED(hr)) {
    log_.Line("Could not add filter \"" + ToUtf8(unique) + "\": " + HResultText(hr));
    return hr;
  }
  filters_.push_back({filter, unique});
  if (clock_) filter->SetSyncSource(clock_.Get());
  CLSID clsid = GUID_NULL;
  filter->GetClassID(&clsid);
  log_.Line("Added filter \"" + ToUtf8(unique) + "\" " + GuidToString(clsid));
  return renamed ? VFW_S_DUPLICATE_NAME : S_OK;
}

void FilterGraph::DisconnectPins(IBaseFilter *filter) {
  ForEachPin(filter, [&](IPin *pin) {
    ComPtr<IPin> peer;
    if (pin->ConnectedTo(&peer) != S_OK || !peer) return;
    PIN_DIRECTION dir = PINDIR_INPUT;
    pin->QueryDirection(&dir);
    std::string text = dir == PINDIR_OUTPUT ? Describe(pin) + " from " + Describe(peer.Get())
                                            : Describe(peer.Get()) + " from " + Describe(pin);
    HRESULT a = peer->Disconnect();
    HRESULT b = pin->Disconnect();
    log_.Line("Disconnected " + text + ": " + HResultText(FAILED(a) ? a : b));
  });
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter *filter) {
  if (!filter) return E_POINTER;
  ComPtr<IBaseFilter> held; // released after the lock
  {
    std::lock_guard guard(lock_);
    Entry *entry = Find(filter);
    if (!entry) return VFW_E_NOT_FOUND;
    if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
    held = entry->filter;
    std::u16string name = entry->name;
    DisconnectPins(held.Get());
    bool wasClock = false;
    if (clock_) {
      ComPtr<IReferenceClock> own;
      wasClock = SUCCEEDED(held->QueryInterface(IID_PPV_ARGS(&own))) && own && SameObject(own.Get(), clock_.Get());
    }
    held->SetSyncSource(nullptr);
    held->JoinFilterGraph(nullptr, nullptr);
    filters_.erase(filters_.begin() + (Find(held.Get()) - filters_.data()));
    log_.Line("Removed filter \"" + ToUtf8(name) + "\"");
    if (wasClock) {
      clock_ = nullptr;
      ChooseClock();
    }
  }
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters **filters) {
  if (!filters) return E_POINTER;
  std::lock_guard guard(lock_);
  std::vector<ComPtr<IBaseFilter>> list;
  for (Entry &e : filters_) list.push_back(e.filter);
  *filters = new FilterEnumerator(std::move(list));
  return S_OK;
}

HRESULT FilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter **filter) {
  if (!name || !filter) return E_POINTER;
  std::lock_guard guard(lock_);
  *filter = nullptr;
  Entry *e = FindByName(name);
  if (!e) return VFW_E_NOT_FOUND;
  return e->filter.CopyTo(filter);
}

// --- Connections -------------------------------------------------------------------

HRESULT FilterGraph::ConnectDirect(IPin *out, IPin *in, const AM_MEDIA_TYPE *mt) {
  if (!out || !in) return E_POINTER;
  std::lock_guard guard(lock_);
  if (!PinInGraph(out) || !PinInGraph(in)) return VFW_E_NOT_IN_GRAPH;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION outDir, inDir;
  if (FAILED(out->QueryDirection(&outDir)) || FAILED(in->QueryDirection(&inDir)) || outDir != PINDIR_OUTPUT ||
      inDir != PINDIR_INPUT)
    return VFW_E_INVALID_DIRECTION;
  HRESULT hr = out->Connect(in, mt);
  std::string text = Describe(out) + " to " + Describe(in);
  if (FAILED(hr)) {
    log_.Line("Could not connect " + text + ": " + HResultText(hr));
    return hr;
  }
  AM_MEDIA_TYPE agreed{};
  if (SUCCEEDED(out->ConnectionMediaType(&agreed))) {
    text += " type " + GuidToString(agreed.majortype) + " " + GuidToString(agreed.subtype);
    FreeMediaType(agreed);
  }
  log_.Line("Connected " + text);
  return hr;
}

HRESULT FilterGraph::Connect(IPin *out, IPin *in) {
  HRESULT hr = ConnectDirect(out, in, nullptr);
  // Only direct connections are tried: no filter is ever put in between.
  return IsNegotiationFailure(hr) ? VFW_E_CANNOT_CONNECT : hr;
}

HRESULT FilterGraph::Disconnect(IPin *pin) {
  if (!pin) return E_POINTER;
  std::lock_guard guard(lock_);
  std::string text = Describe(pin);
  HRESULT hr = pin->Disconnect();
  log_.Line("Disconnected " + text + " (one side): " + HResultText(hr));
  return hr;
}

HRESULT FilterGraph::Reconnect(IPin *pin) { return ReconnectEx(pin, nullptr); }

HRESULT FilterGraph::ReconnectEx(IPin *pin, const AM_MEDIA_TYPE *mt) {
  if (!pin) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  ComPtr<IPin> peer;
  HRESULT hr = pin->ConnectedTo(&peer);
  if (hr != S_OK || !peer) return VFW_E_NOT_CONNECTED;
  PIN_DIRECTION dir;
  if (FAILED(hr = pin->QueryDirection(&dir))) return hr;
  ComPtr<IPin> out = dir == PINDIR_OUTPUT ? ComPtr<IPin>(pin) : peer;
  ComPtr<IPin> in = dir == PINDIR_OUTPUT ? peer : ComPtr<IPin>(pin);
  MediaType type;
  if (mt) {
    type = *mt;
  } else {
    AM_MEDIA_TYPE current{};
    if (SUCCEEDED(out->ConnectionMediaType(&current))) type = current;
    FreeMediaType(current);
  }
  out->Disconnect();
  in->Disconnect();
  return ConnectDirect(out.Get(), in.Get(), &type.Get());
}

HRESULT FilterGraph::RenderFile(LPCWSTR, LPCWSTR) { return E_NOTIMPL; }
HRESULT FilterGraph::AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter **filter) {
  if (filter) *filter = nullptr;
  return E_NOTIMPL;
}
HRESULT FilterGraph::AddSourceFilterForMoniker(IMoniker *, IBindCtx *, LPCWSTR, IBaseFilter **filter) {
  if (filter) *filter = nullptr;
  return E_NOTIMPL;
}
HRESULT FilterGraph::RenderEx(IPin *, DWORD, DWORD *) { return E_NOTIMPL; }

HRESULT FilterGraph::SetLogFile(DWORD_PTR hFile) { return log_.SetFile(hFile); }

HRESULT FilterGraph::Abort() {
  std::lock_guard guard(lock_);
  aborted_ = true;
  return S_OK;
}

HRESULT FilterGraph::ShouldOperationContinue() {
  std::lock_guard guard(lock_);
  return aborted_ ? S_FALSE : S_OK;
}

} // namespace graph

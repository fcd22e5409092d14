#include "graph/filter_base.h"

#include "dshow/errors.h"
#include "graph/enumerators.h"

#include <algorithm>
#include <chrono>

namespace graph {

BaseFilter::BaseFilter(REFCLSID clsid, std::u16string defaultName)
    : clsid_(clsid), defaultName_(std::move(defaultName)) {}

BaseFilter::~BaseFilter() = default;

HRESULT BaseFilter::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  HRESULT hr = QueryFrom<IPersist, IMediaFilter, IBaseFilter>(iid, object);
  return hr == E_NOINTERFACE ? QueryExtraInterface(iid, object) : hr;
}

HRESULT BaseFilter::QueryExtraInterface(REFIID, void **) { return E_NOINTERFACE; }

HRESULT BaseFilter::GetClassID(CLSID *clsid) {
  if (!clsid) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

// --- State -------------------------------------------------------------------------

void BaseFilter::SetPinsActive(bool active) {
  std::vector<BasePin *> pins;
  {
    std::lock_guard guard(lock_);
    for (int i = 0, n = PinCount(); i < n; ++i)
      if (BasePin *pin = GetPin(i)) pins.push_back(pin);
  }
  for (BasePin *pin : pins) active ? pin->Active() : pin->Inactive();
}

HRESULT BaseFilter::Stop() {
  std::lock_guard change(stateChange_);
  FILTER_STATE old = state_.exchange(State_Stopped);
  if (old == State_Stopped) return S_OK;
  HRESULT hr = OnStop();
  if (FAILED(hr)) {
    state_ = old;
    return hr;
  }
  SetPinsActive(false);
  StateSettled();
  return hr;
}

HRESULT BaseFilter::Pause() {
  std::lock_guard change(stateChange_);
  return PauseLocked();
}

HRESULT BaseFilter::PauseLocked() {
  FILTER_STATE old = state_.exchange(State_Paused);
  if (old == State_Paused) return S_OK;
  if (old == State_Stopped) SetPinsActive(true);
  HRESULT hr = OnPause(old);
  if (FAILED(hr)) {
    state_ = old;
    if (old == State_Stopped) SetPinsActive(false);
  }
  return hr;
}

HRESULT BaseFilter::Run(REFERENCE_TIME start) {
  std::lock_guard change(stateChange_);
  if (state_ == State_Running) return S_OK;
  if (state_ == State_Stopped) {
    HRESULT hr = PauseLocked();
    if (FAILED(hr)) return hr;
  }
  {
    std::lock_guard guard(lock_);
    start_ = media::StreamTime(start);
  }
  state_ = State_Running;
  HRESULT hr = OnRun(media::StreamTime(start));
  if (FAILED(hr)) state_ = State_Paused;
  return hr;
}

HRESULT BaseFilter::GetState(DWORD msTimeout, FILTER_STATE *state) {
  if (!state) return E_POINTER;
  *state = state_.load();
  if (!TransitionPending()) return S_OK;
  // Derived filters call StateSettled; the short slices also catch one that does not.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(msTimeout);
  std::unique_lock wait(settleLock_);
  while (TransitionPending()) {
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return VFW_S_STATE_INTERMEDIATE;
    settled_.wait_for(wait, std::min<std::chrono::steady_clock::duration>(deadline - now, std::chrono::milliseconds(10)));
  }
  *state = state_.load();
  return S_OK;
}

bool BaseFilter::TransitionPending() { return false; }

void BaseFilter::StateSettled() {
  std::lock_guard guard(settleLock_);
  settled_.notify_all();
}

HRESULT BaseFilter::OnStop() { return S_OK; }
HRESULT BaseFilter::OnPause(FILTER_STATE) { return S_OK; }
HRESULT BaseFilter::OnRun(media::StreamTime) { return S_OK; }

media::StreamTime BaseFilter::StartTime() const {
  std::lock_guard guard(lock_);
  return start_;
}

// --- Clock -------------------------------------------------------------------------

HRESULT BaseFilter::SetSyncSource(IReferenceClock *clock) {
  std::lock_guard guard(lock_);
  clock_ = clock;
  return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock **clock) {
  if (!clock) return E_POINTER;
  std::lock_guard guard(lock_);
  *clock = nullptr;
  return clock_.CopyTo(clock);
}

ComPtr<IReferenceClock> BaseFilter::Clock() const {
  std::lock_guard guard(lock_);
  return clock_;
}

HRESULT BaseFilter::StreamTime(media::StreamTime *time) const {
  if (!time) return E_POINTER;
  ComPtr<IReferenceClock> clock;
  media::StreamTime start;
  {
    std::lock_guard guard(lock_);
    clock = clock_;
    start = start_;
  }
  if (!clock) return VFW_E_NO_CLOCK;
  if (state_ != State_Running) return VFW_E_NOT_RUNNING;
  REFERENCE_TIME now = 0;
  HRESULT hr = clock->GetTime(&now);
  if (FAILED(hr)) return hr;
  *time = media::StreamTime(now) - start;
  return S_OK;
}

// --- Pins --------------------------------------------------------------------------

void BaseFilter::PinsChanged() { ++pinVersion_; }

HRESULT BaseFilter::EnumPins(IEnumPins **pins) {
  if (!pins) return E_POINTER;
  *pins = new PinEnumerator(this);
  return S_OK;
}

HRESULT BaseFilter::FindPin(LPCWSTR id, IPin **pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  std::lock_guard guard(lock_);
  for (int i = 0, n = PinCount(); i < n; ++i) {
    BasePin *p = GetPin(i);
    if (p && p->Name() == id) {
      p->AddRef();
      *pin = p;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

// --- Graph -------------------------------------------------------------------------

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO *info) {
  if (!info) return E_POINTER;
  std::lock_guard guard(lock_);
  // Outside a graph the filter gives its default name.
  const std::u16string &name = graph_ ? name_ : defaultName_;
  std::size_t n = std::min<std::size_t>(name.size(), MAX_FILTER_NAME - 1);
  std::copy_n(name.data(), n, info->achName);
  info->achName[n] = 0;
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
  std::lock_guard guard(lock_);
  graph_ = graph;
  sink_ = nullptr;
  name_ = graph && name ? std::u16string(name) : std::u16string();
  if (graph) {
    // Plain pointers: the graph outlives its membership, so no count is kept.
    IMediaEventSink *sink = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IID_PPV_ARGS(&sink))) && sink) {
      sink_ = sink;
      sink->Release();
    }
  }
  return S_OK;
}

IFilterGraph *BaseFilter::Graph() const {
  std::lock_guard guard(lock_);
  return graph_;
}

std::u16string BaseFilter::Name() const {
  std::lock_guard guard(lock_);
  return name_;
}

HRESULT BaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
  // The lock is held across Notify so that leaving the graph waits for a notification
  // in progress; the graph's queue never calls back into a filter.
  std::lock_guard guard(lock_);
  if (!sink_) return S_FALSE;
  return sink_->Notify(code, param1, param2);
}

HRESULT BaseFilter::QueryVendorInfo(LPWSTR *) { return E_NOTIMPL; }

} // namespace graph

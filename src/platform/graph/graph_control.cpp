// Filter graph: run state, clock and completion.
#include "graph/filter_graph.h"

#include "com/log.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/uuids.h"
#include "graph/system_clock.h"

#include <algorithm>
#include <chrono>

namespace graph {

namespace {

constexpr media::StreamTime kRunLatency = media::StreamTime::Milliseconds(10);

const char *StateName(FILTER_STATE s) {
  switch (s) {
  case State_Stopped: return "Stopped";
  case State_Paused: return "Paused";
  case State_Running: return "Running";
  }
  return "?";
}

} // namespace

// --- Clock -------------------------------------------------------------------------

media::StreamTime FilterGraph::ClockNow() {
  REFERENCE_TIME now = 0;
  if (clock_) clock_->GetTime(&now);
  return media::StreamTime(now);
}

void FilterGraph::DistributeClock(ComPtr<IReferenceClock> clock) {
  clock_ = std::move(clock);
  for (Entry &e : filters_) e.filter->SetSyncSource(clock_.Get());
}

void FilterGraph::ChooseClock() {
  ComPtr<IReferenceClock> chosen;
  std::string from = "the system clock";
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    if (SUCCEEDED(f->QueryInterface(IID_PPV_ARGS(&chosen))) && chosen) {
      if (Entry *e = Find(f.Get())) from = "filter \"" + ToUtf8(e->name) + "\"";
      break;
    }
  }
  if (!chosen) {
    if (!systemClock_) systemClock_ = SystemClock::Create();
    chosen = systemClock_;
  }
  if (chosen == clock_) return;
  bool changed = static_cast<bool>(clock_);
  DistributeClock(chosen);
  log_.Line("Clock: " + from);
  if (changed) events_.Notify(EC_CLOCK_CHANGED, 0, 0);
}

HRESULT FilterGraph::SetDefaultSyncSource() {
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  clockChosen_ = false;
  ChooseClock();
  return S_OK;
}

HRESULT FilterGraph::SetSyncSource(IReferenceClock *clock) {
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  clockChosen_ = true;
  bool changed = clock_.Get() != clock;
  DistributeClock(clock);
  log_.Line(clock ? "Clock: set by the application" : "Clock: none (as fast as possible)");
  if (changed) events_.Notify(EC_CLOCK_CHANGED, 0, 0);
  return S_OK;
}

HRESULT FilterGraph::GetSyncSource(IReferenceClock **clock) {
  if (!clock) return E_POINTER;
  std::lock_guard guard(lock_);
  *clock = nullptr;
  return clock_.CopyTo(clock);
}

// --- Renderers and completion --------------------------------------------------------

std::vector<const void *> FilterGraph::Renderers() {
  std::vector<const void *> renderers;
  for (Entry &e : filters_) {
    bool connectedInput = false, output = false;
    ComPtr<IEnumPins> pins;
    if (FAILED(e.filter->EnumPins(&pins)) || !pins) continue;
    IPin *pin = nullptr;
    ULONG got = 0;
    while (pins->Next(1, &pin, &got) == S_OK && got == 1) {
      PIN_DIRECTION dir = PINDIR_INPUT;
      pin->QueryDirection(&dir);
      ComPtr<IPin> peer;
      if (dir == PINDIR_OUTPUT) output = true;
      else if (pin->ConnectedTo(&peer) == S_OK) connectedInput = true;
      pin->Release();
    }
    if (connectedInput && !output) renderers.push_back(e.filter.Get());
  }
  return renderers;
}

HRESULT FilterGraph::WaitForCompletion(LONG msTimeout, LONG *code) { return events_.WaitForCompletion(msTimeout, code); }

// --- State -------------------------------------------------------------------------

HRESULT FilterGraph::SettledResult(DWORD msTimeout) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(msTimeout);
  HRESULT result = S_OK;
  for (Entry &e : filters_) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    FILTER_STATE fs;
    HRESULT hr = e.filter->GetState(static_cast<DWORD>(std::max<long long>(0, left.count())), &fs);
    if (FAILED(hr)) return hr;
    if (hr == VFW_S_STATE_INTERMEDIATE) result = VFW_S_STATE_INTERMEDIATE;
  }
  return result;
}

void FilterGraph::MoveAll(FILTER_STATE state) {
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    if (state == State_Stopped) f->Stop();
    else if (state == State_Paused) f->Pause();
    else f->Run(start_.ticks());
  }
  if (state == State_Stopped) events_.EndStream();
}

HRESULT FilterGraph::PauseLocked() {
  FILTER_STATE before = state_;
  if (before == State_Paused) return SettledResult(0);
  if (before == State_Stopped) {
    if (!clockChosen_) ChooseClock();
    position_ = media::StreamTime();
    events_.StartStream(Renderers());
  } else {
    position_ = clock_ ? std::max(media::StreamTime(), ClockNow() - start_) : media::StreamTime();
  }
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    HRESULT hr = f->Pause();
    if (FAILED(hr)) {
      MoveAll(before);
      log_.Line(std::string("Pause failed, back to ") + StateName(before) + ": " + HResultText(hr));
      return hr;
    }
  }
  state_ = State_Paused;
  HRESULT hr = SettledResult(0);
  log_.Line("Paused: " + HResultText(hr));
  return hr;
}

HRESULT FilterGraph::RunLocked(media::MaybeStreamTime start) {
  FILTER_STATE before = state_;
  if (before == State_Running) return SettledResult(0);
  if (before == State_Stopped) {
    HRESULT hr = PauseLocked();
    if (FAILED(hr)) return hr;
  }
  media::StreamTime t = start ? *start : clock_ ? ClockNow() + kRunLatency - position_ : media::StreamTime();
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    HRESULT hr = f->Run(t.ticks());
    if (FAILED(hr)) {
      MoveAll(before);
      state_ = before;
      log_.Line(std::string("Run failed, back to ") + StateName(before) + ": " + HResultText(hr));
      return hr;
    }
  }
  start_ = t;
  state_ = State_Running;
  HRESULT hr = SettledResult(0);
  log_.Line("Running: " + HResultText(hr));
  return hr;
}

HRESULT FilterGraph::StopLocked() {
  HRESULT result = S_OK;
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    HRESULT hr = f->Stop();
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  state_ = State_Stopped;
  position_ = media::StreamTime();
  events_.EndStream();
  log_.Line("Stopped: " + HResultText(result));
  return result;
}

HRESULT FilterGraph::Run() {
  std::lock_guard guard(lock_);
  HRESULT hr = RunLocked(std::nullopt);
  qCDebug(lcGraph, "run: %08x", unsigned(hr));
  return hr == VFW_S_STATE_INTERMEDIATE ? S_FALSE : hr;
}

HRESULT FilterGraph::Run(REFERENCE_TIME start) {
  std::lock_guard guard(lock_);
  HRESULT hr = RunLocked(media::StreamTime(start));
  return hr == VFW_S_STATE_INTERMEDIATE ? S_FALSE : hr;
}

HRESULT FilterGraph::Pause() {
  std::lock_guard guard(lock_);
  HRESULT hr = PauseLocked();
  qCDebug(lcGraph, "pause: %08x", unsigned(hr));
  return hr == VFW_S_STATE_INTERMEDIATE ? S_FALSE : hr;
}

HRESULT FilterGraph::Stop() {
  std::lock_guard guard(lock_);
  HRESULT hr = StopLocked();
  qCDebug(lcGraph, "stop: %08x", unsigned(hr));
  return hr;
}

HRESULT FilterGraph::GetState(DWORD msTimeout, FILTER_STATE *state) {
  if (!state) return E_POINTER;
  std::lock_guard guard(lock_);
  *state = state_;
  return SettledResult(msTimeout);
}

HRESULT FilterGraph::GetState(LONG msTimeout, OAFilterState *state) {
  if (!state) return E_POINTER;
  FILTER_STATE fs;
  HRESULT hr = GetState(msTimeout < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(msTimeout), &fs);
  *state = fs;
  return hr;
}

HRESULT FilterGraph::StopWhenReady() {
  std::lock_guard guard(lock_);
  HRESULT hr = PauseLocked();
  if (SUCCEEDED(hr)) SettledResult(5000); // bounded: a filter that never settles must not hang us
  return StopLocked();
}

HRESULT FilterGraph::GetClassID(CLSID *clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_FilterGraph;
  return S_OK;
}

} // namespace graph

// Filter graph: event calls, calls forwarded to filters, site.
#include "graph/filter_graph.h"

#include "dshow/errors.h"

namespace graph {

template <class I> std::vector<ComPtr<I>> FilterGraph::FiltersWith() {
  std::lock_guard guard(lock_);
  std::vector<ComPtr<I>> found;
  for (const ComPtr<IBaseFilter> &f : DownstreamFirst()) {
    ComPtr<I> p;
    if (SUCCEEDED(f->QueryInterface(IID_PPV_ARGS(&p))) && p) found.push_back(std::move(p));
  }
  return found;
}

namespace {
// The first filter answering I, or null.
template <class I> ComPtr<I> First(const std::vector<ComPtr<I>> &list) { return list.empty() ? nullptr : list.front(); }
} // namespace

// --- Events ------------------------------------------------------------------------

HRESULT FilterGraph::GetEventHandle(OAEVENT *handle) {
  if (!handle) return E_POINTER;
  *handle = events_.Handle();
  return events_.Handle() >= 0 ? S_OK : E_FAIL;
}

HRESULT FilterGraph::GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) {
  return events_.GetEvent(code, param1, param2, msTimeout);
}

HRESULT FilterGraph::CancelDefaultHandling(LONG code) { return events_.CancelDefaultHandling(code); }
HRESULT FilterGraph::RestoreDefaultHandling(LONG code) { return events_.RestoreDefaultHandling(code); }

HRESULT FilterGraph::FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) {
  return events_.FreeEventParams(code, param1, param2);
}

HRESULT FilterGraph::SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance) {
  return events_.SetNotifyWindow(hwnd, msg, instance);
}

HRESULT FilterGraph::SetNotifyFlags(LONG flags) { return events_.SetNotifyFlags(flags); }

HRESULT FilterGraph::GetNotifyFlags(LONG *flags) {
  if (!flags) return E_POINTER;
  *flags = events_.NotifyFlags();
  return S_OK;
}

HRESULT FilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
  return events_.Notify(code, param1, param2);
}

// --- Audio -------------------------------------------------------------------------

HRESULT FilterGraph::put_Volume(LONG volume) {
  ComPtr<IBasicAudio> audio = First(FiltersWith<IBasicAudio>());
  return audio ? audio->put_Volume(volume) : E_NOTIMPL;
}

HRESULT FilterGraph::get_Volume(LONG *volume) {
  if (!volume) return E_POINTER;
  ComPtr<IBasicAudio> audio = First(FiltersWith<IBasicAudio>());
  return audio ? audio->get_Volume(volume) : E_NOTIMPL;
}

HRESULT FilterGraph::put_Balance(LONG balance) {
  ComPtr<IBasicAudio> audio = First(FiltersWith<IBasicAudio>());
  return audio ? audio->put_Balance(balance) : E_NOTIMPL;
}

HRESULT FilterGraph::get_Balance(LONG *balance) {
  if (!balance) return E_POINTER;
  ComPtr<IBasicAudio> audio = First(FiltersWith<IBasicAudio>());
  return audio ? audio->get_Balance(balance) : E_NOTIMPL;
}

// --- Seeking -----------------------------------------------------------------------

HRESULT FilterGraph::GetCapabilities(DWORD *capabilities) {
  if (!capabilities) return E_POINTER;
  *capabilities = 0;
  bool any = false;
  DWORD common = ~DWORD{0};
  for (const ComPtr<IMediaSeeking> &s : FiltersWith<IMediaSeeking>()) {
    DWORD caps = 0;
    if (FAILED(s->GetCapabilities(&caps))) continue;
    common &= caps;
    any = true;
  }
  if (!any) return E_NOTIMPL;
  *capabilities = common;
  return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(LONGLONG *position) {
  if (!position) return E_POINTER;
  HRESULT hr = E_NOTIMPL;
  for (const ComPtr<IMediaSeeking> &s : FiltersWith<IMediaSeeking>())
    if (SUCCEEDED(hr = s->GetCurrentPosition(position))) return hr;
  return hr;
}

HRESULT FilterGraph::GetDuration(LONGLONG *duration) {
  if (!duration) return E_POINTER;
  HRESULT hr = E_NOTIMPL;
  for (const ComPtr<IMediaSeeking> &s : FiltersWith<IMediaSeeking>())
    if (SUCCEEDED(hr = s->GetDuration(duration))) return hr;
  return hr;
}

HRESULT FilterGraph::SetRate(double rate) {
  auto list = FiltersWith<IMediaSeeking>();
  if (list.empty()) return E_NOTIMPL;
  HRESULT result = S_OK;
  for (const ComPtr<IMediaSeeking> &s : list) {
    HRESULT hr = s->SetRate(rate);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

HRESULT FilterGraph::GetRate(double *rate) {
  if (!rate) return E_POINTER;
  HRESULT hr = E_NOTIMPL;
  for (const ComPtr<IMediaSeeking> &s : FiltersWith<IMediaSeeking>())
    if (SUCCEEDED(hr = s->GetRate(rate))) return hr;
  return hr;
}

// --- Frame step --------------------------------------------------------------------

// A step asked while the graph runs stops on the next picture: the graph pauses on the
// picture shown, then steps from there.
HRESULT FilterGraph::Step(DWORD frames, IUnknown *stepObject) {
  ComPtr<IVideoFrameStep> step = First(FiltersWith<IVideoFrameStep>());
  if (!step) return VFW_E_FRAME_STEP_UNSUPPORTED;
  {
    std::lock_guard guard(lock_);
    if (state_ == State_Running) {
      HRESULT hr = PauseLocked();
      if (FAILED(hr)) return hr;
    }
  }
  return step->Step(frames, stepObject);
}

HRESULT FilterGraph::CanStep(LONG multiple, IUnknown *stepObject) {
  ComPtr<IVideoFrameStep> step = First(FiltersWith<IVideoFrameStep>());
  return step ? step->CanStep(multiple, stepObject) : VFW_E_FRAME_STEP_UNSUPPORTED;
}

HRESULT FilterGraph::CancelStep() {
  ComPtr<IVideoFrameStep> step = First(FiltersWith<IVideoFrameStep>());
  return step ? step->CancelStep() : VFW_E_FRAME_STEP_UNSUPPORTED;
}

// --- Site --------------------------------------------------------------------------

HRESULT FilterGraph::SetSite(IUnknown *site) {
  ComPtr<IUnknown> old; // released after the lock
  std::lock_guard guard(lock_);
  old = site_;
  site_ = site;
  return S_OK;
}

HRESULT FilterGraph::GetSite(REFIID iid, void **site) {
  if (!site) return E_POINTER;
  *site = nullptr;
  ComPtr<IUnknown> held;
  {
    std::lock_guard guard(lock_);
    held = site_;
  }
  if (!held) return E_FAIL;
  return held->QueryInterface(iid, site);
}

HRESULT FilterGraph::QueryService(REFGUID service, REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<IServiceProvider> provider;
  if (FAILED(GetSite(IID_PPV_ARGS(&provider))) || !provider) return E_NOINTERFACE;
  return provider->QueryService(service, iid, object);
}

} // namespace graph

// Construction, properties, activation and deactivation, interface queries, members
// and listeners.
#include "engine/filter_graph.h"

#include "com/log.h"

#include "com/registry.h"
#include "dshow/uuids.h"
#include "engine/check_result.h"
#include "framework/hidden_window.h"

#include <algorithm>

namespace {

// Activation cannot go on without the graph or the builder of its mode.
[[noreturn]] void RaiseCreationFailure(const char *what, HRESULT hr) {
  throw EDirectShowException(QStringLiteral("Cannot create the %1: ").arg(QLatin1String(what)) + ErrorMessage(hr), hr);
}

template <class T> ComPtr<T> CreateOrRaise(REFCLSID clsid, const char *what) {
  ComPtr<T> object;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<T>(), reinterpret_cast<void **>(&object));
  if (FAILED(hr) || !object) RaiseCreationFailure(what, FAILED(hr) ? hr : E_POINTER);
  return object;
}

} // namespace

TFilterGraph::TFilterGraph(QObject *owner) : TComponent(owner) {
  notifyWindow_ = AllocateHWnd(
      [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return NotificationProc(hwnd, msg, wParam, lParam); });
  volume_ = 10000;
  balance_ = 0;
  rate_ = 1.0;
  linearVolume_ = true;
}

TFilterGraph::~TFilterGraph() {
  MarkDestroying();
  try {
    SetActive(false);
  } catch (...) {
    Application().HandleException(this, std::current_exception());
  }
  DeallocateHWnd(notifyWindow_);
}

void TFilterGraph::Loaded() {
  if (autoCreate_ && !Designing()) SetActive(true);
  TComponent::Loaded();
}

void TFilterGraph::SetMode(TGraphMode mode) {
  if (mode == mode_) return;
  const bool wasActive = active_;
  SetActive(false);
  mode_ = mode;
  SetActive(wasActive);
}

void TFilterGraph::SetActive(bool active) {
  if (active == active_) return;
  if (active)
    Activate();
  else
    Deactivate();
}

void TFilterGraph::Activate() {
  // Without the graph manager or the builder of the mode there is nothing to activate:
  // activation then raises and leaves the component inactive, holding nothing.
  switch (mode_) {
  case gmNormal:
    graph_ = CreateOrRaise<IFilterGraph2>(CLSID_FilterGraph, "filter graph manager");
    break;
  case gmCapture: {
    auto capture = CreateOrRaise<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2, "capture graph builder");
    ComPtr<IGraphBuilder> graph = CreateOrRaise<IFilterGraph2>(CLSID_FilterGraph, "filter graph manager");
    capture->SetFiltergraph(graph.Get());
    captureBuilder_ = std::move(capture);
    graph_ = std::move(graph);
    break;
  }
  case gmDVD: {
    auto builder = CreateOrRaise<IDvdGraphBuilder>(CLSID_DvdGraphBuilder, "DVD graph builder");
    ComPtr<IGraphBuilder> graph;
    HRESULT hr = builder->GetFiltergraph(&graph);
    if (FAILED(hr) || !graph) RaiseCreationFailure("filter graph of the DVD graph builder", FAILED(hr) ? hr : E_POINTER);
    dvdBuilder_ = std::move(builder);
    graph_ = std::move(graph);
    break;
  }
  }
  active_ = true;

  ComPtr<IMediaEventEx> events;
  if (SUCCEEDED(QueryInterface(&events)) && events) {
    mediaEvent_ = events;
    events->SetNotifyFlags(0);
    events->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow_), static_cast<LONG>(WM_GRAPHNOTIFY),
                            reinterpret_cast<LONG_PTR>(events.Get()));
  }

  // The graph's site ends as the filter graph callback; the graph finds the builder
  // callback through it, both being this object.
  ComPtr<IObjectWithSite> site;
  if (SUCCEEDED(QueryInterface(&site)) && site) {
    ComPtr<IAMGraphBuilderCallback> builderCallback;
    if (SUCCEEDED(QueryInterface(&builderCallback))) site->SetSite(builderCallback.Get());
    ComPtr<IAMFilterGraphCallback> graphCallback;
    if (SUCCEEDED(QueryInterface(&graphCallback))) site->SetSite(graphCallback.Get());
  }

  SetGraphEdit(graphEdit_);
  SetLogFile(logFile_);

  for (std::size_t i = 0; i < members_.size(); ++i) AddMemberFilter(members_[i]);

  if (OnActivate) OnActivate(this);
  ControlNotify(ccActive, 1);
}

void TFilterGraph::Deactivate() {
  ControlNotify(ccActive, 0);

  for (std::size_t i = 0; i < members_.size(); ++i) RemoveMemberFilter(members_[i]);

  if (mediaEvent_) {
    mediaEvent_->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
    mediaEvent_.Reset();
  }

  if (rotCookie_ != 0) {
    RevokeGraph();
    rotCookie_ = 0;
  }

  if (graph_) graph_->SetLogFile(0);
  CloseLog();

  // The graph holds this object as its site without owning it: take it back before
  // letting the graph go, since something else may keep the graph alive.
  ComPtr<IObjectWithSite> site;
  if (SUCCEEDED(QueryInterface(&site)) && site) site->SetSite(nullptr);

  graph_.Reset();
  captureBuilder_.Reset();
  dvdBuilder_.Reset();

  active_ = false;
  qCDebug(lcGraph, "graph released");
}

void TFilterGraph::AddMemberFilter(IGraphMember *member) {
  member->MemberNotify(moBeforeAdd, 0);
  const std::u16string name = member->MemberName().toStdU16String();
  ComPtr<IBaseFilter> filter = member->MemberFilter();
  graph_->AddFilter(filter.Get(), name.c_str());
  member->MemberNotify(moAfterAdd, 0);
}

void TFilterGraph::RemoveMemberFilter(IGraphMember *member) {
  member->MemberNotify(moBeforeRemove, 0);
  ComPtr<IBaseFilter> filter = member->MemberFilter();
  graph_->RemoveFilter(filter.Get());
  member->MemberNotify(moAfterRemove, 0);
}

HRESULT TFilterGraph::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IServiceProvider)
    *object = static_cast<IServiceProvider *>(this);
  else if (iid == IID_IAMFilterGraphCallback)
    *object = static_cast<IAMFilterGraphCallback *>(this);
  else if (iid == IID_IAMGraphBuilderCallback)
    *object = static_cast<IAMGraphBuilderCallback *>(this);
  if (*object) return S_OK;

  HRESULT hr = E_NOINTERFACE;
  if (!active_) return hr;
  switch (mode_) {
  case gmNormal:
    break;
  case gmCapture:
    if (captureBuilder_) {
      hr = captureBuilder_->QueryInterface(iid, object);
      if (SUCCEEDED(hr)) return hr;
    }
    break;
  case gmDVD:
    if (dvdBuilder_) {
      hr = dvdBuilder_->QueryInterface(iid, object);
      if (SUCCEEDED(hr)) return hr;
      hr = dvdBuilder_->GetDvdInterface(iid, object);
      if (SUCCEEDED(hr)) return hr;
    }
    break;
  }
  if (graph_) hr = graph_->QueryInterface(iid, object);
  return hr;
}

void TFilterGraph::AddMember(IGraphMember *member) {
  members_.push_back(member);
  if (active_) AddMemberFilter(member);
}

void TFilterGraph::RemoveMember(IGraphMember *member) {
  auto it = std::find(members_.begin(), members_.end(), member);
  if (it == members_.end()) return;
  members_.erase(it);
  if (active_) RemoveMemberFilter(member);
}

void TFilterGraph::AddListener(IGraphListener *listener) { listeners_.push_back(listener); }

void TFilterGraph::RemoveListener(IGraphListener *listener) {
  auto it = std::find(listeners_.begin(), listeners_.end(), listener);
  if (it != listeners_.end()) listeners_.erase(it);
}

void TFilterGraph::ControlNotify(LONG code, LONG param) {
  // The count is read once; a listener that leaves meanwhile shortens the walk.
  const std::size_t count = listeners_.size();
  for (std::size_t i = 0; i < count && i < listeners_.size(); ++i) listeners_[i]->ControlNotify(code, param);
}

// The video window's properties and its part in the graph: creating, configuring,
// stopping and releasing its renderer, placing the renderer's window and adopting the
// DVD builder's renderer.
#include "video/video_window.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/uuids.h"
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "engine/filter_list.h"
#include "video/fpu_guard.h"
#include "video/vidrex_exception.h"

#include <string>

namespace {

// Styles that give a window a frame; the full-screen window has none.
constexpr LONG kFrameStyles = static_cast<LONG>(WS_CAPTION | WS_THICKFRAME);
constexpr LONG kEdgeExStyles =
    static_cast<LONG>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);

OAHWND AsOleHandle(HWND hwnd) { return reinterpret_cast<OAHWND>(hwnd); }

} // namespace

TVideoWindow::TVideoWindow(QWidget *owner)
    : QWidget(owner), TComponentMixin(this), vmrOptions_(std::make_unique<TVMROptions>(this)) {
  // Moves reach OnMouseMove with no button down (menu pointing), also when the
  // renderer's window drains them here.
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetTabStop(true);
  resize(160, 120);
  color_ = clBlack;
  fullScreenActive_ = false;
}

TVideoWindow::~TVideoWindow() {
  MarkDestroying();
  vmrOptions_.reset();
  if (alignedTo_) alignedTo_->removeEventFilter(this);
  // A failure while the graph stops and removes the renderer cannot leave a destructor;
  // the window is unregistered from the graph all the same.
  if (TFilterGraph *graph = filterGraph_) {
    filterGraph_ = nullptr;
    try {
      graph->RemoveMember(this);
    } catch (...) {
    }
    try {
      graph->RemoveListener(this);
    } catch (...) {
    }
  }
}

// --- properties ---------------------------------------------------------------

void TVideoWindow::SetFilterGraph(TFilterGraph *graph) {
  if (graph == filterGraph_) return;
  if (TFilterGraph *old = filterGraph_) {
    old->RemoveMember(this);
    old->RemoveListener(this);
    RemoveFreeNotification(old);
    filterGraph_ = nullptr;
  }
  if (graph) {
    // Held before the graph runs our add sequence, so that a failure in it still
    // leaves a window that unregisters itself when it goes.
    filterGraph_ = graph;
    FreeNotification(graph);
    graph->AddMember(this);
    graph->AddListener(this);
  }
}

void TVideoWindow::SetMode(TVideoMode mode) {
  mode_ = mode == vmVMR && !MixingRendererAvailable() ? vmNormal : mode;
  if (filterGraph_ && filterGraph_->Active()) ReinsertIntoGraph();
}

bool TVideoWindow::MixingRendererAvailable() {
  TFpuGuard fpu;
  ComPtr<IBaseFilter> mixer;
  return CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                          IID_PPV_ARGS(&mixer)) == S_OK;
}

void TVideoWindow::ReinsertIntoGraph() {
  if (!filterGraph_) return;
  filterGraph_->RemoveMember(this);
  filterGraph_->AddMember(this);
}

void TVideoWindow::SetFullScreen(bool fullScreen) { SwitchFullScreen(fullScreen); }

void TVideoWindow::SetFullScreenTopMost(bool topMost) {
  fullScreenTopMost_ = topMost;
  if (fullScreen_) SwitchFullScreen(true);
}

bool TVideoWindow::Visible() const {
  return !(testAttribute(Qt::WA_WState_ExplicitShowHide) && testAttribute(Qt::WA_WState_Hidden));
}

void TVideoWindow::SetVisible(bool visible) {
  setVisible(visible);
  if (rendererWindow_) CheckResult(rendererWindow_->put_Visible(visible ? OATRUE : OAFALSE));
}

HWND TVideoWindow::VideoHandle() const {
  if (!rendererWindow_) return OwnWindow();
  HWND parent = ParentWindow();
  if (!parent) return nullptr;
  const std::string title = Name().toStdString();
  return FindWindowExA(parent, nullptr, "VideoRenderer", title.c_str());
}

HWND TVideoWindow::OwnWindow() const { return WindowFromWidget(const_cast<TVideoWindow *>(this)); }

HWND TVideoWindow::ParentWindow() const { return WindowFromWidget(parentWidget()); }

// --- component hooks ----------------------------------------------------------

void TVideoWindow::Loaded() {
  TComponentMixin::Loaded();
  savedStyle_ = GetWindowLongA(OwnWindow(), GWL_STYLE);
  savedExStyle_ = GetWindowLongA(OwnWindow(), GWL_EXSTYLE);
}

void TVideoWindow::Notification(QObject *component, TOperation operation) {
  TComponentMixin::Notification(component, operation);
  // The graph is going away: it has already let go of its members and listeners.
  if (operation == opRemove && filterGraph_ && component == static_cast<QObject *>(filterGraph_))
    filterGraph_ = nullptr;
}

HRESULT TVideoWindow::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IVMRWindowlessControl9 && windowlessControl_) {
    windowlessControl_->AddRef();
    *object = windowlessControl_.Get();
    return S_OK;
  }
  if (iid == IID_IUnknown || iid == IID_IGraphMember) {
    *object = static_cast<IGraphMember *>(this);
    return S_OK;
  }
  if (iid == IID_IGraphListener) {
    *object = static_cast<IGraphListener *>(this);
    return S_OK;
  }
  if (renderer_) return renderer_->QueryInterface(iid, object);
  return E_NOINTERFACE;
}

// --- graph member -------------------------------------------------------------

void TVideoWindow::MemberNotify(LONG operation, LONG) {
  switch (operation) {
  case moBeforeAdd: CreateRenderer(); break;
  case moAfterAdd: ConfigureRenderer(); break;
  case moBeforeRemove: StopRenderer(); break;
  case moAfterRemove: ReleaseRenderer(); break;
  default: break;
  }
}

void TVideoWindow::CreateRenderer() {
  // A renderer that cannot be made is not reported: every later step that needs it
  // does nothing.
  if (mode_ == vmNormal) {
    CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer_));
    return;
  }
  TFpuGuard fpu;
  CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                   IID_PPV_ARGS(&renderer_));
  ComPtr<IVMRFilterConfig9> config;
  if (renderer_) renderer_.As(&config);
  switch (vmrOptions_->Mode()) {
  case vmrWindowed:
    if (config) CheckResult(config->SetRenderingMode(VMR9Mode_Windowed));
    break;
  case vmrWindowless:
    if (config) CheckResult(config->SetRenderingMode(VMR9Mode_Windowless));
    break;
  case vmrRenderless:
    // Renderless needs an allocator class, which nothing here supplies.
    throw EVidrexException(QStringLiteral("Allocator class not set."), VFW_E_NO_ALLOCATOR);
  }
}

void TVideoWindow::ConfigureRenderer() {
  if (!renderer_) return;
  if (mode_ == vmNormal) {
    CheckResult(renderer_->QueryInterface(IID_PPV_ARGS(&rendererWindow_)));
    return;
  }
  ConfigureMixingRenderer();
}

void TVideoWindow::ConfigureMixingRenderer() {
  TVMROptions &options = *vmrOptions_;
  {
    ComPtr<IVMRFilterConfig9> config;
    if (CheckResult(renderer_->QueryInterface(IID_PPV_ARGS(&config))) != S_OK || !config) return;
    if (options.Streams() != 4 || options.Preferences().Contains(vpForceMixer)) {
      CheckResult(config->SetNumberOfStreams(options.Streams()));
      DWORD streams = options.streams_;
      CheckResult(config->GetNumberOfStreams(&streams));
      options.streams_ = streams;
    }
    switch (options.Mode()) {
    case vmrWindowed:
      CheckResult(renderer_->QueryInterface(IID_PPV_ARGS(&rendererWindow_)));
      ApplyRenderingPrefs(config.Get());
      break;
    case vmrWindowless:
      CheckResult(renderer_->QueryInterface(IID_PPV_ARGS(&windowlessControl_)));
      CheckResult(windowlessControl_->SetVideoClippingWindow(OwnWindow()));
      ApplyRenderingPrefs(config.Get());
      RaiseResize();
      PlaceRenderer();
      break;
    case vmrRenderless: break;
    }
  }
  options.SetKeepAspectRatio(options.KeepAspectRatio());
}

void TVideoWindow::ApplyRenderingPrefs(IVMRFilterConfig9 *config) {
  TVMROptions &options = *vmrOptions_;
  const bool forceMixer = options.Preferences().Contains(vpForceMixer);
  CheckResult(config->SetRenderingPrefs(options.Preferences().Without(vpForceMixer).Bits()));
  DWORD accepted = 0;
  CheckResult(config->GetRenderingPrefs(&accepted));
  TVMRPreferences stored = TVMRPreferences::FromBits(static_cast<BYTE>(accepted & 0xFF));
  options.preferences_ = forceMixer ? stored.With(vpForceMixer) : stored;
}

void TVideoWindow::StopRenderer() {
  if (!renderer_) return;
  CheckResult(renderer_->Stop());
  TPinList pins(renderer_.Get());
  for (int i = 0; i < pins.Count(); ++i) CheckResult(pins[i]->Disconnect());
}

void TVideoWindow::ReleaseRenderer() {
  rendererWindow_.Reset();
  windowlessControl_.Reset();
  renderer_.Reset();
  // No renderer window has the full-screen geometry any more.
  fullScreenActive_ = false;
}

bool TVideoWindow::HasConnectedPin() const {
  if (!renderer_) return false;
  TPinList pins(renderer_.Get());
  for (int i = 0; i < pins.Count(); ++i)
    if (pins.Connected(i)) return true;
  return false;
}

// --- graph listener -----------------------------------------------------------

void TVideoWindow::ControlNotify(LONG code, LONG) {
  if (code == ccPlay) {
    if (!HasConnectedPin()) return;
    if (mode_ == vmNormal) {
      if (!rendererWindow_) return;
      SwitchFullScreen(fullScreen_);
      SetCaptionAndDrain();
    } else {
      SwitchFullScreen(fullScreen_);
    }
  } else if (code == ccDvdRendered) {
    AdoptBuilderRenderer();
  }
}

void TVideoWindow::GraphNotify(LONG event, LONG_PTR, LONG_PTR) {
  if (event == EC_PALETTE_CHANGED) {
    if (!rendererWindow_) return;
    SwitchFullScreen(fullScreen_);
    SetCaptionAndDrain();
  } else if (event == EC_VMR_RENDERDEVICE_SET) {
    if (vmrOptions_->Mode() == vmrWindowed && rendererWindow_) SetCaptionAndDrain();
  }
}

void TVideoWindow::SetCaptionAndDrain() {
  const QString name = Name();
  if (!name.isEmpty()) {
    BSTR caption = SysAllocString(reinterpret_cast<const WCHAR *>(name.utf16()));
    HRESULT hr = rendererWindow_->put_Caption(caption);
    SysFreeString(caption);
    CheckResult(hr);
  }
  CheckResult(rendererWindow_->put_MessageDrain(AsOleHandle(OwnWindow())));
}

void TVideoWindow::AdoptBuilderRenderer() {
  if (!renderer_) return;
  FILTER_INFO info = {};
  HRESULT hr = renderer_->QueryFilterInfo(&info);
  ComPtr<IFilterGraph> owningGraph;
  owningGraph.Attach(info.pGraph);
  CheckResult(hr);
  // Our renderer is still in the graph: the builder used it.
  if (owningGraph || mode_ != vmNormal || !filterGraph_) return;
  ComPtr<IFilterGraph> graph;
  filterGraph_->QueryInterface(IID_PPV_ARGS(&graph));
  TFilterList filters(graph.Get());
  for (int i = 0; i < filters.Count(); ++i) {
    IBaseFilter *filter = filters[i];
    CLSID clsid = GUID_NULL;
    filter->GetClassID(&clsid);
    if (clsid != CLSID_VideoRenderer) continue;
    rendererWindow_.Reset();
    windowlessControl_.Reset();
    renderer_ = filter;
    renderer_->QueryInterface(IID_PPV_ARGS(&rendererWindow_));
    break;
  }
}

// --- full screen --------------------------------------------------------------

void TVideoWindow::SwitchFullScreen(bool fullScreen) {
  if (rendererWindow_ && HasConnectedPin()) {
    IVideoWindow *window = rendererWindow_.Get();
    if (fullScreen) {
      CheckResult(window->put_Owner(0));
      CheckResult(window->put_WindowStyle(savedStyle_ & ~kFrameStyles));
      LONG exStyle = savedExStyle_ & ~kEdgeExStyles;
      if (fullScreenTopMost_) exStyle |= static_cast<LONG>(WS_EX_TOPMOST);
      CheckResult(window->put_WindowStyleEx(exStyle));
      CheckResult(window->SetWindowPosition(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
      fullScreenActive_ = true;
    } else {
      CheckResult(window->put_Owner(AsOleHandle(ParentWindow())));
      CheckResult(window->put_WindowStyle(savedStyle_ | static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS)));
      CheckResult(window->put_WindowStyleEx(savedExStyle_));
      CheckResult(window->SetWindowPosition(x(), y(), width(), height()));
      fullScreenActive_ = false;
    }
  }
  // The windowless mode has no full screen of its own.
  if (windowlessControl_) fullScreenActive_ = false;
  fullScreen_ = fullScreen;
}

void TVideoWindow::PlaceRenderer() {
  if (!vmrOptions_) return;
  const TVMRVideoMode vmrMode = vmrOptions_->Mode();
  if (mode_ == vmNormal || vmrMode == vmrWindowed) {
    if (rendererWindow_ && !fullScreen_) rendererWindow_->SetWindowPosition(x(), y(), width(), height());
  } else if (vmrMode == vmrWindowless) {
    if (windowlessControl_) {
      const RECT destination = {0, 0, width(), height()};
      windowlessControl_->SetVideoPosition(nullptr, &destination);
    }
  }
}

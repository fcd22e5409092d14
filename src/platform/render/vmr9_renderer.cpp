#include "render/vmr9_renderer.h"

#include "render/gui_thread.h"
#include "render/picture_layout.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"
#include "win/winuser.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstring>

namespace render {
namespace {

constexpr DWORD kPrefsKept =
    RenderPrefs_ForceOffscreen | RenderPrefs_DoNotRenderColorKeyAndBorder | RenderPrefs_RestrictToInitialMonitor;

std::u16string PinName(std::size_t i) {
  std::u16string name = u"VMR Input";
  for (char c : std::to_string(i)) name.push_back(static_cast<char16_t>(c));
  return name;
}

QColor ColorOf(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

} // namespace

HRESULT Vmr9Renderer::Create(REFIID iid, void **object) { return CreateComObject<Vmr9Renderer>(iid, object); }

Vmr9Renderer::Vmr9Renderer() : VideoRendererBase(CLSID_VideoMixingRenderer9, u"Video Mixing Renderer 9") {
  pins_.push_back(std::make_unique<VideoInputPin>(this, PinName(0)));
  RunOnGui([this] {
    window_ = new VideoWidget("VideoRenderer");
    window_->setWindowTitle(QStringLiteral("Video Mixing Renderer 9"));
    window_->resize(720, 480);
    window_->SetKeepAspect(false);
    ConnectSurface(window_);
  });
  surface_ = window_;
  AttachWindow(window_);
}

Vmr9Renderer::~Vmr9Renderer() {
  ShutDownPresenter();
  AttachWindow(nullptr);
  surface_ = nullptr;
  if (window_) window_->Detach();
  if (windowless_) windowless_->Detach();
  PostToGui([window = window_, windowless = windowless_.data()] {
    delete window;
    delete windowless;
  });
}

int Vmr9Renderer::PinCount() {
  std::lock_guard guard(Lock());
  return static_cast<int>(pins_.size());
}

graph::BasePin *Vmr9Renderer::GetPin(int index) {
  std::lock_guard guard(Lock());
  return index >= 0 && index < static_cast<int>(pins_.size()) ? pins_[index].get() : nullptr;
}

bool Vmr9Renderer::AnyPinConnected() {
  std::lock_guard guard(Lock());
  for (auto &pin : pins_)
    if (pin->IsConnected()) return true;
  return false;
}

HRESULT Vmr9Renderer::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IVideoWindow) {
    if (Windowless()) return E_NOINTERFACE;
    return Expose(static_cast<IVideoWindow *>(this), object);
  }
  if (iid == IID_IVMRFilterConfig9) return Expose(static_cast<IVMRFilterConfig9 *>(this), object);
  if (iid == IID_IVMRWindowlessControl9) return Expose(static_cast<IVMRWindowlessControl9 *>(this), object);
  if (iid == IID_IVMRAspectRatioControl9) return Expose(static_cast<IVMRAspectRatioControl9 *>(this), object);
  return VideoRendererBase::QueryExtraInterface(iid, object);
}

VideoWidget *Vmr9Renderer::Surface() { return surface_.load(); }

bool Vmr9Renderer::NativeSize(LONG *width, LONG *height) {
  RgbFrameFormat f{};
  if (!Format(&f)) return false;
  *width = f.width;
  *height = f.height;
  return true;
}

HRESULT Vmr9Renderer::OnPause(FILTER_STATE from) {
  HRESULT hr = VideoRendererBase::OnPause(from);
  if (from == State_Stopped && !Windowless()) {
    LONG w = 0, h = 0;
    if (NativeSize(&w, &h)) SizeToPicture(w, h);
    AutoShowNow();
  }
  return hr;
}

// ---- IVMRFilterConfig9 --------------------------------------------------------------

HRESULT Vmr9Renderer::SetImageCompositor(IUnknown *compositor) {
  if (AnyPinConnected()) return VFW_E_WRONG_STATE;
  compositor_ = compositor;
  return S_OK;
}

HRESULT Vmr9Renderer::SetNumberOfStreams(DWORD streams) {
  if (streams < 1 || streams > MAX_MIXER_STREAMS) return E_INVALIDARG;
  if (AnyPinConnected()) return VFW_E_WRONG_STATE;
  {
    std::lock_guard guard(Lock());
    while (pins_.size() > streams) pins_.pop_back();
    while (pins_.size() < streams) pins_.push_back(std::make_unique<VideoInputPin>(this, PinName(pins_.size()), static_cast<int>(pins_.size())));
    streamsSet_ = true;
  }
  PinsChanged();
  return S_OK;
}

HRESULT Vmr9Renderer::GetNumberOfStreams(DWORD *streams) {
  if (!streams) return E_POINTER;
  *streams = static_cast<DWORD>(PinCount());
  return S_OK;
}

HRESULT Vmr9Renderer::SetRenderingPrefs(DWORD prefs) {
  if (prefs & ~RenderPrefs_Mask) return E_INVALIDARG;
  prefs_ = prefs & kPrefsKept;
  return S_OK;
}

HRESULT Vmr9Renderer::GetRenderingPrefs(DWORD *prefs) {
  if (!prefs) return E_POINTER;
  *prefs = prefs_;
  return S_OK;
}

HRESULT Vmr9Renderer::SetRenderingMode(DWORD mode) {
  if (mode != VMR9Mode_Windowed && mode != VMR9Mode_Windowless && mode != VMR9Mode_Renderless) return E_INVALIDARG;
  if (AnyPinConnected()) return VFW_E_WRONG_STATE;
  if (mode == VMR9Mode_Renderless) return VFW_E_WRONG_STATE; // no allocator-presenter can be given
  if (mode == mode_) return S_OK;
  mode_ = mode;
  if (mode == VMR9Mode_Windowless) {
    RunOnGui([this] { window_->hide(); });
    AttachWindow(nullptr);
    surface_ = windowless_.data();
  } else {
    AttachWindow(window_);
    surface_ = window_;
  }
  return S_OK;
}

HRESULT Vmr9Renderer::GetRenderingMode(DWORD *mode) {
  if (!mode) return E_POINTER;
  *mode = mode_;
  return S_OK;
}

// ---- IVMRWindowlessControl9 ---------------------------------------------------------

HRESULT Vmr9Renderer::GetNativeVideoSize(LONG *width, LONG *height, LONG *arWidth, LONG *arHeight) {
  if (!Windowless()) return VFW_E_WRONG_STATE;
  RgbFrameFormat f{};
  if (!Format(&f)) return VFW_E_NOT_CONNECTED;
  if (width) *width = f.width;
  if (height) *height = f.height;
  if (arWidth) *arWidth = f.aspectX;
  if (arHeight) *arHeight = f.aspectY;
  return S_OK;
}

HRESULT Vmr9Renderer::GetMinIdealVideoSize(LONG *width, LONG *height) {
  if (!width || !height) return E_POINTER;
  if (!Windowless()) return VFW_E_WRONG_STATE;
  RgbFrameFormat f{};
  if (!Format(&f)) return VFW_E_NOT_CONNECTED;
  *width = f.width;
  *height = f.height;
  return S_OK;
}

HRESULT Vmr9Renderer::GetMaxIdealVideoSize(LONG *width, LONG *height) {
  if (!width || !height) return E_POINTER;
  if (!Windowless()) return VFW_E_WRONG_STATE;
  RunOnGui([&] {
    QScreen *s = QGuiApplication::primaryScreen();
    *width = s ? s->geometry().width() : 0;
    *height = s ? s->geometry().height() : 0;
  });
  return S_OK;
}

HRESULT Vmr9Renderer::SetVideoPosition(const RECT *source, const RECT *destination) {
  if (!Windowless()) return VFW_E_WRONG_STATE;
  if (!source && !destination) return E_POINTER;
  if (source && (source->right < source->left || source->bottom < source->top || source->left < 0 || source->top < 0))
    return E_INVALIDARG;
  if (destination && (destination->right < destination->left || destination->bottom < destination->top))
    return E_INVALIDARG;
  if (source) source_ = *source;
  if (destination) dest_ = *destination;
  RunOnGui([this] {
    if (!windowless_) return;
    windowless_->SetSourceRect(QRect(source_.left, source_.top, source_.right - source_.left, source_.bottom - source_.top));
    windowless_->setGeometry(dest_.left, dest_.top, dest_.right - dest_.left, dest_.bottom - dest_.top);
  });
  return S_OK;
}

HRESULT Vmr9Renderer::GetVideoPosition(RECT *source, RECT *destination) {
  if (!source || !destination) return E_POINTER;
  if (!Windowless()) return VFW_E_WRONG_STATE;
  *source = source_;
  if (source_.right == 0 && source_.bottom == 0) {
    LONG w = 0, h = 0;
    if (NativeSize(&w, &h)) *source = RECT{0, 0, w, h};
  }
  *destination = dest_;
  return S_OK;
}

HRESULT Vmr9Renderer::GetAspectRatioMode(DWORD *mode) {
  if (!mode) return E_POINTER;
  *mode = aspectMode_;
  return S_OK;
}

HRESULT Vmr9Renderer::SetAspectRatioMode(DWORD mode) {
  if (mode != VMR9ARMode_None && mode != VMR9ARMode_LetterBox) return E_INVALIDARG;
  aspectMode_ = mode;
  RunOnGui([this] {
    window_->SetKeepAspect(aspectMode_ == VMR9ARMode_LetterBox);
    if (windowless_) windowless_->SetKeepAspect(aspectMode_ == VMR9ARMode_LetterBox);
  });
  return S_OK;
}

HRESULT Vmr9Renderer::SetVideoClippingWindow(HWND hwnd) {
  if (!Windowless()) return VFW_E_WRONG_STATE;
  QWidget *host = WidgetFromWindow(hwnd);
  if (!host) return E_INVALIDARG;
  RunOnGui([&] {
    if (!windowless_) {
      windowless_ = new VideoWidget("VMR9Surface", host);
      windowless_->setAttribute(Qt::WA_TransparentForMouseEvents); // input stays the program's
      windowless_->setFocusPolicy(Qt::NoFocus);
      windowless_->SetKeepAspect(aspectMode_ == VMR9ARMode_LetterBox);
      windowless_->SetBorderColor(ColorOf(border_));
      ConnectSurface(windowless_);
      QObject::connect(windowless_.data(), &QObject::destroyed, [this] { surface_ = nullptr; });
    } else {
      windowless_->setParent(host);
    }
    clipping_ = host;
    if (dest_.right > dest_.left && dest_.bottom > dest_.top)
      windowless_->setGeometry(dest_.left, dest_.top, dest_.right - dest_.left, dest_.bottom - dest_.top);
    else
      windowless_->setGeometry(host->rect());
    windowless_->show();
    surface_ = windowless_.data();
  });
  return S_OK;
}

HRESULT Vmr9Renderer::RepaintVideo(HWND, HDC) {
  if (!Windowless()) return VFW_E_WRONG_STATE;
  RunOnGui([this] {
    if (windowless_) windowless_->repaint();
  });
  return S_OK;
}

HRESULT Vmr9Renderer::DisplayModeChanged() { return Windowless() ? S_OK : VFW_E_WRONG_STATE; }

HRESULT Vmr9Renderer::GetCurrentImage(BYTE **image) {
  if (!image) return E_POINTER;
  if (!Windowless()) return VFW_E_WRONG_STATE;
  QImage picture;
  RunOnGui([&] {
    if (VideoWidget *s = surface_.load()) picture = s->Current().ToImage();
  });
  if (picture.isNull()) return E_FAIL;
  // A device-independent bitmap: 40-byte header, then 32-bit rows bottom to top.
  const int w = picture.width(), h = picture.height();
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4, header = 40;
  auto *dib = static_cast<BYTE *>(CoTaskMemAlloc(header + rowBytes * h));
  if (!dib) return E_OUTOFMEMORY;
  std::memset(dib, 0, header);
  auto put32 = [&](std::size_t at, uint32_t v) { std::memcpy(dib + at, &v, 4); };
  auto put16 = [&](std::size_t at, uint16_t v) { std::memcpy(dib + at, &v, 2); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(w));
  put32(8, static_cast<uint32_t>(h));
  put16(12, 1);
  put16(14, 32);
  put32(20, static_cast<uint32_t>(rowBytes * h));
  for (int y = 0; y < h; ++y) std::memcpy(dib + header + rowBytes * (h - 1 - y), picture.constScanLine(y), rowBytes);
  *image = dib;
  return S_OK;
}

HRESULT Vmr9Renderer::SetBorderColor(COLORREF color) {
  if (!Windowless()) return VFW_E_WRONG_STATE;
  border_ = color;
  RunOnGui([this] {
    if (windowless_) windowless_->SetBorderColor(ColorOf(border_));
  });
  return S_OK;
}

HRESULT Vmr9Renderer::GetBorderColor(COLORREF *color) {
  if (!color) return E_POINTER;
  if (!Windowless()) return VFW_E_WRONG_STATE;
  *color = border_;
  return S_OK;
}

} // namespace render

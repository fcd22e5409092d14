#include "render/video_renderer_base.h"

#include "render/gui_thread.h"

#include "com/log.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/uuids.h"

namespace render {

namespace {

// The picture format of an RGB32 or I420 media type (for I420 the stride is the luma
// plane's); false when the type is neither or is malformed.
bool ReadPictureFormat(const AM_MEDIA_TYPE &mt, RgbFrameFormat *out, bool *yuv) {
  if (mt.majortype != MEDIATYPE_Video || !mt.pbFormat) return false;
  if (mt.subtype == MEDIASUBTYPE_RGB32 && mt.formattype == FORMAT_RgbFrame && mt.cbFormat >= sizeof(RgbFrameFormat)) {
    *out = *reinterpret_cast<const RgbFrameFormat *>(mt.pbFormat);
    *yuv = false;
    return out->width > 0 && out->height > 0 && out->stride >= out->width * 4;
  }
  if (mt.subtype == MEDIASUBTYPE_I420 && mt.formattype == FORMAT_YuvFrame && mt.cbFormat >= sizeof(YuvFrameFormat)) {
    const auto *f = reinterpret_cast<const YuvFrameFormat *>(mt.pbFormat);
    *out = RgbFrameFormat{f->width, f->height, f->width, f->aspectX, f->aspectY, f->frameDuration};
    *yuv = true;
    return f->width > 0 && f->height > 0 && f->width % 2 == 0 && f->height % 2 == 0;
  }
  return false;
}

// An I420 picture's planes: where the sample says they are (IYuvPlanes: the decoder's
// own) or packed one after the other. The picture keeps the sample until it is no longer
// shown. Planes narrower or shorter than the format are refused, never read past.
HRESULT ReadYuvPicture(IMediaSample *sample, const RgbFrameFormat &f, YuvPicture *out) {
  BYTE *planes[3] = {nullptr, nullptr, nullptr};
  LONG strides[3] = {0, 0, 0};
  ComPtr<IYuvPlanes> planar;
  if (SUCCEEDED(sample->QueryInterface(planar.ReleaseAndGetAddressOf())) && planar) {
    if (FAILED(planar->GetPlanes(planes, strides)) || !planes[0] || !planes[1] || !planes[2]) return E_POINTER;
    if (strides[0] < f.width || strides[1] < f.width / 2 || strides[2] < f.width / 2 ||
        sample->GetActualDataLength() < static_cast<long long>(strides[0]) * f.height)
      return VFW_E_BUFFER_OVERFLOW;
  } else {
    if (FAILED(sample->GetPointer(&planes[0])) || !planes[0]) return E_POINTER;
    if (sample->GetActualDataLength() < YuvFrameBytes(f.width, f.height)) return VFW_E_BUFFER_OVERFLOW;
    planes[1] = planes[0] + static_cast<long>(f.width) * f.height;
    planes[2] = planes[1] + static_cast<long>(f.width / 2) * (f.height / 2);
    strides[0] = f.width;
    strides[1] = strides[2] = f.width / 2;
  }
  out->owner = sample;
  out->width = f.width;
  out->height = f.height;
  for (int i = 0; i < 3; ++i) {
    out->planes[i] = planes[i];
    out->strides[i] = static_cast<int>(strides[i]);
  }
  return S_OK;
}

} // namespace

// ---- input pin ---------------------------------------------------------------

VideoInputPin::VideoInputPin(VideoRendererBase *owner, std::u16string name, int stream)
    : InputPin(owner, std::move(name)), owner_(owner), stream_(stream) {}

HRESULT VideoInputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  RgbFrameFormat f{};
  bool yuv = false;
  return ReadPictureFormat(mt, &f, &yuv) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT VideoInputPin::CompleteConnect(IPin *) {
  if (stream_ != 0) return S_OK;
  RgbFrameFormat f{};
  bool yuv = false;
  if (!ReadPictureFormat(ConnectionType().Get(), &f, &yuv)) return VFW_E_TYPE_NOT_ACCEPTED;
  owner_->SetFormat(f, yuv);
  return S_OK;
}

void VideoInputPin::BreakConnect() {
  if (stream_ == 0) owner_->ClearFormat();
}

HRESULT VideoInputPin::OnReceive(IMediaSample *sample) { return stream_ == 0 ? owner_->Receive(sample) : S_OK; }

HRESULT VideoInputPin::OnEndOfStream() {
  if (stream_ == 0) owner_->EndOfStream();
  return S_OK;
}

HRESULT VideoInputPin::OnBeginFlush() {
  if (stream_ == 0) owner_->BeginFlush();
  return S_OK;
}

HRESULT VideoInputPin::OnEndFlush() {
  if (stream_ == 0) owner_->EndFlush();
  return S_OK;
}

// ---- renderer ------------------------------------------------------------------

VideoRendererBase::VideoRendererBase(REFCLSID clsid, std::u16string name) : FilterImpl(clsid, std::move(name)) {
  VideoPresenter::Events events;
  events.show = [this](VideoFrame frame) { Show(std::move(frame)); };
  events.complete = [this] { NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this))); };
  events.stepComplete = [this] { NotifyEvent(EC_STEP_COMPLETE, FALSE, 0); };
  events.firstPicture = [this] { StateSettled(); };
  presenter_ = std::make_unique<VideoPresenter>(std::move(events));
}

VideoRendererBase::~VideoRendererBase() { ShutDownPresenter(); }

void VideoRendererBase::BeginFlush() {
  presenter_->BeginFlush();
  shown_ = kNoneShown;
  if (VideoWidget *surface = Surface()) surface->DropBefore(presenter_->Generation());
}

void VideoRendererBase::ShutDownPresenter() { presenter_.reset(); }

void VideoRendererBase::ConnectSurface(VideoWidget *surface) {
  surface->streamTime = [this]() -> media::MaybeStreamTime {
    media::StreamTime now;
    if (FAILED(StreamTime(&now))) return std::nullopt;
    return now;
  };
  surface->onPresented = [this](const PresentedFrame &shown) {
    if (presented_) presented_(shown);
  };
}

void VideoRendererBase::Show(VideoFrame frame) {
  if (frame.hasTime) {
    position_ = frame.start.ticks();
    // Only a picture of the current generation: one from before a flush or stop that is
    // still on its way must not count as shown for the new place.
    if (frame.generation == presenter_->Generation()) shown_ = frame.start.ticks();
  }
  if (VideoWidget *surface = Surface()) surface->Post(std::move(frame));
}

void VideoRendererBase::SetFormat(const RgbFrameFormat &format, bool yuv) {
  {
    std::lock_guard guard(formatLock_);
    format_ = format;
    yuv_ = yuv;
  }
  qCDebug(lcRender, "picture format %dx%d, aspect %d:%d", format.width, format.height, format.aspectX, format.aspectY);
  // Lay the surface out for this aspect until its first picture tells its own.
  if (VideoWidget *surface = Surface()) {
    const int ax = format.aspectX > 0 ? format.aspectX : format.width;
    const int ay = format.aspectY > 0 ? format.aspectY : format.height;
    QMetaObject::invokeMethod(
        surface, [surface, ax, ay] {
          if (!surface->HasPicture()) surface->SetAspect(ax, ay);
        },
        Qt::AutoConnection);
  }
}

void VideoRendererBase::ClearFormat() {
  std::lock_guard guard(formatLock_);
  format_.reset();
}

bool VideoRendererBase::Format(RgbFrameFormat *format, bool *yuv) {
  std::lock_guard guard(formatLock_);
  if (!format_) return false;
  *format = *format_;
  if (yuv) *yuv = yuv_;
  return true;
}

HRESULT VideoRendererBase::Receive(IMediaSample *sample) {
  AM_MEDIA_TYPE *changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    RgbFrameFormat next{};
    bool nextYuv = false;
    const bool ok = ReadPictureFormat(*changed, &next, &nextYuv);
    DeleteMediaType(changed);
    if (!ok) return VFW_E_TYPE_NOT_ACCEPTED;
    SetFormat(next, nextYuv);
  }
  RgbFrameFormat f{};
  bool yuv = false;
  if (!Format(&f, &yuv)) return VFW_E_NOT_CONNECTED;
  VideoFrame frame;
  if (yuv) {
    const HRESULT hr = ReadYuvPicture(sample, f, &frame.yuv);
    if (FAILED(hr)) return hr;
  } else {
    BYTE *data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
    if (sample->GetActualDataLength() < static_cast<long long>(f.stride) * f.height)
      return VFW_E_BUFFER_OVERFLOW; // a picture shorter than its format says: refuse, never read past it
    sample->AddRef(); // the picture keeps the sample's memory until it is no longer shown
    frame.image = QImage(data, f.width, f.height, f.stride, QImage::Format_RGB32,
                         [](void *s) { static_cast<IMediaSample *>(s)->Release(); }, sample);
  }
  frame.aspectX = f.aspectX > 0 ? f.aspectX : f.width;
  frame.aspectY = f.aspectY > 0 ? f.aspectY : f.height;
  REFERENCE_TIME start = 0, stop = 0;
  frame.hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  frame.start = media::StreamTime(start);
  return presenter_->Queue(std::move(frame)) ? S_OK : S_FALSE;
}

HRESULT VideoRendererBase::OnStop() {
  presenter_->Stop();
  shown_ = kNoneShown;
  // A picture the presenter handed over just before the stop and the widget has not
  // taken yet is not shown after it (the next run's first picture comes instead).
  if (VideoWidget *surface = Surface()) surface->DropBefore(presenter_->Generation());
  return S_OK;
}

HRESULT VideoRendererBase::OnPause(FILTER_STATE) {
  presenter_->Pause();
  return S_OK;
}

HRESULT VideoRendererBase::OnRun(media::StreamTime start) {
  presenter_->Run(start, Clock().Get());
  return S_OK;
}

bool VideoRendererBase::TransitionPending() {
  graph::BasePin *pin = GetPin(0);
  return State() == State_Paused && pin && pin->IsConnected() && !presenter_->HasPausedPicture();
}

HRESULT VideoRendererBase::Step(DWORD frames, IUnknown *stepObject) {
  if (stepObject) return E_INVALIDARG;
  graph::BasePin *pin = GetPin(0);
  if (!pin || !pin->IsConnected()) return VFW_E_NOT_CONNECTED;
  return presenter_->Step(frames);
}

HRESULT VideoRendererBase::CanStep(LONG, IUnknown *stepObject) {
  if (stepObject) return E_INVALIDARG;
  graph::BasePin *pin = GetPin(0);
  return pin && pin->IsConnected() ? S_OK : S_FALSE;
}

HRESULT VideoRendererBase::CancelStep() { return presenter_->CancelStep(); }

HRESULT VideoRendererBase::GetCapabilities(DWORD *capabilities) {
  if (!capabilities) return E_POINTER;
  *capabilities = AM_SEEKING_CanGetCurrentPos;
  return S_OK;
}

HRESULT VideoRendererBase::GetCurrentPosition(LONGLONG *position) {
  if (!position) return E_POINTER;
  *position = position_.load();
  return S_OK;
}

HRESULT VideoRendererBase::GetDuration(LONGLONG *) { return E_NOTIMPL; }

HRESULT VideoRendererBase::SetRate(double rate) {
  if (!(rate > 0)) return E_INVALIDARG;
  presenter_->SetRate(rate);
  return S_OK;
}

HRESULT VideoRendererBase::GetRate(double *rate) {
  if (!rate) return E_POINTER;
  *rate = presenter_->Rate();
  return S_OK;
}

HRESULT VideoRendererBase::GetPictureGeometry(RECT *dest, LONG *pictureWidth, LONG *pictureHeight) {
  if (!dest || !pictureWidth || !pictureHeight) return E_POINTER;
  RgbFrameFormat f{};
  if (!Format(&f)) return E_FAIL;
  // Read from the surface's last layout: the navigator may ask from any thread.
  VideoWidget *surface = Surface();
  if (!surface) return E_FAIL;
  const QRect r = surface->PlacedPictureRect(SurfaceInParent());
  if (r.isNull()) return E_FAIL;
  *dest = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  *pictureWidth = f.width;
  *pictureHeight = f.height;
  return S_OK;
}

HRESULT VideoRendererBase::GetShownTime(media::StreamTime *start) {
  if (!start) return E_POINTER;
  const REFERENCE_TIME t = shown_.load();
  if (t == kNoneShown) return S_FALSE;
  *start = media::StreamTime(t);
  return S_OK;
}

void VideoRendererBase::SetPresentedCallback(std::function<void(const PresentedFrame &)> callback) {
  RunOnGui([&] { presented_ = std::move(callback); });
}

long long VideoRendererBase::DroppedFrames() {
  VideoWidget *surface = Surface();
  return presenter_->Dropped() + (surface ? surface->Overwritten() : 0);
}

} // namespace render

#include "render/video_renderer_base.h"

#include "render/gui_thread.h"
#include "render/picture_layout.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/uuids.h"

namespace render {

// ---- input pin ---------------------------------------------------------------

VideoInputPin::VideoInputPin(VideoRendererBase *owner, std::u16string name, int stream)
    : InputPin(owner, std::move(name)), owner_(owner), stream_(stream) {}

HRESULT VideoInputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (mt.majortype != MEDIATYPE_Video || mt.subtype != MEDIASUBTYPE_RGB32 || mt.formattype != FORMAT_RgbFrame ||
      mt.cbFormat < sizeof(RgbFrameFormat) || !mt.pbFormat)
    return VFW_E_TYPE_NOT_ACCEPTED;
  const auto *f = reinterpret_cast<const RgbFrameFormat *>(mt.pbFormat);
  if (f->width <= 0 || f->height <= 0 || f->stride < f->width * 4) return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT VideoInputPin::CompleteConnect(IPin *) {
  if (stream_ != 0) return S_OK;
  graph::MediaType mt = ConnectionType();
  owner_->SetFormat(*reinterpret_cast<const RgbFrameFormat *>(mt.Format()));
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

void VideoRendererBase::ShutDownPresenter() { presenter_.reset(); }

void VideoRendererBase::ConnectSurface(VideoWidget *surface) {
  surface->streamTime = [this](REFERENCE_TIME *t) { return SUCCEEDED(StreamTime(t)); };
  surface->onPresented = [this](const PresentedFrame &shown) {
    if (presented_) presented_(shown);
  };
}

void VideoRendererBase::Show(VideoFrame frame) {
  if (frame.hasTime) position_ = frame.start;
  if (VideoWidget *surface = Surface()) surface->Post(std::move(frame));
}

void VideoRendererBase::SetFormat(const RgbFrameFormat &format) {
  std::lock_guard guard(formatLock_);
  format_ = format;
}

void VideoRendererBase::ClearFormat() {
  std::lock_guard guard(formatLock_);
  format_.reset();
}

bool VideoRendererBase::Format(RgbFrameFormat *format) {
  std::lock_guard guard(formatLock_);
  if (!format_) return false;
  *format = *format_;
  return true;
}

HRESULT VideoRendererBase::Receive(IMediaSample *sample) {
  AM_MEDIA_TYPE *changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    HRESULT ok = static_cast<VideoInputPin *>(GetPin(0))->CheckMediaType(*changed);
    if (SUCCEEDED(ok)) SetFormat(*reinterpret_cast<const RgbFrameFormat *>(changed->pbFormat));
    DeleteMediaType(changed);
    if (FAILED(ok)) return ok;
  }
  RgbFrameFormat f{};
  if (!Format(&f)) return VFW_E_NOT_CONNECTED;
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
  if (sample->GetActualDataLength() < static_cast<LONG>(static_cast<long long>(f.stride) * f.height))
    return VFW_E_BUFFER_OVERFLOW; // a picture shorter than its format says: refuse, never read past it

  VideoFrame frame;
  sample->AddRef(); // the picture keeps the sample's memory until it is no longer shown
  frame.image = QImage(data, f.width, f.height, f.stride, QImage::Format_RGB32,
                       [](void *s) { static_cast<IMediaSample *>(s)->Release(); }, sample);
  frame.aspectX = f.aspectX > 0 ? f.aspectX : f.width;
  frame.aspectY = f.aspectY > 0 ? f.aspectY : f.height;
  REFERENCE_TIME start = 0, stop = 0;
  frame.hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  frame.start = start;
  return presenter_->Queue(std::move(frame)) ? S_OK : S_FALSE;
}

HRESULT VideoRendererBase::OnStop() {
  presenter_->Stop();
  return S_OK;
}

HRESULT VideoRendererBase::OnPause(FILTER_STATE) {
  presenter_->Pause();
  return S_OK;
}

HRESULT VideoRendererBase::OnRun(REFERENCE_TIME start) {
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
  QRect r;
  RunOnGui([&] {
    if (VideoWidget *surface = Surface()) {
      // The format's aspect before the first picture arrives.
      r = surface->HasPicture() ? surface->PictureRect()
                                : FitPicture(surface->rect(), f.aspectX, f.aspectY, surface->KeepAspect());
      r.translate(SurfaceOffset());
    }
  });
  if (r.isNull()) return E_FAIL;
  *dest = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  *pictureWidth = f.width;
  *pictureHeight = f.height;
  return S_OK;
}

void VideoRendererBase::SetPresentedCallback(std::function<void(const PresentedFrame &)> callback) {
  RunOnGui([&] { presented_ = std::move(callback); });
}

long long VideoRendererBase::DroppedFrames() {
  long long overwritten = 0;
  RunOnGui([&] {
    if (VideoWidget *s = Surface()) overwritten = s->Overwritten();
  });
  return presenter_->Dropped() + overwritten;
}

} // namespace render

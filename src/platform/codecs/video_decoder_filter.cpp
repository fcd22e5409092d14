#include "codecs/video_decoder_filter.h"

#include "codecs/spu_parser.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"

#include <chrono>

namespace codecs {
namespace {

bool IsVideoInput(const AM_MEDIA_TYPE &mt) {
  return (mt.majortype == MEDIATYPE_DVD_ENCRYPTED_PACK || mt.majortype == MEDIATYPE_MPEG2_PES ||
          mt.majortype == MEDIATYPE_Video) &&
         mt.subtype == MEDIASUBTYPE_MPEG2_VIDEO;
}

graph::MediaType PictureType(const RgbFrameFormat &f) {
  graph::MediaType mt(MEDIATYPE_Video, MEDIASUBTYPE_RGB32);
  mt.SetFormat(FORMAT_RgbFrame, &f, sizeof f);
  mt.SetSampleSize(static_cast<ULONG>(f.stride) * static_cast<ULONG>(f.height));
  return mt;
}

graph::MediaType YuvPictureType(const RgbFrameFormat &f) {
  const YuvFrameFormat y{f.width, f.height, f.aspectX, f.aspectY, f.frameDuration};
  graph::MediaType mt(MEDIATYPE_Video, MEDIASUBTYPE_I420);
  mt.SetFormat(FORMAT_YuvFrame, &y, sizeof y);
  mt.SetSampleSize(static_cast<ULONG>(YuvFrameBytes(f.width, f.height)));
  return mt;
}

// A sample over the decoder's own 4:2:0 planes, holding a reference to them; null for
// any other layout. The decoder never writes into a picture once it is out.
ComPtr<graph::MediaSample> SampleOverFrame(const AVFrame *frame) {
  if ((frame->format != AV_PIX_FMT_YUV420P && frame->format != AV_PIX_FMT_YUVJ420P) || frame->width % 2 ||
      frame->height % 2 || frame->linesize[0] < frame->width || frame->linesize[1] < frame->width / 2 ||
      frame->linesize[2] < frame->width / 2)
    return nullptr;
  AVFrame *ref = av_frame_clone(frame);
  if (!ref) return nullptr;
  std::shared_ptr<const void> keep(ref, [](AVFrame *f) { av_frame_free(&f); });
  BYTE *planes[3] = {ref->data[0], ref->data[1], ref->data[2]};
  const LONG strides[3] = {ref->linesize[0], ref->linesize[1], ref->linesize[2]};
  return graph::MediaSample::CreateOverPlanes(planes, strides, ref->height, std::move(keep));
}

bool SameFormat(const RgbFrameFormat &a, const RgbFrameFormat &b) {
  return a.width == b.width && a.height == b.height && a.stride == b.stride && a.aspectX == b.aspectX &&
         a.aspectY == b.aspectY;
}

} // namespace

// ---- video input -----------------------------------------------------------------

VideoStreamPin::VideoStreamPin(VideoDecoderFilter *owner) : DecoderInputPin(owner, u"Video", owner), owner_(owner) {}

HRESULT VideoStreamPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  return IsVideoInput(mt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT VideoStreamPin::CompleteConnect(IPin *) {
  graph::MediaType mt = ConnectionType();
  if (mt.FormatSize() >= sizeof(DvdVideoFormat) && mt.Format())
    owner_->SetInputFormat(*reinterpret_cast<const DvdVideoFormat *>(mt.Format()));
  return S_OK;
}

// ---- subpicture input ---------------------------------------------------------------

SubpicturePin::SubpicturePin(VideoDecoderFilter *owner) : InputPin(owner, u"SubPicture"), owner_(owner) {}

HRESULT SubpicturePin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  return mt.subtype == MEDIASUBTYPE_DVD_SUBPICTURE ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SubpicturePin::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IDvdSubpictureSink) return Expose(static_cast<IDvdSubpictureSink *>(this), object);
  return InputPin::QueryExtraInterface(iid, object);
}

HRESULT SubpicturePin::SetPalette(const DWORD entries[16]) {
  if (!entries) return E_POINTER;
  owner_->Overlay().SetPalette(entries);
  owner_->RefreshStill();
  return S_OK;
}

HRESULT SubpicturePin::SetHighlight(const DvdHighlight *highlight) {
  if (!highlight) return E_POINTER;
  owner_->Overlay().SetHighlight(*highlight);
  owner_->RefreshStill();
  return S_OK;
}

HRESULT SubpicturePin::SetDisplay(BOOL on) {
  owner_->Overlay().SetDisplay(on != FALSE);
  owner_->RefreshStill();
  return S_OK;
}

HRESULT SubpicturePin::OnReceive(IMediaSample *sample) {
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
  const HRESULT hr = owner_->SubpictureQueue().Push(sample);
  return FAILED(hr) ? hr : S_OK;
}

void SubpicturePin::Decode(IMediaSample *sample) {
  DecodeThread &queue = owner_->SubpictureQueue();
  if (sample->IsDiscontinuity() == S_OK) {
    assembler_.Reset();
    if (!queue.Stale()) owner_->FlushSubpictures();
  }
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return;
  const LONG size = sample->GetActualDataLength();
  if (size <= 0) return;
  REFERENCE_TIME start = 0, stop = 0;
  const bool hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  if (auto unit = assembler_.Add(data, static_cast<std::size_t>(size), hasTime ? MaybeTime(media::StreamTime(start)) : std::nullopt)) {
    auto picture = ParseSpu(*unit);
    if (picture && !queue.Stale()) owner_->AddSubpicture(std::move(*picture)); // not if flushed meanwhile
  }
}

HRESULT SubpicturePin::OnBeginFlush() {
  owner_->SubpictureQueue().BeginFlush();
  return S_OK;
}

HRESULT SubpicturePin::OnEndFlush() {
  owner_->SubpictureQueue().EndFlush(); // the thread let go of what it held
  assembler_.Reset();
  owner_->FlushSubpictures();
  return S_OK;
}

// ---- output ---------------------------------------------------------------------

PictureOutputPin::PictureOutputPin(VideoDecoderFilter *owner) : OutputPin(owner, u"Video Output"), owner_(owner) {}

HRESULT PictureOutputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (mt.majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
  if (mt.subtype == MEDIASUBTYPE_I420 && mt.formattype == FORMAT_YuvFrame && mt.cbFormat >= sizeof(YuvFrameFormat))
    return S_OK;
  if (mt.subtype == MEDIASUBTYPE_RGB32 && mt.formattype == FORMAT_RgbFrame && mt.cbFormat >= sizeof(RgbFrameFormat))
    return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

// I420 first: the renderer converts once, at the size it draws; RGB32 for one that
// takes nothing else.
HRESULT PictureOutputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index == 0) *mt = YuvPictureType(owner_->OutputFormat());
  else if (index == 1) *mt = PictureType(owner_->OutputFormat());
  else return S_FALSE;
  return S_OK;
}

HRESULT PictureOutputPin::CompleteConnect(IPin *) {
  owner_->SetYuvOutput(ConnectionType().Get().subtype == MEDIASUBTYPE_I420);
  return S_OK;
}

// ---- filter -----------------------------------------------------------------------

HRESULT VideoDecoderFilter::Create(REFIID iid, void **object) { return CreateComObject<VideoDecoderFilter>(iid, object); }

VideoDecoderFilter::VideoDecoderFilter()
    : FilterImpl(CLSID_MpegVideoDecoder, u"MPEG Video Decoder"),
      decoder_([this](const DecodedPicture &p) { OnPicture(p); }) {
  decoderOpen_ = decoder_.Open();
}

HRESULT VideoDecoderFilter::OnStop() {
  // Nothing held from before the stop comes out of the next run: neither a picture the
  // decoder still holds back nor, on a highlight change, the last still. (With the
  // thread still busy, stream_ stays with it: the next sample's discontinuity resets.)
  if (queue_.Stop()) {
    std::lock_guard guard(stream_);
    decoder_.Flush();
    discontinuity_ = true;
    idle_ = false;
    pictureSinceFlush_ = false;
  }
  spuQueue_.Stop();
  return S_OK;
}

graph::BasePin *VideoDecoderFilter::GetPin(int index) {
  switch (index) {
  case 0: return &video_;
  case 1: return &subpicture_;
  case 2: return &output_;
  default: return nullptr;
  }
}

void VideoDecoderFilter::SetInputFormat(const DvdVideoFormat &format) {
  std::lock_guard guard(formatLock_);
  if (format.width > 0 && format.height > 0) {
    format_.width = format.width;
    format_.height = format.height;
    format_.stride = format.width * 4;
  }
  if (format.aspectX > 0 && format.aspectY > 0) {
    format_.aspectX = format.aspectX;
    format_.aspectY = format.aspectY;
  }
  if (format.framesPerSecondTimes1000 > 0) {
    format_.frameDuration = 10000000LL * 1000 / format.framesPerSecondTimes1000;
    decoder_.SetDefaultFrameDuration(media::StreamTime(format_.frameDuration));
  }
}

RgbFrameFormat VideoDecoderFilter::OutputFormat() {
  std::lock_guard guard(formatLock_);
  return format_;
}

HRESULT VideoDecoderFilter::Decode(IMediaSample *sample) {
  AM_MEDIA_TYPE *changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    const bool ok = IsVideoInput(*changed);
    if (ok && changed->cbFormat >= sizeof(DvdVideoFormat) && changed->pbFormat)
      SetInputFormat(*reinterpret_cast<const DvdVideoFormat *>(changed->pbFormat));
    DeleteMediaType(changed);
    if (!ok) return VFW_E_TYPE_NOT_ACCEPTED;
  }
  if (!decoderOpen_) return VFW_E_RUNTIME_ERROR;
  std::lock_guard guard(stream_);
  if (sample->IsDiscontinuity() == S_OK) {
    decoder_.Flush();
    discontinuity_ = true;
  }
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
  const LONG size = sample->GetActualDataLength();
  if (size <= 0) return S_OK;
  REFERENCE_TIME start = 0, stop = 0;
  const bool hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  idle_ = false;
  deliverResult_ = S_OK;
  decoder_.Decode(data, static_cast<std::size_t>(size), hasTime ? MaybeTime(media::StreamTime(start)) : std::nullopt);
  // A refusal downstream (flushing, stopped) stops the upstream push only on failure.
  return FAILED(deliverResult_) ? deliverResult_ : S_OK;
}

HRESULT VideoDecoderFilter::DrainDecoder() {
  std::lock_guard guard(stream_);
  deliverResult_ = S_OK;
  decoder_.Drain();
  idle_ = true;
  CatchUpStill();
  return FAILED(deliverResult_) ? deliverResult_ : S_OK;
}

void VideoDecoderFilter::SetScanning(bool scanning) {
  std::lock_guard guard(stream_);
  decoder_.SetScanMode(scanning);
}

void VideoDecoderFilter::FlushDecoder() {
  std::lock_guard guard(stream_);
  decoder_.Flush();
  discontinuity_ = true;
  idle_ = false;
  pictureSinceFlush_ = false;
}

HRESULT VideoDecoderFilter::DeliverEnd() {
  {
    std::lock_guard guard(stream_);
    decoder_.Drain();
    idle_ = true;
    CatchUpStill();
  }
  return output_.DeliverEndOfStream();
}

void VideoDecoderFilter::AddSubpicture(SpuPicture picture) {
  overlay_.Add(std::move(picture));
  RefreshStill();
}

void VideoDecoderFilter::RefreshStill() {
  // Only a still needs this; while pictures flow they carry the overlay, and a change
  // that finds the video not yet idle is counted for CatchUpStill. Never wait long
  // for a streaming thread that is blocked downstream (the caller may be the GUI
  // thread).
  ++overlayChanges_;
  if (!idle_) return;
  std::unique_lock guard(stream_, std::chrono::milliseconds(100));
  if (!guard || !idle_ || !hasLast_ || State() == State_Stopped) return;
  DeliverPicture(last_.get(), lastFormat_, lastStart_, lastDuration_);
}

void VideoDecoderFilter::CatchUpStill() {
  if (!hasLast_ || !pictureSinceFlush_ || overlayShown_ == overlayChanges_ || State() == State_Stopped) return;
  const HRESULT hr = DeliverPicture(last_.get(), lastFormat_, lastStart_, lastDuration_);
  if (FAILED(hr)) deliverResult_ = hr;
}

void VideoDecoderFilter::OnPicture(const DecodedPicture &p) {
  if (queue_.Stale()) return; // a flush came while this was decoded
  const AVFrame *f = p.frame;
  RgbFrameFormat format;
  {
    std::lock_guard guard(formatLock_);
    format_.width = f->width;
    format_.height = f->height;
    format_.stride = f->width * 4;
    format_.aspectX = p.aspectX;
    format_.aspectY = p.aspectY;
    format_.frameDuration = p.duration.ticks();
    format = format_;
  }
  // Kept by reference: the decoder does not write into a picture it handed out.
  av_frame_unref(last_.get());
  hasLast_ = last_ && av_frame_ref(last_.get(), f) == 0;
  if (!hasLast_) return;
  pictureSinceFlush_ = true;
  lastFormat_ = format;
  lastStart_ = p.start;
  lastDuration_ = p.duration;
  HRESULT hr = DeliverPicture(last_.get(), format, p.start, p.duration);
  if (FAILED(hr)) deliverResult_ = hr;
}

HRESULT VideoDecoderFilter::DrawPicture(const AVFrame *frame, const RgbFrameFormat &format, MaybeTime overlayTime,
                                        ComPtr<graph::MediaSample> &out) {
  const LONG size = static_cast<LONG>(yuvOut_ ? YuvFrameBytes(format.width, format.height)
                                              : static_cast<long long>(format.stride) * format.height);
  ComPtr<graph::MediaSample> sample = pool_.Get(size);
  if (!sample) return E_OUTOFMEMORY;
  if (!(yuvOut_ ? converter_.ToI420(frame, sample->Data()) : converter_.Convert(frame, sample->Data(), format.stride)))
    return S_FALSE;
  if (yuvOut_) {
    const long luma = static_cast<long>(format.width) * format.height;
    uint8_t *planes[3] = {sample->Data(), sample->Data() + luma, sample->Data() + luma + luma / 4};
    const int strides[3] = {format.width, format.width / 2, format.width / 2};
    overlay_.ApplyYuv(planes, strides, format.width, format.height, overlayTime);
  } else {
    overlay_.Apply(sample->Data(), format.stride, format.width, format.height, overlayTime);
  }
  sample->SetActualDataLength(size);
  out = std::move(sample);
  return S_OK;
}

HRESULT VideoDecoderFilter::DeliverPicture(const AVFrame *frame, const RgbFrameFormat &format, MaybeTime start,
                                           media::StreamTime duration) {
  if (!output_.IsConnected()) return S_OK;
  // A still shows the newest subpicture (its time may lie after the last picture's).
  const MaybeTime overlayTime = idle_ ? std::nullopt : start;
  overlayShown_ = overlayChanges_; // read before drawing: a change after it is caught later
  ComPtr<graph::MediaSample> sample;
  if (yuvOut_ && !overlay_.Shows(overlayTime)) sample = SampleOverFrame(frame);
  if (!sample) {
    const HRESULT hr = DrawPicture(frame, format, overlayTime, sample);
    if (hr != S_OK) return SUCCEEDED(hr) ? S_OK : hr; // a picture that cannot be converted is left out
  }
  // A re-delivered still picture carries no time: it shows at once.
  if (start && !idle_) {
    REFERENCE_TIME t0 = start->ticks(), t1 = (*start + duration).ticks();
    sample->SetTime(&t0, &t1);
  }
  sample->SetSyncPoint(TRUE);
  if (!formatSent_ || !SameFormat(format, sentFormat_)) {
    graph::MediaType mt = yuvOut_ ? YuvPictureType(format) : PictureType(format);
    sample->SetMediaType(&mt.Get());
    formatSent_ = true;
    sentFormat_ = format;
  }
  if (discontinuity_) {
    sample->SetDiscontinuity(TRUE);
    discontinuity_ = false;
  }
  return output_.Deliver(sample.Get());
}

} // namespace codecs

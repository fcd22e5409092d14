#include "dvd_fakes.h"

#include "dshow/errors.h"

namespace dvdfakes {

PackInputPin::PackInputPin(graph::BaseFilter *filter, std::u16string name, GUID subtype, graph::OutputPin *forward)
    : InputPin(filter, std::move(name)), subtype_(subtype), forward_(forward) {}

HRESULT PackInputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (subtype_ == GUID_NULL) return S_OK; // a renderer takes what its decoder gives
  if (mt.majortype != MEDIATYPE_DVD_ENCRYPTED_PACK) return VFW_E_TYPE_NOT_ACCEPTED;
  if (subtype_ == MEDIASUBTYPE_DOLBY_AC3) // an audio decoder takes every DVD audio coding
    return mt.subtype == MEDIASUBTYPE_DOLBY_AC3 || mt.subtype == MEDIASUBTYPE_MPEG2_AUDIO ||
                   mt.subtype == MEDIASUBTYPE_DVD_LPCM_AUDIO || mt.subtype == MEDIASUBTYPE_DTS
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
  return mt.subtype == subtype_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT PackInputPin::QueryExtraInterface(REFIID iid, void **object) {
  if (subtype_ == GUID_NULL) return E_NOINTERFACE;
  if (iid == IID_IDvdDecoderControl && subtype_ != MEDIASUBTYPE_DVD_SUBPICTURE)
    return Expose(static_cast<IDvdDecoderControl *>(this), object);
  if (iid == IID_IDvdSubpictureSink && subtype_ == MEDIASUBTYPE_DVD_SUBPICTURE)
    return Expose(static_cast<IDvdSubpictureSink *>(this), object);
  return E_NOINTERFACE;
}

HRESULT PackInputPin::SetHighlight(const DvdHighlight *h) {
  if (!h) return E_POINTER;
  std::lock_guard g(lock);
  lastHighlight = *h;
  return S_OK;
}

HRESULT PackInputPin::OnBeginFlush() {
  {
    std::lock_guard g(lock);
    unblock_.notify_all();
  }
  // A decoder passes the flush on, as a real one does.
  if (forward_ && forward_->IsConnected()) forward_->DeliverBeginFlush();
  return S_OK;
}

HRESULT PackInputPin::OnEndFlush() {
  if (forward_ && forward_->IsConnected()) forward_->DeliverEndFlush();
  return S_OK;
}

HRESULT PackInputPin::OnEndOfStream() {
  if (forward_ && forward_->IsConnected()) forward_->DeliverEndOfStream();
  return S_OK;
}

HRESULT PackInputPin::OnReceive(IMediaSample *sample) {
  if (block) {
    std::unique_lock g(lock);
    unblock_.wait(g, [&] { return !block || IsFlushing(); });
    if (IsFlushing()) return S_FALSE;
  }
  ++samples;
  if (sample->IsDiscontinuity() == S_OK) ++discontinuities;
  AM_MEDIA_TYPE *mt = nullptr;
  if (sample->GetMediaType(&mt) == S_OK && mt) {
    ++typeChanges;
    DeleteMediaType(mt);
  }
  REFERENCE_TIME start = 0, end = 0;
  if (SUCCEEDED(sample->GetTime(&start, &end))) {
    std::lock_guard g(lock);
    times.push_back(start);
  }
  if (forward_ && forward_->IsConnected()) forward_->Deliver(sample);
  return S_OK;
}

HRESULT DecodedPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index != 0) return S_FALSE;
  *mt = graph::MediaType(major_, major_ == MEDIATYPE_Video ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_PCM);
  return S_OK;
}

FakeDecoder::FakeDecoder(const CLSID &clsid, GUID inSubtype, GUID outMajor, bool subpictureInput)
    : BaseFilter(clsid, u"Fake decoder"), out(this, outMajor), in(this, u"In", inSubtype, &out) {
  if (subpictureInput) spu = std::make_unique<PackInputPin>(this, u"SubPicture", MEDIASUBTYPE_DVD_SUBPICTURE, nullptr);
}

graph::BasePin *FakeDecoder::GetPin(int i) {
  if (i == 0) return &in;
  if (i == 1) return &out;
  if (i == 2 && spu) return spu.get();
  return nullptr;
}

FakeRenderer::FakeRenderer(const CLSID &clsid, bool isVideo, bool secondInput)
    : FilterImpl(clsid, u"Fake renderer"), in(this, u"In", GUID_NULL, nullptr), video(isVideo) {
  if (secondInput) in2 = std::make_unique<PackInputPin>(this, u"In 2", GUID_NULL, nullptr);
}

HRESULT FakeRenderer::GetPictureGeometry(RECT *d, LONG *w, LONG *h) {
  std::lock_guard g(lock);
  *d = dest;
  *w = width;
  *h = height;
  return S_OK;
}

HRESULT FakeRenderer::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IPictureGeometry && !video) return E_NOINTERFACE;
  return FilterImpl::QueryExtraInterface(iid, object);
}

struct FakeClasses::Impl {
  std::vector<std::unique_ptr<ScopedClassRegistration>> registrations;
};

namespace {
template <class T> HRESULT Give(ComPtr<T> &keep, T *made, REFIID iid, void **object) {
  keep.Attach(made);
  return keep->QueryInterface(iid, object);
}
} // namespace

FakeClasses::FakeClasses(bool subpictureInputOnVideoDecoder) : impl_(std::make_unique<Impl>()) {
  // The real classes first, so that they do not replace the fakes when a graph
  // registers them later.
  CoInitialize(nullptr);
  auto add = [&](const CLSID &clsid, ClassFactoryFn fn) {
    impl_->registrations.push_back(std::make_unique<ScopedClassRegistration>(clsid, std::move(fn)));
  };
  add(CLSID_MpegVideoDecoder, [this, subpictureInputOnVideoDecoder](REFIID iid, void **o) {
    return Give(videoDecoder,
                new FakeDecoder(CLSID_MpegVideoDecoder, MEDIASUBTYPE_MPEG2_VIDEO, MEDIATYPE_Video, subpictureInputOnVideoDecoder),
                iid, o);
  });
  add(CLSID_DvdAudioDecoder, [this](REFIID iid, void **o) {
    return Give(audioDecoder, new FakeDecoder(CLSID_DvdAudioDecoder, MEDIASUBTYPE_DOLBY_AC3, MEDIATYPE_Audio, false), iid, o);
  });
  add(CLSID_SubpictureDecoder, [this](REFIID iid, void **o) {
    return Give(subpictureDecoder,
                new FakeDecoder(CLSID_SubpictureDecoder, MEDIASUBTYPE_DVD_SUBPICTURE, MEDIATYPE_Video, false), iid, o);
  });
  add(CLSID_VideoRenderer, [this, subpictureInputOnVideoDecoder](REFIID iid, void **o) {
    // Without a subpicture input on the decoder, the renderer mixes a second input.
    return Give(videoRenderer, new FakeRenderer(CLSID_VideoRenderer, true, !subpictureInputOnVideoDecoder), iid, o);
  });
  add(CLSID_DSoundRender, [this](REFIID iid, void **o) {
    return Give(audioRenderer, new FakeRenderer(CLSID_DSoundRender, false, false), iid, o);
  });
}

FakeClasses::~FakeClasses() = default;

} // namespace dvdfakes

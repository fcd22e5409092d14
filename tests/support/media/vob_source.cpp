#include "media/vob_source.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"

#include <cstdint>
#include <initializer_list>

namespace testmedia {
namespace {

const CLSID kClsid = {0x3F0A62D0, 0x7D24, 0x4E8B, {0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01}};

graph::MediaType TypeWith(REFGUID sub, const void *format, std::size_t size) {
  graph::MediaType mt(MEDIATYPE_DVD_ENCRYPTED_PACK, sub);
  mt.SetFormat(FORMAT_None, format, size);
  return mt;
}

GUID AudioSubtype(StreamKind kind) {
  switch (kind) {
  case StreamKind::Mpeg: return MEDIASUBTYPE_MPEG2_AUDIO;
  case StreamKind::Lpcm: return MEDIASUBTYPE_DVD_LPCM_AUDIO;
  case StreamKind::Dts: return MEDIASUBTYPE_DTS;
  default: return MEDIASUBTYPE_DOLBY_AC3;
  }
}

} // namespace

VobOutputPin::VobOutputPin(VobSource *owner, std::u16string name) : OutputPin(owner, std::move(name)) {}

HRESULT VobOutputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  return mt.majortype == type_.Major() && mt.subtype == type_.Sub() ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT VobOutputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index != 0) return S_FALSE;
  *mt = type_;
  return S_OK;
}

VobSource::VobSource(StreamKind audio, int audioStream)
    : FilterImpl(kClsid, u"VOB Source"), audioKind_(audio), audioStream_(audioStream),
      video_(this, u"Video"), audio_(this, u"Audio"), subpicture_(this, u"SubPicture") {}

VobSource::~VobSource() { Join(); }

ComPtr<VobSource> VobSource::Open(const std::string &path, StreamKind audio, int audioStream, std::string *error) {
  ComPtr<VobSource> source;
  source.Attach(new VobSource(audio, audioStream));
  if (!source->reader_.Open(path, error)) return nullptr;
  const VobInfo &info = source->reader_.Info();
  DvdVideoFormat video{info.width, info.height, info.aspectX, info.aspectY, FALSE, info.framesPerSecondTimes1000};
  DvdAudioFormat sound{48000, 2, audio == StreamKind::Lpcm ? 16 : 0, 0};
  DvdSubpictureFormat sub{0};
  source->video_.SetType(TypeWith(MEDIASUBTYPE_MPEG2_VIDEO, &video, sizeof video));
  source->audio_.SetType(TypeWith(AudioSubtype(audio), &sound, sizeof sound));
  source->subpicture_.SetType(TypeWith(MEDIASUBTYPE_DVD_SUBPICTURE, &sub, sizeof sub));
  return source;
}

graph::BasePin *VobSource::GetPin(int index) {
  switch (index) {
  case 0: return &video_;
  case 1: return &audio_;
  case 2: return &subpicture_;
  default: return nullptr;
  }
}

HRESULT VobSource::Send(const VobPacket &p) {
  VobOutputPin *pin = nullptr;
  if (p.kind == StreamKind::Video) pin = &video_;
  else if (p.kind == StreamKind::Subpicture && p.stream == 0) pin = &subpicture_;
  else if (p.kind == audioKind_ && p.stream == audioStream_) pin = &audio_;
  if (!pin || !pin->IsConnected() || p.data.empty()) return S_OK;
  ComPtr<graph::MediaSample> sample = graph::MediaSample::CreateFrom(p.data.data(), static_cast<LONG>(p.data.size()));
  if (p.hasTime) {
    REFERENCE_TIME t = p.time + offset_;
    sample->SetTime(&t, nullptr);
  }
  if (pin->first) {
    sample->SetDiscontinuity(TRUE);
    pin->first = false;
  }
  return pin->Deliver(sample.Get());
}

bool VobSource::PushUntil(const std::function<bool(const VobPacket &)> &stop) {
  VobPacket p;
  while (reader_.Next(&p)) {
    if (stop && stop(p)) return true;
    Send(p);
  }
  return false;
}

HRESULT VobSource::OnPause(FILTER_STATE from) {
  if (from == State_Stopped && !manual_) {
    Join();
    stop_ = false;
    video_.first = audio_.first = subpicture_.first = true;
    offset_ = 0;
    reader_.Rewind();
    thread_ = std::thread([this] { Stream(); });
  }
  return S_OK;
}

HRESULT VobSource::OnStop() {
  Join();
  return S_OK;
}

void VobSource::Join() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void VobSource::Stream() {
  VobPacket p;
  while (!stop_ && reader_.Next(&p)) {
    if (jumpAt_ >= 0 && p.kind == StreamKind::Video && p.hasTime && p.time + offset_ >= jumpAt_) {
      const REFERENCE_TIME restart = p.time + offset_ + jumpGap_;
      jumpAt_ = -1;
      std::initializer_list<VobOutputPin *> pins = {&video_, &audio_, &subpicture_};
      for (VobOutputPin *pin : pins)
        if (pin->IsConnected()) pin->DeliverBeginFlush();
      for (VobOutputPin *pin : pins)
        if (pin->IsConnected()) {
          pin->DeliverEndFlush();
          pin->DeliverNewSegment(media::StreamTime(), media::StreamTime(INT64_MAX), 1.0);
          pin->first = true;
        }
      reader_.Rewind();
      offset_ = restart;
      continue;
    }
    if (FAILED(Send(p))) break;
    ++sent_;
  }
  if (stop_) return;
  for (VobOutputPin *pin : {&video_, &audio_, &subpicture_})
    if (pin->IsConnected()) pin->DeliverEndOfStream();
}

} // namespace testmedia

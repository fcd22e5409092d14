#include "codecs/audio_decoder_filter.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"

#include <cstring>

namespace codecs {
namespace {

bool CodingOf(const AM_MEDIA_TYPE &mt, AudioCoding *coding) {
  if (mt.majortype != MEDIATYPE_DVD_ENCRYPTED_PACK && mt.majortype != MEDIATYPE_MPEG2_PES &&
      mt.majortype != MEDIATYPE_Audio)
    return false;
  if (mt.subtype == MEDIASUBTYPE_DOLBY_AC3) *coding = AudioCoding::Ac3;
  else if (mt.subtype == MEDIASUBTYPE_MPEG2_AUDIO || mt.subtype == MEDIASUBTYPE_MPEG1AudioPayload) *coding = AudioCoding::Mpeg;
  else if (mt.subtype == MEDIASUBTYPE_DVD_LPCM_AUDIO) *coding = AudioCoding::Lpcm;
  else if (mt.subtype == MEDIASUBTYPE_DTS) *coding = AudioCoding::Dts;
  else return false;
  // LPCM's parameters travel only in the format block.
  return *coding != AudioCoding::Lpcm || (mt.cbFormat >= sizeof(DvdAudioFormat) && mt.pbFormat);
}

} // namespace

// ---- input ------------------------------------------------------------------------

AudioStreamPin::AudioStreamPin(AudioDecoderFilter *owner) : DecoderInputPin(owner, u"Audio", owner), owner_(owner) {}

HRESULT AudioStreamPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  AudioCoding coding;
  return CodingOf(mt, &coding) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioStreamPin::CompleteConnect(IPin *) { return owner_->Accept(ConnectionType().Get()); }

// ---- output -----------------------------------------------------------------------

PcmOutputPin::PcmOutputPin(AudioDecoderFilter *owner) : OutputPin(owner, u"Audio Output") {}

HRESULT PcmOutputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM || mt.formattype != FORMAT_PcmAudio ||
      mt.cbFormat < sizeof(PcmAudioFormat) || !mt.pbFormat)
    return VFW_E_TYPE_NOT_ACCEPTED;
  const auto *f = reinterpret_cast<const PcmAudioFormat *>(mt.pbFormat);
  return f->sampleRate == kOutputRate && f->channels == kOutputChannels && f->isFloat && f->bitsPerSample == 32
             ? S_OK
             : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT PcmOutputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index != 0) return S_FALSE;
  PcmAudioFormat f{kOutputRate, kOutputChannels, 32, TRUE, kOutputChannels * 4};
  *mt = graph::MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
  return mt->SetFormat(FORMAT_PcmAudio, &f, sizeof f);
}

// ---- filter -----------------------------------------------------------------------

HRESULT AudioDecoderFilter::Create(REFIID iid, void **object) { return CreateComObject<AudioDecoderFilter>(iid, object); }

AudioDecoderFilter::AudioDecoderFilter()
    : FilterImpl(CLSID_DvdAudioDecoder, u"DVD Audio Decoder"),
      decoder_([this](const float *s, int frames, media::StreamTime start) { OnSound(s, frames, start); }) {}

graph::BasePin *AudioDecoderFilter::GetPin(int index) {
  return index == 0 ? static_cast<graph::BasePin *>(&input_) : index == 1 ? &output_ : nullptr;
}

bool AudioDecoderFilter::StreamOf(const AM_MEDIA_TYPE &mt, Stream *stream) {
  if (!CodingOf(mt, &stream->coding)) return false;
  stream->format = DvdAudioFormat{48000, 2, 16, 0};
  if (mt.cbFormat >= sizeof(DvdAudioFormat) && mt.pbFormat)
    stream->format = *reinterpret_cast<const DvdAudioFormat *>(mt.pbFormat);
  return true;
}

bool AudioDecoderFilter::OpenFor(AudioDecoder &decoder, const Stream &s) {
  return decoder.Open(s.coding, s.format.sampleRate, s.format.channels, s.format.bitsPerSample);
}

HRESULT AudioDecoderFilter::Accept(const AM_MEDIA_TYPE &mt) {
  // The filter lock is held here, and the decode thread takes it to deliver while it
  // holds stream_: waiting for stream_ now could deadlock with a sample still in hand
  // after Stop. So the type is only tried on a decoder of its own and left for the
  // decode thread to open.
  Stream s;
  if (!StreamOf(mt, &s)) return VFW_E_TYPE_NOT_ACCEPTED;
  AudioDecoder trial([](const float *, int, media::StreamTime) {});
  if (!OpenFor(trial, s)) return VFW_E_UNSUPPORTED_AUDIO;
  std::lock_guard guard(pendingLock_);
  pending_ = s;
  return S_OK;
}

void AudioDecoderFilter::OpenPending() {
  std::optional<Stream> s;
  {
    std::lock_guard guard(pendingLock_);
    s.swap(pending_);
  }
  if (s) OpenFor(decoder_, *s);
}

HRESULT AudioDecoderFilter::Configure(const AM_MEDIA_TYPE &mt) {
  Stream s;
  if (!StreamOf(mt, &s)) return VFW_E_TYPE_NOT_ACCEPTED;
  std::lock_guard guard(stream_);
  {
    std::lock_guard pending(pendingLock_);
    pending_.reset(); // this type comes after the connection's
  }
  return OpenFor(decoder_, s) ? S_OK : VFW_E_UNSUPPORTED_AUDIO;
}

HRESULT AudioDecoderFilter::Decode(IMediaSample *sample) {
  AM_MEDIA_TYPE *changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    HRESULT hr = Configure(*changed);
    DeleteMediaType(changed);
    if (FAILED(hr)) return hr;
  }
  std::lock_guard guard(stream_);
  OpenPending();
  if (!decoder_.IsOpen()) return VFW_E_UNSUPPORTED_AUDIO;
  if (sample->IsDiscontinuity() == S_OK) {
    decoder_.Flush();
    discontinuity_ = true;
  }
  if (scanning_) return S_OK; // scanning mutes: nothing is decoded or sent
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
  const LONG size = sample->GetActualDataLength();
  if (size <= 0) return S_OK;
  REFERENCE_TIME start = 0, stop = 0;
  const bool hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  deliverResult_ = S_OK;
  decoder_.Decode(data, static_cast<std::size_t>(size), hasTime ? MaybeTime(media::StreamTime(start)) : std::nullopt);
  return FAILED(deliverResult_) ? deliverResult_ : S_OK;
}

HRESULT AudioDecoderFilter::DrainDecoder() {
  std::lock_guard guard(stream_);
  OpenPending();
  deliverResult_ = S_OK;
  decoder_.Drain();
  return FAILED(deliverResult_) ? deliverResult_ : S_OK;
}

void AudioDecoderFilter::FlushDecoder() {
  std::lock_guard guard(stream_);
  OpenPending();
  decoder_.Flush();
  discontinuity_ = true;
}

HRESULT AudioDecoderFilter::OnStop() {
  queue_.Stop();
  return S_OK;
}

HRESULT AudioDecoderFilter::DeliverEnd() {
  DrainDecoder();
  return output_.DeliverEndOfStream();
}

void AudioDecoderFilter::OnSound(const float *samples, int frames, media::StreamTime start) {
  if (!output_.IsConnected() || scanning_ || queue_.Stale()) return;
  const LONG size = frames * kOutputChannels * static_cast<LONG>(sizeof(float));
  ComPtr<graph::MediaSample> sample = graph::MediaSample::Create(size);
  if (!sample) {
    deliverResult_ = E_OUTOFMEMORY;
    return;
  }
  std::memcpy(sample->Data(), samples, static_cast<std::size_t>(size));
  sample->SetActualDataLength(size);
  REFERENCE_TIME t0 = start.ticks(), t1 = (start + media::ToStreamTime(media::SampleCount48k(frames))).ticks();
  sample->SetTime(&t0, &t1);
  sample->SetSyncPoint(TRUE);
  if (discontinuity_) {
    sample->SetDiscontinuity(TRUE);
    discontinuity_ = false;
  }
  HRESULT hr = output_.Deliver(sample.Get());
  if (FAILED(hr)) deliverResult_ = hr;
}

} // namespace codecs

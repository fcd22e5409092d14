#include "render/audio_renderer.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/uuids.h"

namespace render {
namespace {

bool Acceptable(const PcmAudioFormat &f) {
  return f.sampleRate == kAudioRate && f.channels == kAudioChannels &&
         ((f.isFloat && f.bitsPerSample == 32) || (!f.isFloat && f.bitsPerSample == 16)) &&
         f.blockAlign == f.channels * f.bitsPerSample / 8;
}

} // namespace

// ---- pin -----------------------------------------------------------------------

AudioInputPin::AudioInputPin(AudioRenderer *owner) : InputPin(owner, u"Audio Input pin (rendered)"), owner_(owner) {}

HRESULT AudioInputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM || mt.formattype != FORMAT_PcmAudio ||
      mt.cbFormat < sizeof(PcmAudioFormat) || !mt.pbFormat)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return Acceptable(*reinterpret_cast<const PcmAudioFormat *>(mt.pbFormat)) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioInputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index != 0) return S_FALSE;
  PcmAudioFormat f{kAudioRate, kAudioChannels, 32, TRUE, kAudioChannels * 4};
  *mt = graph::MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM);
  return mt->SetFormat(FORMAT_PcmAudio, &f, sizeof f);
}

HRESULT AudioInputPin::CompleteConnect(IPin *) {
  graph::MediaType mt = ConnectionType();
  float_ = reinterpret_cast<const PcmAudioFormat *>(mt.Format())->isFloat != FALSE;
  return S_OK;
}

HRESULT AudioInputPin::OnReceive(IMediaSample *sample) {
  AM_MEDIA_TYPE *changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    HRESULT ok = CheckMediaType(*changed);
    if (SUCCEEDED(ok)) float_ = reinterpret_cast<const PcmAudioFormat *>(changed->pbFormat)->isFloat != FALSE;
    DeleteMediaType(changed);
    if (FAILED(ok)) return ok;
  }
  BYTE *data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
  const LONG bytes = sample->GetActualDataLength();
  const int frameBytes = kAudioChannels * (float_ ? 4 : 2);
  const int frames = bytes / frameBytes;
  if (frames <= 0) return S_OK;
  const float *samples = reinterpret_cast<const float *>(data);
  if (!float_) {
    converted_.resize(static_cast<std::size_t>(frames) * kAudioChannels);
    const auto *s16 = reinterpret_cast<const int16_t *>(data);
    for (std::size_t i = 0; i < converted_.size(); ++i) converted_[i] = s16[i] / 32768.0f;
    samples = converted_.data();
  }
  REFERENCE_TIME stamp = 0, stop = 0;
  const media::StreamTime start = SUCCEEDED(sample->GetTime(&stamp, &stop)) ? media::StreamTime(stamp) : next_;
  next_ = start + media::ToStreamTime(media::SampleCount48k(frames));
  if (!owner_->Sink().Write(samples, frames, start)) return S_FALSE;
  owner_->DataArrived();
  return S_OK;
}

HRESULT AudioInputPin::OnEndOfStream() {
  owner_->Sink().EndOfStream();
  owner_->DataArrived();
  return S_OK;
}

HRESULT AudioInputPin::OnBeginFlush() {
  owner_->Sink().BeginFlush();
  return S_OK;
}

HRESULT AudioInputPin::OnEndFlush() {
  owner_->Sink().EndFlush();
  return S_OK;
}

// ---- renderer ------------------------------------------------------------------

HRESULT AudioRenderer::Create(REFIID iid, void **object) { return CreateComObject<AudioRenderer>(iid, object); }

AudioRenderer::AudioRenderer()
    : FilterImpl(CLSID_DSoundRender, u"Audio Renderer"),
      sink_([this] { NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this))); }) {}

AudioRenderer::~AudioRenderer() {
  sink_.Stop();
  output_.Close(); // no pull after this
}

HRESULT AudioRenderer::OnStop() {
  sink_.Stop();
  return S_OK;
}

HRESULT AudioRenderer::OnPause(FILTER_STATE) {
  output_.Start(); // opens the device the first time (or the silent output)
  sink_.Pause();
  return S_OK;
}

HRESULT AudioRenderer::OnRun(media::StreamTime start) {
  sink_.Run(start);
  return S_OK;
}

bool AudioRenderer::TransitionPending() {
  return State() == State_Paused && input_.IsConnected() && !sink_.HasData();
}

HRESULT AudioRenderer::put_Volume(LONG volume) {
  if (volume < -10000 || volume > 0) return E_INVALIDARG;
  volume_ = volume;
  sink_.SetVolume(volume);
  return S_OK;
}

HRESULT AudioRenderer::get_Volume(LONG *volume) {
  if (!volume) return E_POINTER;
  *volume = volume_;
  return S_OK;
}

HRESULT AudioRenderer::put_Balance(LONG balance) {
  if (balance < -10000 || balance > 10000) return E_INVALIDARG;
  balance_ = balance;
  sink_.SetBalance(balance);
  return S_OK;
}

HRESULT AudioRenderer::get_Balance(LONG *balance) {
  if (!balance) return E_POINTER;
  *balance = balance_;
  return S_OK;
}

HRESULT AudioRenderer::GetTime(REFERENCE_TIME *time) {
  if (!time) return E_POINTER;
  *time = output_.Now().ticks();
  return S_OK;
}

} // namespace render

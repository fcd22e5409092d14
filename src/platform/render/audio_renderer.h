// The audio renderer (CLSID_DSoundRender): one PCM input pin "Audio Input pin
// (rendered)" taking 48 kHz stereo (float or 16-bit), an SDL output or the silent
// output thread, IBasicAudio as sample gains, and IReferenceClock that follows the
// sound actually taken by the output, so that the graph chooses it as its clock.
#pragma once

#include "render/audio_output.h"
#include "render/audio_sink.h"

#include "dshow/control.h"
#include "graph/filter_base.h"
#include "graph/raw_formats.h"

#include <atomic>
#include <vector>

namespace render {

class AudioRenderer;

class AudioInputPin : public graph::InputPin {
public:
  explicit AudioInputPin(AudioRenderer *owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  HRESULT CompleteConnect(IPin *peer) override;

protected:
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;

private:
  AudioRenderer *owner_;
  bool float_ = true;
  std::vector<float> converted_;
  media::StreamTime next_; // time after the last sample, for samples without one
};

class AudioRenderer final : public graph::FilterImpl<IBasicAudio, IReferenceClock> {
public:
  static HRESULT Create(REFIID iid, void **object);
  AudioRenderer(); // use Create

  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int index) override { return index == 0 ? &input_ : nullptr; }

  // IBasicAudio
  HRESULT put_Volume(LONG volume) override;
  HRESULT get_Volume(LONG *volume) override;
  HRESULT put_Balance(LONG balance) override;
  HRESULT get_Balance(LONG *balance) override;
  // IReferenceClock
  HRESULT GetTime(REFERENCE_TIME *time) override;

  // For the pin.
  AudioSink &Sink() { return sink_; }
  void DataArrived() { StateSettled(); }
  bool HasDevice() const { return output_.HasDevice(); }

private:
  ~AudioRenderer() override;
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(media::StreamTime start) override;
  bool TransitionPending() override;

  AudioSink sink_;
  AudioOutput output_{&sink_};
  std::atomic<LONG> volume_{0}, balance_{0};
  AudioInputPin input_{this};
};

} // namespace render

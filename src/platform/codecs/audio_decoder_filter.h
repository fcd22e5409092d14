// The DVD audio decoder filter (CLSID_DvdAudioDecoder).
//   "Audio" in:      AC-3, MPEG audio, LPCM or DTS payloads from the navigator
//                    (dvd_stream.h); answers IDvdDecoderControl (Drain, scan = mute).
//   "Audio Output":  48 kHz stereo float PCM (graph/raw_formats.h), whatever the
//                    input, so the renderer never renegotiates.
// Decoding runs on the filter's own thread (DecodeThread); the input pin only queues
// the compressed samples.
#pragma once

#include "codecs/audio_decoder.h"
#include "codecs/decode_thread.h"
#include "codecs/decoder_input_pin.h"

#include "graph/dvd_stream.h"
#include "graph/filter_base.h"
#include "graph/raw_formats.h"

#include <atomic>
#include <mutex>
#include <optional>

namespace codecs {

class AudioDecoderFilter;

class AudioStreamPin : public DecoderInputPin {
public:
  explicit AudioStreamPin(AudioDecoderFilter *owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT CompleteConnect(IPin *peer) override;

private:
  AudioDecoderFilter *owner_;
};

class PcmOutputPin : public graph::OutputPin {
public:
  explicit PcmOutputPin(AudioDecoderFilter *owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
};

class AudioDecoderFilter final : public graph::FilterImpl<>, public DecoderInput {
public:
  static HRESULT Create(REFIID iid, void **object);
  AudioDecoderFilter(); // use Create

  int PinCount() override { return 2; }
  graph::BasePin *GetPin(int index) override;

  // For the input pin.
  HRESULT Accept(const AM_MEDIA_TYPE &mt);    // at connection: the decode thread opens it
  HRESULT Configure(const AM_MEDIA_TYPE &mt); // a type change in the stream: (re)opens now
  HRESULT Decode(IMediaSample *sample);
  HRESULT DrainDecoder();
  void FlushDecoder() override;
  void SetScanning(bool scanning) override { scanning_ = scanning; }
  HRESULT DeliverEnd();
  PcmOutputPin &Output() override { return output_; }
  DecodeThread &Queue() override { return queue_; }

  static constexpr DecodeThread::Limits kQueueLimits{1u << 20, 2048, media::StreamTime::Seconds(2)};

private:
  ~AudioDecoderFilter() override = default;
  HRESULT OnStop() override;
  void OnSound(const float *samples, int frames, media::StreamTime start);
  struct Stream {
    AudioCoding coding = AudioCoding::Ac3;
    DvdAudioFormat format{};
  };
  static bool StreamOf(const AM_MEDIA_TYPE &mt, Stream *stream);
  static bool OpenFor(AudioDecoder &decoder, const Stream &stream);
  void OpenPending(); // stream_ held

  std::mutex stream_;
  std::mutex pendingLock_;        // never held while taking another lock
  std::optional<Stream> pending_; // the connection's type, not opened yet
  AudioDecoder decoder_;
  std::atomic<bool> scanning_{false};
  bool discontinuity_ = false;
  HRESULT deliverResult_ = S_OK;
  AudioStreamPin input_{this};
  PcmOutputPin output_{this};
  // Last: it stops before anything it calls goes.
  DecodeThread queue_{"qdvd-audio", kQueueLimits,
                      {[this](IMediaSample *s) { Decode(s); }, [this] { DrainDecoder(); }, [this] { DeliverEnd(); }}};
};

} // namespace codecs

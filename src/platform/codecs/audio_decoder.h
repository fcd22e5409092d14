// DVD audio decoding: AC-3, MPEG audio, DTS (through their parsers and FFmpeg's
// decoders) and LPCM, all resampled to one output format: 48 kHz stereo float,
// interleaved. Times are stream times. Not thread-safe: one streaming thread.
#pragma once

#include "codecs/ffmpeg_ptr.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace codecs {

enum class AudioCoding { Ac3, Mpeg, Lpcm, Dts };

constexpr int kOutputRate = 48000;
constexpr int kOutputChannels = 2;

class AudioDecoder {
public:
  // frames interleaved stereo float; `start` is the first frame's time (sound comes out
  // only once the stream has given a time).
  using Output = std::function<void(const float *samples, int frames, media::StreamTime start)>;

  explicit AudioDecoder(Output output);
  ~AudioDecoder();
  AudioDecoder(const AudioDecoder &) = delete;
  AudioDecoder &operator=(const AudioDecoder &) = delete;
  // (Re)opens for a coding. LPCM needs its parameters (rate 48000/96000, channels
  // 1..8, bits 16/20/24); the others read theirs from the stream. False when the
  // coding is not supported here.
  bool Open(AudioCoding coding, int sampleRate = 48000, int channels = 2, int bitsPerSample = 16);
  bool IsOpen() const { return ctx_ != nullptr; }

  void Decode(const uint8_t *data, std::size_t size, MaybeTime pts);
  void Drain();
  void Flush();

private:
  void SendPacket(const uint8_t *data, int size, MaybeTime pts);
  void ReceiveAll();
  bool Convert(const AVFrame *frame, media::StreamTime start);

  Output output_;
  std::vector<uint8_t> padded_; // FFmpeg reads a little past the data it is given
  AudioCoding coding_ = AudioCoding::Ac3;
  CodecContextPtr ctx_;
  ParserPtr parser_;
  PacketPtr packet_;
  FramePtr frame_;
  SwrPtr swr_;
  AVChannelLayout swrInLayout_{};
  int swrInRate_ = 0;
  int swrInFormat_ = -1;
  uint8_t lpcmHeader_[3] = {0, 0, 0};
  std::vector<uint8_t> lpcmPacket_;
  std::vector<float> out_;
  MaybeTime nextTime_;
};

} // namespace codecs

// libFuzzer target: the decoders' packet path. The first byte picks the decoder (MPEG-2
// video, AC-3, MPEG audio, LPCM, DTS); the rest is packets, each a 16-bit big-endian
// length and its bytes, fed with rising times, then a drain and a flush.
#include "codecs/audio_decoder.h"
#include "codecs/mpeg_video_decoder.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace {

// The libraries' complaints about mutated input are expected: routed, then dropped.
[[maybe_unused]] const bool kQuiet = [] {
  QLoggingCategory::setFilterRules("qdvd.*=false");
  return true;
}();

template <class Feed> void Packets(const uint8_t *data, size_t size, Feed &&feed) {
  size_t at = 0;
  long long pts = 0;
  while (at + 2 <= size) {
    const size_t n = std::min<size_t>(size_t(data[at]) << 8 | data[at + 1], size - at - 2);
    at += 2;
    feed(data + at, n, media::StreamTime(pts += 333667));
    at += n;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  const int kind = data[0] % 5;
  ++data;
  --size;
  if (kind == 0) {
    codecs::MpegVideoDecoder video([](const codecs::DecodedPicture &pic) {
      if (!pic.frame || pic.frame->width <= 0 || pic.frame->height <= 0) std::abort();
    });
    if (!video.Open()) std::abort();
    Packets(data, size, [&](const uint8_t *p, size_t n, media::StreamTime pts) { video.Decode(p, n, pts); });
    video.Drain();
    video.Flush();
    return 0;
  }
  static const codecs::AudioCoding kCodings[] = {codecs::AudioCoding::Ac3, codecs::AudioCoding::Mpeg,
                                                 codecs::AudioCoding::Lpcm, codecs::AudioCoding::Dts};
  codecs::AudioDecoder audio([](const float *samples, int frames, media::StreamTime) {
    if (frames < 0 || (frames > 0 && !samples)) std::abort();
    volatile float sink = 0;
    for (int i = 0; i < frames * codecs::kOutputChannels; ++i) sink = sink + samples[i];
  });
  if (!audio.Open(kCodings[kind - 1])) return 0;
  Packets(data, size, [&](const uint8_t *p, size_t n, media::StreamTime pts) { audio.Decode(p, n, pts); });
  audio.Drain();
  audio.Flush();
  return 0;
}

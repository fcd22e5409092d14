// Demultiplexing and decoding an authored disc's VOB as fast as possible: the VOB
// reader, the MPEG-2 decoder (with and without the RGB32 conversion the renderers
// need) and the AC-3 decoder with its resampling. Reports pictures per CPU second.
//   decode_bench <file.VOB> [benchmark options]
#include "codecs/audio_decoder.h"
#include "codecs/mpeg_video_decoder.h"
#include "codecs/rgb_converter.h"
#include "media/vob_reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string g_vob;

void Decode(benchmark::State &state, bool rgb, bool audio) {
  testmedia::VobReader reader;
  std::string error;
  if (!reader.Open(g_vob, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  long long pictures = 0;
  std::vector<uint8_t> buffer;
  codecs::RgbConverter converter;
  codecs::MpegVideoDecoder video([&](const codecs::DecodedPicture &p) {
    ++pictures;
    if (!rgb) return;
    buffer.resize(static_cast<std::size_t>(p.frame->width) * p.frame->height * 4);
    converter.Convert(p.frame, buffer.data(), p.frame->width * 4);
  });
  long long frames = 0;
  codecs::AudioDecoder sound([&](const float *, int n, media::StreamTime) { frames += n; });
  if (!video.Open() || !sound.Open(codecs::AudioCoding::Ac3)) {
    state.SkipWithError("no decoder");
    return;
  }
  testmedia::VobPacket packet;
  for (auto _ : state) {
    reader.Rewind();
    video.Flush();
    sound.Flush();
    while (reader.Next(&packet)) {
      const codecs::MaybeTime t = packet.hasTime ? codecs::MaybeTime(media::StreamTime(packet.time)) : std::nullopt;
      if (packet.kind == testmedia::StreamKind::Video) video.Decode(packet.data.data(), packet.data.size(), t);
      else if (audio && packet.kind == testmedia::StreamKind::Ac3 && packet.stream == 0)
        sound.Decode(packet.data.data(), packet.data.size(), t);
    }
    video.Drain();
    if (audio) sound.Drain();
  }
  state.counters["pictures_per_cpu_s"] = benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
  state.counters["pictures_per_pass"] = static_cast<double>(pictures) / static_cast<double>(state.iterations());
}

void BM_DemuxDecodeRgbAndSound(benchmark::State &state) { Decode(state, true, true); }
void BM_DemuxDecodeAndSound(benchmark::State &state) { Decode(state, false, true); }
void BM_DemuxDecodeVideoOnly(benchmark::State &state) { Decode(state, false, false); }

BENCHMARK(BM_DemuxDecodeRgbAndSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxDecodeAndSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxDecodeVideoOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <file.VOB> [benchmark options]\n", argv[0]);
    return 2;
  }
  g_vob = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

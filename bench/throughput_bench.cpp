// Demultiplexing and decoding throughput without output, on title 1 of a disc:
//   BM_BareLoop  the navigation library and FFmpeg's decoders in a bare loop (bare_loop.h)
//   BM_OurPath   the player's own path: the DVD navigator filter, the MPEG video and the
//                DVD audio decoder filters with their decode threads, connected as the
//                DVD graph builder connects them, in the graph manager; null sinks in the
//                renderers' place take every picture and sound block at once. The graph
//                runs on a clock that is always far ahead, so the navigator never waits
//                for its pacing: it goes as fast as the decoders take its samples.
// Each iteration plays the title once; the counters give the pictures, the process CPU
// seconds (getrusage, user + system, every thread) and pictures per CPU second.
//   throughput_bench <VIDEO_TS parent folder> [benchmark options]
#include "bare_loop.h"

#include "dshow/dshow.h"
#include "dshow/evcode.h"
#include "graph/dvd_stream.h"
#include "graph/filter_base.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

std::string g_disc;

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto s = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

// Thread switches of the whole process so far (each a wake-up or a preemption).
long long Switches() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw + u.ru_nivcsw;
}

void Report(benchmark::State &state, long long pictures, double cpu, long long switches) {
  state.SetIterationTime(cpu);
  state.counters["switches"] = static_cast<double>(switches);
  state.counters["pictures"] = static_cast<double>(pictures);
  state.counters["cpu_s"] = cpu;
  state.counters["pictures_per_cpu_s"] = cpu > 0 ? static_cast<double>(pictures) / cpu : 0;
}

void BM_BareLoop(benchmark::State &state) {
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    const long long switches0 = Switches();
    const bench::BareResult r = bench::RunBareLoop(g_disc);
    const double cpu = CpuSeconds() - cpu0;
    if (!r.error.empty()) state.SkipWithError(r.error.c_str());
    Report(state, r.pictures, cpu, Switches() - switches0);
    state.counters["audio_frames"] = static_cast<double>(r.audioFrames);
  }
}

// --- our path -----------------------------------------------------------------------

constexpr CLSID CLSID_NullSink = {0x5A1B2C3D, 0x4E5F, 0x4A6B, {0x9C, 0x7D, 0x8E, 0x9F, 0x0A, 0x1B, 0x2C, 0x3D}};

// A renderer that takes every sample at once and counts it.
class NullSink final : public graph::FilterImpl<> {
public:
  NullSink(const char16_t *name, const GUID &major) : FilterImpl(CLSID_NullSink, name), in_(this, major) {}
  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int i) override { return i == 0 ? &in_ : nullptr; }
  IPin *Input() { return &in_; }
  std::atomic<long long> samples{0}, bytes{0};
  std::atomic<bool> ended{false};

private:
  class Pin final : public graph::InputPin {
  public:
    Pin(NullSink *owner, const GUID &major) : InputPin(owner, u"In"), owner_(owner), major_(major) {}
    HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override {
      return mt.majortype == major_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }

  protected:
    HRESULT OnReceive(IMediaSample *sample) override {
      ++owner_->samples;
      owner_->bytes += sample->GetActualDataLength();
      return S_OK;
    }
    HRESULT OnEndOfStream() override {
      owner_->ended = true;
      return S_OK;
    }
    HRESULT OnBeginFlush() override { return S_OK; }

  private:
    NullSink *owner_;
    GUID major_;
  };
  Pin in_;
};

// A reference clock always far ahead of the streams (10000 times real time).
class AheadClock final : public ComObject<IReferenceClock> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IReferenceClock>(iid, object); }
  HRESULT GetTime(REFERENCE_TIME *time) override {
    if (!time) return E_POINTER;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_);
    *time = ns.count() / 100 * 10000;
    return S_OK;
  }

private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

ComPtr<IPin> PinOf(IBaseFilter *filter, const char16_t *name) {
  ComPtr<IPin> pin;
  filter->FindPin(reinterpret_cast<LPCWSTR>(name), &pin);
  return pin;
}

ComPtr<IBaseFilter> Create(const CLSID &clsid) {
  ComPtr<IBaseFilter> f;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&f));
  return f;
}

struct OurPathResult {
  long long pictures = 0, audioBytes = 0, switches = 0;
  double cpu = 0;
  std::string error;
};

OurPathResult RunOurPath() {
  OurPathResult r;
  ComPtr<IGraphBuilder> graph;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph)))) {
    r.error = "no graph";
    return r;
  }
  ComPtr<IBaseFilter> nav = Create(CLSID_DVDNavigator), video = Create(CLSID_MpegVideoDecoder),
                      audio = Create(CLSID_DvdAudioDecoder);
  ComPtr<NullSink> pictures, sound;
  pictures.Attach(new NullSink(u"Pictures", MEDIATYPE_Video));
  sound.Attach(new NullSink(u"Sound", MEDIATYPE_Audio));
  ComPtr<IDvdControl2> dvd;
  if (!nav || !video || !audio || FAILED(nav.As(&dvd))) {
    r.error = "no filters";
    return r;
  }
  graph->AddFilter(nav.Get(), u"DVD Navigator");
  graph->AddFilter(video.Get(), u"Video Decoder");
  graph->AddFilter(audio.Get(), u"Audio Decoder");
  graph->AddFilter(pictures.Get(), u"Pictures");
  graph->AddFilter(sound.Get(), u"Sound");
  std::u16string path(g_disc.begin(), g_disc.end());
  if (FAILED(dvd->SetDVDDirectory(reinterpret_cast<LPCWSTR>(path.c_str())))) {
    r.error = "cannot open " + g_disc;
    return r;
  }
  if (FAILED(graph->ConnectDirect(PinOf(nav.Get(), u"Video").Get(), PinOf(video.Get(), u"Video").Get(), nullptr)) ||
      FAILED(graph->ConnectDirect(PinOf(nav.Get(), u"SubPicture").Get(), PinOf(video.Get(), u"SubPicture").Get(), nullptr)) ||
      FAILED(graph->ConnectDirect(PinOf(nav.Get(), u"Audio").Get(), PinOf(audio.Get(), u"Audio").Get(), nullptr)) ||
      FAILED(graph->ConnectDirect(PinOf(video.Get(), u"Video Output").Get(), pictures->Input(), nullptr)) ||
      FAILED(graph->ConnectDirect(PinOf(audio.Get(), u"Audio Output").Get(), sound->Input(), nullptr))) {
    r.error = "connections";
    return r;
  }
  ComPtr<IMediaFilter> timing;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  graph.As(&timing);
  graph.As(&control);
  graph.As(&events);
  ComPtr<IReferenceClock> clock;
  clock.Attach(new AheadClock);
  timing->SetSyncSource(clock.Get());

  const double cpu0 = CpuSeconds();
  const long long switches0 = Switches();
  // The title is chosen before the navigator reads anything: no picture of what the
  // disc's first-play program plays is counted.
  control->Pause();
  ComPtr<IDvdCmd> cmd;
  if (FAILED(dvd->PlayTitle(1, DVD_CMD_FLAG_Block, &cmd))) {
    r.error = "PlayTitle failed";
    control->Stop();
    return r;
  }
  control->Run();
  bool inTitle = false, done = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    if (pictures->ended && sound->ended) break; // the disc's program stopped
    LONG code;
    LONG_PTR p1, p2;
    if (FAILED(events->GetEvent(&code, &p1, &p2, 20))) continue;
    events->FreeEventParams(code, p1, p2);
    if (code == EC_DVD_DOMAIN_CHANGE) {
      if (p1 == DVD_DOMAIN_Title) inTitle = true;
      else if (inTitle) done = true;
    } else if (code == EC_DVD_PLAYBACK_STOPPED || code == EC_ERRORABORT) {
      done = true;
    }
  }
  if (done) {
    // Left the title for a menu: what the decoders hold of it comes out.
    for (IBaseFilter *f : {video.Get(), audio.Get()}) {
      ComPtr<IDvdDecoderControl> c;
      ComPtr<IPin> in = PinOf(f, f == video.Get() ? u"Video" : u"Audio");
      if (in && SUCCEEDED(in.As(&c))) c->Drain();
    }
  }
  r.cpu = CpuSeconds() - cpu0;
  r.switches = Switches() - switches0;
  r.pictures = pictures->samples;
  r.audioBytes = sound->bytes;
  control->Stop();
  if (!done && !(pictures->ended && sound->ended)) r.error = "the title did not end in 3 minutes";
  return r;
}

void BM_OurPath(benchmark::State &state) {
  for (auto _ : state) {
    const OurPathResult r = RunOurPath();
    if (!r.error.empty()) state.SkipWithError(r.error.c_str());
    Report(state, r.pictures, r.cpu, r.switches);
    state.counters["audio_frames"] = static_cast<double>(r.audioBytes / (2 * sizeof(float)));
  }
}

BENCHMARK(BM_BareLoop)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurPath)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <disc folder> [benchmark options]\n", argv[0]);
    return 2;
  }
  g_disc = argv[1];
  CoInitialize(nullptr);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

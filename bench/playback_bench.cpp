// The CPU share of real-time playback: a title through the decoders and the video
// and audio renderers in the graph, the picture in a 720 x 576 window, for the
// title's length. cpu_share = process CPU time / wall time (1.0 = one core).
//   playback_bench <file.VOB> [benchmark options]
// Without DISPLAY it runs on Qt's offscreen platform (no X server work is counted).
#include "media/playback.h"
#include "win/winuser.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <ctime>

namespace {

std::string g_vob;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

void BM_RealTimePlayback720x576(benchmark::State &state) {
  QWidget host;
  host.resize(720, 576);
  host.show();
  for (auto _ : state) {
    Playback p;
    if (!p.Build(g_vob)) {
      state.SkipWithError(p.error.c_str());
      return;
    }
    ComPtr<IVideoWindow> window;
    p.videoRenderer.As(&window);
    window->put_Owner(reinterpret_cast<OAHWND>(WindowFromWidget(&host)));
    window->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS));
    window->SetWindowPosition(0, 0, 720, 576);
    long long shown = 0;
    p.Probe()->SetPresentedCallback([&](const render::PresentedFrame &) { ++shown; });
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    p.control->Run();
    const bool done = p.WaitFor(EC_COMPLETE, 60000);
    QTest::qWait(100); // the last picture's queued hand-over
    const double seconds = wall.elapsed() / 1000.0;
    const double cpu = CpuSeconds() - cpu0;
    p.control->Stop();
    if (!done) state.SkipWithError("no end of stream");
    state.SetIterationTime(seconds);
    state.counters["cpu_share"] = cpu / seconds;
    state.counters["pictures"] = static_cast<double>(shown);
    state.counters["skipped"] = static_cast<double>(p.Probe()->DroppedFrames());
  }
}

BENCHMARK(BM_RealTimePlayback720x576)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
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

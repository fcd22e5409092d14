// The player's streaming path as a user meets it: the real DVD graph (navigator,
// decoders, renderers) on a disc folder, the picture in a window of the given size,
// title 1 from its start. Prints one line of key=value figures:
//   cpu_per_content_s   process CPU seconds per second of content played
//   rss_before_mib      resident memory with the graph built, before Play
//   peak_rss_mib        the most resident memory during the run
//   play_to_first_ms    Play to the first picture handed to the window
//   chapter_to_first_ms next chapter (the command done) to its first picture
//   pictures, skipped   pictures shown and pictures the presenter skipped
//   player_bench <VIDEO_TS parent folder> [width height [seconds]]
#include "dshow/dshow.h"
#include "dshow/evcode.h"
#include "render/renderer_probe.h"
#include "win/winuser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double StatusMiB(const char *key) {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(static_cast<int>(std::strlen(key))).trimmed().split(' ')[0].toDouble() / 1024;
  return -1;
}

void Spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

template <class Done> bool SpinUntil(Done done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <disc folder> [width height [seconds]]\n", argv[0]);
    return 2;
  }
  const std::string disc = argv[1];
  const int width = argc > 3 ? std::atoi(argv[2]) : 1024, height = argc > 3 ? std::atoi(argv[3]) : 576;
  const int seconds = argc > 4 ? std::atoi(argv[4]) : 60;

  CoInitialize(nullptr);
  ComPtr<IDvdGraphBuilder> builder;
  if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_IDvdGraphBuilder,
                              reinterpret_cast<void **>(builder.ReleaseAndGetAddressOf()))))
    return 1;
  std::u16string wide(disc.begin(), disc.end());
  AM_DVD_RENDERSTATUS status{};
  if (FAILED(builder->RenderDvdVideoVolume(reinterpret_cast<LPCWSTR>(wide.c_str()), 0, &status))) {
    std::fprintf(stderr, "cannot render %s\n", disc.c_str());
    return 1;
  }
  ComPtr<IGraphBuilder> graph;
  builder->GetFiltergraph(&graph);
  ComPtr<IMediaControl> control;
  graph.As(&control);
  ComPtr<IMediaEventEx> events;
  graph.As(&events);
  ComPtr<IDvdControl2> dvd;
  builder->GetDvdInterface(IID_IDvdControl2, reinterpret_cast<void **>(dvd.ReleaseAndGetAddressOf()));

  QWidget host;
  host.resize(width, height);
  host.show();
  ComPtr<IRendererProbe> probe;
  ComPtr<IVideoWindow> window;
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(&filters);
  for (ComPtr<IBaseFilter> f; filters && filters->Next(1, &f, nullptr) == S_OK;)
    if (!probe && SUCCEEDED(f.As(&probe)) && probe) f.As(&window);
  if (!probe) {
    std::fprintf(stderr, "no video renderer\n");
    return 1;
  }
  if (window) {
    window->put_Owner(reinterpret_cast<OAHWND>(WindowFromWidget(&host)));
    window->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS));
    window->SetWindowPosition(0, 0, width, height);
    window->put_Visible(OATRUE);
  }
  std::atomic<long long> shown{0};
  probe->SetPresentedCallback([&](const render::PresentedFrame &) { ++shown; });
  Spin(300);
  const double rssBefore = StatusMiB("VmRSS:");

  QElapsedTimer wall;
  const double cpu0 = CpuSeconds();
  wall.start();
  ComPtr<IDvdCmd> cmd;
  control->Run();
  dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, &cmd);
  const long long before = shown.load();
  SpinUntil([&] { return shown.load() > before + 1; }, 5000); // the title's first (after the menu's, if any)
  const double playToFirst = wall.elapsed();

  // A next chapter half way, timed to its first picture.
  Spin(seconds * 1000 / 2 - static_cast<int>(wall.elapsed()));
  QElapsedTimer chapter;
  chapter.start();
  cmd.Reset();
  dvd->PlayNextChapter(DVD_CMD_FLAG_Block, &cmd);
  const long long atSkip = shown.load();
  SpinUntil([&] { return shown.load() > atSkip; }, 5000);
  const double chapterToFirst = chapter.elapsed();

  Spin(seconds * 1000 - static_cast<int>(wall.elapsed()));
  const double content = wall.elapsed() / 1000.0; // played through, skip included
  const double cpu = CpuSeconds() - cpu0;
  control->Stop();
  std::printf("cpu_per_content_s=%.3f rss_before_mib=%.1f peak_rss_mib=%.1f play_to_first_ms=%.0f "
              "chapter_to_first_ms=%.0f pictures=%lld skipped=%lld\n",
              cpu / content, rssBefore, StatusMiB("VmHWM:"), playToFirst, chapterToFirst, shown.load(),
              probe->DroppedFrames());
  return 0;
}

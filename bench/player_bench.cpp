// The player's streaming path as a user meets it: the real DVD graph (navigator,
// decoders, renderers) on the benchmark disc of side_by_side.sh, the picture in a window
// of the given size, title 1 from its start. Every picture of that disc carries its
// frame number in rows 0..15 (the test discs' frame code) and a chapter starts every
// `chapter` frames. The program waits on its event loop, so its own CPU time is the
// player's. Prints one line of key=value figures:
//   cpu_per_content_s   process CPU seconds per second of content played
//   rss_before_mib      resident memory with the graph built, before Play
//   peak_rss_mib        the most resident memory during the run
//   play_to_first_ms    Play to the title's first picture put on the screen
//   play_to_second_ms   Play to its second picture (when the picture starts to move)
//   chapter_to_first_ms next chapter (asked half way) to the new chapter's first picture
//   av_steady_ms        median |picture shown - its time| on the clock that follows the
//                       sound, over the pictures before the skip (first second left out)
//   av_jump_ms          the largest such offset during the second after the skip's picture
//   pictures, skipped   pictures shown and pictures the presenter skipped
//   player_bench <VIDEO_TS parent folder> [width height [seconds [chapter frames]]]
#include "dshow/dshow.h"
#include "dshow/evcode.h"
#include "media/frame_code.h"
#include "render/renderer_probe.h"
#include "win/winuser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

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

// The frame code of a shown picture, read from its luma (I420) or its RGB32 pixels.
int FrameCode(const render::VideoFrame &frame) {
  if (!frame.image.isNull())
    return testmedia::ReadFrameCode(frame.image.constBits(), static_cast<int>(frame.image.bytesPerLine()),
                                    frame.image.width());
  const uint8_t *y = frame.yuv.planes[0];
  if (!y || frame.yuv.width < 720 || frame.yuv.height < 16) return -1;
  const uint8_t *line = y + 8L * frame.yuv.strides[0];
  if (line[660] < 128 || line[700] >= 128) return -1;
  int code = 0;
  for (int i = 0; i < 16; ++i) code = code * 2 + (line[40 * i + 20] >= 128 ? 1 : 0);
  return code;
}

// Waits on the event loop (no polling) until a condition holds or a time is up; the
// condition is checked whenever Check() is called (each picture shown) and at the end.
class Waiter {
public:
  bool Until(std::function<bool()> done, int ms) {
    if (done()) return true;
    done_ = std::move(done);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop_, &QEventLoop::quit);
    timeout.start(std::max(ms, 0));
    loop_.exec();
    const bool ok = done_();
    done_ = nullptr;
    return ok;
  }
  void For(int ms) { Until([] { return false; }, ms); }
  void Check() {
    if (done_ && done_()) loop_.quit();
  }

private:
  QEventLoop loop_;
  std::function<bool()> done_;
};

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <disc folder> [width height [seconds [chapter frames]]]\n", argv[0]);
    return 2;
  }
  const std::string disc = argv[1];
  const int width = argc > 3 ? std::atoi(argv[2]) : 1024, height = argc > 3 ? std::atoi(argv[3]) : 576;
  const int seconds = argc > 4 ? std::atoi(argv[4]) : 60;
  const int chapterFrames = argc > 5 ? std::atoi(argv[5]) : 250;

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

  // What each picture put on the screen says (GUI thread, like the waits).
  const bool trace = !qEnvironmentVariableIsEmpty("BENCH_TRACE"); // each picture's code on stderr
  Waiter wait;
  QElapsedTimer wall;
  long long shown = 0;
  int lastCode = -1;
  qint64 lastCodeAt = -1; // wall ns when lastCode was first shown
  struct Offset {
    qint64 at;
    double ms;
  };
  std::vector<Offset> offsets;
  probe->SetPresentedCallback([&](const render::PresentedFrame &p) {
    ++shown;
    const int code = FrameCode(p.frame);
    if (code != lastCode) lastCodeAt = wall.nsecsElapsed();
    lastCode = code;
    if (trace) std::fprintf(stderr, "%.1f ms: code %d\n", wall.isValid() ? wall.nsecsElapsed() / 1e6 : -1.0, code);
    if (p.running && p.hasTime) offsets.push_back({wall.nsecsElapsed(), (p.streamTime - p.sampleTime).ticks() / 1e4});
    wait.Check();
  });
  wait.For(300);
  const double rssBefore = StatusMiB("VmRSS:");

  const double cpu0 = CpuSeconds();
  wall.start();
  ComPtr<IDvdCmd> cmd;
  control->Run();
  dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, &cmd);
  const bool started = wait.Until([&] { return lastCode >= 0 && lastCode < chapterFrames; }, 5000);
  const double playToFirst = started ? lastCodeAt / 1e6 : -1;
  const int firstCode = lastCode;
  const bool moved = started && wait.Until([&] { return lastCode > firstCode && lastCode < chapterFrames; }, 5000);
  const double playToSecond = moved ? lastCodeAt / 1e6 : -1;

  // A next chapter half way, timed to the new chapter's first picture.
  wait.For(seconds * 1000 / 2 - static_cast<int>(wall.elapsed()));
  const int from = lastCode < 0 ? 0 : lastCode / chapterFrames;
  const qint64 asked = wall.nsecsElapsed();
  cmd.Reset();
  dvd->PlayNextChapter(DVD_CMD_FLAG_Block, &cmd);
  const bool skipped = wait.Until([&] { return lastCode / chapterFrames == from + 1; }, 5000);
  const qint64 newChapterAt = lastCodeAt;
  const double chapterToFirst = skipped ? (newChapterAt - asked) / 1e6 : -1;

  wait.For(seconds * 1000 - static_cast<int>(wall.elapsed()));
  const double content = wall.elapsed() / 1000.0; // played through, skip included
  const double cpu = CpuSeconds() - cpu0;
  const long long pictures = shown;
  control->Stop();
  probe->SetPresentedCallback(nullptr);

  std::vector<double> steady;
  double afterJump = 0;
  for (const Offset &o : offsets) {
    if (o.at > 1'000'000'000 && o.at < asked) steady.push_back(std::fabs(o.ms));
    if (skipped && o.at >= newChapterAt && o.at < newChapterAt + 1'000'000'000)
      afterJump = std::max(afterJump, std::fabs(o.ms));
  }
  std::printf("cpu_per_content_s=%.3f rss_before_mib=%.1f peak_rss_mib=%.1f play_to_first_ms=%.0f "
              "play_to_second_ms=%.0f chapter_to_first_ms=%.0f av_steady_ms=%.1f av_jump_ms=%.1f pictures=%lld skipped=%lld\n",
              cpu / content, rssBefore, StatusMiB("VmHWM:"), playToFirst, playToSecond, chapterToFirst, Median(steady),
              skipped ? afterJump : -1, pictures, probe->DroppedFrames());
  return 0;
}

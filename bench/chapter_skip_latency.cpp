// How long a chapter skip takes to show: from IDvdControl2::PlayNextChapter to the
// first picture of the next chapter handed to the video window, on the authored NTSC
// test disc (title 1: chapters of 120 frames; every picture carries its frame number).
// Ten skips from one second into chapter 1; prints each, then the median.
//   chapter_skip_latency <ntsc_menu folder>
// Without DISPLAY it runs on Qt's offscreen platform.
#include "graph_filters.h"
#include "com/registry.h"
#include "dshow/dshow.h"
#include "media/frame_code.h"
#include "render/renderer_probe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

bool WaitFor(const std::function<bool()> &done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(1);
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <ntsc_menu folder>\n", argv[0]);
    return 2;
  }
  CoInitialize(nullptr);
  ComPtr<IDvdGraphBuilder> builder;
  if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder)))) {
    std::fprintf(stderr, "no DVD graph builder\n");
    return 1;
  }
  const std::string path = argv[1];
  const std::u16string wide(path.begin(), path.end());
  AM_DVD_RENDERSTATUS status{};
  if (builder->RenderDvdVideoVolume(wide.c_str(), 0, &status) != S_OK) {
    std::fprintf(stderr, "the disc does not render\n");
    return 1;
  }
  ComPtr<IGraphBuilder> graph;
  builder->GetFiltergraph(&graph);
  ComPtr<IMediaControl> control;
  graph.As(&control);
  ComPtr<IDvdControl2> dvd;
  builder->GetDvdInterface(IID_PPV_ARGS(&dvd));
  ComPtr<IRendererProbe> probe = FirstFilterWith<IRendererProbe>(graph.Get());
  ComPtr<IVideoWindow> window = FirstFilterWith<IVideoWindow>(graph.Get());
  if (!dvd || !probe || !window) {
    std::fprintf(stderr, "no navigator or video renderer\n");
    return 1;
  }
  window->SetWindowPosition(0, 0, 720, 480);
  window->put_Visible(-1);

  QElapsedTimer clock;
  clock.start();
  int lastCode = -1;
  qint64 firstOfChapter2At = -1;
  int firstOfChapter2 = -1;
  probe->SetPresentedCallback([&](const render::PresentedFrame &shown) {
    QImage image = shown.Image().convertToFormat(QImage::Format_RGB32);
    lastCode = testmedia::ReadFrameCode(image.constBits(), static_cast<int>(image.bytesPerLine()), image.width(),
                                        8 * image.height() / 480);
    if (firstOfChapter2At < 0 && lastCode >= 120 && lastCode < 240) {
      firstOfChapter2At = clock.nsecsElapsed();
      firstOfChapter2 = lastCode;
    }
  });
  control->Run();
  ComPtr<IDvdCmd> cmd;
  std::vector<double> ms;
  for (int i = 0; i < 10; ++i) {
    if (FAILED(dvd->PlayChapterInTitle(1, 1, DVD_CMD_FLAG_Block, nullptr)) ||
        !WaitFor([&] { return lastCode >= 30 && lastCode < 120; }, 10000)) {
      std::fprintf(stderr, "chapter 1 does not play\n");
      return 1;
    }
    firstOfChapter2At = -1;
    const qint64 asked = clock.nsecsElapsed();
    if (FAILED(dvd->PlayNextChapter(0, &cmd)) || !WaitFor([&] { return firstOfChapter2At >= 0; }, 10000)) {
      std::fprintf(stderr, "chapter 2 does not show\n");
      return 1;
    }
    ms.push_back((firstOfChapter2At - asked) / 1e6);
    std::printf("skip %2d: %6.1f ms (first picture: frame %d)\n", i + 1, ms.back(), firstOfChapter2);
  }
  control->Stop();
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  std::printf("median: %.1f ms\n", (sorted[4] + sorted[5]) / 2);
  return 0;
}

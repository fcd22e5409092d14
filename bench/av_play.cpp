// Plays the beep disc through this platform as the player does, in a 720 x 576 window
// without a frame at the screen's top left corner, for av_offset.sh:
//   av_play <disc folder>      the DVD graph: navigator, decoders, renderers
//   av_play <file.VOB>         the decoders and renderers fed by the test VOB source
// The sound goes to the default output (the sound server first). Plays to the end of
// the disc or 60 s.
#include "graph_filters.h"
#include "media/playback.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <string>

namespace {

void Place(IVideoWindow *window) {
  window->put_WindowStyle(0x00000000L); // no frame: the picture starts at 0,0
  window->SetWindowPosition(0, 0, 720, 576);
  window->put_Visible(OATRUE);
}

// Runs until EC_COMPLETE or 60 s.
int RunToEnd(IMediaControl *control, IMediaEvent *events) {
  if (FAILED(control->Run())) return 1;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 60000) {
    QTest::qWait(20);
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
      events->FreeEventParams(code, p1, p2);
      if (code == EC_COMPLETE) {
        control->Stop();
        return 0;
      }
    }
  }
  control->Stop();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: av_play <disc folder | file.VOB>\n");
    return 2;
  }
  const std::string path = argv[1];
  if (QFileInfo(QString::fromStdString(path)).isDir()) {
    CoInitialize(nullptr);
    ComPtr<IDvdGraphBuilder> builder;
    if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder))))
      return 1;
    const std::u16string wide(path.begin(), path.end());
    AM_DVD_RENDERSTATUS status{};
    if (builder->RenderDvdVideoVolume(wide.c_str(), 0, &status) != S_OK) {
      std::fprintf(stderr, "av_play: the disc does not render\n");
      return 1;
    }
    ComPtr<IGraphBuilder> graph;
    builder->GetFiltergraph(&graph);
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    graph.As(&control);
    graph.As(&events);
    ComPtr<IVideoWindow> window = FirstFilterWith<IVideoWindow>(graph.Get());
    if (!window || !control || !events) return 1;
    Place(window.Get());
    return RunToEnd(control.Get(), events.Get());
  }
  Playback p;
  if (!p.Build(path)) {
    std::fprintf(stderr, "av_play: %s\n", p.error.c_str());
    return 1;
  }
  ComPtr<IVideoWindow> window;
  p.videoRenderer.As(&window);
  Place(window.Get());
  return RunToEnd(p.control.Get(), p.events.Get());
}

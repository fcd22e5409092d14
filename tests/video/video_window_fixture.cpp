#include "video_window_fixture.h"

#include "win/winuser.h"

namespace {

template <class T> HRESULT Keep(std::vector<ComPtr<T>> &made, T *object, REFIID iid, void **out) {
  ComPtr<T> held;
  held.Attach(object);
  made.push_back(held);
  return held->QueryInterface(iid, out);
}

} // namespace

VideoWindowTest::VideoWindowTest()
    : graphClass(CLSID_FilterGraph,
                 [this](REFIID iid, void **out) { return Keep(graphs, new FakeGraph, iid, out); }),
      classicClass(CLSID_VideoRenderer,
                   [this](REFIID iid, void **out) {
                     std::string tag = "VR" + std::to_string(classics.size());
                     return Keep(classics, new FakeClassicRenderer(log, tag), iid, out);
                   }),
      mixerClass(CLSID_VideoMixingRenderer9, [this](REFIID iid, void **out) {
        if (!mixerAvailable) return REGDB_E_CLASSNOTREG;
        std::string tag = "VMR" + std::to_string(mixers.size());
        return Keep(mixers, new FakeMixingRenderer(log, tag), iid, out);
      }) {
  filterGraph = std::make_unique<TFilterGraph>();
  filterGraph->setObjectName("FilterGraph");
  host = std::make_unique<QWidget>();
  host->resize(400, 300);
  video = new TVideoWindow(host.get());
  video->SetName("VideoWindow");
  video->setGeometry(10, 20, 300, 200);
}

VideoWindowTest::~VideoWindowTest() {
  // The window goes first and leaves the graph on its way.
  host.reset();
  filterGraph.reset();
}

void VideoWindowTest::AttachAndActivate() {
  video->SetFilterGraph(filterGraph.get());
  filterGraph->SetActive(true);
}

void VideoWindowTest::ConnectRenderer() {
  ComPtr<IBaseFilter> renderer = video->MemberFilter();
  ASSERT_TRUE(renderer);
  static_cast<FakeFilter *>(renderer.Get())->Pin(1)->SetConnected(true);
}

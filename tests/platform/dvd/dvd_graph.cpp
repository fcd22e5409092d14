#include "dvd_graph.h"

#include <thread>

DvdGraph::DvdGraph(const std::string &disc, bool useFixtureDir) : t0_(std::chrono::steady_clock::now()) {
  CoInitialize(nullptr);
  if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_IDvdGraphBuilder,
                              reinterpret_cast<void **>(builder.ReleaseAndGetAddressOf()))))
    return;
  builder->GetFiltergraph(&graph);
  graph.As(&control);
  graph.As(&events);
  builder->GetDvdInterface(IID_IDvdControl2, reinterpret_cast<void **>(dvd.ReleaseAndGetAddressOf()));
  builder->GetDvdInterface(IID_IDvdInfo2, reinterpret_cast<void **>(info.ReleaseAndGetAddressOf()));
  std::string path = useFixtureDir && !disc.empty() ? FixturePath(disc) : disc;
  std::u16string wide(path.begin(), path.end());
  rendered = builder->RenderDvdVideoVolume(path.empty() ? nullptr : reinterpret_cast<LPCWSTR>(wide.c_str()), 0, &status);
}

DvdGraph::~DvdGraph() {
  if (control) control->Stop();
}

double DvdGraph::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
}

void DvdGraph::Pull(int ms) {
  if (!events) return;
  LONG code;
  LONG_PTR p1, p2;
  while (events->GetEvent(&code, &p1, &p2, ms) == S_OK) {
    seen.push_back({code, p1, p2, Elapsed()});
    events->FreeEventParams(code, p1, p2);
    ms = 0;
  }
}

int DvdGraph::WaitFor(LONG code, std::function<bool(const GraphEvent &)> match, int from, double seconds) {
  const double until = Elapsed() + seconds;
  std::size_t i = static_cast<std::size_t>(from);
  for (;;) {
    for (; i < seen.size(); ++i)
      if (seen[i].code == code && (!match || match(seen[i]))) return static_cast<int>(i);
    if (Elapsed() > until) return -1;
    Pull(20);
  }
}

// A DVD graph built by the real builder and graph manager on a test disc, and the
// events it queues, read with GetEvent.
#pragma once

#include "dshow/dshow.h"
#include "support/fixtures.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct GraphEvent {
  LONG code;
  LONG_PTR p1, p2;
  double at; // seconds since the graph was built
};

class DvdGraph {
public:
  // Builds the graph for a disc under the fixture folder ("" = no path: search).
  explicit DvdGraph(const std::string &disc, bool useFixtureDir = true);
  ~DvdGraph();

  HRESULT Run() { return control->Run(); }
  // Waits (bounded) for an event from index `from` on; its index or -1.
  int WaitFor(LONG code, std::function<bool(const GraphEvent &)> match = nullptr, int from = 0, double seconds = 10);
  int Count() {
    Pull(0);
    return static_cast<int>(seen.size());
  }
  double Elapsed() const;
  void Pull(int ms);

  ComPtr<IDvdGraphBuilder> builder;
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEventEx> events;
  ComPtr<IDvdControl2> dvd;
  ComPtr<IDvdInfo2> info;
  AM_DVD_RENDERSTATUS status{};
  HRESULT rendered = E_FAIL;
  std::vector<GraphEvent> seen;

private:
  std::chrono::steady_clock::time_point t0_;
};

inline std::function<bool(const GraphEvent &)> P1(LONG_PTR v) {
  return [v](const GraphEvent &e) { return e.p1 == v; };
}

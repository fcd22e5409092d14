#include "graph/register.h"

#include "dshow/uuids.h"
#include "graph/capture_builder.h"
#include "graph/filter_graph.h"
#include "graph/graph_description.h"
#include "graph/system_clock.h"

void RegisterGraphClasses() {
  SetRunningObjectDescriber(&graph::DescribeGraph);
  CoRegisterClassFactory(CLSID_FilterGraph, &graph::FilterGraph::Create);
  CoRegisterClassFactory(CLSID_FilterGraphNoThread, &graph::FilterGraph::Create);
  CoRegisterClassFactory(CLSID_CaptureGraphBuilder2, &graph::CaptureGraphBuilder::Create);
  CoRegisterClassFactory(CLSID_SystemClock, [](REFIID iid, void **object) -> HRESULT {
    if (!object) return E_POINTER;
    *object = nullptr;
    return graph::SystemClock::Create()->QueryInterface(iid, object);
  });
}

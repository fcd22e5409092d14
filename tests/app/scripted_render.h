// The DVD graph builder for the open and play commands: the shared scripted builder over
// the real graph manager (events queued into it reach the player as they would from a
// disc), rendering filters that write to the trace. CLSID_DvdGraphBuilder is replaced
// for a test's scope.
#pragma once

#include "graph/filter_base.h"
#include "support/dvd/scripted_dvd.h"

#include <string>

// A pin-less filter that writes "<name> leaves the graph" to the trace; as the audio
// renderer it also writes "<name> runs", answers IBasicAudio and keeps the volumes; as
// the video renderer it answers IVideoFrameStep and writes "Step <frames> <object>".
class TracedFilter : public graph::FilterImpl<IBasicAudio, IVideoFrameStep> {
public:
  enum Kind { kSource, kAudio, kVideo };
  static ComPtr<TracedFilter> Make(std::string name, Trace *trace, bool audio);
  static ComPtr<TracedFilter> Make(std::string name, Trace *trace, Kind kind);
  int PinCount() override { return 0; }
  graph::BasePin *GetPin(int) override { return nullptr; }
  HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
  HRESULT put_Volume(LONG volume) override;
  HRESULT get_Volume(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Balance(LONG) override { return S_OK; }
  HRESULT get_Balance(LONG *) override { return E_NOTIMPL; }
  HRESULT Step(DWORD frames, IUnknown *stepObject) override;
  HRESULT CanStep(LONG, IUnknown *) override { return S_OK; }
  HRESULT CancelStep() override { return S_OK; }
  bool InGraph() const { return Graph() != nullptr; }

  std::vector<LONG> volumes;

protected:
  HRESULT OnRun(media::StreamTime start) override;
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;

private:
  TracedFilter(std::string name, Trace *trace, Kind kind);
  std::string name_;
  Trace *trace_;
  Kind kind_;
};

// The DVD builder of the open and play tests, over the real graph manager: rendering
// puts a navigator and an audio renderer into the graph, and a video renderer (answering
// frame steps) with script.withVideo.
class RenderingDvd : public ScriptedDvdBuilder {
public:
  RenderingDvd(Trace *trace, const DvdScript *script);
  ComPtr<TracedFilter> navigatorFilter, audio, video;
};

// Each creation makes a new RenderingDvd over a new real graph, reachable as `last`,
// answering `script` as it is at each call.
using ScopedRenderingDvd = ScopedScriptedDvd<RenderingDvd>;

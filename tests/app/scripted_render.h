// A DVD graph builder for the open and play commands. Its graph is the real graph
// manager (events queued into it reach the player as they would from a disc);
// rendering puts a navigator and an audio renderer into the graph and answers the
// scripted result and status record; the navigator's IDvdControl2 is scripted and
// records its calls. CLSID_DvdGraphBuilder is replaced for a test's scope.
#pragma once

#include "com/registry.h"
#include "dshow/dshow.h"
#include "graph/filter_base.h"

#include <optional>
#include <string>
#include <vector>

using Trace = std::vector<std::string>;

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
  HRESULT OnRun(REFERENCE_TIME start) override;
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;

private:
  TracedFilter(std::string name, Trace *trace, Kind kind);
  std::string name_;
  Trace *trace_;
  Kind kind_;
};

// The navigator's control interface: every call is written to the trace.
class ScriptedDvdControl : public ComObject<IDvdControl2> {
public:
  explicit ScriptedDvdControl(Trace *trace) : trace_(trace) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdControl2>(iid, object); }
  HRESULT PlayTitle(ULONG, DWORD, IDvdCmd **) override { return Call("PlayTitle"); }
  HRESULT PlayChapterInTitle(ULONG, ULONG, DWORD, IDvdCmd **) override { return Call("PlayChapterInTitle"); }
  HRESULT PlayAtTimeInTitle(ULONG, DVD_HMSF_TIMECODE *, DWORD, IDvdCmd **) override {
    return Call("PlayAtTimeInTitle");
  }
  HRESULT Stop() override { return Call("Stop"); }
  HRESULT ReturnFromSubmenu(DWORD, IDvdCmd **) override { return Call("ReturnFromSubmenu"); }
  HRESULT PlayAtTime(DVD_HMSF_TIMECODE *, DWORD, IDvdCmd **) override { return Call("PlayAtTime"); }
  HRESULT PlayChapter(ULONG, DWORD, IDvdCmd **) override { return Call("PlayChapter"); }
  HRESULT PlayPrevChapter(DWORD flags, IDvdCmd **cmd) override { return Command("PlayPrevChapter", flags, cmd); }
  HRESULT ReplayChapter(DWORD, IDvdCmd **) override { return Call("ReplayChapter"); }
  HRESULT PlayNextChapter(DWORD flags, IDvdCmd **cmd) override { return Command("PlayNextChapter", flags, cmd); }
  HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) override;
  HRESULT Resume(DWORD, IDvdCmd **) override { return Call("Resume"); }
  HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON) override { return Call("SelectRelativeButton"); }
  HRESULT ActivateButton() override { return Call("ActivateButton"); }
  HRESULT SelectButton(ULONG) override { return Call("SelectButton"); }
  HRESULT SelectAndActivateButton(ULONG) override { return Call("SelectAndActivateButton"); }
  HRESULT StillOff() override { return Call("StillOff"); }
  HRESULT Pause(BOOL) override { return Call("Pause"); }
  HRESULT SelectAudioStream(ULONG, DWORD, IDvdCmd **) override { return Call("SelectAudioStream"); }
  HRESULT SelectSubpictureStream(ULONG, DWORD, IDvdCmd **) override { return Call("SelectSubpictureStream"); }
  HRESULT SetSubpictureState(BOOL, DWORD, IDvdCmd **) override { return Call("SetSubpictureState"); }
  HRESULT SelectAngle(ULONG, DWORD, IDvdCmd **) override { return Call("SelectAngle"); }
  HRESULT SelectParentalLevel(ULONG) override { return Call("SelectParentalLevel"); }
  HRESULT SetDVDDirectory(LPCWSTR) override { return Call("SetDVDDirectory"); }
  HRESULT ActivateAtPosition(POINT) override { return Call("ActivateAtPosition"); }
  HRESULT SelectAtPosition(POINT) override { return Call("SelectAtPosition"); }
  HRESULT AcceptParentalLevelChange(BOOL) override { return Call("AcceptParentalLevelChange"); }
  HRESULT SetOption(DVD_OPTION_FLAG flag, BOOL state) override;
  HRESULT SetState(IDvdState *, DWORD, IDvdCmd **) override { return Call("SetState"); }

  // What the recorded calls answer (the player ignores it).
  HRESULT result = S_OK;

  // Commands hand out a command object when asked (checked for release at the end).
  bool handOutCommands = false;

private:
  HRESULT Call(const std::string &what);
  // Writes "<what> <flags>" and hands out a command object when asked to.
  HRESULT Command(const std::string &what, DWORD flags, IDvdCmd **cmd);
  Trace *trace_;
};

// What the next rendering answers.
struct RenderScript {
  HRESULT result = S_OK;
  AM_DVD_RENDERSTATUS status{};
  bool controlAvailable = true; // GetDvdInterface gives IDvdControl2
  bool withVideo = false;       // a video renderer (answering frame steps) joins the graph
};

class RenderingDvdBuilder : public ComObject<IDvdGraphBuilder> {
public:
  RenderingDvdBuilder(Trace *trace, const RenderScript *script);
  ~RenderingDvdBuilder() override;
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdGraphBuilder>(iid, object); }
  HRESULT GetFiltergraph(IGraphBuilder **graph) override { return graph_.CopyTo(graph); }
  HRESULT GetDvdInterface(REFIID iid, void **object) override;
  // Writes "Render <path or (none)> <flags>"; the filters join the graph even when
  // the answer is a failure, as a builder that stopped half way leaves them.
  HRESULT RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS *status) override;

  ComPtr<TracedFilter> navigator, audio, video;
  ComPtr<ScriptedDvdControl> control;
  std::vector<std::u16string> paths; // as rendered, (none) left out

private:
  Trace *trace_;
  const RenderScript *script_;
  ComPtr<IGraphBuilder> graph_;
};

// Replaces the DVD graph builder for a scope; each creation makes a new builder over a
// new real graph, reachable as `last`, answering `script` as it is at that moment.
class ScopedRenderingDvd {
public:
  explicit ScopedRenderingDvd(Trace *trace);
  RenderScript script;
  RenderingDvdBuilder *last = nullptr;
  int created = 0;

private:
  std::optional<ScopedClassRegistration> registration_;
};

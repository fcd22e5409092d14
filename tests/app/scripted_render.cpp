#include "scripted_render.h"

#include <QString>

namespace {
constexpr CLSID CLSID_TracedFilter = {0x5E57F11E, 0x0101, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 1}};
} // namespace

TracedFilter::TracedFilter(std::string name, Trace *trace, Kind kind)
    : FilterImpl(CLSID_TracedFilter, u"Traced"), name_(std::move(name)), trace_(trace), kind_(kind) {}

ComPtr<TracedFilter> TracedFilter::Make(std::string name, Trace *trace, bool audio) {
  return Make(std::move(name), trace, audio ? kAudio : kSource);
}

ComPtr<TracedFilter> TracedFilter::Make(std::string name, Trace *trace, Kind kind) {
  ComPtr<TracedFilter> f;
  f.Attach(new TracedFilter(std::move(name), trace, kind));
  return f;
}

HRESULT TracedFilter::Step(DWORD frames, IUnknown *stepObject) {
  trace_->push_back("Step " + std::to_string(frames) + (stepObject ? " object" : " null"));
  return S_OK;
}

HRESULT TracedFilter::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
  if (!graph && Graph()) trace_->push_back(name_ + " leaves the graph");
  return BaseFilter::JoinFilterGraph(graph, name);
}

HRESULT TracedFilter::put_Volume(LONG volume) {
  volumes.push_back(volume);
  return S_OK;
}

HRESULT TracedFilter::OnRun(REFERENCE_TIME) {
  if (kind_ == kAudio) trace_->push_back(name_ + " runs");
  return S_OK;
}

HRESULT TracedFilter::QueryExtraInterface(REFIID iid, void **object) {
  if (kind_ != kAudio && iid == IID_IBasicAudio) return E_NOINTERFACE;
  if (kind_ != kVideo && iid == IID_IVideoFrameStep) return E_NOINTERFACE;
  return FilterImpl::QueryExtraInterface(iid, object);
}

HRESULT ScriptedDvdControl::Call(const std::string &what) {
  trace_->push_back(what);
  return result;
}

HRESULT ScriptedDvdControl::PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) {
  return Command("PlayForwards " + QString::number(speed).toStdString(), flags, cmd);
}

HRESULT ScriptedDvdControl::PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) {
  return Command("PlayBackwards " + QString::number(speed).toStdString(), flags, cmd);
}

HRESULT ScriptedDvdControl::ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) {
  return Command("ShowMenu " + std::to_string(static_cast<int>(menu)), flags, cmd);
}

namespace {
// A command object that says when the last reference to it goes.
class TracedCmd : public ComObject<IDvdCmd> {
public:
  explicit TracedCmd(Trace *trace) : trace_(trace) {}
  ~TracedCmd() override { trace_->push_back("command released"); }
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdCmd>(iid, object); }
  HRESULT WaitForStart() override { return S_OK; }
  HRESULT WaitForEnd() override { return S_OK; }

private:
  Trace *trace_;
};
} // namespace

HRESULT ScriptedDvdControl::Command(const std::string &what, DWORD flags, IDvdCmd **cmd) {
  if (cmd) *cmd = handOutCommands ? new TracedCmd(trace_) : nullptr;
  return Call(what + " " + std::to_string(flags));
}

HRESULT ScriptedDvdControl::SetOption(DVD_OPTION_FLAG flag, BOOL state) {
  return Call("SetOption " + std::to_string(static_cast<int>(flag)) + " " + std::to_string(state));
}

RenderingDvdBuilder::RenderingDvdBuilder(Trace *trace, const RenderScript *script)
    : navigator(TracedFilter::Make("Navigator", trace, false)), audio(TracedFilter::Make("Audio", trace, true)),
      video(TracedFilter::Make("Video", trace, TracedFilter::kVideo)), trace_(trace), script_(script) {
  control.Attach(new ScriptedDvdControl(trace));
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   reinterpret_cast<void **>(&graph_));
}

RenderingDvdBuilder::~RenderingDvdBuilder() { trace_->push_back("builder released"); }

HRESULT RenderingDvdBuilder::GetDvdInterface(REFIID iid, void **object) {
  *object = nullptr;
  if (iid == IID_IDvdControl2 && script_->controlAvailable) return control->QueryInterface(iid, object);
  return E_NOINTERFACE;
}

HRESULT RenderingDvdBuilder::RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS *status) {
  const std::u16string given = path ? std::u16string(path) : std::u16string();
  if (path) paths.push_back(given);
  trace_->push_back("Render " + (path ? QString::fromStdU16String(given).toStdString() : std::string("(none)")) + " " +
                    std::to_string(flags));
  graph_->AddFilter(navigator.Get(), u"DVD Navigator");
  graph_->AddFilter(audio.Get(), u"Audio Renderer");
  if (script_->withVideo) graph_->AddFilter(video.Get(), u"Video Renderer");
  if (SUCCEEDED(script_->result)) *status = script_->status;
  return script_->result;
}

ScopedRenderingDvd::ScopedRenderingDvd(Trace *trace) {
  registration_.emplace(CLSID_DvdGraphBuilder, [this, trace](REFIID iid, void **object) -> HRESULT {
    auto *builder = new RenderingDvdBuilder(trace, &script);
    last = builder;
    ++created;
    HRESULT hr = builder->QueryInterface(iid, object);
    builder->Release();
    return hr;
  });
}

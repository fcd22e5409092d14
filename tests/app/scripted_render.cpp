#include "scripted_render.h"

#include <QString>

namespace {
constexpr CLSID CLSID_TracedFilter = {0x5E57F11E, 0x0101, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 1}};
} // namespace

TracedFilter::TracedFilter(std::string name, Trace *trace, bool audio)
    : FilterImpl(CLSID_TracedFilter, u"Traced"), name_(std::move(name)), trace_(trace), audio_(audio) {}

ComPtr<TracedFilter> TracedFilter::Make(std::string name, Trace *trace, bool audio) {
  ComPtr<TracedFilter> f;
  f.Attach(new TracedFilter(std::move(name), trace, audio));
  return f;
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
  if (audio_) trace_->push_back(name_ + " runs");
  return S_OK;
}

HRESULT TracedFilter::QueryExtraInterface(REFIID iid, void **object) {
  if (!audio_ && iid == IID_IBasicAudio) return E_NOINTERFACE;
  return FilterImpl::QueryExtraInterface(iid, object);
}

HRESULT ScriptedDvdControl::Call(const std::string &what) {
  trace_->push_back(what);
  return result;
}

HRESULT ScriptedDvdControl::PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) {
  if (cmd) *cmd = nullptr;
  return Call("PlayForwards " + QString::number(speed).toStdString() + " " + std::to_string(flags));
}

HRESULT ScriptedDvdControl::SetOption(DVD_OPTION_FLAG flag, BOOL state) {
  return Call("SetOption " + std::to_string(static_cast<int>(flag)) + " " + std::to_string(state));
}

RenderingDvdBuilder::RenderingDvdBuilder(Trace *trace, const RenderScript *script)
    : navigator(TracedFilter::Make("Navigator", trace, false)), audio(TracedFilter::Make("Audio", trace, true)),
      trace_(trace), script_(script) {
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

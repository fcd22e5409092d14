#include "scripted_render.h"

#include <string>

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

HRESULT TracedFilter::OnRun(media::StreamTime) {
  if (kind_ == kAudio) trace_->push_back(name_ + " runs");
  return S_OK;
}

HRESULT TracedFilter::QueryExtraInterface(REFIID iid, void **object) {
  if (kind_ != kAudio && iid == IID_IBasicAudio) return E_NOINTERFACE;
  if (kind_ != kVideo && iid == IID_IVideoFrameStep) return E_NOINTERFACE;
  return FilterImpl::QueryExtraInterface(iid, object);
}

RenderingDvd::RenderingDvd(Trace *trace, const DvdScript *script)
    : ScriptedDvdBuilder(trace, script), navigatorFilter(TracedFilter::Make("Navigator", trace, false)),
      audio(TracedFilter::Make("Audio", trace, true)), video(TracedFilter::Make("Video", trace, TracedFilter::kVideo)) {
  rendered = {{navigatorFilter, u"DVD Navigator"}, {audio, u"Audio Renderer"}, {video, u"Video Renderer", true}};
}

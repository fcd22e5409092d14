#include "scripted_dvd.h"

#include <QString>

#include <utility>

namespace {
std::string Narrow(LPCWSTR text) { return text ? QString::fromUtf16(text).toStdString() : "(none)"; }

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

std::string IidName(REFIID iid) {
  static const std::pair<const IID *, const char *> names[] = {
      {&IID_IUnknown, "IUnknown"},
      {&IID_IFilterGraph, "IFilterGraph"},
      {&IID_IGraphBuilder, "IGraphBuilder"},
      {&IID_IFilterGraph2, "IFilterGraph2"},
      {&IID_IMediaControl, "IMediaControl"},
      {&IID_IMediaEventEx, "IMediaEventEx"},
      {&IID_IMediaSeeking, "IMediaSeeking"},
      {&IID_IBasicAudio, "IBasicAudio"},
      {&IID_IObjectWithSite, "IObjectWithSite"},
      {&IID_IDvdGraphBuilder, "IDvdGraphBuilder"},
      {&IID_IDvdControl2, "IDvdControl2"},
      {&IID_IDvdInfo2, "IDvdInfo2"},
      {&IID_ICaptureGraphBuilder2, "ICaptureGraphBuilder2"},
  };
  for (const auto &[id, name] : names)
    if (*id == iid) return name;
  return GuidToString(iid);
}

HRESULT ScriptedNavigator::Call(const std::string &what) {
  trace->push_back(what);
  return result;
}

HRESULT ScriptedNavigator::Command(const std::string &what, DWORD flags, IDvdCmd **cmd) {
  if (cmd) *cmd = handOutCommands ? new TracedCmd(trace) : nullptr;
  return Call(what + " " + std::to_string(flags));
}

HRESULT ScriptedNavigator::PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) {
  return Command("PlayForwards " + QString::number(speed).toStdString(), flags, cmd);
}

HRESULT ScriptedNavigator::PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) {
  return Command("PlayBackwards " + QString::number(speed).toStdString(), flags, cmd);
}

HRESULT ScriptedNavigator::ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) {
  return Command("ShowMenu " + std::to_string(static_cast<int>(menu)), flags, cmd);
}

HRESULT ScriptedNavigator::SetOption(DVD_OPTION_FLAG flag, BOOL state) {
  return Call("SetOption " + std::to_string(static_cast<int>(flag)) + " " + std::to_string(state));
}

HRESULT ScriptedNavigator::GetAudioLanguage(ULONG stream, LCID *language) {
  trace->push_back("GetAudioLanguage " + std::to_string(stream));
  *language = 0x400 + stream;
  return languageResult;
}

HRESULT ScriptedNavigator::GetSubpictureLanguage(ULONG stream, LCID *language) {
  trace->push_back("GetSubpictureLanguage " + std::to_string(stream));
  *language = 0x800 + stream;
  return languageResult;
}

ScriptedDvdBuilder::ScriptedDvdBuilder(Trace *trace, const DvdScript *script, ComPtr<IGraphBuilder> graph)
    : trace(trace), graph(std::move(graph)), script_(script ? script : &this->script) {
  navigator.Attach(new ScriptedNavigator(trace));
  if (!this->graph)
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void **>(&this->graph));
}

ScriptedDvdBuilder::~ScriptedDvdBuilder() { trace->push_back("builder released"); }

HRESULT ScriptedDvdBuilder::QueryInterface(REFIID iid, void **object) {
  if (Script().traceQueries && iid != IID_IUnknown) trace->push_back("builder.QueryInterface " + IidName(iid));
  return QueryFrom<IDvdGraphBuilder>(iid, object);
}

HRESULT ScriptedDvdBuilder::GetFiltergraph(IGraphBuilder **out) {
  if (FAILED(Script().graphResult)) return Script().graphResult;
  return graph.CopyTo(out);
}

HRESULT ScriptedDvdBuilder::GetDvdInterface(REFIID iid, void **object) {
  if (Script().traceQueries) trace->push_back("builder.GetDvdInterface " + IidName(iid));
  *object = nullptr;
  if ((iid == IID_IDvdControl2 && Script().controlAvailable) || (iid == IID_IDvdInfo2 && Script().infoAvailable))
    return navigator->QueryInterface(iid, object);
  return E_NOINTERFACE;
}

HRESULT ScriptedDvdBuilder::RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS *status) {
  if (path) paths.emplace_back(path);
  trace->push_back("RenderDvdVideoVolume " + Narrow(path) + " " + std::to_string(flags));
  for (const Rendered &r : rendered)
    if (!r.video || Script().withVideo) graph->AddFilter(r.filter.Get(), r.name.c_str());
  if (SUCCEEDED(Script().renderResult)) *status = Script().status;
  return Script().renderResult;
}

#include "engine_fakes.h"

#include <QString>

namespace {
constexpr CLSID CLSID_TestFilter = {0x5E57F11E, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr CLSID CLSID_TestAudio = {0x5E57F11E, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};

std::string Narrow(LPCWSTR text) { return text ? QString::fromUtf16(text).toStdString() : "(none)"; }
} // namespace

HRESULT TestMember::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IGraphMember) *object = static_cast<IGraphMember *>(this);
  if (iid == IID_IGraphListener) *object = static_cast<IGraphListener *>(this);
  return *object ? S_OK : E_NOINTERFACE;
}

void TestMember::MemberNotify(LONG operation, LONG param) {
  static const char *names[] = {"BeforeAdd", "AfterAdd", "BeforeRemove", "AfterRemove"};
  auto *base = static_cast<graph::BaseFilter *>(filter.Get());
  const bool inGraph = base && base->Graph();
  trace->push_back(name + "." + names[operation] + (param ? "!" : "") + (inGraph ? " (in graph)" : ""));
}

void TestMember::GraphNotify(LONG event, LONG_PTR param1, LONG_PTR param2) {
  trace->push_back(name + ".GraphNotify " + QString::asprintf("%X %lld %lld", static_cast<unsigned>(event),
                                                              static_cast<long long>(param1),
                                                              static_cast<long long>(param2))
                                               .toStdString());
}

void TestMember::ControlNotify(LONG code, LONG param) {
  trace->push_back(name + ".ControlNotify " + std::to_string(code) + " " + std::to_string(param));
  if (onControl) onControl(code, param);
}

HRESULT TestOutPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index != 0) return S_FALSE;
  *mt = graph::MediaType(MEDIATYPE_Stream, MEDIASUBTYPE_PCM);
  return S_OK;
}

TestFilter::TestFilter() : BaseFilter(CLSID_TestFilter, u"Test") {}

ComPtr<TestFilter> TestFilter::Make(const std::string &name, bool input, bool output, Trace *trace) {
  ComPtr<TestFilter> f;
  f.Attach(new TestFilter);
  f->in.label = name + ".In";
  f->out.label = name + ".Out";
  f->in.trace = f->out.trace = trace;
  if (input) f->pins_.push_back(&f->in);
  if (output) f->pins_.push_back(&f->out);
  return f;
}

TestAudioRenderer::TestAudioRenderer() : FilterImpl(CLSID_TestAudio, u"Audio") {}

ComPtr<TestAudioRenderer> TestAudioRenderer::Make() {
  ComPtr<TestAudioRenderer> f;
  f.Attach(new TestAudioRenderer);
  return f;
}

HRESULT FakeCaptureBuilder::QueryInterface(REFIID iid, void **object) {
  if (iid != IID_IUnknown) trace->push_back("capture.QueryInterface " + IidName(iid));
  return QueryFrom<ICaptureGraphBuilder2>(iid, object);
}

HRESULT FakeCaptureBuilder::SetFiltergraph(IGraphBuilder *g) {
  trace->push_back("capture.SetFiltergraph");
  graph = g;
  return S_OK;
}

HRESULT ScriptedGraph::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IFilterGraph, IGraphBuilder, IFilterGraph2, IMediaControl, IMediaEvent, IMediaEventEx>(iid,
                                                                                                        object);
}

HRESULT ScriptedGraph::AddFilter(IBaseFilter *, LPCWSTR name) {
  trace->push_back("AddFilter " + Narrow(name));
  return S_OK;
}

HRESULT ScriptedGraph::RemoveFilter(IBaseFilter *) {
  trace->push_back("RemoveFilter");
  return S_OK;
}

HRESULT ScriptedGraph::SetLogFile(DWORD_PTR file) {
  trace->push_back("SetLogFile " + std::to_string(file));
  return S_OK;
}

HRESULT ScriptedGraph::Run() {
  trace->push_back("Run");
  return runResult;
}

HRESULT ScriptedGraph::Pause() {
  trace->push_back("Pause");
  return pauseResult;
}

HRESULT ScriptedGraph::Stop() {
  trace->push_back("Stop");
  return stopResult;
}

HRESULT ScriptedGraph::GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) {
  if (msTimeout != 0) trace->push_back("GetEvent waits");
  if (events.empty()) return E_ABORT;
  *code = events.front().code;
  *param1 = events.front().param1;
  *param2 = events.front().param2;
  events.pop_front();
  ++fetched;
  return S_OK;
}

HRESULT ScriptedGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) {
  ++freed;
  return S_OK;
}

HRESULT ScriptedGraph::SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR inst) {
  trace->push_back(std::string("SetNotifyWindow ") + (hwnd ? "window " : "none ") + std::to_string(msg));
  instance = inst;
  return S_OK;
}

HRESULT ScriptedGraph::SetNotifyFlags(LONG flags) {
  trace->push_back("SetNotifyFlags " + std::to_string(flags));
  return S_OK;
}

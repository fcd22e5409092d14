// Test doubles for the filter graph component: members and listeners that write a
// trace, small filters on the platform's filter base, a capture graph builder over a
// real graph manager, and a scripted graph for results the real one cannot be made to
// give. The DVD graph builder is the shared scripted one (support/dvd).
#pragma once

#include "com/registry.h"
#include "dshow/dshow.h"
#include "engine/graph_interfaces.h"
#include "graph/filter_base.h"
#include "support/dvd/scripted_dvd.h"
#include "support/graph_stub.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A component that is both graph member (contributing `filter`) and listener, like
// the video window. Counting is component-style.
class TestMember : public IGraphMember, public IGraphListener {
public:
  TestMember(std::string name, Trace *trace, ComPtr<IBaseFilter> filter = nullptr)
      : name(std::move(name)), trace(trace), filter(std::move(filter)) {}
  virtual ~TestMember() = default;
  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  ComPtr<IBaseFilter> MemberFilter() override { return filter; }
  QString MemberName() override { return QString::fromStdString(name); }
  void MemberNotify(LONG operation, LONG param) override;
  void GraphNotify(LONG event, LONG_PTR param1, LONG_PTR param2) override;
  void ControlNotify(LONG code, LONG param) override;

  std::string name;
  Trace *trace;
  ComPtr<IBaseFilter> filter;
  std::function<void(LONG code, LONG param)> onControl;
};

// Pins that write "<label> disconnect" to the trace and can refuse to disconnect.
struct PinScript {
  std::string label;
  Trace *trace = nullptr;
  HRESULT disconnectResult = S_OK;
  bool Refuse() {
    if (trace) trace->push_back(label + " disconnect");
    return FAILED(disconnectResult);
  }
};

class TestOutPin : public graph::OutputPin, public PinScript {
public:
  using OutputPin::OutputPin;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &) override { return S_OK; }
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  HRESULT Disconnect() override { return Refuse() ? disconnectResult : OutputPin::Disconnect(); }
};

class TestInPin : public graph::InputPin, public PinScript {
public:
  using InputPin::InputPin;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &) override { return S_OK; }
  HRESULT Disconnect() override { return Refuse() ? disconnectResult : InputPin::Disconnect(); }

protected:
  HRESULT OnReceive(IMediaSample *) override { return S_OK; }
};

// A filter with an input pin "In" and/or an output pin "Out", labelled "<name>.In".
class TestFilter : public graph::BaseFilter {
public:
  static ComPtr<TestFilter> Make(const std::string &name, bool input, bool output, Trace *trace = nullptr);
  int PinCount() override { return static_cast<int>(pins_.size()); }
  graph::BasePin *GetPin(int index) override { return index < PinCount() ? pins_[index] : nullptr; }
  TestInPin in{this, u"In"};
  TestOutPin out{this, u"Out"};

private:
  TestFilter();
  std::vector<graph::BasePin *> pins_;
};

// An audio renderer that records what IBasicAudio and IMediaSeeking::SetRate receive.
class TestAudioRenderer : public graph::FilterImpl<IBasicAudio, IMediaSeeking> {
public:
  static ComPtr<TestAudioRenderer> Make();
  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int index) override { return index == 0 ? &in : nullptr; }
  HRESULT put_Volume(LONG v) override { volumes.push_back(v); return S_OK; }
  HRESULT get_Volume(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Balance(LONG b) override { balances.push_back(b); return S_OK; }
  HRESULT get_Balance(LONG *) override { return E_NOTIMPL; }
  HRESULT GetCapabilities(DWORD *) override { return E_NOTIMPL; }
  HRESULT GetCurrentPosition(LONGLONG *) override { return E_NOTIMPL; }
  HRESULT GetDuration(LONGLONG *) override { return E_NOTIMPL; }
  HRESULT SetRate(double rate) override { rates.push_back(rate); return S_OK; }
  HRESULT GetRate(double *) override { return E_NOTIMPL; }
  std::vector<LONG> volumes, balances;
  std::vector<double> rates;
  TestInPin in{this, u"In"};

private:
  TestAudioRenderer();
};

class FakeCaptureBuilder : public ComObject<ICaptureGraphBuilder2> {
public:
  explicit FakeCaptureBuilder(Trace *trace) : trace(trace) {}
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT SetFiltergraph(IGraphBuilder *g) override;
  HRESULT GetFiltergraph(IGraphBuilder **) override { return E_NOTIMPL; }
  HRESULT SetOutputFileName(const GUID *, LPCWSTR, IBaseFilter **, IUnknown **) override { return E_NOTIMPL; }
  HRESULT FindInterface(const GUID *, const GUID *, IBaseFilter *, REFIID, void **) override { return E_NOTIMPL; }
  HRESULT RenderStream(const GUID *, const GUID *, IUnknown *, IBaseFilter *, IBaseFilter *) override {
    return E_NOTIMPL;
  }
  HRESULT FindPin(IUnknown *, PIN_DIRECTION, const GUID *, const GUID *, BOOL, int, IPin **) override {
    return E_NOTIMPL;
  }
  Trace *trace;
  ComPtr<IGraphBuilder> graph;
};

// A graph manager with scripted transport results and a scripted event queue; it
// writes its calls to the trace.
class ScriptedGraph : public GraphStub<> {
public:
  explicit ScriptedGraph(Trace *trace) : trace(trace) {}
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT AddFilter(IBaseFilter *, LPCWSTR name) override;
  HRESULT RemoveFilter(IBaseFilter *) override;
  HRESULT SetLogFile(DWORD_PTR file) override;
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) override;
  HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance) override;
  HRESULT SetNotifyFlags(LONG flags) override;

  Trace *trace;
  HRESULT runResult = S_OK, pauseResult = S_OK, stopResult = S_OK;
  struct Event {
    LONG code;
    LONG_PTR param1, param2;
  };
  std::deque<Event> events;
  int fetched = 0, freed = 0;
  LONG_PTR instance = 0;
};

// Registers a factory that makes `object` answer for `clsid` and records the asked IID.
template <class T> ClassFactoryFn FactoryOf(ComPtr<T> object, Trace *trace, const char *what) {
  return [object, trace, what](REFIID iid, void **out) {
    trace->push_back(std::string("create ") + what + " as " + IidName(iid));
    return object->QueryInterface(iid, out);
  };
}

// Small filters built on the graph base classes for the graph tests.
#pragma once

#include "dshow/dshow.h"
#include "graph/filter_base.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testfilters {

inline constexpr CLSID CLSID_TestFilter = {0x1D2C3B4A, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

// Records "name:Hook" lines from every test filter, in call order.
class CallLog {
public:
  void Add(const std::string &line);
  std::vector<std::string> Lines();
  void Clear();

private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

// What every test filter can be told to do.
struct Behaviour {
  CallLog *log = nullptr;
  HRESULT pauseResult = S_OK;
  HRESULT runResult = S_OK;
  std::atomic<bool> pending{false}; // reports an unfinished transition while true
};

class TestFilterBase : public graph::FilterImpl<> {
public:
  Behaviour behaviour;
  REFERENCE_TIME lastStart = -1;
  void SetPending(bool pending);
  using BaseFilter::NotifyEvent;

protected:
  explicit TestFilterBase(std::u16string name) : FilterImpl(CLSID_TestFilter, name), label_(std::move(name)) {}
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(media::StreamTime start) override;
  bool TransitionPending() override { return behaviour.pending.load(); }
  void Record(const char *hook);

private:
  std::u16string label_;
};

// Output pin offering a list of types and accepting those whose major type matches.
class TestOutputPin : public graph::OutputPin {
public:
  TestOutputPin(graph::BaseFilter *filter, std::u16string name, std::vector<graph::MediaType> types);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  std::vector<graph::MediaType> types;
  GUID acceptedMajor = MEDIATYPE_Video;
};

// Source: one output pin; while running, a thread of its own delivers samples
// (`limit` of them, then end of stream; negative: without end) every `periodMs`.
class TestSource : public TestFilterBase {
public:
  static ComPtr<TestSource> Create(std::u16string name = u"Source", int limit = -1, int periodMs = 1);
  ~TestSource() override;
  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int i) override { return i == 0 ? &out : nullptr; }
  std::atomic<int> delivered{0};
  std::atomic<HRESULT> lastDeliver{S_OK};
  TestOutputPin out;

protected:
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(media::StreamTime start) override;

private:
  TestSource(std::u16string name, int limit, int periodMs);
  void StopThread();
  int limit_, periodMs_;
  std::thread thread_;
  std::atomic<bool> quit_{false};
};

// Input pin accepting one major type (GUID_NULL: any) and handing samples to a callback.
class TestInputPin : public graph::InputPin {
public:
  TestInputPin(graph::BaseFilter *filter, std::u16string name, GUID major = MEDIATYPE_Video);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  std::vector<graph::MediaType> preferred;
  std::function<HRESULT(IMediaSample *)> onSample;
  std::function<void()> onEndOfStream;
  GUID major;

protected:
  HRESULT OnReceive(IMediaSample *sample) override { return onSample ? onSample(sample) : S_OK; }
  HRESULT OnEndOfStream() override;
};

// Sink (renderer): counts samples; sends EC_COMPLETE with itself at end of stream.
class TestSink : public TestFilterBase {
public:
  static ComPtr<TestSink> Create(std::u16string name = u"Sink");
  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int i) override { return i == 0 ? &in : nullptr; }
  std::atomic<int> received{0};
  TestInputPin in;

private:
  explicit TestSink(std::u16string name);
};

// Pass-through with one input and one output.
class TestTransform : public TestFilterBase {
public:
  static ComPtr<TestTransform> Create(std::u16string name = u"Transform");
  int PinCount() override { return 2; }
  graph::BasePin *GetPin(int i) override { return i == 0 ? static_cast<graph::BasePin *>(&in) : i == 1 ? &out : nullptr; }
  TestInputPin in;
  TestOutputPin out;

private:
  explicit TestTransform(std::u16string name);
};

// A sink that also answers IBasicAudio, IMediaSeeking and IVideoFrameStep and
// records the calls; `failWith` makes them fail.
class ControlFilter : public graph::FilterImpl<IBasicAudio, IMediaSeeking, IVideoFrameStep> {
public:
  static ComPtr<ControlFilter> Create(std::u16string name = u"Control");
  int PinCount() override { return 0; }
  graph::BasePin *GetPin(int) override { return nullptr; }

  HRESULT put_Volume(LONG v) override;
  HRESULT get_Volume(LONG *v) override;
  HRESULT put_Balance(LONG b) override;
  HRESULT get_Balance(LONG *b) override;
  HRESULT GetCapabilities(DWORD *c) override;
  HRESULT GetCurrentPosition(LONGLONG *p) override;
  HRESULT GetDuration(LONGLONG *d) override;
  HRESULT SetRate(double r) override;
  HRESULT GetRate(double *r) override;
  HRESULT Step(DWORD frames, IUnknown *stepObject) override;
  HRESULT CanStep(LONG multiple, IUnknown *stepObject) override;
  HRESULT CancelStep() override;

  std::vector<std::string> calls;
  HRESULT failWith = S_OK;
  LONG volume = 0, balance = 0;
  double rate = 1.0;
  DWORD capabilities = AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetDuration;
  LONGLONG position = 0;

private:
  explicit ControlFilter(std::u16string name) : FilterImpl(CLSID_TestFilter, std::move(name)) {}
  HRESULT Note(const std::string &call);
};

// A filter that is its own reference clock (like an audio renderer).
class ClockFilter : public graph::FilterImpl<IReferenceClock> {
public:
  static ComPtr<ClockFilter> Create();
  int PinCount() override { return 0; }
  graph::BasePin *GetPin(int) override { return nullptr; }
  HRESULT GetTime(REFERENCE_TIME *time) override;
  std::atomic<REFERENCE_TIME> now{1000 * UNITS};

private:
  ClockFilter() : FilterImpl(CLSID_TestFilter, u"Clock") {}
};

// The filter's IBaseFilter, for graph calls.
template <class T> IBaseFilter *F(const ComPtr<T> &filter) { return static_cast<IBaseFilter *>(filter.Get()); }

} // namespace testfilters

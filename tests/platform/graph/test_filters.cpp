#include "test_filters.h"

#include "graph/graph_log.h"
#include "graph/media_sample.h"

#include <chrono>

namespace testfilters {

void CallLog::Add(const std::string &line) {
  std::lock_guard guard(lock_);
  lines_.push_back(line);
}

std::vector<std::string> CallLog::Lines() {
  std::lock_guard guard(lock_);
  return lines_;
}

void CallLog::Clear() {
  std::lock_guard guard(lock_);
  lines_.clear();
}

// --- TestFilterBase ----------------------------------------------------------------

void TestFilterBase::Record(const char *hook) {
  if (behaviour.log) behaviour.log->Add(graph::ToUtf8(label_) + ":" + hook);
}

void TestFilterBase::SetPending(bool pending) {
  behaviour.pending = pending;
  if (!pending) StateSettled();
}

HRESULT TestFilterBase::OnStop() {
  Record("Stop");
  return S_OK;
}

HRESULT TestFilterBase::OnPause(FILTER_STATE) {
  Record("Pause");
  return behaviour.pauseResult;
}

HRESULT TestFilterBase::OnRun(media::StreamTime start) {
  Record("Run");
  lastStart = start.ticks();
  return behaviour.runResult;
}

// --- Pins --------------------------------------------------------------------------

TestOutputPin::TestOutputPin(graph::BaseFilter *filter, std::u16string name, std::vector<graph::MediaType> types)
    : OutputPin(filter, std::move(name)), types(std::move(types)) {}

HRESULT TestOutputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  return mt.majortype == acceptedMajor ? S_OK : S_FALSE;
}

HRESULT TestOutputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index < 0 || index >= static_cast<int>(types.size())) return S_FALSE;
  *mt = types[static_cast<std::size_t>(index)];
  return S_OK;
}

TestInputPin::TestInputPin(graph::BaseFilter *filter, std::u16string name, GUID major)
    : InputPin(filter, std::move(name)), major(major) {}

HRESULT TestInputPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  return major == GUID_NULL || mt.majortype == major ? S_OK : S_FALSE;
}

HRESULT TestInputPin::GetMediaType(int index, graph::MediaType *mt) {
  if (index < 0 || index >= static_cast<int>(preferred.size())) return S_FALSE;
  *mt = preferred[static_cast<std::size_t>(index)];
  return S_OK;
}

HRESULT TestInputPin::OnEndOfStream() {
  if (onEndOfStream) onEndOfStream();
  return S_OK;
}

// --- TestSource --------------------------------------------------------------------

TestSource::TestSource(std::u16string name, int limit, int periodMs)
    : TestFilterBase(std::move(name)),
      out(this, u"Out", {graph::MediaType(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO)}), limit_(limit),
      periodMs_(periodMs) {}

ComPtr<TestSource> TestSource::Create(std::u16string name, int limit, int periodMs) {
  ComPtr<TestSource> f;
  f.Attach(new TestSource(std::move(name), limit, periodMs));
  return f;
}

TestSource::~TestSource() { StopThread(); }

void TestSource::StopThread() {
  quit_ = true;
  if (thread_.joinable()) thread_.join();
  quit_ = false;
}

HRESULT TestSource::OnStop() {
  StopThread();
  return TestFilterBase::OnStop();
}

HRESULT TestSource::OnPause(FILTER_STATE from) {
  if (from == State_Running) StopThread();
  return TestFilterBase::OnPause(from);
}

HRESULT TestSource::OnRun(media::StreamTime start) {
  HRESULT hr = TestFilterBase::OnRun(start);
  if (FAILED(hr)) return hr;
  thread_ = std::thread([this] {
    while (!quit_ && (limit_ < 0 || delivered < limit_)) {
      auto sample = graph::MediaSample::Create(64);
      REFERENCE_TIME t = delivered * 10 * MILLISECONDS;
      sample->SetTime(&t, nullptr);
      sample->SetActualDataLength(64);
      HRESULT r = out.Deliver(sample.Get());
      lastDeliver = r;
      if (FAILED(r)) return;
      ++delivered;
      std::this_thread::sleep_for(std::chrono::milliseconds(periodMs_));
    }
    if (!quit_) out.DeliverEndOfStream();
  });
  return S_OK;
}

// --- TestSink and TestTransform ------------------------------------------------------

TestSink::TestSink(std::u16string name) : TestFilterBase(std::move(name)), in(this, u"In") {
  in.onSample = [this](IMediaSample *) {
    ++received;
    return S_OK;
  };
  in.onEndOfStream = [this] { NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this))); };
}

ComPtr<TestSink> TestSink::Create(std::u16string name) {
  ComPtr<TestSink> f;
  f.Attach(new TestSink(std::move(name)));
  return f;
}

TestTransform::TestTransform(std::u16string name)
    : TestFilterBase(std::move(name)), in(this, u"In"),
      out(this, u"Out", {graph::MediaType(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO)}) {
  in.onSample = [this](IMediaSample *s) { return out.Deliver(s); };
  in.onEndOfStream = [this] { out.DeliverEndOfStream(); };
}

ComPtr<TestTransform> TestTransform::Create(std::u16string name) {
  ComPtr<TestTransform> f;
  f.Attach(new TestTransform(std::move(name)));
  return f;
}

// --- ControlFilter -----------------------------------------------------------------

ComPtr<ControlFilter> ControlFilter::Create(std::u16string name) {
  ComPtr<ControlFilter> f;
  f.Attach(new ControlFilter(std::move(name)));
  return f;
}

HRESULT ControlFilter::Note(const std::string &call) {
  calls.push_back(call);
  return failWith;
}

HRESULT ControlFilter::put_Volume(LONG v) {
  volume = v;
  return Note("put_Volume " + std::to_string(v));
}
HRESULT ControlFilter::get_Volume(LONG *v) {
  *v = volume;
  return Note("get_Volume");
}
HRESULT ControlFilter::put_Balance(LONG b) {
  balance = b;
  return Note("put_Balance " + std::to_string(b));
}
HRESULT ControlFilter::get_Balance(LONG *b) {
  *b = balance;
  return Note("get_Balance");
}
HRESULT ControlFilter::GetCapabilities(DWORD *c) {
  *c = capabilities;
  return Note("GetCapabilities");
}
HRESULT ControlFilter::GetCurrentPosition(LONGLONG *p) {
  *p = position;
  return Note("GetCurrentPosition");
}
HRESULT ControlFilter::GetDuration(LONGLONG *d) {
  *d = 0;
  return Note("GetDuration");
}
HRESULT ControlFilter::SetRate(double r) {
  rate = r;
  return Note("SetRate " + std::to_string(r));
}
HRESULT ControlFilter::GetRate(double *r) {
  *r = rate;
  return Note("GetRate");
}
HRESULT ControlFilter::Step(DWORD frames, IUnknown *stepObject) {
  return Note("Step " + std::to_string(frames) + (stepObject ? " object" : ""));
}
HRESULT ControlFilter::CanStep(LONG multiple, IUnknown *) { return Note("CanStep " + std::to_string(multiple)); }
HRESULT ControlFilter::CancelStep() { return Note("CancelStep"); }

// --- ClockFilter -------------------------------------------------------------------

ComPtr<ClockFilter> ClockFilter::Create() {
  ComPtr<ClockFilter> f;
  f.Attach(new ClockFilter);
  return f;
}

HRESULT ClockFilter::GetTime(REFERENCE_TIME *time) {
  if (!time) return E_POINTER;
  *time = now.load();
  return S_OK;
}

} // namespace testfilters

#include "dshow/errors.h"
#include "graph/filter_base.h"

namespace graph {

InputPin::InputPin(BaseFilter *filter, std::u16string name) : BasePin(filter, std::move(name), PINDIR_INPUT) {}

HRESULT InputPin::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IMemInputPin) return Expose(static_cast<IMemInputPin *>(this), object);
  return BasePin::QueryInterface(iid, object);
}

ULONG InputPin::AddRef() { return BasePin::AddRef(); }
ULONG InputPin::Release() { return BasePin::Release(); }

HRESULT InputPin::CheckStreaming() const {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (Filter()->State() == State_Stopped) return VFW_E_WRONG_STATE;
  if (flushing_.load()) return S_FALSE;
  return S_OK;
}

HRESULT InputPin::Receive(IMediaSample *sample) {
  if (!sample) return E_POINTER;
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  if (endOfStream_.load()) return VFW_E_SAMPLE_REJECTED_EOS;
  return OnReceive(sample);
}

HRESULT InputPin::ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) {
  if (!samples || !processed) return E_POINTER;
  *processed = 0;
  HRESULT hr = S_OK;
  while (*processed < count) {
    hr = Receive(samples[*processed]);
    if (hr != S_OK) break;
    ++*processed;
  }
  return hr;
}

HRESULT InputPin::ReceiveCanBlock() { return S_OK; }

HRESULT InputPin::EndOfStream() {
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  endOfStream_ = true;
  return OnEndOfStream();
}

HRESULT InputPin::BeginFlush() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  flushing_ = true;
  endOfStream_ = false;
  return OnBeginFlush();
}

HRESULT InputPin::EndFlush() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  HRESULT hr = OnEndFlush();
  flushing_ = false;
  return hr;
}

HRESULT InputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  return OnNewSegment(media::StreamTime(start), media::StreamTime(stop), rate);
}

HRESULT InputPin::Inactive() {
  flushing_ = false;
  endOfStream_ = false;
  return S_OK;
}

HRESULT InputPin::OnEndOfStream() { return S_OK; }
HRESULT InputPin::OnBeginFlush() { return S_OK; }
HRESULT InputPin::OnEndFlush() { return S_OK; }
HRESULT InputPin::OnNewSegment(media::StreamTime, media::StreamTime, double) { return S_OK; }

} // namespace graph

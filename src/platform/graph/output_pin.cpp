#include "dshow/errors.h"
#include "graph/filter_base.h"

namespace graph {

OutputPin::OutputPin(BaseFilter *filter, std::u16string name) : BasePin(filter, std::move(name), PINDIR_OUTPUT) {}

HRESULT OutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT OutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT OutputPin::EndFlush() { return E_UNEXPECTED; }
HRESULT OutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return E_UNEXPECTED; }

ComPtr<IMemInputPin> OutputPin::Transport() const {
  std::lock_guard guard(Filter()->Lock());
  return peer_ ? peerInput_ : nullptr;
}

HRESULT OutputPin::Deliver(IMediaSample *sample) {
  if (!sample) return E_POINTER;
  ComPtr<IMemInputPin> transport = Transport();
  return transport ? transport->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverEndOfStream() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverBeginFlush() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverEndFlush() {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverNewSegment(media::StreamTime start, media::StreamTime stop, double rate) {
  ComPtr<IPin> peer = Peer();
  return peer ? peer->NewSegment(start.ticks(), stop.ticks(), rate) : VFW_E_NOT_CONNECTED;
}

} // namespace graph

#include "codecs/decoder_input_pin.h"

#include "dshow/errors.h"

namespace codecs {

HRESULT DecoderInputPin::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IDvdDecoderControl) return Expose(static_cast<IDvdDecoderControl *>(this), object);
  return InputPin::QueryExtraInterface(iid, object);
}

HRESULT DecoderInputPin::Drain() { return decoder_->Queue().Drain() == S_OK ? S_OK : VFW_E_WRONG_STATE; }

HRESULT DecoderInputPin::SetScanMode(BOOL scanning) {
  decoder_->SetScanning(scanning != FALSE);
  return S_OK;
}

HRESULT DecoderInputPin::OnReceive(IMediaSample *sample) { return decoder_->Queue().Push(sample); }

HRESULT DecoderInputPin::OnEndOfStream() {
  decoder_->Queue().PushEnd();
  return S_OK;
}

HRESULT DecoderInputPin::OnBeginFlush() {
  decoder_->Queue().BeginFlush();
  return decoder_->Output().DeliverBeginFlush();
}

HRESULT DecoderInputPin::OnEndFlush() {
  decoder_->Queue().EndFlush(); // the decode thread let go of what it held: reset is safe
  decoder_->FlushDecoder();
  return decoder_->Output().DeliverEndFlush();
}

HRESULT DecoderInputPin::OnNewSegment(media::StreamTime start, media::StreamTime stop, double rate) {
  return decoder_->Output().DeliverNewSegment(start, stop, rate);
}

} // namespace codecs

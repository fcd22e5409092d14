// The compressed-stream input pin of a decoder filter: it only queues what arrives for
// the filter's decode thread, answers IDvdDecoderControl (Drain, scan mode), and passes
// flushes and segments on to the filter's output.
#pragma once

#include "codecs/decode_thread.h"

#include "graph/dvd_stream.h"
#include "graph/filter_base.h"

namespace codecs {

// What the input pin asks of its filter.
class DecoderInput {
public:
  virtual DecodeThread &Queue() = 0;
  virtual graph::OutputPin &Output() = 0;
  // After a flush, once the decode thread let go of what it held.
  virtual void FlushDecoder() = 0;
  virtual void SetScanning(bool scanning) = 0;

protected:
  ~DecoderInput() = default;
};

class DecoderInputPin : public graph::InputPin, public IDvdDecoderControl {
public:
  DecoderInputPin(graph::BaseFilter *filter, std::u16string name, DecoderInput *decoder)
      : InputPin(filter, std::move(name)), decoder_(decoder) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return InputPin::QueryInterface(iid, object); }
  ULONG AddRef() override { return InputPin::AddRef(); }
  ULONG Release() override { return InputPin::Release(); }
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;
  HRESULT Drain() override;
  HRESULT SetScanMode(BOOL scanning) override;

protected:
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(media::StreamTime start, media::StreamTime stop, double rate) override;

private:
  DecoderInput *decoder_;
};

} // namespace codecs

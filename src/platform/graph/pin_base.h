// Base classes for pins: BasePin (IPin), InputPin (IPin + IMemInputPin) and
// OutputPin (IPin + delivery helpers). Filters own their pins (as members or
// through unique_ptr) and hand them out with BaseFilter::GetPin.
//
// Reference counting: a pin has no count of its own; AddRef/Release go to its
// filter, so a pin lives exactly as long as its filter. Its COM identity (the
// IUnknown that QueryInterface gives) is its own.
//
// Connections: an output pin's Connect(receiver, type) agrees on a media type and
// calls the receiver's ReceiveConnection. Types tried, in order: a fully specified
// `type` alone; otherwise the output pin's own GetMediaType(0..) list, then the
// receiver's EnumMediaTypes, each filtered by a partial `type` if one was given.
// A candidate must pass the output pin's CheckMediaType and then the receiver's
// (inside ReceiveConnection). Disconnect breaks only this pin's side: both pins
// must be disconnected for a clean break. Connecting and disconnecting need a
// stopped filter (VFW_E_NOT_STOPPED). Only output pins Connect and only input pins
// ReceiveConnection (else VFW_E_INVALID_DIRECTION).
//
// Threads: connection calls come from the graph's thread. Receive, EndOfStream,
// flushes and NewSegment come from the upstream filter's streaming thread; the
// Deliver* helpers are called from this filter's streaming thread. None of these
// take the filter lock while calling into another filter.
#pragma once

#include "com/media_time.h"
#include "graph/media_sample.h"
#include "graph/media_type.h"

#include <atomic>
#include <string>

namespace graph {

class BaseFilter;

class BasePin : public IPin {
public:
  ~BasePin() override;
  BasePin(const BasePin &) = delete;
  BasePin &operator=(const BasePin &) = delete;

  // IUnknown: IUnknown and IPin, then QueryExtraInterface. Counts go to the filter.
  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IPin
  HRESULT Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) override;
  HRESULT ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) override;
  HRESULT Disconnect() override;                       // S_FALSE when not connected
  HRESULT ConnectedTo(IPin **pin) override;            // VFW_E_NOT_CONNECTED when not connected
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE *mt) override;
  HRESULT QueryPinInfo(PIN_INFO *info) override;       // pFilter counted
  HRESULT QueryDirection(PIN_DIRECTION *dir) override;
  HRESULT QueryId(LPWSTR *id) override;                // the name, task memory
  HRESULT QueryAccept(const AM_MEDIA_TYPE *mt) override; // S_OK or S_FALSE
  HRESULT EnumMediaTypes(IEnumMediaTypes **types) override; // GetMediaType list
  HRESULT QueryInternalConnections(IPin **pins, ULONG *count) override; // E_NOTIMPL

  // For the owning filter and derived pins.
  BaseFilter *Filter() const { return filter_; }
  const std::u16string &Name() const { return name_; }
  PIN_DIRECTION Direction() const { return dir_; }
  bool IsConnected() const;
  ComPtr<IPin> Peer() const;          // null when not connected
  MediaType ConnectionType() const;   // all zero when not connected

  // --- Hooks for derived pins -------------------------------------------------
  // S_OK accepts the type for this pin; anything else refuses it.
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) = 0;
  // The pin's preferred types: S_OK fills `mt`, S_FALSE past the end. Default: none.
  virtual HRESULT GetMediaType(int index, MediaType *mt);
  // Called (filter lock held) once the type is agreed and stored, before the
  // connection counts as made; a failure undoes it. Default S_OK.
  virtual HRESULT CompleteConnect(IPin *peer);
  // Called (filter lock held) when the connection ends. Default nothing.
  virtual void BreakConnect();
  // Called by the filter when it leaves Stopped (Active) and when it stops
  // (Inactive), after the state changed and without the filter lock.
  virtual HRESULT Active();
  virtual HRESULT Inactive();
  // Extra interfaces on the pin (IMemInputPin is handled by InputPin). Use Expose.
  virtual HRESULT QueryExtraInterface(REFIID iid, void **object);

protected:
  BasePin(BaseFilter *filter, std::u16string name, PIN_DIRECTION dir);

  // Gives `iface` as *object with a count (for QueryExtraInterface).
  template <class I> static HRESULT Expose(I *iface, void **object) {
    *object = iface;
    iface->AddRef();
    return S_OK;
  }

private:
  HRESULT TryConnection(IPin *receiver, const AM_MEDIA_TYPE &mt);
  HRESULT TryTypes(IPin *receiver, const AM_MEDIA_TYPE *partial, IEnumMediaTypes *types);
  HRESULT TryOwnTypes(IPin *receiver, const AM_MEDIA_TYPE *partial);

  BaseFilter *filter_;
  std::u16string name_;
  PIN_DIRECTION dir_;
  ComPtr<IPin> peer_;               // guarded by the filter lock
  ComPtr<IMemInputPin> peerInput_;  // output pins: the receiver's transport
  MediaType mt_;

  friend class OutputPin;
};

// Input pin: checks the stream state before handing samples to OnReceive.
// Receive gives VFW_E_NOT_CONNECTED when unconnected, VFW_E_WRONG_STATE while the
// filter is stopped, S_FALSE during a flush, VFW_E_SAMPLE_REJECTED_EOS after end
// of stream; otherwise the result of OnReceive.
class InputPin : public BasePin, public IMemInputPin {
public:
  InputPin(BaseFilter *filter, std::u16string name);

  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IMemInputPin
  HRESULT Receive(IMediaSample *sample) override;
  HRESULT ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) override;
  HRESULT ReceiveCanBlock() override; // S_OK: a renderer may block in Receive

  // IPin stream calls: same state checks as Receive (S_FALSE while flushing), then
  // the On* hooks. BeginFlush clears end of stream; EndFlush ends the flush after
  // OnEndFlush.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  bool IsFlushing() const { return flushing_.load(); }
  bool AtEndOfStream() const { return endOfStream_.load(); }

  // Clears the flushing and end-of-stream flags.
  HRESULT Inactive() override;

protected:
  // Called on the upstream streaming thread without the filter lock. AddRef the
  // sample to keep it past the call.
  virtual HRESULT OnReceive(IMediaSample *sample) = 0;
  virtual HRESULT OnEndOfStream();                // default S_OK
  virtual HRESULT OnBeginFlush();                 // must unblock a waiting Receive
  virtual HRESULT OnEndFlush();
  virtual HRESULT OnNewSegment(media::StreamTime start, media::StreamTime stop, double rate);

private:
  HRESULT CheckStreaming() const;

  std::atomic<bool> flushing_{false};
  std::atomic<bool> endOfStream_{false};
};

// Output pin: Connect negotiates (see above) and needs IMemInputPin on the
// receiver (VFW_E_NO_TRANSPORT otherwise). The Deliver* helpers pass data and
// stream calls to the connected input pin, VFW_E_NOT_CONNECTED when unconnected.
class OutputPin : public BasePin {
public:
  OutputPin(BaseFilter *filter, std::u16string name);

  // Input-pin calls: E_UNEXPECTED on an output pin.
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  // Thread-safe; the receiver's result comes back (S_FALSE: it is flushing or
  // wants no more data; a failure: stop pushing).
  HRESULT Deliver(IMediaSample *sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();
  HRESULT DeliverNewSegment(media::StreamTime start, media::StreamTime stop, double rate);

private:
  ComPtr<IMemInputPin> Transport() const;
};

} // namespace graph

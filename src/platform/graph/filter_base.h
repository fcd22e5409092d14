// Base classes for filters. A filter derives from BaseFilter (or FilterImpl<...>
// to answer more interfaces), owns its pins and reports them through PinCount and
// GetPin.
//
//   class Renderer : public graph::FilterImpl<IBasicAudio> {
//     Renderer() : FilterImpl(CLSID_AudioRender, u"Audio Renderer") {}
//     int PinCount() override { return 1; }
//     graph::BasePin *GetPin(int i) override { return i == 0 ? &input_ : nullptr; }
//     ... IBasicAudio methods ...
//     MyInputPin input_{this};
//   };
//
// State: Stop/Pause/Run move the filter; Run from Stopped pauses first. The hooks
// OnStop/OnPause/OnRun run after the new state is set (a failing hook restores the
// old one), with state changes serialized and the filter lock NOT held, so a hook
// may start or join a streaming thread that itself takes the filter lock. Pins get
// Active() when the filter leaves Stopped and Inactive() when it stops.
// OnStop must also wake anything of this filter that blocks (a Receive waiting for
// its presentation time, a full queue). GetState reports VFW_S_STATE_INTERMEDIATE
// while TransitionPending() is true, waiting up to the timeout; call
// StateSettled() when it becomes false. The base destructor calls no hook: a
// filter with a thread of its own ends it in its own destructor as well (the
// graph always stops a filter before letting it go).
//
// Graph: JoinFilterGraph stores a plain pointer (the graph owns the filter and
// clears it with JoinFilterGraph(nullptr, nullptr) before letting go). Use Graph()
// only on the graph's (GUI) thread. NotifyEvent is safe from any thread.
//
// Threads and locks: one filter lock (Lock(), recursive) guards the filter's and
// its pins' data. Hold it only briefly; never while delivering samples, calling
// another filter or waiting for a streaming thread. Lock order: graph, then
// filter, then the graph's event queue.
#pragma once

#include "com/media_time.h"
#include "graph/media_sample.h"
#include "graph/media_type.h"
#include "graph/pin_base.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

namespace graph {

class BaseFilter : public ComObject<IBaseFilter> {
public:
  // IUnknown, IPersist, IMediaFilter, IBaseFilter, then QueryExtraInterface.
  HRESULT QueryInterface(REFIID iid, void **object) override;

  // IPersist
  HRESULT GetClassID(CLSID *clsid) override;
  // IMediaFilter
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) override;
  HRESULT SetSyncSource(IReferenceClock *clock) override; // counted; null: no clock
  HRESULT GetSyncSource(IReferenceClock **clock) override;
  // IBaseFilter
  HRESULT EnumPins(IEnumPins **pins) override;        // VFW_E_ENUM_OUT_OF_SYNC after PinsChanged
  HRESULT FindPin(LPCWSTR id, IPin **pin) override;   // by pin name; VFW_E_NOT_FOUND
  HRESULT QueryFilterInfo(FILTER_INFO *info) override; // pGraph counted
  HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
  HRESULT QueryVendorInfo(LPWSTR *info) override;     // E_NOTIMPL

  // Pins, owned by the filter. A filter whose pin set changes calls PinsChanged().
  virtual int PinCount() = 0;
  virtual BasePin *GetPin(int index) = 0;

  // Thread-safe accessors.
  FILTER_STATE State() const { return state_.load(); }
  media::StreamTime StartTime() const;           // the start given to Run
  ComPtr<IReferenceClock> Clock() const;
  // Clock time minus start time: VFW_E_NO_CLOCK without a clock, VFW_E_NOT_RUNNING
  // unless running.
  HRESULT StreamTime(media::StreamTime *time) const;
  IFilterGraph *Graph() const;                   // null when not in a graph
  std::u16string Name() const;                   // the name given by the graph
  const CLSID &ClassId() const { return clsid_; }
  // Queues an event into the graph's queue through its IMediaEventSink. Any
  // thread. S_FALSE (and nothing queued) when the filter is not in a graph.
  // Pointer parameters follow the graph's ownership rules (graph/filter_graph.h).
  HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
  std::recursive_mutex &Lock() const { return lock_; }

protected:
  BaseFilter(REFCLSID clsid, std::u16string defaultName);
  ~BaseFilter() override;

  // State hooks (see above). OnPause gets the state it leaves (Stopped or Running).
  virtual HRESULT OnStop();
  virtual HRESULT OnPause(FILTER_STATE from);
  virtual HRESULT OnRun(media::StreamTime start);
  // True while the filter has not finished its last transition (e.g. a renderer
  // paused without a first sample).
  virtual bool TransitionPending();
  void StateSettled();
  void PinsChanged();

  // More interfaces; answer with Expose(static_cast<IFoo *>(this), object).
  virtual HRESULT QueryExtraInterface(REFIID iid, void **object);
  template <class I> static HRESULT Expose(I *iface, void **object) {
    *object = iface;
    iface->AddRef();
    return S_OK;
  }

private:
  friend class PinEnumerator;
  HRESULT PauseLocked();
  void SetPinsActive(bool active);
  unsigned PinVersion() const { return pinVersion_.load(); }

  CLSID clsid_;
  std::u16string defaultName_;
  mutable std::recursive_mutex lock_;
  std::mutex stateChange_;                      // serializes Stop/Pause/Run
  std::mutex settleLock_;
  std::condition_variable settled_;
  std::atomic<FILTER_STATE> state_{State_Stopped};
  std::atomic<unsigned> pinVersion_{0};
  media::StreamTime start_;
  ComPtr<IReferenceClock> clock_;
  IFilterGraph *graph_ = nullptr;               // plain: the graph owns us
  IMediaEventSink *sink_ = nullptr;             // plain, same lifetime as graph_
  std::u16string name_;
};

// BaseFilter plus interfaces `Extra...` that the derived class implements: the
// IUnknown of every base is routed to BaseFilter and QueryInterface answers each
// Extra. A derived class that overrides QueryExtraInterface calls this one last.
template <class... Extra> class FilterImpl : public BaseFilter, public Extra... {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return BaseFilter::QueryInterface(iid, object); }
  ULONG AddRef() override { return BaseFilter::AddRef(); }
  ULONG Release() override { return BaseFilter::Release(); }

protected:
  using BaseFilter::BaseFilter;

  HRESULT QueryExtraInterface(REFIID iid, void **object) override {
    HRESULT hr = E_NOINTERFACE;
    (void)iid; // both unused when Extra is empty
    (void)object;
    (void)((iid == IidOf<Extra>() ? (hr = Expose(static_cast<Extra *>(this), object), true) : false) || ...);
    return hr;
  }
};

} // namespace graph

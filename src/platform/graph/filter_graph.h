// The filter graph manager (CLSID_FilterGraph, CLSID_FilterGraphNoThread).
//
// Answers IFilterGraph, IGraphBuilder, IFilterGraph2, IMediaControl, IMediaEvent,
// IMediaEventEx, IMediaEventSink, IMediaFilter, IPersist, IBasicAudio,
// IMediaSeeking, IVideoFrameStep, IObjectWithSite and IServiceProvider.
//
// Filters: AddFilter keeps a counted reference, calls JoinFilterGraph and makes the
// name unique by appending " 0001", " 0002"... (VFW_S_DUPLICATE_NAME); a null or
// empty name becomes the filter's own (QueryFilterInfo outside a graph) or
// "Filter". RemoveFilter (graph stopped, else VFW_E_NOT_STOPPED) disconnects both
// sides of every connected pin, clears the filter's clock and graph, and gives
// VFW_E_NOT_FOUND for a filter that is not in the graph. Connect tries only a
// direct connection (VFW_E_CANNOT_CONNECT when the pins agree on no type).
// Render(pin) connects a free output pin to a free input of a filter already in the
// graph, else to a filter of the catalogue (builder_callbacks.h) that takes one of the
// pin's types, best merit first, and renders that filter's outputs in turn; each
// catalogue filter is offered to the site's IAMGraphBuilderCallback before
// (SelectedFilter) and after (CreatedFilter) creation, and a refusal skips it. When
// nothing renders the pin, the site's IAMFilterGraphCallback::UnableToRenderPin is
// asked: S_OK makes the graph try once more, anything else gives
// VFW_E_CANNOT_RENDER. RenderFile, AddSourceFilter and RenderEx give E_NOTIMPL.
//
// State: Run, Pause and Stop move the filters downstream first (renderers before
// their sources). Run from Stopped pauses first; Run gives the filters the start
// time "clock now + 10 ms - stream position at the last pause", so a Run after a
// Pause resumes the stream where it stopped. A filter's failure fails the call
// with its code and moves every filter back to the graph's previous state (Stop
// stops every filter and gives the first failure). The result is S_FALSE
// while a filter's GetState(0) reports VFW_S_STATE_INTERMEDIATE. GetState(timeout)
// waits up to the timeout (negative: forever) for such filters.
//
// Clock: when the graph leaves Stopped without a clock chosen by SetSyncSource,
// it takes the first filter (downstream first) that answers IReferenceClock, else
// its own system clock (SetDefaultSyncSource does the same at once). A change of
// clock queues EC_CLOCK_CHANGED. Removing the clock's filter chooses again. The
// clock changes only while the graph is stopped (else VFW_E_NOT_STOPPED).
//
// Forwarding: IBasicAudio and IVideoFrameStep go to the first filter (downstream
// first) that answers them; without one the calls give E_NOTIMPL (audio) or
// VFW_E_FRAME_STEP_UNSUPPORTED (step). The filter does the whole step, pausing
// after the frames and queueing EC_STEP_COMPLETE; a running graph is paused first. IMediaSeeking: SetRate goes to
// every filter that answers it (first failure or S_OK); GetRate, GetDuration and
// GetCurrentPosition come from the first that succeeds; GetCapabilities is the
// intersection of all; E_NOTIMPL without such a filter.
//
// Events (IMediaEventEx, IMediaEventSink): Notify may be called from any thread.
// Every queued event posts the notify window's message (wParam 0, lParam =
// instance) while notifications are on (SetNotifyFlags(0), the default). With
// AM_MEDIAEVENT_NONOTIFY the queue is emptied and new events are dropped.
// GetEventHandle gives a file descriptor that is readable while events wait.
// Default handling: EC_COMPLETE is held back until every renderer (a filter with
// a connected input pin and no output pins, counted when the graph leaves
// Stopped) has sent it with its IBaseFilter as param2; then one EC_COMPLETE
// (param1 = the first failure or S_OK, param2 = 0) is queued. Other senders'
// EC_COMPLETE, and all of them after CancelDefaultHandling(EC_COMPLETE), pass
// unchanged. No other code has a default handling (S_FALSE).
//
// Event parameter ownership: parameters that are pointers are owned by the queue
// from Notify until the receiver passes the event to FreeEventParams (or the graph
// is destroyed). The sender keeps what it passed: at Notify the queue copies
//   EC_OLE_EVENT          param1, param2: zero-terminated texts -> BSTR copies
//   EC_END_OF_SEGMENT     param1: REFERENCE_TIME* -> a copy of the value
// and counts (AddRef) the interface pointers of
//   EC_COMPLETE, EC_FULLSCREEN_LOST                      param2
//   EC_WINDOW_DESTROYED, EC_STREAM_CONTROL_STOPPED/STARTED, EC_DEVICE_LOST  param1.
// FreeEventParams frees or releases only what the queue handed out and has not
// freed yet, so a second call for the same event does nothing.
//
// Log: SetLogFile(fd) writes a line for every filter added or removed, pin
// connection (with both filter and pin names and the media type's major and
// subtype) or disconnection, state change with its result and clock choice.
//
// Threads: graph methods other than the event calls belong to one thread (the
// GUI thread); they are serialized by the graph lock. Lock order: graph lock,
// filter locks, event queue.
#pragma once

#include "com/media_time.h"
#include "dshow/control.h"
#include "graph/event_queue.h"
#include "graph/graph_log.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace graph {

class FilterGraph final
    : public ComObject<IFilterGraph2, IMediaControl, IMediaEventEx, IMediaEventSink, IMediaFilter, IBasicAudio,
                       IMediaSeeking, IVideoFrameStep, IObjectWithSite, IServiceProvider, IGraphLogSink> {
public:
  static HRESULT Create(REFIID iid, void **object);

  HRESULT QueryInterface(REFIID iid, void **object) override;
  // Own count: the last Release stops and empties the graph while it can still be
  // called by its filters, then deletes it.
  ULONG AddRef() override;
  ULONG Release() override;

  // IFilterGraph
  HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) override;
  HRESULT RemoveFilter(IBaseFilter *filter) override;
  HRESULT EnumFilters(IEnumFilters **filters) override;
  HRESULT FindFilterByName(LPCWSTR name, IBaseFilter **filter) override;
  HRESULT ConnectDirect(IPin *out, IPin *in, const AM_MEDIA_TYPE *mt) override;
  HRESULT Reconnect(IPin *pin) override;
  HRESULT Disconnect(IPin *pin) override;
  HRESULT SetDefaultSyncSource() override;
  // IGraphBuilder
  HRESULT Connect(IPin *out, IPin *in) override;
  HRESULT Render(IPin *out) override;
  HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override;
  HRESULT AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter **filter) override;
  HRESULT SetLogFile(DWORD_PTR hFile) override;
  HRESULT Abort() override;
  HRESULT ShouldOperationContinue() override;
  // IFilterGraph2
  HRESULT AddSourceFilterForMoniker(IMoniker *moniker, IBindCtx *ctx, LPCWSTR name, IBaseFilter **filter) override;
  HRESULT ReconnectEx(IPin *pin, const AM_MEDIA_TYPE *mt) override;
  HRESULT RenderEx(IPin *out, DWORD flags, DWORD *context) override;

  // IMediaControl (Pause and Stop also serve IMediaFilter)
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetState(LONG msTimeout, OAFilterState *state) override;
  HRESULT StopWhenReady() override;
  // IMediaFilter / IPersist
  HRESULT GetClassID(CLSID *clsid) override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) override;
  HRESULT SetSyncSource(IReferenceClock *clock) override;
  HRESULT GetSyncSource(IReferenceClock **clock) override;

  // IMediaEvent / IMediaEventEx / IMediaEventSink
  HRESULT GetEventHandle(OAEVENT *handle) override;
  HRESULT GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) override;
  HRESULT WaitForCompletion(LONG msTimeout, LONG *code) override;
  HRESULT CancelDefaultHandling(LONG code) override;
  HRESULT RestoreDefaultHandling(LONG code) override;
  HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance) override;
  HRESULT SetNotifyFlags(LONG flags) override;
  HRESULT GetNotifyFlags(LONG *flags) override;
  HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

  // IBasicAudio
  HRESULT put_Volume(LONG volume) override;
  HRESULT get_Volume(LONG *volume) override;
  HRESULT put_Balance(LONG balance) override;
  HRESULT get_Balance(LONG *balance) override;
  // IMediaSeeking
  HRESULT GetCapabilities(DWORD *capabilities) override;
  HRESULT GetCurrentPosition(LONGLONG *position) override;
  HRESULT GetDuration(LONGLONG *duration) override;
  HRESULT SetRate(double rate) override;
  HRESULT GetRate(double *rate) override;
  // IVideoFrameStep
  HRESULT Step(DWORD frames, IUnknown *stepObject) override;
  HRESULT CanStep(LONG multiple, IUnknown *stepObject) override;
  HRESULT CancelStep() override;
  // IObjectWithSite / IServiceProvider
  HRESULT SetSite(IUnknown *site) override;
  HRESULT GetSite(REFIID iid, void **site) override;
  HRESULT QueryService(REFGUID service, REFIID iid, void **object) override;
  // IGraphLogSink
  void WriteLogLine(const std::string &line) override { log_.Line(line); }

private:
  struct Entry {
    ComPtr<IBaseFilter> filter;
    std::u16string name;
  };

  FilterGraph();
  ~FilterGraph() override;
  void Teardown();

  // All with the graph lock held.
  Entry *Find(IUnknown *object);
  Entry *FindByName(const std::u16string &name);
  bool PinInGraph(IPin *pin);
  std::vector<ComPtr<IBaseFilter>> DownstreamFirst();
  std::u16string UniqueName(const std::u16string &wanted, bool *renamed);
  void DisconnectPins(IBaseFilter *filter);
  HRESULT PauseLocked();
  HRESULT StopLocked();
  HRESULT RunLocked(media::MaybeStreamTime start); // none: from the clock
  void MoveAll(FILTER_STATE state);               // back to a state, results ignored
  HRESULT SettledResult(DWORD msTimeout);         // S_OK or VFW_S_STATE_INTERMEDIATE
  HRESULT RenderPin(IPin *out, int depth);
  HRESULT RenderOutputs(IBaseFilter *filter, int depth);
  void ChooseClock();
  void DistributeClock(ComPtr<IReferenceClock> clock);
  media::StreamTime ClockNow();
  std::vector<const void *> Renderers();
  std::string Describe(IPin *pin);

  // Filters answering interface I, downstream first (taken under the lock).
  template <class I> std::vector<ComPtr<I>> FiltersWith();

  std::atomic<ULONG> refs_{1};
  std::recursive_mutex lock_;
  std::vector<Entry> filters_; // in the order added
  FILTER_STATE state_ = State_Stopped;
  ComPtr<IReferenceClock> clock_;
  ComPtr<IReferenceClock> systemClock_;
  bool clockChosen_ = false;         // SetSyncSource was called: keep that clock
  media::StreamTime start_;          // start time of the last Run
  media::StreamTime position_;       // stream time reached at the last Pause
  ComPtr<IUnknown> site_;
  bool aborted_ = false;
  EventQueue events_;
  GraphLog log_;
};

} // namespace graph

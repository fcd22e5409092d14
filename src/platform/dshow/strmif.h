// Filters, pins, media types and samples, graphs and their control interfaces.
#pragma once

#include "com/objidl.h"
#include "com/registry.h"
#include "com/unknown.h"

constexpr REFERENCE_TIME UNITS = 10000000; // 100-ns units per second
constexpr REFERENCE_TIME MILLISECONDS = 10000;

struct AM_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  BOOL bFixedSizeSamples;
  BOOL bTemporalCompression;
  ULONG lSampleSize;
  GUID formattype;
  IUnknown *pUnk;
  ULONG cbFormat;
  BYTE *pbFormat;
};

// Media type helpers: the format block is task memory.
void FreeMediaType(AM_MEDIA_TYPE &mt);
void DeleteMediaType(AM_MEDIA_TYPE *mt);
HRESULT CopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source);
AM_MEDIA_TYPE *CreateMediaType(const AM_MEDIA_TYPE *source);

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };
enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

constexpr int MAX_PIN_NAME = 128;
constexpr int MAX_FILTER_NAME = 128;

struct IBaseFilter;
struct IFilterGraph;
struct IPin;
struct IEnumMediaTypes;

struct PIN_INFO {
  IBaseFilter *pFilter; // counted: the caller releases it
  PIN_DIRECTION dir;
  WCHAR achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
  WCHAR achName[MAX_FILTER_NAME];
  IFilterGraph *pGraph; // counted: the caller releases it
};

QDVD_DECLARE_IID(IEnumMediaTypes, 0x89c31040, 0x846b, 0x11ce, 0x97, 0xd3, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a)
struct IEnumMediaTypes : IUnknown {
  // Each type handed out is freed by the caller with DeleteMediaType.
  virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumMediaTypes **clone) = 0;
};

QDVD_DECLARE_IID(IPin, 0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IPin : IUnknown {
  virtual HRESULT Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT ConnectedTo(IPin **pin) = 0;
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO *info) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION *dir) = 0;
  virtual HRESULT QueryId(LPWSTR *id) = 0;
  virtual HRESULT QueryAccept(const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT EnumMediaTypes(IEnumMediaTypes **types) = 0;
  virtual HRESULT QueryInternalConnections(IPin **pins, ULONG *count) = 0;
  virtual HRESULT EndOfStream() = 0;
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
  virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};

QDVD_DECLARE_IID(IEnumPins, 0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IEnumPins : IUnknown {
  virtual HRESULT Next(ULONG count, IPin **pins, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumPins **clone) = 0;
};

QDVD_DECLARE_IID(IReferenceClock, 0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IReferenceClock : IUnknown {
  // Current time in 100-ns units; monotonic.
  virtual HRESULT GetTime(REFERENCE_TIME *time) = 0;
};

QDVD_DECLARE_IID(IMediaFilter, 0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaFilter : IPersist {
  virtual HRESULT Stop() = 0;
  virtual HRESULT Pause() = 0;
  // start: the reference-clock time that corresponds to stream time 0.
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  // S_OK, or VFW_S_STATE_INTERMEDIATE while a transition is pending.
  virtual HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) = 0;
  virtual HRESULT SetSyncSource(IReferenceClock *clock) = 0;
  virtual HRESULT GetSyncSource(IReferenceClock **clock) = 0;
};

QDVD_DECLARE_IID(IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IBaseFilter : IMediaFilter {
  virtual HRESULT EnumPins(IEnumPins **pins) = 0;
  virtual HRESULT FindPin(LPCWSTR id, IPin **pin) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO *info) = 0;
  // Called by the graph on AddFilter (graph, name) and RemoveFilter (nullptr, nullptr).
  // The filter keeps a plain pointer to the graph: the graph owns the filter.
  virtual HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) = 0;
  virtual HRESULT QueryVendorInfo(LPWSTR *info) = 0;
};

QDVD_DECLARE_IID(IEnumFilters, 0x56A86893, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IEnumFilters : IUnknown {
  virtual HRESULT Next(ULONG count, IBaseFilter **filters, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFilters **clone) = 0;
};

QDVD_DECLARE_IID(IMediaSample, 0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaSample : IUnknown {
  virtual HRESULT GetPointer(BYTE **buffer) = 0;
  virtual LONG GetSize() = 0;
  // VFW_E_SAMPLE_TIME_NOT_SET when no time was set; VFW_S_NO_STOP_TIME with a start only.
  virtual HRESULT GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) = 0;
  virtual HRESULT SetTime(const REFERENCE_TIME *start, const REFERENCE_TIME *end) = 0;
  virtual HRESULT IsSyncPoint() = 0;
  virtual HRESULT SetSyncPoint(BOOL sync) = 0;
  virtual HRESULT IsPreroll() = 0;
  virtual HRESULT SetPreroll(BOOL preroll) = 0;
  virtual LONG GetActualDataLength() = 0;
  virtual HRESULT SetActualDataLength(LONG length) = 0;
  // S_FALSE and nullptr when the type did not change since the last sample.
  virtual HRESULT GetMediaType(AM_MEDIA_TYPE **mt) = 0;
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT IsDiscontinuity() = 0;
  virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
  virtual HRESULT GetMediaTime(LONGLONG *start, LONGLONG *end) = 0;
  virtual HRESULT SetMediaTime(const LONGLONG *start, const LONGLONG *end) = 0;
};

// Input side of a sample connection. Samples are made by the sending side; there is
// no allocator negotiation on this platform.
QDVD_DECLARE_IID(IMemInputPin, 0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMemInputPin : IUnknown {
  virtual HRESULT Receive(IMediaSample *sample) = 0;
  virtual HRESULT ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) = 0;
  virtual HRESULT ReceiveCanBlock() = 0;
};

QDVD_DECLARE_IID(IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IFilterGraph : IUnknown {
  virtual HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) = 0;
  virtual HRESULT RemoveFilter(IBaseFilter *filter) = 0;
  virtual HRESULT EnumFilters(IEnumFilters **filters) = 0;
  virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter **filter) = 0;
  virtual HRESULT ConnectDirect(IPin *out, IPin *in, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT Reconnect(IPin *pin) = 0;
  virtual HRESULT Disconnect(IPin *pin) = 0;
  virtual HRESULT SetDefaultSyncSource() = 0;
};

QDVD_DECLARE_IID(IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IGraphBuilder : IFilterGraph {
  virtual HRESULT Connect(IPin *out, IPin *in) = 0;
  virtual HRESULT Render(IPin *out) = 0;
  virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0;
  virtual HRESULT AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter **filter) = 0;
  // hFile: an open file descriptor that the graph writes its diagnostic lines to; 0 = off.
  virtual HRESULT SetLogFile(DWORD_PTR hFile) = 0;
  virtual HRESULT Abort() = 0;
  virtual HRESULT ShouldOperationContinue() = 0;
};

QDVD_DECLARE_IID(IFilterGraph2, 0x36B73882, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60)
struct IFilterGraph2 : IGraphBuilder {
  virtual HRESULT AddSourceFilterForMoniker(IMoniker *moniker, IBindCtx *ctx, LPCWSTR name, IBaseFilter **filter) = 0;
  virtual HRESULT ReconnectEx(IPin *pin, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT RenderEx(IPin *out, DWORD flags, DWORD *context) = 0;
};

// Lets filters queue events into the graph's event queue.
QDVD_DECLARE_IID(IMediaEventSink, 0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaEventSink : IUnknown {
  virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

QDVD_DECLARE_IID(ICaptureGraphBuilder2, 0x93E5A4E0, 0x2D50, 0x11D2, 0xAB, 0xFA, 0x00, 0xA0, 0xC9, 0xC6, 0xE3, 0x8D)
struct ICaptureGraphBuilder2 : IUnknown {
  virtual HRESULT SetFiltergraph(IGraphBuilder *graph) = 0;
  virtual HRESULT GetFiltergraph(IGraphBuilder **graph) = 0;
  virtual HRESULT SetOutputFileName(const GUID *type, LPCWSTR file, IBaseFilter **mux, IUnknown **sink) = 0;
  virtual HRESULT FindInterface(const GUID *category, const GUID *type, IBaseFilter *filter, REFIID iid,
                                void **object) = 0;
  virtual HRESULT RenderStream(const GUID *category, const GUID *type, IUnknown *source, IBaseFilter *compressor,
                               IBaseFilter *renderer) = 0;
  virtual HRESULT FindPin(IUnknown *source, PIN_DIRECTION dir, const GUID *category, const GUID *type,
                          BOOL unconnected, int num, IPin **pin) = 0;
};

// Graph-builder callbacks, found by the graph through its site.
QDVD_DECLARE_IID(IAMGraphBuilderCallback, 0x4995F511, 0x9DDB, 0x4F12, 0xBD, 0x3B, 0xF0, 0x46, 0x11, 0x80, 0x7B, 0x79)
struct IAMGraphBuilderCallback : IUnknown {
  virtual HRESULT SelectedFilter(IMoniker *moniker) = 0;
  virtual HRESULT CreatedFilter(IBaseFilter *filter) = 0;
};

QDVD_DECLARE_IID(IAMFilterGraphCallback, 0x56A868FD, 0x0AD4, 0x11CE, 0xB0, 0xA3, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IAMFilterGraphCallback : IUnknown {
  virtual HRESULT UnableToRenderPin(IPin *pin) = 0;
};

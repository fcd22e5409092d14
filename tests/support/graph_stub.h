// A filter graph manager that answers every call with E_NOTIMPL (GetEvent: no event),
// for the fakes that script the few calls their tests are about. Interfaces beyond the
// graph's own go in Extra; each fake's QueryInterface says which ones it answers for.
#pragma once

#include "com/unknown.h"
#include "dshow/control.h"
#include "dshow/strmif.h"

template <class... Extra>
class GraphStub : public ComObject<IFilterGraph2, IMediaControl, IMediaEventEx, Extra...> {
public:
  // IFilterGraph
  HRESULT AddFilter(IBaseFilter *, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT RemoveFilter(IBaseFilter *) override { return E_NOTIMPL; }
  HRESULT EnumFilters(IEnumFilters **) override { return E_NOTIMPL; }
  HRESULT FindFilterByName(LPCWSTR, IBaseFilter **) override { return E_NOTIMPL; }
  HRESULT ConnectDirect(IPin *, IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT Reconnect(IPin *) override { return E_NOTIMPL; }
  HRESULT Disconnect(IPin *) override { return E_NOTIMPL; }
  HRESULT SetDefaultSyncSource() override { return E_NOTIMPL; }
  // IGraphBuilder
  HRESULT Connect(IPin *, IPin *) override { return E_NOTIMPL; }
  HRESULT Render(IPin *) override { return E_NOTIMPL; }
  HRESULT RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter **) override { return E_NOTIMPL; }
  HRESULT SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
  HRESULT Abort() override { return E_NOTIMPL; }
  HRESULT ShouldOperationContinue() override { return E_NOTIMPL; }
  // IFilterGraph2
  HRESULT AddSourceFilterForMoniker(IMoniker *, IBindCtx *, LPCWSTR, IBaseFilter **) override { return E_NOTIMPL; }
  HRESULT ReconnectEx(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT RenderEx(IPin *, DWORD, DWORD *) override { return E_NOTIMPL; }
  // IMediaControl
  HRESULT Run() override { return E_NOTIMPL; }
  HRESULT Pause() override { return E_NOTIMPL; }
  HRESULT Stop() override { return E_NOTIMPL; }
  HRESULT GetState(LONG, OAFilterState *) override { return E_NOTIMPL; }
  HRESULT StopWhenReady() override { return E_NOTIMPL; }
  // IMediaEvent, IMediaEventEx
  HRESULT GetEventHandle(OAEVENT *) override { return E_NOTIMPL; }
  HRESULT GetEvent(LONG *, LONG_PTR *, LONG_PTR *, LONG) override { return E_ABORT; }
  HRESULT WaitForCompletion(LONG, LONG *) override { return E_NOTIMPL; }
  HRESULT CancelDefaultHandling(LONG) override { return E_NOTIMPL; }
  HRESULT RestoreDefaultHandling(LONG) override { return E_NOTIMPL; }
  HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
  HRESULT SetNotifyWindow(OAHWND, LONG, LONG_PTR) override { return E_NOTIMPL; }
  HRESULT SetNotifyFlags(LONG) override { return E_NOTIMPL; }
  HRESULT GetNotifyFlags(LONG *) override { return E_NOTIMPL; }
};

// Scripted renderers and a small graph manager for the video window's tests. Every
// call a renderer receives is written to one shared log, in order, as text.
#pragma once

#include "dshow/dshow.h"
#include "support/graph_stub.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

// The entries of `log` that start with `prefix`.
std::vector<std::string> Calls(const CallLog &log, const std::string &prefix);

class FakePin : public ComObject<IPin> {
public:
  FakePin(std::shared_ptr<CallLog> log, std::string owner) : log_(std::move(log)), owner_(std::move(owner)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IPin>(iid, object); }

  // Gives the pin a peer (a pin of no filter) or takes it away.
  void SetConnected(bool connected);

  HRESULT Connect(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT ReceiveConnection(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin **pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT QueryPinInfo(PIN_INFO *) override { return E_NOTIMPL; }
  HRESULT QueryDirection(PIN_DIRECTION *dir) override {
    *dir = PINDIR_INPUT;
    return S_OK;
  }
  HRESULT QueryId(LPWSTR *) override { return E_NOTIMPL; }
  HRESULT QueryAccept(const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT EnumMediaTypes(IEnumMediaTypes **) override { return E_NOTIMPL; }
  HRESULT QueryInternalConnections(IPin **, ULONG *) override { return E_NOTIMPL; }
  HRESULT EndOfStream() override { return S_OK; }
  HRESULT BeginFlush() override { return S_OK; }
  HRESULT EndFlush() override { return S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

private:
  std::shared_ptr<CallLog> log_;
  std::string owner_;
  ComPtr<IPin> peer_;
};

// IBaseFilter with two input pins, logging Stop and joining graphs as a real filter.
class FakeFilter : public ComObject<IBaseFilter> {
public:
  FakeFilter(std::shared_ptr<CallLog> log, std::string tag, const CLSID &clsid);
  // The filter's interfaces, then Extra's.
  HRESULT QueryInterface(REFIID iid, void **object) override;

  const std::string &Tag() const { return tag_; }
  FakePin *Pin(int index) const { return pins_.at(static_cast<std::size_t>(index)).Get(); }
  IFilterGraph *Graph() const { return graph_; }

  HRESULT GetClassID(CLSID *clsid) override {
    *clsid = clsid_;
    return S_OK;
  }
  HRESULT Stop() override;
  HRESULT Pause() override { return S_OK; }
  HRESULT Run(REFERENCE_TIME) override { return S_OK; }
  HRESULT GetState(DWORD, FILTER_STATE *state) override {
    *state = State_Stopped;
    return S_OK;
  }
  HRESULT SetSyncSource(IReferenceClock *) override { return S_OK; }
  HRESULT GetSyncSource(IReferenceClock **clock) override {
    *clock = nullptr;
    return S_OK;
  }
  HRESULT EnumPins(IEnumPins **pins) override;
  HRESULT FindPin(LPCWSTR, IPin **) override { return E_NOTIMPL; }
  HRESULT QueryFilterInfo(FILTER_INFO *info) override;
  HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
  HRESULT QueryVendorInfo(LPWSTR *) override { return E_NOTIMPL; }

protected:
  // Another interface of the object, not counted yet (null: none).
  virtual IUnknown *Extra(REFIID) { return nullptr; }
  void Log(const std::string &call) { log_->push_back(tag_ + "." + call); }

  std::shared_ptr<CallLog> log_;
  std::string tag_;

private:
  CLSID clsid_;
  std::vector<ComPtr<FakePin>> pins_;
  IFilterGraph *graph_ = nullptr;
};

// IVideoWindow that logs the calls the window makes and fails the one it is told to.
class LoggedVideoWindow : public IVideoWindow {
public:
  std::string failing; // name of a call that returns E_FAIL
  LONG visible = OATRUE;

  HRESULT put_Caption(BSTR caption) override;
  HRESULT get_Caption(BSTR *) override { return E_NOTIMPL; }
  HRESULT put_WindowStyle(LONG style) override;
  HRESULT get_WindowStyle(LONG *) override { return E_NOTIMPL; }
  HRESULT put_WindowStyleEx(LONG style) override;
  HRESULT get_WindowStyleEx(LONG *) override { return E_NOTIMPL; }
  HRESULT put_AutoShow(LONG) override { return E_NOTIMPL; }
  HRESULT get_AutoShow(LONG *) override { return E_NOTIMPL; }
  HRESULT put_WindowState(LONG) override { return E_NOTIMPL; }
  HRESULT get_WindowState(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Visible(LONG visible) override;
  HRESULT get_Visible(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Left(LONG) override { return E_NOTIMPL; }
  HRESULT get_Left(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Width(LONG) override { return E_NOTIMPL; }
  HRESULT get_Width(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Top(LONG) override { return E_NOTIMPL; }
  HRESULT get_Top(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Height(LONG) override { return E_NOTIMPL; }
  HRESULT get_Height(LONG *) override { return E_NOTIMPL; }
  HRESULT put_Owner(OAHWND owner) override;
  HRESULT get_Owner(OAHWND *) override { return E_NOTIMPL; }
  HRESULT put_MessageDrain(OAHWND drain) override;
  HRESULT get_MessageDrain(OAHWND *) override { return E_NOTIMPL; }
  HRESULT get_BorderColor(LONG *) override { return E_NOTIMPL; }
  HRESULT put_BorderColor(LONG) override { return E_NOTIMPL; }
  HRESULT get_FullScreenMode(LONG *) override { return E_NOTIMPL; }
  HRESULT put_FullScreenMode(LONG) override;
  HRESULT SetWindowForeground(LONG) override { return E_NOTIMPL; }
  HRESULT NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
  HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
  HRESULT GetWindowPosition(LONG *, LONG *, LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT GetMinIdealImageSize(LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT GetMaxIdealImageSize(LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT GetRestorePosition(LONG *, LONG *, LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT HideCursor(LONG) override { return E_NOTIMPL; }
  HRESULT IsCursorHidden(LONG *) override { return E_NOTIMPL; }

protected:
  virtual HRESULT WindowCall(const std::string &call, const std::string &name) = 0;
};

// The classic renderer: IBaseFilter + IVideoWindow, tag "VR<n>".
class FakeClassicRenderer : public FakeFilter, public LoggedVideoWindow {
public:
  FakeClassicRenderer(std::shared_ptr<CallLog> log, std::string tag)
      : FakeFilter(std::move(log), std::move(tag), CLSID_VideoRenderer) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return FakeFilter::QueryInterface(iid, object); }
  ULONG AddRef() override { return FakeFilter::AddRef(); }
  ULONG Release() override { return FakeFilter::Release(); }

protected:
  IUnknown *Extra(REFIID iid) override;
  HRESULT WindowCall(const std::string &call, const std::string &name) override;
};

// The mixing renderer: IBaseFilter + IVMRFilterConfig9 + IVMRWindowlessControl9 +
// IVMRAspectRatioControl9 + IVideoWindow, tag "VMR<n>". It reports at most
// `maxStreams` streams and keeps only the preference bits in `acceptedPrefs`.
class FakeMixingRenderer : public FakeFilter,
                           public LoggedVideoWindow,
                           public IVMRFilterConfig9,
                           public IVMRWindowlessControl9,
                           public IVMRAspectRatioControl9 {
public:
  FakeMixingRenderer(std::shared_ptr<CallLog> log, std::string tag)
      : FakeFilter(std::move(log), std::move(tag), CLSID_VideoMixingRenderer9) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return FakeFilter::QueryInterface(iid, object); }
  ULONG AddRef() override { return FakeFilter::AddRef(); }
  ULONG Release() override { return FakeFilter::Release(); }

  DWORD maxStreams = 16;
  DWORD acceptedPrefs = RenderPrefs_Mask;

  // IVMRFilterConfig9
  HRESULT SetImageCompositor(IUnknown *) override { return E_NOTIMPL; }
  HRESULT SetNumberOfStreams(DWORD streams) override;
  HRESULT GetNumberOfStreams(DWORD *streams) override;
  HRESULT SetRenderingPrefs(DWORD prefs) override;
  HRESULT GetRenderingPrefs(DWORD *prefs) override;
  HRESULT SetRenderingMode(DWORD mode) override;
  HRESULT GetRenderingMode(DWORD *) override { return E_NOTIMPL; }
  // IVMRWindowlessControl9 (its aspect-ratio pair is never called by the window)
  HRESULT GetNativeVideoSize(LONG *, LONG *, LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT GetMinIdealVideoSize(LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT GetMaxIdealVideoSize(LONG *, LONG *) override { return E_NOTIMPL; }
  HRESULT SetVideoPosition(const RECT *source, const RECT *destination) override;
  HRESULT GetVideoPosition(RECT *, RECT *) override { return E_NOTIMPL; }
  HRESULT SetVideoClippingWindow(HWND hwnd) override;
  HRESULT RepaintVideo(HWND, HDC) override { return E_NOTIMPL; }
  HRESULT DisplayModeChanged() override { return E_NOTIMPL; }
  HRESULT GetCurrentImage(BYTE **) override { return E_NOTIMPL; }
  HRESULT SetBorderColor(COLORREF) override { return E_NOTIMPL; }
  HRESULT GetBorderColor(COLORREF *) override { return E_NOTIMPL; }
  // IVMRAspectRatioControl9 (also named by IVMRWindowlessControl9)
  HRESULT GetAspectRatioMode(DWORD *) override { return E_NOTIMPL; }
  HRESULT SetAspectRatioMode(DWORD mode) override;

protected:
  IUnknown *Extra(REFIID iid) override;
  HRESULT WindowCall(const std::string &call, const std::string &name) override;

private:
  DWORD streams_ = 4;
  DWORD prefs_ = 0;
};

// A filter graph manager that keeps its filters in order of addition and runs,
// pauses and stops without a word.
class FakeGraph : public GraphStub<> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IFilterGraph2, IGraphBuilder, IFilterGraph, IMediaControl>(iid, object);
  }
  ~FakeGraph() override;

  int FilterCount() const { return static_cast<int>(filters_.size()); }
  IBaseFilter *Filter(int index) const { return filters_.at(static_cast<std::size_t>(index)).Get(); }
  std::u16string NameOf(int index) const { return names_.at(static_cast<std::size_t>(index)); }

  // IFilterGraph
  HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) override;
  HRESULT RemoveFilter(IBaseFilter *filter) override;
  HRESULT EnumFilters(IEnumFilters **filters) override;
  HRESULT Disconnect(IPin *pin) override { return pin ? pin->Disconnect() : E_POINTER; }
  HRESULT SetDefaultSyncSource() override { return S_OK; }
  // IGraphBuilder
  HRESULT SetLogFile(DWORD_PTR) override { return S_OK; }
  HRESULT Abort() override { return S_OK; }
  HRESULT ShouldOperationContinue() override { return S_OK; }
  // IMediaControl
  HRESULT Run() override { return S_OK; }
  HRESULT Pause() override { return S_OK; }
  HRESULT Stop() override { return S_OK; }
  HRESULT GetState(LONG, OAFilterState *state) override {
    *state = State_Stopped;
    return S_OK;
  }
  HRESULT StopWhenReady() override { return S_OK; }

private:
  std::vector<ComPtr<IBaseFilter>> filters_;
  std::vector<std::u16string> names_;
};

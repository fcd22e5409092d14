// The notification window, the event pump and the dispatch of general graph events.
#include "engine/filter_graph.h"

#include "framework/application.h"

#include <cstdint>
#include <utility>

namespace {

// The 32-bit value an event parameter carries.
LONG Low32(LONG_PTR param) { return static_cast<LONG>(static_cast<std::uint32_t>(static_cast<ULONG_PTR>(param))); }
ULONG ULow32(LONG_PTR param) { return static_cast<ULONG>(static_cast<ULONG_PTR>(param)); }

template <class Handler, class... Args> void Raise(const Handler &handler, Args &&...args) {
  if (handler) handler(std::forward<Args>(args)...);
}

std::u16string PlatformString(LONG_PTR param) {
  const auto *text = reinterpret_cast<const WCHAR *>(param);
  return text ? std::u16string(text) : std::u16string();
}

} // namespace

LRESULT TFilterGraph::NotificationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_GRAPHNOTIFY) return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    PumpGraphEvents();
  } catch (...) {
    Application().HandleException(this, std::current_exception());
  }
  return 0;
}

void TFilterGraph::PumpGraphEvents() {
  // Held locally: a handler may deactivate the component, which lets the interface go.
  ComPtr<IMediaEventEx> events = mediaEvent_;
  if (!events) return;
  LONG code = 0;
  LONG_PTR param1 = 0, param2 = 0;
  while (events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
    struct FreeParams {
      IMediaEventEx *events;
      LONG code;
      LONG_PTR param1, param2;
      ~FreeParams() { events->FreeEventParams(code, param1, param2); }
    } freeParams{events.Get(), code, param1, param2};
    DispatchGraphEvent(code, param1, param2);
    // Events flow only to the component that still holds this graph's events.
    if (mediaEvent_.Get() != events.Get()) break;
  }
}

void TFilterGraph::DispatchGraphEvent(LONG event, LONG_PTR param1, LONG_PTR param2) {
  const std::size_t count = listeners_.size();
  for (std::size_t i = 0; i < count && i < listeners_.size(); ++i) listeners_[i]->GraphNotify(event, param1, param2);
  Raise(OnDSEvent, this, event, param1, param2);

  const LONG p1 = Low32(param1);
  const LONG p2 = Low32(param2);
  switch (event) {
  case EC_COMPLETE:
    Raise(OnGraphComplete, this, p1, reinterpret_cast<IBaseFilter *>(param2));
    break;
  case EC_USERABORT:
    Raise(OnGraphUserAbort, this);
    break;
  case EC_ERRORABORT:
    Raise(OnGraphErrorAbort, this, p1);
    break;
  case EC_STREAM_ERROR_STOPPED:
    Raise(OnGraphStreamErrorStopped, this, p1, ULow32(param2));
    break;
  case EC_STREAM_ERROR_STILLPLAYING:
    Raise(OnGraphStreamErrorStillPlaying, this, p1, ULow32(param2));
    break;
  case EC_ERROR_STILLPLAYING:
    Raise(OnGraphErrorStillPlaying, this, p1);
    break;
  case EC_PALETTE_CHANGED:
    Raise(OnGraphPaletteChanged, this);
    break;
  case EC_VIDEO_SIZE_CHANGED:
    Raise(OnGraphVideoSizeChanged, this, static_cast<WORD>(ULow32(param1) & 0xFFFF),
          static_cast<WORD>(ULow32(param1) >> 16));
    break;
  case EC_QUALITY_CHANGE:
    Raise(OnGraphQualityChange, this);
    break;
  case EC_CLOCK_CHANGED:
    Raise(OnGraphClockChanged, this);
    break;
  case EC_PAUSED:
    Raise(OnGraphPaused, this, p1);
    break;
  case EC_OPENING_FILE:
    Raise(OnGraphOpeningFile, this, p1 == 1);
    break;
  case EC_BUFFERING_DATA:
    Raise(OnGraphBufferingData, this, p1 == 1);
    break;
  case EC_FULLSCREEN_LOST:
    Raise(OnGraphFullscreenLost, this, reinterpret_cast<IBaseFilter *>(param2));
    break;
  case EC_OLE_EVENT:
    if (OnGraphOleEvent) OnGraphOleEvent(this, PlatformString(param1), PlatformString(param2));
    break;
  case EC_STREAM_CONTROL_STOPPED:
    Raise(OnGraphStreamControlStopped, this, reinterpret_cast<IPin *>(param1), ULow32(param2));
    break;
  case EC_STREAM_CONTROL_STARTED:
    Raise(OnGraphStreamControlStarted, this, reinterpret_cast<IPin *>(param1), ULow32(param2));
    break;
  case EC_END_OF_SEGMENT:
    if (OnGraphEndOfSegment) {
      // The stream time travels behind a pointer; a missing one reads as 0.
      const auto *time = reinterpret_cast<const LONGLONG *>(param1);
      OnGraphEndOfSegment(this, time ? *time : 0, ULow32(param2));
    }
    break;
  case EC_DEVICE_LOST:
    Raise(OnGraphDeviceLost, this, reinterpret_cast<IUnknown *>(param1), p2 == 1);
    break;
  case EC_STEP_COMPLETE:
    Raise(OnGraphStepComplete, this);
    break;
  case EC_TIMECODE_AVAILABLE:
    Raise(OnGraphTimeCodeAvailable, this, reinterpret_cast<IBaseFilter *>(param1), ULow32(param2));
    break;
  case EC_EXTDEVICE_MODE_CHANGE:
    Raise(OnGraphEXTDeviceModeChange, this, ULow32(param1), ULow32(param2));
    break;
  case EC_GRAPH_CHANGED:
    Raise(OnGraphChanged, this);
    break;
  case EC_CLOCK_UNSET:
    Raise(OnGraphClockUnset, this);
    break;
  case EC_VMR_RENDERDEVICE_SET:
    Raise(OnGraphVMRRenderDevice, this, p1);
    break;
  case EC_SNDDEV_IN_ERROR:
    Raise(OnGraphSNDDevInError, this, static_cast<SNDDEV_ERR>(p1), ULow32(param2));
    break;
  case EC_SNDDEV_OUT_ERROR:
    Raise(OnGraphSNDDevOutError, this, static_cast<SNDDEV_ERR>(p1), ULow32(param2));
    break;
  default:
    DispatchDvdEvent(event, param1, param2);
    break;
  }
}

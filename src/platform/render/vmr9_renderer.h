// The mixing renderer (CLSID_VideoMixingRenderer9).
//   Modes: windowed (default; its own window through IVideoWindow, as the video
//   renderer's) and windowless (draws into a child surface of the window given to
//   SetVideoClippingWindow, at the SetVideoPosition rectangle; the surface lets
//   input through to that window). Renderless needs an allocator-presenter, which
//   this platform has none of: SetRenderingMode(Renderless) fails with
//   VFW_E_WRONG_STATE. The mode can change only while no input is connected.
//   Streams: SetNumberOfStreams(1..16) before connecting gives that many input pins
//   ("VMR Input0".."VMR Input15"); stream 0 is the picture shown, the others are
//   accepted and not mixed in.
//   Rendering preferences kept: ForceOffscreen, DoNotRenderColorKeyAndBorder,
//   RestrictToInitialMonitor. ForceOverlays and PreferAGPMemWhenMixing have no
//   meaning here and are dropped; GetRenderingPrefs reads back what was kept.
//   Aspect ratio: VMR9ARMode_None stretches to the destination, LetterBox keeps the
//   picture's display aspect with border-coloured bars.
#pragma once

#include "render/video_renderer_base.h"
#include "render/video_window.h"

#include "dshow/vmr9.h"

#include <QPointer>

#include <memory>
#include <vector>

namespace render {

class Vmr9Renderer final : public VideoRendererBase,
                           public VideoWindowImpl,
                           public IVMRFilterConfig9,
                           public IVMRWindowlessControl9,
                           public IVMRAspectRatioControl9 {
public:
  static HRESULT Create(REFIID iid, void **object);
  Vmr9Renderer(); // use Create

  HRESULT QueryInterface(REFIID iid, void **object) override { return BaseFilter::QueryInterface(iid, object); }
  ULONG AddRef() override { return BaseFilter::AddRef(); }
  ULONG Release() override { return BaseFilter::Release(); }

  int PinCount() override;
  graph::BasePin *GetPin(int index) override;

  // IVMRFilterConfig9
  HRESULT SetImageCompositor(IUnknown *compositor) override;
  HRESULT SetNumberOfStreams(DWORD streams) override;
  HRESULT GetNumberOfStreams(DWORD *streams) override;
  HRESULT SetRenderingPrefs(DWORD prefs) override;
  HRESULT GetRenderingPrefs(DWORD *prefs) override;
  HRESULT SetRenderingMode(DWORD mode) override;
  HRESULT GetRenderingMode(DWORD *mode) override;
  // IVMRWindowlessControl9 (VFW_E_WRONG_STATE unless windowless)
  HRESULT GetNativeVideoSize(LONG *width, LONG *height, LONG *arWidth, LONG *arHeight) override;
  HRESULT GetMinIdealVideoSize(LONG *width, LONG *height) override;
  HRESULT GetMaxIdealVideoSize(LONG *width, LONG *height) override;
  HRESULT SetVideoPosition(const RECT *source, const RECT *destination) override;
  HRESULT GetVideoPosition(RECT *source, RECT *destination) override;
  HRESULT GetAspectRatioMode(DWORD *mode) override;
  HRESULT SetAspectRatioMode(DWORD mode) override;
  HRESULT SetVideoClippingWindow(HWND hwnd) override;
  HRESULT RepaintVideo(HWND hwnd, HDC hdc) override;
  HRESULT DisplayModeChanged() override;
  HRESULT GetCurrentImage(BYTE **image) override;
  HRESULT SetBorderColor(COLORREF color) override;
  HRESULT GetBorderColor(COLORREF *color) override;

private:
  ~Vmr9Renderer() override;

  HRESULT QueryExtraInterface(REFIID iid, void **object) override;
  VideoWidget *Surface() override;
  QPoint SurfaceOffset() override;
  bool NativeSize(LONG *width, LONG *height) override;
  HRESULT OnPause(FILTER_STATE from) override;
  bool AnyPinConnected();
  bool Windowless() const { return mode_ == VMR9Mode_Windowless; }

  DWORD mode_ = VMR9Mode_Windowed;
  DWORD prefs_ = 0;
  DWORD aspectMode_ = VMR9ARMode_None;
  COLORREF border_ = 0;
  bool streamsSet_ = false;
  ComPtr<IUnknown> compositor_;
  std::vector<std::unique_ptr<VideoInputPin>> pins_;
  std::atomic<VideoWidget *> surface_{nullptr}; // what shows the pictures now
  VideoWidget *window_ = nullptr;               // windowed mode's own window
  QPointer<VideoWidget> windowless_;            // the surface inside the clipping window
  QPointer<QWidget> clipping_;
  RECT source_{0, 0, 0, 0}, dest_{0, 0, 0, 0};
};

} // namespace render

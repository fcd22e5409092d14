// The mixing renderer's configuration, windowless and aspect-ratio interfaces.
#pragma once

#include "dshow/strmif.h"

constexpr DWORD VMR9Mode_Windowed = 0x1;
constexpr DWORD VMR9Mode_Windowless = 0x2;
constexpr DWORD VMR9Mode_Renderless = 0x4;

constexpr DWORD VMR9ARMode_None = 0;
constexpr DWORD VMR9ARMode_LetterBox = 1;
constexpr DWORD VMR_ARMODE_NONE = VMR9ARMode_None;
constexpr DWORD VMR_ARMODE_LETTER_BOX = VMR9ARMode_LetterBox;

// Rendering preference bits understood by the mixing renderer.
constexpr DWORD RenderPrefs_ForceOffscreen = 0x01;
constexpr DWORD RenderPrefs_ForceOverlays = 0x02;
constexpr DWORD RenderPrefs_AllowOverlays = 0x00;
constexpr DWORD RenderPrefs_DoNotRenderColorKeyAndBorder = 0x08;
constexpr DWORD RenderPrefs_RestrictToInitialMonitor = 0x10;
constexpr DWORD RenderPrefs_PreferAGPMemWhenMixing = 0x20;
constexpr DWORD RenderPrefs_Mask = 0x3F;

constexpr DWORD MAX_MIXER_STREAMS = 16;

QDVD_DECLARE_IID(IVMRFilterConfig9, 0x5A804648, 0x4F66, 0x4867, 0x9C, 0x43, 0x4F, 0x5C, 0x82, 0x2C, 0xF1, 0xB8)
struct IVMRFilterConfig9 : IUnknown {
  virtual HRESULT SetImageCompositor(IUnknown *compositor) = 0;
  virtual HRESULT SetNumberOfStreams(DWORD streams) = 0;
  virtual HRESULT GetNumberOfStreams(DWORD *streams) = 0;
  virtual HRESULT SetRenderingPrefs(DWORD prefs) = 0;
  virtual HRESULT GetRenderingPrefs(DWORD *prefs) = 0;
  virtual HRESULT SetRenderingMode(DWORD mode) = 0;
  virtual HRESULT GetRenderingMode(DWORD *mode) = 0;
};

QDVD_DECLARE_IID(IVMRWindowlessControl9, 0x8F537D09, 0xF85E, 0x4414, 0xB2, 0x3B, 0x50, 0x2E, 0x54, 0xC7, 0x99, 0x27)
struct IVMRWindowlessControl9 : IUnknown {
  virtual HRESULT GetNativeVideoSize(LONG *width, LONG *height, LONG *arWidth, LONG *arHeight) = 0;
  virtual HRESULT GetMinIdealVideoSize(LONG *width, LONG *height) = 0;
  virtual HRESULT GetMaxIdealVideoSize(LONG *width, LONG *height) = 0;
  virtual HRESULT SetVideoPosition(const RECT *source, const RECT *destination) = 0;
  virtual HRESULT GetVideoPosition(RECT *source, RECT *destination) = 0;
  virtual HRESULT GetAspectRatioMode(DWORD *mode) = 0;
  virtual HRESULT SetAspectRatioMode(DWORD mode) = 0;
  virtual HRESULT SetVideoClippingWindow(HWND hwnd) = 0;
  virtual HRESULT RepaintVideo(HWND hwnd, HDC hdc) = 0;
  virtual HRESULT DisplayModeChanged() = 0;
  virtual HRESULT GetCurrentImage(BYTE **image) = 0;
  virtual HRESULT SetBorderColor(COLORREF color) = 0;
  virtual HRESULT GetBorderColor(COLORREF *color) = 0;
};

QDVD_DECLARE_IID(IVMRAspectRatioControl9, 0x00D96C29, 0xBBDE, 0x4EFC, 0x99, 0x01, 0xBB, 0x50, 0x36, 0x39, 0x21, 0x46)
struct IVMRAspectRatioControl9 : IUnknown {
  virtual HRESULT GetAspectRatioMode(DWORD *mode) = 0;
  virtual HRESULT SetAspectRatioMode(DWORD mode) = 0;
};

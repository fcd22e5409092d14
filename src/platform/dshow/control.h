// Graph control interfaces: run state, events, audio, seeking, frame step, video window.
#pragma once

#include "dshow/strmif.h"

QDVD_DECLARE_IID(IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaControl : IUnknown {
  // S_OK when every filter reached the state, S_FALSE while a transition is pending.
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(LONG msTimeout, OAFilterState *state) = 0;
  virtual HRESULT StopWhenReady() = 0;
};

QDVD_DECLARE_IID(IMediaEvent, 0x56A868B6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaEvent : IUnknown {
  virtual HRESULT GetEventHandle(OAEVENT *handle) = 0;
  // E_ABORT when nothing arrives within msTimeout (0 = do not wait, -1 = forever).
  virtual HRESULT GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) = 0;
  virtual HRESULT WaitForCompletion(LONG msTimeout, LONG *code) = 0;
  virtual HRESULT CancelDefaultHandling(LONG code) = 0;
  virtual HRESULT RestoreDefaultHandling(LONG code) = 0;
  virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

constexpr LONG AM_MEDIAEVENT_NONOTIFY = 0x01;

QDVD_DECLARE_IID(IMediaEventEx, 0x56A868C0, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IMediaEventEx : IMediaEvent {
  // Posts message `msg` (wParam = 0, lParam = instance) to the window for every queued event.
  virtual HRESULT SetNotifyWindow(OAHWND hwnd, LONG msg, LONG_PTR instance) = 0;
  virtual HRESULT SetNotifyFlags(LONG flags) = 0;
  virtual HRESULT GetNotifyFlags(LONG *flags) = 0;
};

QDVD_DECLARE_IID(IBasicAudio, 0x56A868B3, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IBasicAudio : IUnknown {
  // Hundredths of a decibel: -10000 silence .. 0 full.
  virtual HRESULT put_Volume(LONG volume) = 0;
  virtual HRESULT get_Volume(LONG *volume) = 0;
  // -10000 (right silent) .. 10000 (left silent).
  virtual HRESULT put_Balance(LONG balance) = 0;
  virtual HRESULT get_Balance(LONG *balance) = 0;
};

constexpr DWORD AM_SEEKING_CanSeekAbsolute = 0x1;
constexpr DWORD AM_SEEKING_CanSeekForwards = 0x2;
constexpr DWORD AM_SEEKING_CanSeekBackwards = 0x4;
constexpr DWORD AM_SEEKING_CanGetCurrentPos = 0x8;
constexpr DWORD AM_SEEKING_CanGetStopPos = 0x10;
constexpr DWORD AM_SEEKING_CanGetDuration = 0x20;
constexpr DWORD AM_SEEKING_CanPlayBackwards = 0x40;

QDVD_DECLARE_IID(IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60)
struct IMediaSeeking : IUnknown {
  virtual HRESULT GetCapabilities(DWORD *capabilities) = 0;
  virtual HRESULT GetCurrentPosition(LONGLONG *position) = 0;
  virtual HRESULT GetDuration(LONGLONG *duration) = 0;
  virtual HRESULT SetRate(double rate) = 0;
  virtual HRESULT GetRate(double *rate) = 0;
};

QDVD_DECLARE_IID(IVideoFrameStep, 0xE46A9787, 0x2B71, 0x444D, 0xA4, 0xB5, 0x1F, 0xAB, 0x7B, 0x70, 0x8D, 0x6A)
struct IVideoFrameStep : IUnknown {
  virtual HRESULT Step(DWORD frames, IUnknown *stepObject) = 0;
  virtual HRESULT CanStep(LONG multiple, IUnknown *stepObject) = 0;
  virtual HRESULT CancelStep() = 0;
};

QDVD_DECLARE_IID(IVideoWindow, 0x56A868B4, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70)
struct IVideoWindow : IUnknown {
  virtual HRESULT put_Caption(BSTR caption) = 0;
  virtual HRESULT get_Caption(BSTR *caption) = 0;
  virtual HRESULT put_WindowStyle(LONG style) = 0;
  virtual HRESULT get_WindowStyle(LONG *style) = 0;
  virtual HRESULT put_WindowStyleEx(LONG style) = 0;
  virtual HRESULT get_WindowStyleEx(LONG *style) = 0;
  virtual HRESULT put_AutoShow(LONG autoShow) = 0;
  virtual HRESULT get_AutoShow(LONG *autoShow) = 0;
  virtual HRESULT put_WindowState(LONG state) = 0;
  virtual HRESULT get_WindowState(LONG *state) = 0;
  virtual HRESULT put_Visible(LONG visible) = 0;
  virtual HRESULT get_Visible(LONG *visible) = 0;
  virtual HRESULT put_Left(LONG left) = 0;
  virtual HRESULT get_Left(LONG *left) = 0;
  virtual HRESULT put_Width(LONG width) = 0;
  virtual HRESULT get_Width(LONG *width) = 0;
  virtual HRESULT put_Top(LONG top) = 0;
  virtual HRESULT get_Top(LONG *top) = 0;
  virtual HRESULT put_Height(LONG height) = 0;
  virtual HRESULT get_Height(LONG *height) = 0;
  virtual HRESULT put_Owner(OAHWND owner) = 0;
  virtual HRESULT get_Owner(OAHWND *owner) = 0;
  virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
  virtual HRESULT get_MessageDrain(OAHWND *drain) = 0;
  virtual HRESULT get_BorderColor(LONG *color) = 0;
  virtual HRESULT put_BorderColor(LONG color) = 0;
  virtual HRESULT get_FullScreenMode(LONG *mode) = 0;
  virtual HRESULT put_FullScreenMode(LONG mode) = 0;
  virtual HRESULT SetWindowForeground(LONG focus) = 0;
  virtual HRESULT NotifyOwnerMessage(OAHWND hwnd, LONG msg, LONG_PTR wParam, LONG_PTR lParam) = 0;
  virtual HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
  virtual HRESULT GetWindowPosition(LONG *left, LONG *top, LONG *width, LONG *height) = 0;
  virtual HRESULT GetMinIdealImageSize(LONG *width, LONG *height) = 0;
  virtual HRESULT GetMaxIdealImageSize(LONG *width, LONG *height) = 0;
  virtual HRESULT GetRestorePosition(LONG *left, LONG *top, LONG *width, LONG *height) = 0;
  virtual HRESULT HideCursor(LONG hide) = 0;
  virtual HRESULT IsCursorHidden(LONG *hidden) = 0;
};

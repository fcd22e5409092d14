// IVideoWindow over a VideoWidget, shared by the video renderer and the mixing
// renderer in windowed mode: owner (child of the owner's widget, or a top-level
// window), style words, position, caption, visibility, message drain, border colour,
// cursor and full screen. Every call does its widget work on the GUI thread.
//
// The deriving filter routes IUnknown to itself and answers IVideoWindow.
#pragma once

#include "render/video_widget.h"

#include "dshow/control.h"

#include <QPointer>

namespace render {

class VideoWindowImpl : public IVideoWindow {
public:
  HRESULT put_Caption(BSTR caption) override;
  HRESULT get_Caption(BSTR *caption) override;
  HRESULT put_WindowStyle(LONG style) override;
  HRESULT get_WindowStyle(LONG *style) override;
  HRESULT put_WindowStyleEx(LONG style) override;
  HRESULT get_WindowStyleEx(LONG *style) override;
  HRESULT put_AutoShow(LONG autoShow) override;
  HRESULT get_AutoShow(LONG *autoShow) override;
  HRESULT put_WindowState(LONG state) override;
  HRESULT get_WindowState(LONG *state) override;
  HRESULT put_Visible(LONG visible) override;
  HRESULT get_Visible(LONG *visible) override;
  HRESULT put_Left(LONG left) override;
  HRESULT get_Left(LONG *left) override;
  HRESULT put_Width(LONG width) override;
  HRESULT get_Width(LONG *width) override;
  HRESULT put_Top(LONG top) override;
  HRESULT get_Top(LONG *top) override;
  HRESULT put_Height(LONG height) override;
  HRESULT get_Height(LONG *height) override;
  HRESULT put_Owner(OAHWND owner) override;
  HRESULT get_Owner(OAHWND *owner) override;
  HRESULT put_MessageDrain(OAHWND drain) override;
  HRESULT get_MessageDrain(OAHWND *drain) override;
  HRESULT get_BorderColor(LONG *color) override;
  HRESULT put_BorderColor(LONG color) override;
  HRESULT get_FullScreenMode(LONG *mode) override;
  HRESULT put_FullScreenMode(LONG mode) override;
  HRESULT SetWindowForeground(LONG focus) override;
  HRESULT NotifyOwnerMessage(OAHWND hwnd, LONG msg, LONG_PTR wParam, LONG_PTR lParam) override;
  HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
  HRESULT GetWindowPosition(LONG *left, LONG *top, LONG *width, LONG *height) override;
  HRESULT GetMinIdealImageSize(LONG *width, LONG *height) override;
  HRESULT GetMaxIdealImageSize(LONG *width, LONG *height) override;
  HRESULT GetRestorePosition(LONG *left, LONG *top, LONG *width, LONG *height) override;
  HRESULT HideCursor(LONG hide) override;
  HRESULT IsCursorHidden(LONG *hidden) override;

protected:
  VideoWindowImpl() = default;
  ~VideoWindowImpl() override = default;

  // The widget (created by the filter on the GUI thread); null = no window (calls fail).
  void AttachWindow(VideoWidget *widget);
  VideoWidget *Window() const { return widget_; }
  // The stored picture size, false while unknown.
  virtual bool NativeSize(LONG *width, LONG *height) = 0;
  // Shows the window when the graph pauses or runs if AutoShow is on (GUI thread).
  void AutoShowNow();
  // Gives the window the picture's size unless the program placed it already.
  void SizeToPicture(LONG width, LONG height);

private:
  HRESULT Check() const { return widget_ ? S_OK : E_UNEXPECTED; }
  void ApplyPlacement(); // owner, style words and full screen -> widget (GUI thread)
  // One style word read, or replaced and applied.
  HRESULT GetStyleWord(LONG word, LONG *value) const;
  HRESULT PutStyleWord(LONG *word, LONG value);
  // One part of the window rectangle (kLeft..kHeight) read, or replaced and applied.
  enum { kLeft, kTop, kWidth, kHeight };
  HRESULT GetPositionPart(int part, LONG *value);
  HRESULT PutPositionPart(int part, LONG value);

  VideoWidget *widget_ = nullptr;
  QPointer<QWidget> owner_;
  OAHWND ownerHandle_ = 0, drainHandle_ = 0;
  LONG style_ = static_cast<LONG>(0x00CF0000 | 0x04000000 | 0x02000000); // overlapped window, clip siblings/children
  LONG exStyle_ = 0;
  LONG autoShow_ = OATRUE;
  LONG border_ = 0;
  bool cursorHidden_ = false;
  bool placed_ = false;
  bool fullScreen_ = false;
  QRect restore_;
};

} // namespace render

#include "render/video_window.h"

#include "render/gui_thread.h"
#include "dshow/errors.h"
#include "win/winuser.h"

#include <QGuiApplication>
#include <QScreen>

namespace render {
namespace {

constexpr LONG kStylesRefused = static_cast<LONG>(WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

QRect ScreenRect(QWidget *w) {
  QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(0, 0, 1280, 1024);
}

} // namespace

void VideoWindowImpl::AttachWindow(VideoWidget *widget) { widget_ = widget; }

void VideoWindowImpl::ApplyPlacement() {
  QWidget *w = widget_;
  const bool visible = !w->isHidden();
  constexpr Qt::WindowFlags mask = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
  QWidget *owner = fullScreen_ ? nullptr : owner_.data();
  if (owner) {
    if (w->parentWidget() != owner || w->isWindow()) {
      const QRect g = w->geometry();
      w->setParent(owner, Qt::Widget);
      w->setGeometry(g);
    }
  } else {
    Qt::WindowFlags want = Qt::Window;
    if (fullScreen_ || !(style_ & static_cast<LONG>(WS_CAPTION | WS_THICKFRAME))) want |= Qt::FramelessWindowHint;
    if (fullScreen_ || (exStyle_ & static_cast<LONG>(WS_EX_TOPMOST))) want |= Qt::WindowStaysOnTopHint;
    if (!w->isWindow() || (w->windowFlags() & mask) != want) {
      QRect g = w->geometry();
      if (!w->isWindow()) g.moveTopLeft(w->mapToGlobal(QPoint(0, 0)));
      w->setParent(nullptr, want);
      w->setGeometry(g);
    }
    if (fullScreen_) w->setGeometry(ScreenRect(w));
  }
  if (visible) w->show();
}

HRESULT VideoWindowImpl::put_Caption(BSTR caption) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  QString text = caption ? QString::fromUtf16(caption) : QString();
  RunOnGui([&] { widget_->setWindowTitle(text); });
  return S_OK;
}

HRESULT VideoWindowImpl::get_Caption(BSTR *caption) {
  if (!caption) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  QString text;
  RunOnGui([&] { text = widget_->windowTitle(); });
  *caption = SysAllocStringLen(reinterpret_cast<const WCHAR *>(text.utf16()), static_cast<UINT>(text.size()));
  return *caption ? S_OK : E_OUTOFMEMORY;
}

HRESULT VideoWindowImpl::GetStyleWord(LONG word, LONG *value) const {
  if (!value) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  *value = word;
  return S_OK;
}

HRESULT VideoWindowImpl::PutStyleWord(LONG *word, LONG value) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  *word = value;
  RunOnGui([&] { ApplyPlacement(); });
  return S_OK;
}

HRESULT VideoWindowImpl::put_WindowStyle(LONG style) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  if (style & kStylesRefused) return E_INVALIDARG;
  return PutStyleWord(&style_, style);
}

HRESULT VideoWindowImpl::get_WindowStyle(LONG *style) { return GetStyleWord(style_, style); }
HRESULT VideoWindowImpl::put_WindowStyleEx(LONG style) { return PutStyleWord(&exStyle_, style); }
HRESULT VideoWindowImpl::get_WindowStyleEx(LONG *style) { return GetStyleWord(exStyle_, style); }

HRESULT VideoWindowImpl::put_AutoShow(LONG autoShow) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  autoShow_ = autoShow ? OATRUE : OAFALSE;
  return S_OK;
}

HRESULT VideoWindowImpl::get_AutoShow(LONG *autoShow) {
  if (!autoShow) return E_POINTER;
  *autoShow = autoShow_;
  return Check();
}

HRESULT VideoWindowImpl::put_WindowState(LONG state) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] {
    switch (state) {
    case SW_HIDE: widget_->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: widget_->showMinimized(); break;
    case SW_SHOWMAXIMIZED: widget_->showMaximized(); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: widget_->showNormal(); break;
    default: widget_->show(); break;
    }
  });
  return S_OK;
}

HRESULT VideoWindowImpl::get_WindowState(LONG *state) {
  if (!state) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] {
    if (widget_->isHidden()) *state = SW_HIDE;
    else if (widget_->isMinimized()) *state = SW_SHOWMINIMIZED;
    else if (widget_->isMaximized()) *state = SW_SHOWMAXIMIZED;
    else *state = SW_SHOWNORMAL;
  });
  return S_OK;
}

HRESULT VideoWindowImpl::put_Visible(LONG visible) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  if (visible != OATRUE && visible != OAFALSE) return E_INVALIDARG;
  RunOnGui([&] { widget_->setVisible(visible == OATRUE); });
  return S_OK;
}

HRESULT VideoWindowImpl::get_Visible(LONG *visible) {
  if (!visible) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] { *visible = widget_->isHidden() ? OAFALSE : OATRUE; });
  return S_OK;
}

HRESULT VideoWindowImpl::GetPositionPart(int part, LONG *value) {
  if (!value) return E_POINTER;
  LONG r[4];
  if (HRESULT hr = GetWindowPosition(&r[kLeft], &r[kTop], &r[kWidth], &r[kHeight]); FAILED(hr)) return hr;
  *value = r[part];
  return S_OK;
}

HRESULT VideoWindowImpl::PutPositionPart(int part, LONG value) {
  LONG r[4];
  if (HRESULT hr = GetWindowPosition(&r[kLeft], &r[kTop], &r[kWidth], &r[kHeight]); FAILED(hr)) return hr;
  r[part] = value;
  return SetWindowPosition(r[kLeft], r[kTop], r[kWidth], r[kHeight]);
}

HRESULT VideoWindowImpl::put_Left(LONG left) { return PutPositionPart(kLeft, left); }
HRESULT VideoWindowImpl::get_Left(LONG *left) { return GetPositionPart(kLeft, left); }
HRESULT VideoWindowImpl::put_Width(LONG width) { return PutPositionPart(kWidth, width); }
HRESULT VideoWindowImpl::get_Width(LONG *width) { return GetPositionPart(kWidth, width); }
HRESULT VideoWindowImpl::put_Top(LONG top) { return PutPositionPart(kTop, top); }
HRESULT VideoWindowImpl::get_Top(LONG *top) { return GetPositionPart(kTop, top); }
HRESULT VideoWindowImpl::put_Height(LONG height) { return PutPositionPart(kHeight, height); }
HRESULT VideoWindowImpl::get_Height(LONG *height) { return GetPositionPart(kHeight, height); }

HRESULT VideoWindowImpl::put_Owner(OAHWND owner) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  QWidget *ownerWidget = nullptr;
  if (owner) {
    ownerWidget = WidgetFromWindow(reinterpret_cast<HWND>(owner));
    if (!ownerWidget) return E_INVALIDARG;
  }
  RunOnGui([&] {
    owner_ = ownerWidget;
    ownerHandle_ = owner;
    ApplyPlacement();
  });
  return S_OK;
}

HRESULT VideoWindowImpl::get_Owner(OAHWND *owner) {
  if (!owner) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] { *owner = owner_ ? ownerHandle_ : 0; });
  return S_OK;
}

HRESULT VideoWindowImpl::put_MessageDrain(OAHWND drain) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  QWidget *drainWidget = nullptr;
  if (drain) {
    drainWidget = WidgetFromWindow(reinterpret_cast<HWND>(drain));
    if (!drainWidget) return E_INVALIDARG;
  }
  RunOnGui([&] {
    drainHandle_ = drain;
    widget_->SetDrain(drainWidget);
  });
  return S_OK;
}

HRESULT VideoWindowImpl::get_MessageDrain(OAHWND *drain) {
  if (!drain) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] { *drain = widget_->Drain() ? drainHandle_ : 0; });
  return S_OK;
}

HRESULT VideoWindowImpl::get_BorderColor(LONG *color) {
  if (!color) return E_POINTER;
  *color = border_;
  return Check();
}

HRESULT VideoWindowImpl::put_BorderColor(LONG color) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  border_ = color;
  const QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); // 0x00BBGGRR
  RunOnGui([&] { widget_->SetBorderColor(c); });
  return S_OK;
}

HRESULT VideoWindowImpl::get_FullScreenMode(LONG *mode) {
  if (!mode) return E_POINTER;
  *mode = fullScreen_ ? OATRUE : OAFALSE;
  return Check();
}

HRESULT VideoWindowImpl::put_FullScreenMode(LONG mode) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  const bool want = mode != OAFALSE;
  if (want == fullScreen_) return S_OK;
  RunOnGui([&] {
    if (want) restore_ = widget_->geometry();
    fullScreen_ = want;
    ApplyPlacement();
    if (!want) widget_->setGeometry(restore_);
  });
  return S_OK;
}

HRESULT VideoWindowImpl::SetWindowForeground(LONG focus) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] {
    widget_->raise();
    if (focus) widget_->activateWindow();
  });
  return S_OK;
}

HRESULT VideoWindowImpl::NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) { return Check(); }

HRESULT VideoWindowImpl::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  if (width < 0 || height < 0) return E_INVALIDARG;
  RunOnGui([&] {
    placed_ = true;
    // Owned: the owner's client coordinates; unowned: the screen's.
    widget_->setGeometry(left, top, width, height);
  });
  return S_OK;
}

HRESULT VideoWindowImpl::GetWindowPosition(LONG *left, LONG *top, LONG *width, LONG *height) {
  if (!left || !top || !width || !height) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] {
    const QRect g = widget_->geometry();
    *left = g.x();
    *top = g.y();
    *width = g.width();
    *height = g.height();
  });
  return S_OK;
}

HRESULT VideoWindowImpl::GetMinIdealImageSize(LONG *width, LONG *height) {
  if (!width || !height) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  return NativeSize(width, height) ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT VideoWindowImpl::GetMaxIdealImageSize(LONG *width, LONG *height) {
  if (!width || !height) return E_POINTER;
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  RunOnGui([&] {
    const QRect s = ScreenRect(widget_);
    *width = s.width();
    *height = s.height();
  });
  return S_OK;
}

HRESULT VideoWindowImpl::GetRestorePosition(LONG *left, LONG *top, LONG *width, LONG *height) {
  if (!left || !top || !width || !height) return E_POINTER;
  if (!fullScreen_) return GetWindowPosition(left, top, width, height);
  *left = restore_.x();
  *top = restore_.y();
  *width = restore_.width();
  *height = restore_.height();
  return S_OK;
}

HRESULT VideoWindowImpl::HideCursor(LONG hide) {
  if (HRESULT hr = Check(); FAILED(hr)) return hr;
  cursorHidden_ = hide != OAFALSE;
  RunOnGui([&] { widget_->SetCursorHidden(cursorHidden_); });
  return S_OK;
}

HRESULT VideoWindowImpl::IsCursorHidden(LONG *hidden) {
  if (!hidden) return E_POINTER;
  *hidden = cursorHidden_ ? OATRUE : OAFALSE;
  return Check();
}

void VideoWindowImpl::AutoShowNow() {
  if (!widget_ || autoShow_ == OAFALSE) return;
  RunOnGui([&] { widget_->show(); });
}

void VideoWindowImpl::SizeToPicture(LONG width, LONG height) {
  if (!widget_ || placed_ || width <= 0 || height <= 0) return;
  RunOnGui([&] { widget_->resize(width, height); });
}

} // namespace render

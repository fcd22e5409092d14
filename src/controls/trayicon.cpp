#include "controls/trayicon.h"

#include "framework/application.h"
#include "framework/hidden_window.h"
#include "win/icon.h"
#include "win/shellapi.h"

#include <QImage>
#include <QMenu>
#include <QVariant>

#include <cstring>

namespace {

// New-style (version 4 shell) controls need a notification area on this desktop.
bool NewStyleControls() { return NotificationAreaAvailable() != FALSE; }

} // namespace

UINT TLMDTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = GetComCtlVersion() >= ComCtlVersionIE4 ? RegisterWindowMessageA("TaskbarCreated") : 0;
  return message;
}

TLMDTrayIcon::TLMDTrayIcon(QObject *owner) : TLMDWndProcComponent(owner) {
  TaskbarCreatedMessage();
  iconWindow_ = AllocateHWnd([this](HWND h, UINT m, WPARAM w, LPARAM l) { return IconWindowProc(h, m, w, l); });
  changeLink_.OnChange = [this](QObject *) { ImageListChange(); };
}

TLMDTrayIcon::~TLMDTrayIcon() {
  MarkDestroying();
  FreeAnimationTimer(tmNormal);
  FreeAnimationTimer(tmHiTimer);
  if (imageList_) imageList_->UnRegisterChanges(&changeLink_);
  UnhookWndProc();
  SetHint(QString());
  NotifyShell(NIM_DELETE);
  DeallocateHWnd(iconWindow_);
  iconWindow_ = nullptr;
  if (iconHandle_) DestroyIcon(iconHandle_);
}

// ---- properties ----

void TLMDTrayIcon::SetActive(bool v) {
  if (v == active_ || !NewStyleControls()) return;
  active_ = v;
  if (Designing()) return;
  if (v) Activate();
  else Deactivate();
}

void TLMDTrayIcon::SetHint(const QString &v) {
  if (v == hint_ && !Loading()) return;
  hint_ = v;
  if (active_) NotifyShell(NIM_MODIFY);
}

void TLMDTrayIcon::SetIcon(const QIcon &v) {
  icon_ = v;
  HICON old = iconHandle_;
  iconHandle_ = CreateIconFromQIcon(icon_);
  if (old) DestroyIcon(old);
  if (active_ && !Designing()) NotifyShell(NIM_MODIFY);
}

void TLMDTrayIcon::SetPopupMenu(QMenu *menu) {
  if (popupMenu_ && popupMenu_ != menu) RemoveFreeNotification(popupMenu_);
  popupMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TLMDTrayIcon::SetImageList(TLMDCustomImageList *list) {
  if (list == imageList_) return;
  if (imageList_) {
    imageList_->UnRegisterChanges(&changeLink_);
    RemoveFreeNotification(imageList_);
  }
  imageList_ = list;
  if (list) {
    list->RegisterChanges(&changeLink_);
    FreeNotification(list);
  }
}

void TLMDTrayIcon::SetTimerMode(TLMDTimerMode v) {
  if (v == timerMode_) return;
  if (Loading()) {
    timerMode_ = v;
    return;
  }
  FreeAnimationTimer(timerMode_);
  timerMode_ = v;
  CreateAnimationTimer(); // switched off until the animation is next switched on
}

void TLMDTrayIcon::SetAnimated(bool v) {
  if (v == animated_) return;
  animated_ = v;
  if (!v) {
    FreeAnimationTimer(timerMode_); // the icon keeps its last frame
    return;
  }
  CreateAnimationTimer();
  EnableAnimation(true);
}

void TLMDTrayIcon::Loaded() {
  TLMDWndProcComponent::Loaded();
  if (active_) {
    active_ = false;
    SetActive(true);
  }
}

void TLMDTrayIcon::Notification(QObject *component, TOperation operation) {
  TLMDWndProcComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (popupMenu_ && component == static_cast<QObject *>(popupMenu_)) popupMenu_ = nullptr;
  // The list is past its own destructor here: only forget it.
  if (imageList_ && component == static_cast<QObject *>(imageList_)) imageList_ = nullptr;
}

// ---- activation ----

void TLMDTrayIcon::Activate() {
  HookWndProc();
  Application().SetShowMainForm(false);
  ShowWindow(Application().Handle(), SW_HIDE);
  Application().ProcessMessages();
  CreateAnimationTimer();
  NotifyShell(NIM_ADD);
  EnableAnimation(true);
}

void TLMDTrayIcon::Deactivate() {
  UnhookWndProc();
  Application().SetShowMainForm(true);
  ShowWindow(Application().Handle(), SW_SHOWNORMAL);
  NotifyShell(NIM_DELETE);
  FreeAnimationTimer(timerMode_);
}

void TLMDTrayIcon::NotifyShell(DWORD message, HICON icon) {
  if (Designing()) return;
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = iconWindow_;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = CallbackMessage;
  data.hIcon = icon;
  const QByteArray tip = hint_.left(static_cast<qsizetype>(sizeof data.szTip) - 1).toLatin1();
  std::memcpy(data.szTip, tip.constData(), static_cast<std::size_t>(tip.size()));
  data.szTip[tip.size()] = '\0';
  Shell_NotifyIconA(message, &data);
}

// ---- messages ----

LRESULT TLMDTrayIcon::IconWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != CallbackMessage) return DefWindowProcA(hwnd, msg, wParam, lParam);
  GetCursorPos(&cursorPos_);
  const int x = cursorPos_.x, y = cursorPos_.y;
  auto down = [&](TMouseButton button, TShiftState shift) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  };
  auto up = [&](TMouseButton button) {
    if (OnClick) OnClick(this);
    if (OnMouseUp) OnMouseUp(this, button, 0, x, y);
  };
  auto doubleClick = [&](TMouseButton button) {
    if (OnDblClick) OnDblClick(this);
    down(button, ssDouble);
  };
  switch (lParam) {
  case WM_MOUSEMOVE:
    if (OnMouseMove) OnMouseMove(this, 0, x, y);
    break;
  case WM_LBUTTONDOWN: down(mbLeft, 0); break;
  case WM_LBUTTONUP: up(mbLeft); break;
  case WM_LBUTTONDBLCLK: doubleClick(mbLeft); break;
  case WM_RBUTTONDOWN:
    down(mbRight, 0);
    if (popupMenu_) {
      if (OnPopUp) OnPopUp(this);
      // (Bringing the application forward first is not needed for the toolkit's menus.)
      Application().ProcessMessages();
      if (popupMenu_) {
        popupMenu_->setProperty("PopupComponent", QVariant::fromValue<QObject *>(this));
        popupMenu_->popup(QPoint(cursorPos_.x, cursorPos_.y));
      }
    }
    break;
  case WM_RBUTTONUP: up(mbRight); break;
  case WM_RBUTTONDBLCLK: doubleClick(mbRight); break;
  case WM_MBUTTONDOWN: down(mbMiddle, 0); break;
  case WM_MBUTTONUP: up(mbMiddle); break;
  case WM_MBUTTONDBLCLK: doubleClick(mbMiddle); break;
  default: break;
  }
  return 0;
}

void TLMDTrayIcon::HideOwner() {
  QWidget *form = OwnerForm();
  if (!form) return;
  form->setVisible(false);
  // A minimized form that is shown again should come back as it was before.
  if (form->windowState() & Qt::WindowMinimized) form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
}

void TLMDTrayIcon::WndProc(TMessage &message) {
  const UINT taskbarCreated = TaskbarCreatedMessage();
  if (taskbarCreated != 0 && message.Msg == taskbarCreated && active_) {
    // The notification area started again: put the icon back.
    active_ = false;
    UnhookWndProc();
    ShowWindow(Application().Handle(), SW_SHOWNORMAL);
    FreeAnimationTimer(timerMode_);
    SetActive(true);
    return;
  }
  if (message.Msg == WM_SHOWWINDOW && active_ && message.WParam != 0) {
    ShowWindow(Application().Handle(), showMinimizedIcon_ ? SW_SHOW : SW_HIDE);
    Default(message);
    return;
  }
  if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_MINIMIZE) {
    Default(message);
    if (!showMinimizedIcon_) {
      ShowWindow(Application().Handle(), SW_HIDE);
      HideOwner();
    }
    return;
  }
  if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CLOSE && noClose_ && active_) {
    ShowWindow(Application().Handle(), SW_HIDE);
    HideOwner();
    if (OnNoClose) OnNoClose(OwnerForm());
    return;
  }
  Default(message);
}

// ---- animation ----

void TLMDTrayIcon::CreateAnimationTimer() {
  if (!animated_) return;
  switch (timerMode_) {
  case tmNormal:
  case tmGlobalTimer:
    if (timer_) return;
    timer_ = new TLMDTimer(this, timerMode_ == tmGlobalTimer);
    timer_->SetInterval(interval_);
    timer_->OnTimer = [this](QObject *) { AnimationStep(); };
    break;
  case tmHiTimer:
  case tmThreaded:
    if (hiTimer_) return;
    hiTimer_ = new TLMDHiTimer(this);
    hiTimer_->SetOnTimer([this](QObject *) { AnimationStep(); });
    hiTimer_->SetUseThread(timerMode_ == tmThreaded);
    break;
  }
}

void TLMDTrayIcon::FreeAnimationTimer(TLMDTimerMode mode) {
  if (mode == tmNormal || mode == tmGlobalTimer) {
    delete timer_;
    timer_ = nullptr;
  } else {
    delete hiTimer_;
    hiTimer_ = nullptr;
  }
}

void TLMDTrayIcon::EnableAnimation(bool on) {
  if (!animated_) return;
  frameIndex_ = 0;
  if (timer_) {
    if (on) timer_->SetInterval(interval_);
    timer_->SetEnabled(on);
  }
  if (hiTimer_) {
    if (on) {
      hiTimer_->SetInterval(interval_);
      hiTimer_->SetThreadPriority(threadPriority_);
    }
    hiTimer_->SetEnabled(on);
  }
}

void TLMDTrayIcon::AnimationStep() {
  if (!imageList_ || Designing()) return;
  const int count = imageList_->Count(listIndex_);
  if (count == 0) return; // nothing to show
  if (frameIndex_ >= count) frameIndex_ = 0;
  QImage frame(TLMDCustomImageList::ImageWidth, TLMDCustomImageList::ImageHeight, QImage::Format_RGB32);
  frame.fill(Qt::white);
  imageList_->Draw(listIndex_, frameIndex_, frame);
  // The mask is the frame in black and white: white pixels let the desktop through.
  QImage picture = frame.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < picture.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x)
      if ((line[x] & 0xFFFFFF) == 0xFFFFFF) line[x] = 0;
  }
  HICON icon = CreateIconFromImage(picture);
  NotifyShell(NIM_MODIFY, icon);
  DestroyIcon(icon);
  if (++frameIndex_ >= count) frameIndex_ = 0;
}

void TLMDTrayIcon::ImageListChange() {
  if (imageList_ && frameIndex_ >= imageList_->Count(listIndex_)) frameIndex_ = 0;
}

// An icon with a tooltip in the desktop's notification area. Mouse actions on the icon
// become events, a right press opens PopupMenu, and while the icon is active the
// application has no task-bar button and the owner form's minimize (and, with NoClose,
// close) commands hide the form instead. The icon can be animated through the images
// of an image list.
//
// Activation needs a notification area: where the desktop has none, Active does not
// change. The popup menu is a QMenu (the framework's TPopupMenu is one); the component
// marks itself as the menu's popup component through the menu's "PopupComponent"
// property before showing it.
#pragma once

#include "controls/hitimer.h"
#include "controls/imagelist.h"
#include "controls/lmdtimer.h"
#include "controls/wndproc_component.h"

#include <QIcon>
#include <QString>

#include <cstdint>

class QMenu;

enum TLMDTimerMode { tmNormal, tmGlobalTimer, tmHiTimer, tmThreaded };
using TLMDTimerInterval = std::uint16_t;

class TLMDTrayIcon : public TLMDWndProcComponent {
  Q_OBJECT
public:
  // The message the notification area sends to IconWindow.
  static constexpr UINT CallbackMessage = WM_USER + 101;
  // The message every top-level window gets when a notification area starts; 0 when
  // the common controls are older than 4.71.
  static UINT TaskbarCreatedMessage();

  explicit TLMDTrayIcon(QObject *owner = nullptr);
  ~TLMDTrayIcon() override;

  // Published properties, in their stored order.
  bool Active() const { return active_; }
  void SetActive(bool v);
  QString Hint() const { return hint_; }
  void SetHint(const QString &v);
  QIcon Icon() const { return icon_; }
  void SetIcon(const QIcon &v);
  bool NoClose() const { return noClose_; }
  void SetNoClose(bool v) { noClose_ = v; }
  bool ShowMinimizedIcon() const { return showMinimizedIcon_; }
  void SetShowMinimizedIcon(bool v) { showMinimizedIcon_ = v; }
  QMenu *PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu *menu);
  TLMDCustomImageList *ImageList() const { return imageList_; }
  void SetImageList(TLMDCustomImageList *list);
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int v) { listIndex_ = v; }
  TLMDTimerMode TimerMode() const { return timerMode_; }
  void SetTimerMode(TLMDTimerMode v);
  TThreadPriority ThreadPriority() const { return threadPriority_; }
  void SetThreadPriority(TThreadPriority v) { threadPriority_ = v; }
  TLMDTimerInterval Interval() const { return interval_; }
  void SetInterval(TLMDTimerInterval v) { interval_ = v; }
  bool Animated() const { return animated_; }
  void SetAnimated(bool v);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnPopUp;
  TNotifyEvent OnNoClose; // sender = the owner form

  void Loaded() override;
  void Notification(QObject *component, TOperation operation) override;

  // State, for the curious and for tests.
  HWND IconWindow() const { return iconWindow_; }
  POINT CursorPos() const { return cursorPos_; }
  int FrameIndex() const { return frameIndex_; }
  TLMDTimer *AnimationTimer() const { return timer_; }
  TLMDHiTimer *AnimationHiTimer() const { return hiTimer_; }

protected:
  void WndProc(TMessage &message) override;

private:
  void Activate();
  void Deactivate();
  void NotifyShell(DWORD message, HICON icon);
  void NotifyShell(DWORD message) { NotifyShell(message, iconHandle_); }
  LRESULT IconWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateAnimationTimer();
  void FreeAnimationTimer(TLMDTimerMode mode);
  void EnableAnimation(bool on);
  void AnimationStep();
  void ImageListChange();
  void HideOwner();

  bool active_ = true;
  QString hint_;
  QIcon icon_;
  HICON iconHandle_ = nullptr;
  bool noClose_ = false;
  bool showMinimizedIcon_ = false;
  QMenu *popupMenu_ = nullptr;
  TLMDCustomImageList *imageList_ = nullptr;
  TLMDChangeLink changeLink_;
  int listIndex_ = 0;
  TLMDTimerMode timerMode_ = tmNormal;
  TThreadPriority threadPriority_ = tpNormal;
  TLMDTimerInterval interval_ = 200;
  bool animated_ = false;
  HWND iconWindow_ = nullptr;
  POINT cursorPos_{0, 0};
  int frameIndex_ = 0;
  TLMDTimer *timer_ = nullptr;
  TLMDHiTimer *hiTimer_ = nullptr;
};

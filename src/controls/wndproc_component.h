// A component that intercepts the window messages of its owner form.
//
// While hooked (HookWndProc .. UnhookWndProc) every message of the owner form reaches
// WndProc first. A message goes on to the form only when WndProc calls Default (the
// base WndProc does nothing else); not calling it consumes the message.
//
// Where the messages come from:
// - the form's window procedure: whatever is sent or posted to WindowFromWidget(form),
//   broadcasts such as "TaskbarCreated" included. The component installs its procedure
//   over the one in place (GetWindowProc) and Default calls that one (or
//   DefWindowProcA). Unhooking puts the previous procedure back when the component's is
//   still on top, else leaves its own in place as a plain pass-through;
// - the toolkit's events of the form, translated into the messages a form would get:
//     shown / hidden by the program        -> WM_SHOWWINDOW, wParam TRUE / FALSE
//     window state turning minimized       -> WM_SYSCOMMAND, wParam SC_MINIMIZE
//     close asked by the user (window
//       manager, title-bar button)         -> WM_SYSCOMMAND, wParam SC_CLOSE
//   Show, Hide and minimizing have already happened when WndProc sees them (Default
//   changes nothing for them; SC_MINIMIZE arrives through the event queue once the
//   form has finished minimizing); a consumed SC_CLOSE keeps the form open. A close asked by
//   the program (QWidget::close) is not intercepted.
// A form needs nothing from its own code for this; the owner must be a widget.
#pragma once

#include "framework/component.h"
#include "win/winuser.h"

#include <QPointer>
#include <QWidget>

#include <memory>

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

class TLMDWndProcComponent : public TComponent {
  Q_OBJECT
public:
  explicit TLMDWndProcComponent(QObject *owner = nullptr);
  ~TLMDWndProcComponent() override;

  // The owner when it is a widget, else null.
  QWidget *OwnerForm() const;
  bool Hooked() const { return hook_ != nullptr; }

protected:
  void HookWndProc();
  void UnhookWndProc();
  virtual void WndProc(TMessage &message);
  // Lets the owner form handle the message as it would have without the component.
  void Default(TMessage &message);

  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  struct Hook;
  struct HookProc;
  void Dispatch(TMessage &message, const std::function<void(TMessage &)> &passOn);
  std::shared_ptr<Hook> hook_;
  const std::function<void(TMessage &)> *passOn_ = nullptr;
};

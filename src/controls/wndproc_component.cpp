#include "controls/wndproc_component.h"

#include <QCloseEvent>
#include <QWindowStateChangeEvent>

// What the installed procedure needs; it outlives the hook when other procedures were
// installed over it.
struct TLMDWndProcComponent::Hook {
  TLMDWndProcComponent *component = nullptr; // null: pass everything on
  QPointer<QWidget> form;
  HWND hwnd = nullptr;
  WNDPROC previous;
};

struct TLMDWndProcComponent::HookProc {
  std::shared_ptr<Hook> hook;
  LRESULT operator()(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) const {
    std::shared_ptr<Hook> h = hook; // the procedure may be replaced while it runs
    auto passOn = [h, hwnd](TMessage &m) {
      m.Result = h->previous ? h->previous(hwnd, m.Msg, m.WParam, m.LParam) : DefWindowProcA(hwnd, m.Msg, m.WParam, m.LParam);
    };
    TMessage m{msg, wParam, lParam, 0};
    if (h->component) h->component->Dispatch(m, passOn);
    else passOn(m);
    return m.Result;
  }
};

TLMDWndProcComponent::TLMDWndProcComponent(QObject *owner) : TComponent(owner) {}

TLMDWndProcComponent::~TLMDWndProcComponent() { UnhookWndProc(); }

QWidget *TLMDWndProcComponent::OwnerForm() const { return qobject_cast<QWidget *>(Owner()); }

void TLMDWndProcComponent::HookWndProc() {
  if (hook_) return;
  QWidget *form = OwnerForm();
  if (!form) return;
  hook_ = std::make_shared<Hook>();
  hook_->component = this;
  hook_->form = form;
  hook_->hwnd = WindowFromWidget(form);
  hook_->previous = GetWindowProc(hook_->hwnd);
  SetWindowProc(hook_->hwnd, HookProc{hook_});
  form->installEventFilter(this);
}

void TLMDWndProcComponent::UnhookWndProc() {
  if (!hook_) return;
  std::shared_ptr<Hook> hook = std::move(hook_);
  hook->component = nullptr;
  if (hook->form) {
    hook->form->removeEventFilter(this);
    WNDPROC current = GetWindowProc(hook->hwnd);
    const HookProc *mine = current.target<HookProc>();
    if (mine && mine->hook == hook) SetWindowProc(hook->hwnd, hook->previous);
  }
}

void TLMDWndProcComponent::WndProc(TMessage &message) { Default(message); }

void TLMDWndProcComponent::Default(TMessage &message) {
  if (passOn_) (*passOn_)(message);
}

void TLMDWndProcComponent::Dispatch(TMessage &message, const std::function<void(TMessage &)> &passOn) {
  const std::function<void(TMessage &)> *outer = passOn_;
  passOn_ = &passOn;
  struct Restore {
    const std::function<void(TMessage &)> *&slot;
    const std::function<void(TMessage &)> *value;
    ~Restore() { slot = value; }
  } restore{passOn_, outer};
  WndProc(message);
}

bool TLMDWndProcComponent::eventFilter(QObject *watched, QEvent *event) {
  if (!hook_ || watched != hook_->form) return false;
  TMessage m{WM_NULL, 0, 0, 0};
  switch (event->type()) {
  // Showing and hiding by the program; the window system's own (minimizing, restoring)
  // do not count.
  case QEvent::Show:
    if (event->spontaneous()) return false;
    m = {WM_SHOWWINDOW, TRUE, 0, 0};
    break;
  case QEvent::Hide:
    if (event->spontaneous()) return false;
    m = {WM_SHOWWINDOW, FALSE, 0, 0};
    break;
  case QEvent::WindowStateChange: {
    auto *e = static_cast<QWindowStateChangeEvent *>(event);
    const bool now = hook_->form->windowState() & Qt::WindowMinimized;
    if (!now || (e->oldState() & Qt::WindowMinimized)) return false;
    // Delivered once minimizing has finished (showMinimized shows the form after
    // changing its state), as for a command the form has already carried out.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!hook_) return;
          TMessage minimize{WM_SYSCOMMAND, SC_MINIMIZE, 0, 0};
          Dispatch(minimize, [](TMessage &) {});
        },
        Qt::QueuedConnection);
    return false;
  }
  case QEvent::Close:
    if (!event->spontaneous()) return false;
    m = {WM_SYSCOMMAND, SC_CLOSE, 0, 0};
    break;
  default: return false;
  }
  bool passed = false;
  Dispatch(m, [&passed](TMessage &) { passed = true; });
  if (passed || m.Msg != WM_SYSCOMMAND || m.WParam != SC_CLOSE) return false;
  event->ignore();
  return true;
}

#include "win/winuser.h"

#include "win/x11.h"

#include "com/handoff.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

struct WindowEntry {
  QPointer<QWidget> widget; // empty for message windows
  bool messageWindow = false;
  std::shared_ptr<WNDPROC> proc;
  std::string className;
  std::optional<LONG> style;
  std::optional<LONG> exStyle;
  bool visible = false; // message windows only
};

struct WindowTable {
  std::mutex lock;
  std::uintptr_t nextId = 1;
  std::map<std::uintptr_t, WindowEntry> windows; // ordered by creation
  std::unordered_map<const QWidget *, std::uintptr_t> byWidget;
  std::function<void(std::exception_ptr)> exceptionHandler;
};

WindowTable &Table() {
  static WindowTable table;
  return table;
}

std::uintptr_t Id(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd) >> 4; }
HWND Handle(std::uintptr_t id) { return reinterpret_cast<HWND>(id << 4); }

std::shared_ptr<WNDPROC> ProcOf(HWND hwnd) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.windows.find(Id(hwnd));
  if (it == t.windows.end()) return nullptr;
  return it->second.proc;
}

void ReportException(std::exception_ptr error) {
  std::function<void(std::exception_ptr)> handler;
  {
    WindowTable &t = Table();
    std::lock_guard guard(t.lock);
    handler = t.exceptionHandler;
  }
  if (handler) {
    handler(error);
    return;
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "unhandled exception in a window procedure: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unhandled exception in a window procedure\n");
  }
}

LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WNDPROC> proc = ProcOf(hwnd);
  if (!proc || !*proc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    return (*proc)(hwnd, msg, wParam, lParam);
  } catch (...) {
    ReportException(std::current_exception());
    return 0;
  }
}

class PostedMessage : public QEvent {
public:
  static QEvent::Type EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  PostedMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
      : QEvent(EventType()), hwnd(hwnd), msg(msg), wParam(w), lParam(l) {}
  ~PostedMessage() override { TakeOver(this); } // also when dropped undelivered
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Lives on the GUI thread and hands posted messages to their window procedures.
class MessagePump : public QObject {
public:
  bool event(QEvent *e) override {
    TakeOver(e); // posted from another thread, maybe
    if (e->type() != PostedMessage::EventType()) return QObject::event(e);
    auto *m = static_cast<PostedMessage *>(e);
    if (IsWindow(m->hwnd)) Deliver(m->hwnd, m->msg, m->wParam, m->lParam);
    return true;
  }
};

MessagePump *Pump() {
  static MessagePump *pump = [] {
    auto *p = new MessagePump;
    if (QCoreApplication *app = QCoreApplication::instance()) p->moveToThread(app->thread());
    return p;
  }();
  return pump;
}

LONG DerivedStyle(const QWidget *w) {
  LONG style = 0;
  if (w->isWindow()) {
    Qt::WindowFlags f = w->windowFlags();
    if (f & Qt::FramelessWindowHint) style |= static_cast<LONG>(WS_POPUP);
    else style |= static_cast<LONG>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    if (!(f & Qt::FramelessWindowHint) && w->minimumSize() != w->maximumSize()) style |= WS_THICKFRAME;
  } else {
    style |= static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS);
  }
  if (w->isVisible()) style |= static_cast<LONG>(WS_VISIBLE);
  if (!w->isEnabled()) style |= static_cast<LONG>(WS_DISABLED);
  return style;
}

LONG DerivedExStyle(const QWidget *w) {
  LONG ex = 0;
  if (w->isWindow() && (w->windowFlags() & Qt::WindowStaysOnTopHint)) ex |= WS_EX_TOPMOST;
  return ex;
}

// Keeps a top-level widget out of the task bar across hiding and showing: the window
// system forgets the request when the window is withdrawn, so it is made again before
// each mapping.
class TaskbarHint : public QObject {
public:
  explicit TaskbarHint(QWidget *w) : QObject(w) {
    setObjectName(QStringLiteral("qdvd_taskbar_hint"));
    w->installEventFilter(this);
  }
  bool skip = false;
  bool eventFilter(QObject *watched, QEvent *e) override {
    if (e->type() == QEvent::Show && watched == parent()) x11::SetSkipTaskbar(static_cast<QWidget *>(watched), skip, false);
    return false;
  }
};

void ApplyToolWindow(QWidget *w, bool tool) {
  auto *hint = w->findChild<TaskbarHint *>(QStringLiteral("qdvd_taskbar_hint"), Qt::FindDirectChildrenOnly);
  if (!hint && !tool) return;
  if (!hint) hint = new TaskbarHint(w);
  hint->skip = tool;
  x11::SetSkipTaskbar(w, tool, w->testAttribute(Qt::WA_Mapped));
}

// Shows or hides a message window; returns its previous visibility, or -1 when hwnd is
// not a message window.
int ShowMessageWindow(HWND hwnd, bool show) {
  bool was;
  {
    WindowTable &t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.windows.find(Id(hwnd));
    if (it == t.windows.end() || !it->second.messageWindow) return -1;
    was = it->second.visible;
    it->second.visible = show;
  }
  if (was != show) Deliver(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  return was ? TRUE : FALSE;
}

} // namespace

HWND CreateMessageWindow(WNDPROC proc) {
  Pump();
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  std::uintptr_t id = t.nextId++;
  WindowEntry &e = t.windows[id];
  e.messageWindow = true;
  e.proc = std::make_shared<WNDPROC>(std::move(proc));
  e.className = "MessageWindow";
  return Handle(id);
}

BOOL DestroyWindow(HWND hwnd) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.windows.find(Id(hwnd));
  if (it == t.windows.end() || !it->second.messageWindow) return FALSE;
  t.windows.erase(it);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (!hwnd) return FALSE;
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  return t.windows.count(Id(hwnd)) ? TRUE : FALSE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) return FALSE;
  auto *m = new PostedMessage(hwnd, msg, wParam, lParam);
  HandOff(m);
  QCoreApplication::postEvent(Pump(), m);
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(hwnd)) return 0;
  return Deliver(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

void SetWindowProcExceptionHandler(std::function<void(std::exception_ptr)> handler) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  t.exceptionHandler = std::move(handler);
}

HWND WindowFromWidget(QWidget *widget) {
  if (!widget) return nullptr;
  WindowTable &t = Table();
  std::uintptr_t id;
  {
    std::lock_guard guard(t.lock);
    auto found = t.byWidget.find(widget);
    if (found != t.byWidget.end()) return Handle(found->second);
    id = t.nextId++;
    WindowEntry &e = t.windows[id];
    e.widget = widget;
    e.className = widget->metaObject()->className();
    t.byWidget[widget] = id;
  }
  QObject::connect(widget, &QObject::destroyed, [id, widget] {
    WindowTable &tt = Table();
    std::lock_guard guard(tt.lock);
    tt.windows.erase(id);
    tt.byWidget.erase(widget);
  });
  return Handle(id);
}

QWidget *WidgetFromWindow(HWND hwnd) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.windows.find(Id(hwnd));
  return it == t.windows.end() ? nullptr : it->second.widget.data();
}

void SetWindowClassName(HWND hwnd, const char *className) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.windows.find(Id(hwnd));
  if (it != t.windows.end()) it->second.className = className ? className : "";
}

void SetWindowProc(HWND hwnd, WNDPROC proc) {
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.windows.find(Id(hwnd));
  if (it != t.windows.end()) it->second.proc = std::make_shared<WNDPROC>(std::move(proc));
}

WNDPROC GetWindowProc(HWND hwnd) {
  std::shared_ptr<WNDPROC> proc = ProcOf(hwnd);
  return proc ? *proc : WNDPROC();
}

LONG GetWindowLongA(HWND hwnd, int index) {
  QWidget *w = WidgetFromWindow(hwnd);
  if (!w) return 0;
  WindowTable &t = Table();
  std::lock_guard guard(t.lock);
  WindowEntry &e = t.windows[Id(hwnd)];
  if (index == GWL_STYLE) {
    LONG visible = w->isVisible() ? static_cast<LONG>(WS_VISIBLE) : 0;
    return e.style ? ((*e.style & ~static_cast<LONG>(WS_VISIBLE)) | visible) : DerivedStyle(w);
  }
  if (index == GWL_EXSTYLE) return e.exStyle ? *e.exStyle : DerivedExStyle(w);
  return 0;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  QWidget *w = WidgetFromWindow(hwnd);
  if (!w) return 0;
  LONG old = GetWindowLongA(hwnd, index);
  {
    WindowTable &t = Table();
    std::lock_guard guard(t.lock);
    WindowEntry &e = t.windows[Id(hwnd)];
    if (index == GWL_STYLE) e.style = value;
    else if (index == GWL_EXSTYLE) e.exStyle = value;
    else return 0;
  }
  if (w->isWindow()) {
    bool wasVisible = w->isVisible();
    Qt::WindowFlags f = w->windowFlags();
    if (index == GWL_STYLE) f.setFlag(Qt::FramelessWindowHint, (value & static_cast<LONG>(WS_CAPTION)) == 0);
    if (index == GWL_EXSTYLE) f.setFlag(Qt::WindowStaysOnTopHint, (value & WS_EX_TOPMOST) != 0);
    if (f != w->windowFlags()) {
      w->setWindowFlags(f);
      if (wasVisible) w->show();
    }
    if (index == GWL_EXSTYLE) ApplyToolWindow(w, (value & WS_EX_TOOLWINDOW) != 0);
  }
  if (index == GWL_STYLE) w->setVisible((value & static_cast<LONG>(WS_VISIBLE)) != 0);
  return old;
}

BOOL ShowWindow(HWND hwnd, int command) {
  int message = ShowMessageWindow(hwnd, command != SW_HIDE);
  if (message >= 0) return message;
  QWidget *w = WidgetFromWindow(hwnd);
  if (!w) return FALSE;
  BOOL wasVisible = w->isVisible() ? TRUE : FALSE;
  switch (command) {
  case SW_HIDE: w->hide(); break;
  case SW_SHOWMINIMIZED: w->showMinimized(); break;
  case SW_SHOWNORMAL: w->showNormal(); break;
  default: w->show(); break;
  }
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  {
    WindowTable &t = Table();
    std::lock_guard guard(t.lock);
    auto it = t.windows.find(Id(hwnd));
    if (it != t.windows.end() && it->second.messageWindow) return it->second.visible ? TRUE : FALSE;
  }
  QWidget *w = WidgetFromWindow(hwnd);
  return w && w->isVisible() ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  QWidget *w = WidgetFromWindow(hwnd);
  if (!w || !w->parentWidget()) return nullptr;
  return WindowFromWidget(w->parentWidget());
}

HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName) {
  QWidget *parentWidget = parent ? WidgetFromWindow(parent) : nullptr;
  if (parent && !parentWidget) return nullptr;
  struct Candidate {
    std::uintptr_t id;
    QPointer<QWidget> widget;
    std::string className;
  };
  std::vector<Candidate> candidates;
  {
    WindowTable &t = Table();
    std::lock_guard guard(t.lock);
    for (auto &[id, e] : t.windows)
      if (!e.messageWindow && e.widget) candidates.push_back({id, e.widget, e.className});
  }
  bool started = childAfter == nullptr;
  for (const Candidate &c : candidates) {
    if (!started) {
      started = Handle(c.id) == childAfter;
      continue;
    }
    QWidget *w = c.widget.data();
    if (!w) continue;
    if (parentWidget ? w->parentWidget() != parentWidget : !w->isWindow()) continue;
    if (className && c.className != className) continue;
    if (windowName && w->windowTitle().toStdString() != windowName) continue;
    return Handle(c.id);
  }
  return nullptr;
}

int GetSystemMetrics(int index) {
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  constexpr int captionHeight = 20;
  switch (index) {
  case SM_CXSCREEN: return screen->geometry().width();
  case SM_CYSCREEN: return screen->geometry().height();
  case SM_CYCAPTION: return captionHeight;
  case SM_CXFULLSCREEN: return screen->availableGeometry().width();
  case SM_CYFULLSCREEN: return screen->availableGeometry().height() - captionHeight;
  default: return 0;
  }
}

BOOL GetCursorPos(POINT *point) {
  if (!point) return FALSE;
  QPoint p = QCursor::pos();
  point->x = p.x();
  point->y = p.y();
  return TRUE;
}

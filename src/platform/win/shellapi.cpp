#include "win/shellapi.h"

#include "win/icon.h"
#include "win/winuser.h"
#include "win/x11.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {

struct TrayEntry {
  QPointer<QSystemTrayIcon> icon;
  UINT callbackMessage = 0; // 0: no callbacks
};

struct ShellState {
  std::map<std::pair<HWND, UINT>, TrayEntry> icons;
  std::map<std::string, UINT> messages;
  UINT nextMessage = TASKBARCREATED_MESSAGE + 1;
  bool watching = false;
};

// Never destroyed: the toolkit's tray objects belong to the application object.
ShellState &State() {
  static ShellState *state = new ShellState;
  return *state;
}

void BroadcastTaskbarCreated() {
  for (HWND h = FindWindowExA(nullptr, nullptr, nullptr, nullptr); h; h = FindWindowExA(nullptr, h, nullptr, nullptr))
    PostMessageA(h, TASKBARCREATED_MESSAGE, 0, 0);
}

// Starts listening for notification areas that start (or start again).
void EnsureWatching() {
  ShellState &s = State();
  if (s.watching || !QCoreApplication::instance()) return;
  s.watching = true;
  if (x11::WatchTrayManager(BroadcastTaskbarCreated)) return;
  // Elsewhere: look for the notification area once a second.
  auto *poll = new QTimer(QCoreApplication::instance());
  auto available = std::make_shared<bool>(QSystemTrayIcon::isSystemTrayAvailable());
  QObject::connect(poll, &QTimer::timeout, poll, [available] {
    bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (now && !*available) BroadcastTaskbarCreated();
    *available = now;
  });
  poll->start(1000);
}

std::string LowerCase(LPCSTR name) {
  std::string s(name);
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

QIcon PictureOf(HICON handle) {
  QIcon icon = IconFromHandle(handle);
  if (!icon.isNull()) return icon;
  // An empty icon still takes its place in the notification area.
  QPixmap blank(16, 16);
  blank.fill(Qt::transparent);
  return QIcon(blank);
}

QString TipOf(const NOTIFYICONDATAA &data) {
  const char *end = static_cast<const char *>(std::memchr(data.szTip, '\0', sizeof data.szTip));
  qsizetype length = end ? end - data.szTip : static_cast<qsizetype>(sizeof data.szTip - 1);
  return QString::fromLatin1(data.szTip, length);
}

void PostMouse(HWND hwnd, UINT id, std::initializer_list<LPARAM> messages) {
  auto &icons = State().icons;
  auto it = icons.find({hwnd, id});
  if (it == icons.end() || it->second.callbackMessage == 0) return;
  for (LPARAM m : messages) PostMessageA(hwnd, it->second.callbackMessage, id, m);
}

void Apply(TrayEntry &entry, const NOTIFYICONDATAA &data, bool adding) {
  if (data.uFlags & NIF_MESSAGE) entry.callbackMessage = data.uCallbackMessage;
  if ((data.uFlags & NIF_ICON) || adding) entry.icon->setIcon(PictureOf(data.uFlags & NIF_ICON ? data.hIcon : nullptr));
  if (data.uFlags & NIF_TIP) entry.icon->setToolTip(TipOf(data));
}

} // namespace

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA *data) {
  if (!data || (data->cbSize != NOTIFYICONDATAA_V1_SIZE && data->cbSize != sizeof(NOTIFYICONDATAA))) return FALSE;
  if (!QCoreApplication::instance()) return FALSE;
  EnsureWatching();
  auto &icons = State().icons;
  const std::pair<HWND, UINT> key{data->hWnd, data->uID};
  auto it = icons.find(key);
  if (it != icons.end() && !it->second.icon) {
    icons.erase(it); // its application object has gone
    it = icons.end();
  }
  switch (message) {
  case NIM_ADD: {
    if (it != icons.end() || !IsWindow(data->hWnd)) return FALSE;
    TrayEntry &entry = icons[key];
    entry.icon = new QSystemTrayIcon(QCoreApplication::instance());
    Apply(entry, *data, true);
    HWND hwnd = data->hWnd;
    UINT id = data->uID;
    QObject::connect(entry.icon, &QSystemTrayIcon::activated, entry.icon,
                     [hwnd, id](QSystemTrayIcon::ActivationReason reason) {
                       switch (reason) {
                       case QSystemTrayIcon::Trigger: PostMouse(hwnd, id, {WM_LBUTTONDOWN, WM_LBUTTONUP}); break;
                       case QSystemTrayIcon::DoubleClick: PostMouse(hwnd, id, {WM_LBUTTONDBLCLK, WM_LBUTTONUP}); break;
                       case QSystemTrayIcon::Context: PostMouse(hwnd, id, {WM_RBUTTONDOWN, WM_RBUTTONUP}); break;
                       case QSystemTrayIcon::MiddleClick: PostMouse(hwnd, id, {WM_MBUTTONDOWN, WM_MBUTTONUP}); break;
                       default: break;
                       }
                     });
    entry.icon->show();
    return TRUE;
  }
  case NIM_MODIFY:
    if (it == icons.end()) return FALSE;
    Apply(it->second, *data, false);
    return TRUE;
  case NIM_DELETE:
    if (it == icons.end()) return FALSE;
    it->second.icon->hide();
    delete it->second.icon.data();
    icons.erase(it);
    return TRUE;
  default: return FALSE;
  }
}

HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER *identifier, RECT *iconLocation) {
  if (!identifier || !iconLocation) return E_INVALIDARG;
  auto &icons = State().icons;
  auto it = icons.find({identifier->hWnd, identifier->uID});
  if (it == icons.end() || !it->second.icon) return E_FAIL;
  QRect r = it->second.icon->geometry();
  if (r.isEmpty() || (r.x() == 0 && r.y() == 0)) return E_FAIL; // not docked yet
  *iconLocation = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return S_OK;
}

BOOL NotificationAreaAvailable() { return QSystemTrayIcon::isSystemTrayAvailable() ? TRUE : FALSE; }

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) return 0;
  std::string key = LowerCase(name);
  if (key == "taskbarcreated") {
    EnsureWatching();
    return TASKBARCREATED_MESSAGE;
  }
  ShellState &s = State();
  auto it = s.messages.find(key);
  if (it != s.messages.end()) return it->second;
  if (s.nextMessage > 0xFFFF) return 0;
  return s.messages[key] = s.nextMessage++;
}

DWORD GetComCtlVersion() { return ComCtlVersionIE4; }

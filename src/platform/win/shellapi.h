// The desktop's notification area (tray icons), the messages registered by name, and
// the common-controls version. GUI thread only.
#pragma once

#include "com/types.h"

// The first form of the icon record (single-byte characters). On this platform the
// record is larger than on the 32-bit systems it was laid out for; its size field still
// holds 88, which names this form.
struct NOTIFYICONDATAA {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  char szTip[64];
};
constexpr DWORD NOTIFYICONDATAA_V1_SIZE = 88;

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

// Adds, changes or removes the icon named by (hWnd, uID). FALSE for a wrong size field,
// an add of an icon that exists, or a change or removal of one that does not. The icon
// picture is copied (the caller may destroy its handle at once); the tip is read up to
// its terminator, at most 63 characters (Latin-1). With NIF_MESSAGE, mouse actions on
// the icon are posted to hWnd as uCallbackMessage with wParam = uID and lParam = the
// mouse message: a left click WM_LBUTTONDOWN then WM_LBUTTONUP, a double click
// WM_LBUTTONDBLCLK then WM_LBUTTONUP, a right click WM_RBUTTONDOWN then WM_RBUTTONUP, a
// middle click WM_MBUTTONDOWN then WM_MBUTTONUP. (The desktop reports no pointer
// movement over icons, so WM_MOUSEMOVE is never posted.) An icon added while no
// notification area runs appears when one starts; icons come back by themselves when
// the notification area restarts.
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA *data);

struct NOTIFYICONIDENTIFIER {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  GUID guidItem;
};
// The icon's place on the screen; E_FAIL when it is not shown (yet).
HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER *identifier, RECT *iconLocation);

// Whether the desktop has a notification area right now.
BOOL NotificationAreaAvailable();

// A message number in 0xC000..0xFFFF unique to the name (case-insensitive) for the life
// of the process; 0 for an empty name. "TaskbarCreated" is always 0xC000: it is posted
// to every top-level window each time a notification area starts.
UINT RegisterWindowMessageA(LPCSTR name);
constexpr UINT TASKBARCREATED_MESSAGE = 0xC000;

// The version of the common-controls library, major version in the high word, minor
// in the low word (4.71: 0x00040047).
DWORD GetComCtlVersion();
constexpr DWORD ComCtlVersionIE4 = 0x00040047;

// The application's task-bar window (TApplication::Handle).
#include "framework/application.h"

#include "win/winuser.h"

#include <QWidget>

HWND TApplication::Handle() {
  static HWND handle = [] {
    HWND h = CreateMessageWindow([](HWND, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
      if (msg != WM_SHOWWINDOW) return 0;
      QWidget *main = Instance().MainForm();
      if (!main) return 0;
      HWND form = WindowFromWidget(main);
      LONG ex = GetWindowLongA(form, GWL_EXSTYLE);
      LONG wanted = wParam ? (ex & ~static_cast<LONG>(WS_EX_TOOLWINDOW)) : (ex | static_cast<LONG>(WS_EX_TOOLWINDOW));
      if (wanted != ex) SetWindowLongA(form, GWL_EXSTYLE, wanted);
      return 0;
    });
    ShowWindow(h, SW_SHOW);
    return h;
  }();
  return handle;
}

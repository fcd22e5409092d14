#include "framework/hidden_window.h"

HWND AllocateHWnd(WNDPROC proc) { return CreateMessageWindow(std::move(proc)); }

void DeallocateHWnd(HWND hwnd) {
  if (hwnd) DestroyWindow(hwnd);
}

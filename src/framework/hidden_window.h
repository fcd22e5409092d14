// Hidden message windows for components: a handle that any thread may post to, whose
// procedure runs on the GUI thread. Exceptions escaping the procedure go to the
// application's error handler.
#pragma once

#include "win/winuser.h"

HWND AllocateHWnd(WNDPROC proc);
void DeallocateHWnd(HWND hwnd);

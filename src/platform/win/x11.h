// X11 specifics behind the window and shell calls (internal to platform/win). Every
// function does nothing when the application does not run on X11.
#pragma once

#include <functional>

class QWidget;

namespace x11 {

// Asks that a top-level widget's window get no task-bar (and pager) entry, or get it
// back. A mapped window asks the window manager; an unmapped one carries the request
// in its state property, which the toolkit keeps when it maps the window.
void SetSkipTaskbar(QWidget *window, bool skip, bool mapped);

// Calls onManager on the GUI thread each time a notification-area host announces
// itself (the MANAGER client message on the root window). Returns false when not on X11.
bool WatchTrayManager(std::function<void()> onManager);

} // namespace x11

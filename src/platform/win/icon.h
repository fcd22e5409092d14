// Icon handles: an HICON names a toolkit icon held by the platform until DestroyIcon.
// Handles may be used from any thread; the pictures themselves are made on the GUI
// thread.
#pragma once

#include "com/types.h"

class QIcon;
class QImage;

// A new handle holding a copy of the picture (null for a null picture).
HICON CreateIconFromImage(const QImage &image);
HICON CreateIconFromQIcon(const QIcon &icon);
// A new handle on the same picture; null for an unknown handle.
HICON CopyIcon(HICON icon);
// FALSE for an unknown handle.
BOOL DestroyIcon(HICON icon);
// The picture behind a handle; a null icon for an unknown handle.
QIcon IconFromHandle(HICON icon);

// What a video renderer of this platform tells its tests and diagnostics: every
// picture it puts on the screen, and how many it skipped. Platform-internal.
#pragma once

#include "render/video_frame.h"

#include "com/unknown.h"

#include <functional>

QDVD_DECLARE_IID(IRendererProbe, 0x3F0A62C3, 0x7D24, 0x4E8B, 0x9A, 0x51, 0x2C, 0x6E, 0x13, 0xB7, 0x40, 0x01)
struct IRendererProbe : IUnknown {
  // Called on the GUI thread for every picture put on the screen; empty to stop.
  virtual void SetPresentedCallback(std::function<void(const render::PresentedFrame &)> callback) = 0;
  // Pictures skipped because they came too late.
  virtual long long DroppedFrames() = 0;
  // The widget that shows the pictures (GUI thread); null when there is none.
  virtual QWidget *PictureWidget() = 0;
};

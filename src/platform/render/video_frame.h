// A decoded picture on its way to the screen, and what the renderer reports about a
// picture once it is on the screen.
#pragma once

#include "com/types.h"

#include <QImage>

namespace render {

struct VideoFrame {
  QImage image;            // RGB32 (may share the sample's memory)
  int aspectX = 4, aspectY = 3;
  bool hasTime = false;
  REFERENCE_TIME start = 0; // stream time, 100 ns
};

struct PresentedFrame {
  QImage image;
  bool hasTime = false;
  REFERENCE_TIME sampleTime = 0;  // the picture's own time
  bool running = false;           // whether the graph ran when it was shown
  REFERENCE_TIME streamTime = 0;  // stream time when it was put on the screen
};

} // namespace render

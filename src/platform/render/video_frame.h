// A decoded picture on its way to the screen, and what the renderer reports about a
// picture once it is on the screen.
#pragma once

#include "com/media_time.h"
#include "com/types.h"
#include "com/unknown.h"

#include <QImage>

#include <cstdint>

namespace render {

// A 4:2:0 picture in a sample's memory (kept alive by the sample).
struct YuvPicture {
  ComPtr<IUnknown> owner;
  const uint8_t *planes[3] = {nullptr, nullptr, nullptr};
  int strides[3] = {0, 0, 0};
  int width = 0, height = 0;
};

struct VideoFrame {
  QImage image;            // RGB32 (may share the sample's memory); null for a YUV picture
  YuvPicture yuv;          // used when image is null
  int aspectX = 4, aspectY = 3;
  bool hasTime = false;
  media::StreamTime start;
  std::uint64_t generation = 0; // the presenter's flush generation; 0: none

  bool IsNull() const { return image.isNull() && !yuv.planes[0]; }
  QSize Size() const { return image.isNull() ? QSize(yuv.width, yuv.height) : image.size(); }
  // The picture as RGB32 at its stored size (a conversion for a YUV picture).
  QImage ToImage() const;
};

struct PresentedFrame {
  VideoFrame frame;
  bool hasTime = false;
  media::StreamTime sampleTime;   // the picture's own time
  bool running = false;           // whether the graph ran when it was shown
  media::StreamTime streamTime;   // stream time when it was put on the screen
  // The picture as RGB32 at its stored size, for whoever looks at its pixels.
  QImage Image() const { return frame.ToImage(); }
};

} // namespace render

// Converts decoded YUV pictures to RGB32 or copies them out as I420. RGB32: (B, G, R, 0xFF in memory), BT.601 studio range
// as DVD pictures are coded.
#pragma once

#include "codecs/ffmpeg_ptr.h"

#include <cstdint>

namespace codecs {

class RgbConverter {
public:
  // Writes frame->width x frame->height pixels to `out` with `stride` bytes per row.
  // False when the picture cannot be converted.
  bool Convert(const AVFrame *frame, uint8_t *out, int stride);
  // Writes the picture as I420 (graph/raw_formats.h: Y, U, V planes without padding):
  // a plain copy of 4:2:0 pictures, a conversion of any other layout.
  bool ToI420(const AVFrame *frame, uint8_t *out);

private:
  SwsPtr sws_, yuv_;
};

} // namespace codecs

// Converts decoded YUV pictures to RGB32 (B, G, R, 0xFF in memory), BT.601 studio range
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

private:
  SwsPtr sws_;
};

} // namespace codecs

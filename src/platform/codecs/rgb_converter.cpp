#include "codecs/rgb_converter.h"

namespace codecs {

bool RgbConverter::Convert(const AVFrame *frame, uint8_t *out, int stride) {
  if (!frame || frame->width <= 0 || frame->height <= 0) return false;
  SwsContext *ctx = sws_getCachedContext(sws_.release(), frame->width, frame->height,
                                         static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                         AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
  sws_.reset(ctx);
  if (!ctx) return false;
  uint8_t *dst[4] = {out, nullptr, nullptr, nullptr};
  int dstStride[4] = {stride, 0, 0, 0};
  return sws_scale(ctx, frame->data, frame->linesize, 0, frame->height, dst, dstStride) == frame->height;
}

} // namespace codecs

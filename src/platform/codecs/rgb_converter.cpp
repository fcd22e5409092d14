#include "codecs/rgb_converter.h"

#include <cstring>

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

bool RgbConverter::ToI420(const AVFrame *frame, uint8_t *out) {
  if (!frame || frame->width <= 0 || frame->height <= 0) return false;
  const int w = frame->width, h = frame->height;
  uint8_t *dst[4] = {out, out + static_cast<long>(w) * h, out + static_cast<long>(w) * h + (w / 2) * (h / 2), nullptr};
  int dstStride[4] = {w, w / 2, w / 2, 0};
  if (frame->format == AV_PIX_FMT_YUV420P || frame->format == AV_PIX_FMT_YUVJ420P) {
    for (int plane = 0; plane < 3; ++plane) {
      const int rows = plane == 0 ? h : h / 2, bytes = dstStride[plane];
      for (int y = 0; y < rows; ++y)
        std::memcpy(dst[plane] + static_cast<long>(y) * bytes,
                    frame->data[plane] + static_cast<long>(y) * frame->linesize[plane], static_cast<std::size_t>(bytes));
    }
    return true;
  }
  SwsContext *ctx = sws_getCachedContext(yuv_.release(), w, h, static_cast<AVPixelFormat>(frame->format), w, h,
                                         AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
  yuv_.reset(ctx);
  if (!ctx) return false;
  return sws_scale(ctx, frame->data, frame->linesize, 0, h, dst, dstStride) == h;
}

} // namespace codecs

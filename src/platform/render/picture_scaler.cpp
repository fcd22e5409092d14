#include "render/picture_scaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace render {
namespace {

// Plane pointers for a source rectangle of a 4:2:0 picture (chroma on even pixels).
void Crop(const YuvPicture &p, const QRect &r, const uint8_t *planes[4], int strides[4]) {
  const int x = r.x() & ~1, y = r.y() & ~1;
  planes[0] = p.planes[0] + static_cast<long>(y) * p.strides[0] + x;
  planes[1] = p.planes[1] + static_cast<long>(y / 2) * p.strides[1] + x / 2;
  planes[2] = p.planes[2] + static_cast<long>(y / 2) * p.strides[2] + x / 2;
  planes[3] = nullptr;
  for (int i = 0; i < 3; ++i) strides[i] = p.strides[i];
  strides[3] = 0;
}

constexpr int kScaleFlags = SWS_BILINEAR;

// Enlarging, swscale's fast bilinear filter costs about a fifth less than its bilinear
// one and looks the same (both taps stay inside the two nearest pixels); shrinking it
// aliases, so the full bilinear filter, which widens with the ratio, is kept there.
int ScaleFlags(const QSize &from, const QSize &to) {
  return to.width() >= from.width() && to.height() >= from.height() ? SWS_FAST_BILINEAR : kScaleFlags;
}

} // namespace

QImage VideoFrame::ToImage() const {
  if (!image.isNull()) return image;
  if (!yuv.planes[0]) return {};
  return PictureScaler::Convert(yuv);
}

PictureScaler::~PictureScaler() {
  sws_freeContext(sws_);
  sws_freeContext(convert_);
}

const QImage &PictureScaler::Scale(const VideoFrame &frame, const QRect &source, const QSize &size) {
  if (size.isEmpty() || frame.IsNull()) {
    out_ = QImage();
    return out_;
  }
  if (out_.size() != size || out_.format() != QImage::Format_RGB32 || !out_.isDetached())
    out_ = QImage(size, QImage::Format_RGB32);
  if (!Run(frame, source, out_.bits(), static_cast<int>(out_.bytesPerLine()), size)) out_ = QImage();
  return out_;
}

bool PictureScaler::ScaleInto(const VideoFrame &frame, const QRect &source, QImage &target, const QRect &at) {
  if (at.isEmpty() || frame.IsNull() || !target.rect().contains(at)) return false;
  if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied)
    return false;
  const int stride = static_cast<int>(target.bytesPerLine());
  uint8_t *dst = target.bits() + static_cast<long>(at.y()) * stride + at.x() * 4;
  return Run(frame, source, dst, stride, at.size());
}

bool PictureScaler::Run(const VideoFrame &frame, const QRect &source, uint8_t *out, int outStride,
                        const QSize &size) {
  const uint8_t *src[4] = {nullptr, nullptr, nullptr, nullptr};
  int srcStride[4] = {0, 0, 0, 0};
  AVPixelFormat format = AV_PIX_FMT_YUV420P;
  QRect r = source;
  if (!frame.image.isNull()) {
    const QImage &img = frame.image;
    r = r.intersected(img.rect());
    format = AV_PIX_FMT_BGRA;
    src[0] = img.constBits() + static_cast<long>(r.y()) * img.bytesPerLine() + r.x() * 4;
    srcStride[0] = static_cast<int>(img.bytesPerLine());
  } else {
    r = r.intersected(QRect(0, 0, frame.yuv.width, frame.yuv.height));
    Crop(frame.yuv, r, src, srcStride);
    r.setWidth(std::min(r.width(), frame.yuv.width - (r.x() & ~1)));
    r.setHeight(std::min(r.height(), frame.yuv.height - (r.y() & ~1)));
  }
  if (r.isEmpty()) return false;
  uint8_t *dst[4] = {out, nullptr, nullptr, nullptr};
  int dstStride[4] = {outStride, 0, 0, 0};
  if (format == AV_PIX_FMT_YUV420P && r.size() != size) {
    // Scaled in YUV first, then converted at the drawn size: swscale's scaling converter
    // to RGB has no fast path and costs about three times the two steps together.
    const int lumaStride = (size.width() + 31) & ~31, chromaStride = ((size.width() + 1) / 2 + 31) & ~31;
    const int chromaRows = (size.height() + 1) / 2;
    mid_.resize(static_cast<std::size_t>(lumaStride) * size.height() + 2u * chromaStride * chromaRows);
    uint8_t *mid[4] = {mid_.data(), mid_.data() + static_cast<std::size_t>(lumaStride) * size.height(), nullptr,
                       nullptr};
    mid[2] = mid[1] + static_cast<std::size_t>(chromaStride) * chromaRows;
    int midStride[4] = {lumaStride, chromaStride, chromaStride, 0};
    sws_ = sws_getCachedContext(sws_, r.width(), r.height(), format, size.width(), size.height(), format,
                                ScaleFlags(r.size(), size), nullptr, nullptr, nullptr);
    convert_ = sws_getCachedContext(convert_, size.width(), size.height(), format, size.width(), size.height(),
                                    AV_PIX_FMT_BGRA, kScaleFlags, nullptr, nullptr, nullptr);
    if (!sws_ || !convert_) return false;
    sws_scale(sws_, src, srcStride, 0, r.height(), mid, midStride);
    sws_scale(convert_, mid, midStride, 0, size.height(), dst, dstStride);
    return true;
  }
  sws_ = sws_getCachedContext(sws_, r.width(), r.height(), format, size.width(), size.height(), AV_PIX_FMT_BGRA,
                              ScaleFlags(r.size(), size), nullptr, nullptr, nullptr);
  if (!sws_) return false;
  sws_scale(sws_, src, srcStride, 0, r.height(), dst, dstStride);
  return true;
}

QImage PictureScaler::Convert(const YuvPicture &p) {
  if (!p.planes[0] || p.width <= 0 || p.height <= 0) return {};
  QImage out(p.width, p.height, QImage::Format_RGB32);
  SwsContext *ctx = sws_getContext(p.width, p.height, AV_PIX_FMT_YUV420P, p.width, p.height, AV_PIX_FMT_BGRA,
                                   SWS_POINT, nullptr, nullptr, nullptr);
  if (!ctx) return {};
  const uint8_t *src[4] = {p.planes[0], p.planes[1], p.planes[2], nullptr};
  int srcStride[4] = {p.strides[0], p.strides[1], p.strides[2], 0};
  uint8_t *dst[4] = {out.bits(), nullptr, nullptr, nullptr};
  int dstStride[4] = {static_cast<int>(out.bytesPerLine()), 0, 0, 0};
  sws_scale(ctx, src, srcStride, 0, p.height, dst, dstStride);
  sws_freeContext(ctx);
  return out;
}

} // namespace render

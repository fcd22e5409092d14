// The one conversion a picture goes through: from the decoder's YUV 4:2:0 (or RGB32)
// to RGB32 at the size it is drawn, straight into an image reused from picture to
// picture. BT.601 studio range, as DVD pictures are coded. One thread at a time (the
// GUI thread paints with it).
#pragma once

#include "render/video_frame.h"

#include <QImage>
#include <cstdint>
#include <vector>
#include <QRect>

struct SwsContext;

namespace render {

class PictureScaler {
public:
  PictureScaler() = default;
  ~PictureScaler();
  PictureScaler(const PictureScaler &) = delete;
  PictureScaler &operator=(const PictureScaler &) = delete;

  // `source` (stored-picture pixels, within the picture) scaled to `size`. A null
  // image when the picture cannot be converted. Valid until the next call.
  const QImage &Scale(const VideoFrame &frame, const QRect &source, const QSize &size);

  // The same, written straight into `target` (RGB32 or premultiplied ARGB32) at `at`,
  // e.g. the window's backing store, saving the copy a drawImage would make. False,
  // with nothing written, when `at` is not wholly inside `target` or its format differs.
  bool ScaleInto(const VideoFrame &frame, const QRect &source, QImage &target, const QRect &at);

  // A YUV picture as RGB32 at its stored size.
  static QImage Convert(const YuvPicture &picture);

private:
  bool Run(const VideoFrame &frame, const QRect &source, uint8_t *out, int outStride, const QSize &size);

  SwsContext *sws_ = nullptr;
  SwsContext *convert_ = nullptr;
  std::vector<uint8_t> mid_; // the picture scaled, still in YUV
  QImage out_;
};

} // namespace render

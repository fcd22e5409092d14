// The one conversion a picture goes through: from the decoder's YUV 4:2:0 (or RGB32)
// to RGB32 at the size it is drawn, straight into an image reused from picture to
// picture. BT.601 studio range, as DVD pictures are coded. One thread at a time (the
// GUI thread paints with it).
#pragma once

#include "render/video_frame.h"

#include <QImage>
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

  // A YUV picture as RGB32 at its stored size.
  static QImage Convert(const YuvPicture &picture);

private:
  SwsContext *sws_ = nullptr;
  QImage out_;
};

} // namespace render

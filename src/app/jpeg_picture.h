// Decoding a JPEG picture held in memory. A picture with damaged data (cut short,
// corrupt segments) is refused as a whole: no part of it is returned.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

struct JpegPicture {
  QImage image;  // RGB32; null when decoding failed
  QString error; // why it failed, empty on success
  bool ok() const { return !image.isNull(); }
};

// Pictures larger than this on either side are refused before any pixel memory is
// taken.
constexpr int kMaxJpegSide = 8192;

JpegPicture DecodeJpeg(const QByteArray &data);

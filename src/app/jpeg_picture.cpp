#include "app/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
};

// The library's default would end the process: leave the decoder instead.
void OnError(j_common_ptr info) {
  auto *err = reinterpret_cast<ErrorManager *>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (level -1) tell of corrupt or missing data; the first one is kept.
void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  auto *err = reinterpret_cast<ErrorManager *>(info->err);
  if (err->warnings++ == 0) (*info->err->format_message)(info, err->message);
}

struct RawPicture {
  unsigned char *pixels; // malloc'ed, 4 bytes a pixel (B, G, R, X)
  int width;
  int height;
};

// Plain C between setjmp and longjmp: nothing here has a destructor, and every object
// changed after setjmp lives in the caller (reached through the pointers).
bool ReadJpeg(const unsigned char *data, unsigned long size, jpeg_decompress_struct *decoder, ErrorManager *err,
              RawPicture *out) {
  jpeg_decompress_struct &info = *decoder;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&err->pub);
  err->pub.error_exit = OnError;
  err->pub.emit_message = OnMessage;
  err->warnings = 0;
  err->message[0] = '\0';
  out->pixels = nullptr;
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(&info);
    std::free(out->pixels);
    out->pixels = nullptr;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;
  if (info.image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
      info.image_height > static_cast<JDIMENSION>(kMaxJpegSide)) {
    std::snprintf(err->message, sizeof err->message, "Picture too large (%ux%u)", info.image_width, info.image_height);
    std::longjmp(err->jump, 1);
  }
  jpeg_start_decompress(&info);
  const std::size_t stride = static_cast<std::size_t>(info.output_width) * 4;
  out->width = static_cast<int>(info.output_width);
  out->height = static_cast<int>(info.output_height);
  out->pixels = static_cast<unsigned char *>(std::malloc(stride * info.output_height));
  if (!out->pixels) {
    std::snprintf(err->message, sizeof err->message, "Out of memory");
    std::longjmp(err->jump, 1);
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->pixels + stride * info.output_scanline;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

} // namespace

JpegPicture DecodeJpeg(const QByteArray &data) {
  JpegPicture result;
  if (data.isEmpty()) {
    result.error = QStringLiteral("Empty JPEG data");
    return result;
  }
  ErrorManager err;
  jpeg_decompress_struct decoder;
  RawPicture raw{nullptr, 0, 0};
  bool read = ReadJpeg(reinterpret_cast<const unsigned char *>(data.constData()),
                       static_cast<unsigned long>(data.size()), &decoder, &err, &raw);
  if (!read) {
    result.error = QStringLiteral("Cannot decode the JPEG picture: %1").arg(QString::fromLocal8Bit(err.message));
    return result;
  }
  if (err.warnings > 0) {
    std::free(raw.pixels);
    result.error = QStringLiteral("Damaged JPEG picture: %1").arg(QString::fromLocal8Bit(err.message));
    return result;
  }
  QImage image(raw.width, raw.height, QImage::Format_RGB32);
  if (image.isNull()) {
    std::free(raw.pixels);
    result.error = QStringLiteral("Out of memory");
    return result;
  }
  for (int y = 0; y < raw.height; ++y)
    std::memcpy(image.scanLine(y), raw.pixels + static_cast<std::size_t>(y) * raw.width * 4,
                static_cast<std::size_t>(raw.width) * 4);
  std::free(raw.pixels);
  result.image = image;
  return result;
}

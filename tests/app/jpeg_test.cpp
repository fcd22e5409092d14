#include "app/jpeg_picture.h"
#include "app/pictures.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>

namespace {

QByteArray Asset(const char *name) {
  QFile f(QStringLiteral(QDVD_SOURCE_DIR "/assets/pictures/") + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return f.readAll();
}

TEST(Jpeg, TheLogoDecodesToAnRgbPicture) {
  JpegPicture logo = DecodeJpeg(PictureData("logo.jpg"));
  ASSERT_TRUE(logo.ok()) << logo.error.toStdString();
  EXPECT_TRUE(logo.error.isEmpty());
  EXPECT_EQ(logo.image.size(), QSize(200, 36));
  EXPECT_EQ(logo.image.format(), QImage::Format_RGB32);
  // Black background, light letters; the toolkit's own reader agrees pixel by pixel
  // within JPEG rounding.
  QImage reference;
  ASSERT_TRUE(reference.loadFromData(Asset("logo.jpg"), "JPG"));
  int lightest = 0;
  for (int y = 0; y < 36; ++y)
    for (int x = 0; x < 200; ++x) {
      QColor a = logo.image.pixelColor(x, y), b = reference.pixelColor(x, y);
      ASSERT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()), 12)
          << x << "," << y;
      lightest = std::max(lightest, a.lightness());
      ASSERT_EQ(qAlpha(logo.image.pixel(x, y)), 255);
    }
  EXPECT_LT(logo.image.pixelColor(1, 1).lightness(), 30);
  EXPECT_GT(lightest, 180);
}

// A picture cut short is refused as a whole: nothing half grey is ever shown.
TEST(Jpeg, ADamagedPictureGivesAClearErrorAndNoImage) {
  JpegPicture damaged = DecodeJpeg(Asset("damaged_logo.jpg"));
  EXPECT_FALSE(damaged.ok());
  EXPECT_TRUE(damaged.image.isNull());
  EXPECT_TRUE(damaged.error.startsWith("Damaged JPEG picture:")) << damaged.error.toStdString();
  EXPECT_TRUE(damaged.error.contains("end", Qt::CaseInsensitive)) << damaged.error.toStdString();

  QByteArray headerOnly = Asset("logo.jpg").left(200);
  EXPECT_FALSE(DecodeJpeg(headerOnly).ok());
}

TEST(Jpeg, DataThatIsNoJpegIsRefused) {
  for (const QByteArray &bytes : {QByteArray(), QByteArray("hello"), Asset("play.png"), QByteArray(4096, '\xff')}) {
    JpegPicture p = DecodeJpeg(bytes);
    EXPECT_FALSE(p.ok());
    EXPECT_FALSE(p.error.isEmpty());
  }
  EXPECT_TRUE(DecodeJpeg(Asset("play.png")).error.contains("Not a JPEG file")) << DecodeJpeg(Asset("play.png")).error.toStdString();
}

TEST(Jpeg, AHugeDeclaredSizeIsRefusedBeforeDecoding) {
  QByteArray data = Asset("logo.jpg");
  // Rewrite the frame header's height and width (SOF0: FF C0, length, precision, h, w).
  qsizetype sof = data.indexOf(QByteArray("\xff\xc0", 2));
  ASSERT_GT(sof, 0);
  data[sof + 5] = '\xfd';
  data[sof + 6] = '\xe8'; // 65000
  data[sof + 7] = '\xfd';
  data[sof + 8] = '\xe8';
  JpegPicture p = DecodeJpeg(data);
  EXPECT_FALSE(p.ok());
  EXPECT_TRUE(p.error.contains("too large")) << p.error.toStdString();
}

} // namespace

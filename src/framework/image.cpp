#include "framework/image.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent), TComponentMixin(this) {}

TImage::~TImage() { MarkDestroying(); }

void TImage::SetPicture(const QImage &picture) {
  picture_ = picture;
  update();
}

bool TImage::LoadFromFile(const QString &fileName) {
  QImage image;
  bool ok = image.load(fileName);
  SetPicture(ok ? image : QImage());
  return ok;
}

void TImage::SetStretch(bool stretch) {
  if (stretch_ == stretch) return;
  stretch_ = stretch;
  update();
}

void TImage::paintEvent(QPaintEvent *) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  if (stretch_) painter.drawImage(rect(), picture_);
  else painter.drawImage(QPoint(0, 0), picture_);
}

#include "framework/imagelist.h"

TImageList::TImageList(QObject *owner) : TComponent(owner) {}

int TImageList::Add(const QPixmap &picture) {
  if (picture.isNull()) return -1;
  QPixmap p = picture;
  if (p.size() != QSize(width_, height_))
    p = p.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  pictures_.push_back(p);
  emit Changed();
  return Count() - 1;
}

int TImageList::AddFromFile(const QString &fileName) {
  QPixmap p;
  if (!p.load(fileName)) return -1;
  return Add(p);
}

QPixmap TImageList::Picture(int index) const {
  if (index < 0 || index >= Count()) return {};
  return pictures_[static_cast<size_t>(index)];
}

void TImageList::Clear() {
  if (pictures_.empty()) return;
  pictures_.clear();
  emit Changed();
}

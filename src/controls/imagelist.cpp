#include "controls/imagelist.h"

#include <QPainter>

#include <algorithm>

TLMDCustomImageList::TLMDCustomImageList(QObject *owner) : TComponent(owner) {}

TLMDCustomImageList::~TLMDCustomImageList() {
  MarkDestroying();
  for (TLMDChangeLink *link : links_) link->sender_ = nullptr;
}

int TLMDCustomImageList::AddList() {
  lists_.emplace_back();
  Change();
  return ListCount() - 1;
}

int TLMDCustomImageList::Count(int list) const {
  if (list < 0 || list >= ListCount()) return 0;
  return static_cast<int>(lists_[list].size());
}

int TLMDCustomImageList::Add(int list, const QImage &image) {
  if (list < 0 || list >= ListCount() || image.isNull()) return -1;
  QImage picture = image.convertToFormat(QImage::Format_ARGB32);
  if (picture.size() != QSize(ImageWidth, ImageHeight))
    picture = picture.scaled(ImageWidth, ImageHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  lists_[list].push_back(picture);
  Change();
  return Count(list) - 1;
}

void TLMDCustomImageList::Delete(int list, int index) {
  if (index < 0 || index >= Count(list)) return;
  lists_[list].erase(lists_[list].begin() + index);
  Change();
}

void TLMDCustomImageList::Clear() {
  lists_.clear();
  Change();
}

QImage TLMDCustomImageList::Image(int list, int index) const {
  if (index < 0 || index >= Count(list)) return QImage();
  return lists_[list][index];
}

bool TLMDCustomImageList::Draw(int list, int index, QImage &target, int x, int y) const {
  if (index < 0 || index >= Count(list) || target.isNull()) return false;
  QPainter painter(&target);
  painter.drawImage(x, y, lists_[list][index]);
  return true;
}

void TLMDCustomImageList::RegisterChanges(TLMDChangeLink *link) {
  if (!link || std::find(links_.begin(), links_.end(), link) != links_.end()) return;
  links_.push_back(link);
  link->sender_ = this;
}

void TLMDCustomImageList::UnRegisterChanges(TLMDChangeLink *link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->sender_ = nullptr;
}

void TLMDCustomImageList::Change() {
  const std::vector<TLMDChangeLink *> links = links_;
  for (TLMDChangeLink *link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange) link->OnChange(this);
}

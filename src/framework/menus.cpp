#include "framework/menus.h"

#include "framework/application.h"
#include "framework/imagelist.h"

#include <QIcon>
#include <QMenuBar>

#include <algorithm>

namespace {

QWidget *ParentWidgetOf(QObject *owner) {
  for (QObject *o = owner; o; o = o->parent())
    if (auto *w = qobject_cast<QWidget *>(o)) return w;
  return nullptr;
}

void ForEachItem(TMenuItem *item, const std::function<void(TMenuItem *)> &fn) {
  for (int i = 0; i < item->Count(); ++i) {
    fn(item->Items(i));
    ForEachItem(item->Items(i), fn);
  }
}

} // namespace

// --- TMenuItem ---------------------------------------------------------------------------

TMenuItem::TMenuItem(QObject *owner) : QAction(owner), TComponentMixin(this) {
  connect(this, &QAction::triggered, this, [this] { Click(); });
}

TMenuItem::~TMenuItem() {
  MarkDestroying();
  for (TMenuItem *item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Detach(this);
  delete subMenu_.data();
}

void TMenuItem::SetCaption(const QString &caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  setSeparator(IsLine());
  setText(IsLine() ? QString() : caption);
}

QChar TMenuItem::Accelerator() const {
  for (qsizetype i = 0; i + 1 < caption_.size(); ++i) {
    if (caption_[i] != QLatin1Char('&')) continue;
    if (caption_[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return caption_[i + 1].toUpper();
  }
  return {};
}

void TMenuItem::SetImageIndex(int index) {
  if (imageIndex_ == index) return;
  imageIndex_ = index;
  RefreshPicture();
}

void TMenuItem::SetBitmap(const QPixmap &bitmap) {
  bitmap_ = bitmap;
  RefreshPicture();
}

QObject *TMenuItem::RootMenu() const {
  const TMenuItem *item = this;
  while (item->parent_) item = item->parent_;
  return item->rootOf_;
}

TImageList *TMenuItem::Images() const {
  QObject *root = RootMenu();
  if (auto *main = qobject_cast<TMainMenu *>(root)) return main->Images();
  if (auto *popup = qobject_cast<TPopupMenu *>(root)) return popup->Images();
  return nullptr;
}

void TMenuItem::RefreshPicture() {
  TImageList *images = Images();
  QPixmap picture;
  if (images && imageIndex_ >= 0) picture = images->Picture(imageIndex_);
  if (picture.isNull()) picture = bitmap_;
  setIcon(picture.isNull() ? QIcon() : QIcon(picture));
}

QWidget *TMenuItem::Container() const {
  if (rootOf_) return container_.data();
  return subMenu_.data();
}

void TMenuItem::SetContainer(QWidget *container) {
  container_ = container;
  if (!container) return;
  for (TMenuItem *item : items_) {
    container->addAction(item);
    if (item->subMenu_) item->subMenu_->setParent(container, item->subMenu_->windowFlags());
  }
}

TMenuItem *TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem *item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem *item) {
  if (!item || item == this || item->parent_ == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  if (!rootOf_ && !subMenu_) {
    // The drop-down is a child of the widget that shows this item, so a skin set on
    // the window reaches it.
    QWidget *host = parent_ ? parent_->Container() : nullptr;
    subMenu_ = new QMenu(host ? host : ParentWidgetOf(parent()));
    setMenu(subMenu_.data());
  }
  QAction *before = index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (QWidget *container = Container()) {
    container->insertAction(before, item);
    if (item->subMenu_) item->subMenu_->setParent(container, item->subMenu_->windowFlags());
  }
  item->RefreshPicture();
  ForEachItem(item, [](TMenuItem *sub) { sub->RefreshPicture(); });
}

void TMenuItem::Remove(TMenuItem *item) {
  if (!item || item->parent_ != this) return;
  Detach(item);
  item->parent_ = nullptr;
  item->RefreshPicture();
}

void TMenuItem::Detach(TMenuItem *item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (QWidget *container = Container()) container->removeAction(item);
}

void TMenuItem::Click() {
  if (!isEnabled()) return;
  Application().Guard(this, [this] {
    if (OnClick) OnClick(this);
  });
}

// --- TMainMenu ---------------------------------------------------------------------------

TMainMenu::TMainMenu(QObject *owner) : TComponent(owner), items_(new TMenuItem(this)) {
  items_->SetRootOf(this);
}

TMainMenu::~TMainMenu() { MarkDestroying(); }

void TMainMenu::SetImages(TImageList *images) {
  if (images_ == images) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
  ForEachItem(items_, [](TMenuItem *item) { item->RefreshPicture(); });
}

void TMainMenu::Notification(QObject *component, TOperation operation) {
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    if (!Destroying()) ForEachItem(items_, [](TMenuItem *item) { item->RefreshPicture(); });
  }
}

void TMainMenu::AttachTo(QMenuBar *bar) { items_->SetContainer(bar); }

// --- TPopupMenu --------------------------------------------------------------------------

TPopupMenu::TPopupMenu(QObject *owner)
    : QMenu(ParentWidgetOf(owner)), TComponentMixin(this), items_(new TMenuItem(this)) {
  items_->SetRootOf(this);
  items_->SetContainer(this);
}

TPopupMenu::~TPopupMenu() { MarkDestroying(); }

void TPopupMenu::SetImages(TImageList *images) {
  if (images_ == images) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
  ForEachItem(items_, [](TMenuItem *item) { item->RefreshPicture(); });
}

void TPopupMenu::Notification(QObject *component, TOperation operation) {
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    if (!Destroying()) ForEachItem(items_, [](TMenuItem *item) { item->RefreshPicture(); });
  }
}

void TPopupMenu::Popup(int x, int y) {
  Application().Guard(this, [this] {
    if (OnPopup) OnPopup(this);
  });
  popup(QPoint(x, y));
}

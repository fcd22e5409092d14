// Menus: TMenuItem (a command with caption, accelerator, picture and sub-items),
// TMainMenu (the menu bar of a form) and TPopupMenu (a context menu).
//
// A caption's '&' marks the next letter as the accelerator and is not shown ("&&" is
// a literal ampersand); the caption "-" makes a separator line. An item shows the
// picture ImageIndex of its menu's Images when both are set, else its own Bitmap.
// Items are owned by their form (Owner); the item tree is separate: Add puts an item
// under another.
#pragma once

#include "framework/component.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QPointer>

#include <vector>

class QMenuBar;
class TImageList;

class TMenuItem : public QAction, public TComponentMixin {
  Q_OBJECT
public:
  explicit TMenuItem(QObject *owner = nullptr);
  ~TMenuItem() override;

  QString Caption() const { return caption_; }
  void SetCaption(const QString &caption);
  bool IsLine() const { return caption_ == QLatin1String("-"); }
  // The accelerator letter (after a single '&'), or a null character.
  QChar Accelerator() const;

  bool Visible() const { return isVisible(); }
  void SetVisible(bool visible) { setVisible(visible); }
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool enabled) { setEnabled(enabled); }

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  QPixmap Bitmap() const { return bitmap_; }
  void SetBitmap(const QPixmap &bitmap);

  // Sub-items, in order.
  void Add(TMenuItem *item);
  void Insert(int index, TMenuItem *item);
  void Remove(TMenuItem *item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem *Items(int index) const;
  TMenuItem *Parent() const { return parent_; }
  // The drop-down holding the sub-items (null until the first one is added).
  QMenu *SubMenu() const { return subMenu_.data(); }

  // Runs OnClick; errors go to the general error handler.
  void Click();
  TNotifyEvent OnClick;

  // The picture list of the menu this item belongs to.
  TImageList *Images() const;
  void RefreshPicture();

private:
  friend class TMainMenu;
  friend class TPopupMenu;
  // Where sub-items' actions go: the sub-menu, or the bar or popup of a root item.
  QWidget *Container() const;
  void SetContainer(QWidget *container);
  void SetRootOf(QObject *menu) { rootOf_ = menu; }
  QObject *RootMenu() const;
  void Detach(TMenuItem *item);

  QString caption_;
  int imageIndex_ = -1;
  QPixmap bitmap_;
  TMenuItem *parent_ = nullptr;
  std::vector<TMenuItem *> items_;
  QPointer<QMenu> subMenu_;
  QPointer<QWidget> container_; // root items only
  QObject *rootOf_ = nullptr;   // the menu whose root this item is
};

// The menu bar of a form. Items() holds the bar's entries; a form shows it through
// TForm::SetMenu.
class TMainMenu : public TComponent {
  Q_OBJECT
public:
  explicit TMainMenu(QObject *owner = nullptr);
  ~TMainMenu() override;

  TMenuItem *Items() const { return items_; }
  TImageList *Images() const { return images_; }
  void SetImages(TImageList *images);
  void Notification(QObject *component, TOperation operation) override;

  // Puts the entries into a bar (TForm::SetMenu does this).
  void AttachTo(QMenuBar *bar);

private:
  TMenuItem *items_;
  TImageList *images_ = nullptr;
};

// A context menu. AutoPopup: opened by the control it is attached to on a right click.
class TPopupMenu : public QMenu, public TComponentMixin {
  Q_OBJECT
public:
  explicit TPopupMenu(QObject *owner = nullptr);
  ~TPopupMenu() override;

  TMenuItem *Items() const { return items_; }
  TImageList *Images() const { return images_; }
  void SetImages(TImageList *images);
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
  // The component that opened the menu last.
  QObject *PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(QObject *component) { popupComponent_ = component; }

  // Raises OnPopup, then opens the menu at a screen point (returns at once).
  void Popup(int x, int y);
  TNotifyEvent OnPopup;

  void Notification(QObject *component, TOperation operation) override;

private:
  TMenuItem *items_;
  TImageList *images_ = nullptr;
  bool autoPopup_ = true;
  QPointer<QObject> popupComponent_;
};

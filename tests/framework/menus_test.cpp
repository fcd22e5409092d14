#include "framework/application.h"
#include "framework/forms.h"
#include "framework/imagelist.h"
#include "framework/menus.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QMenuBar>

namespace {

QPixmap Solid(QColor c, int size = 16) {
  QPixmap p(size, size);
  p.fill(c);
  return p;
}

TMenuItem *Item(QObject *owner, const char *name, const char *caption) {
  auto *item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(QString::fromUtf8(caption));
  return item;
}

TEST(MenuItem, CaptionsCarryAcceleratorsAndDashesMakeSeparators) {
  TForm form;
  TMenuItem *play = Item(&form, "PlayMenu", "&Play");
  TMenuItem *pause = Item(&form, "PauseMenu", "P&ausa");
  TMenuItem *line = Item(&form, "N1", "-");
  TMenuItem *plain = Item(&form, "PlaySpeed1", "Velocità di lettura");
  TMenuItem *amp = Item(&form, "Amp", "Tom && &Jerry");
  EXPECT_EQ(play->Accelerator(), QChar('P'));
  EXPECT_EQ(pause->Accelerator(), QChar('A'));
  EXPECT_TRUE(line->isSeparator());
  EXPECT_TRUE(line->IsLine());
  EXPECT_FALSE(play->isSeparator());
  EXPECT_TRUE(plain->Accelerator().isNull());
  EXPECT_EQ(amp->Accelerator(), QChar('J'));
  EXPECT_EQ(play->text(), "&Play"); // the toolkit reads '&' the same way
}

TEST(MenuItem, SubItemsKeepTheirOrderInTheDropDown) {
  TForm form;
  auto *menu = new TMainMenu(&form);
  TMenuItem *control = Item(&form, "ControlMenu", "&DVD");
  menu->Items()->Add(control);
  TMenuItem *a = Item(&form, "PlayMenu", "&Play");
  TMenuItem *b = Item(&form, "StopMenu", "&Stop");
  TMenuItem *c = Item(&form, "PauseMenu", "P&ausa");
  control->Add(a);
  control->Add(b);
  control->Insert(1, c);
  form.SetMenu(menu);
  ASSERT_NE(control->SubMenu(), nullptr);
  EXPECT_EQ(control->SubMenu()->actions(), (QList<QAction *>{a, c, b}));
  EXPECT_EQ(control->Count(), 3);
  EXPECT_EQ(control->Items(1), c);
  EXPECT_EQ(c->Parent(), control);
  control->Remove(c);
  EXPECT_EQ(control->SubMenu()->actions(), (QList<QAction *>{a, b}));
  delete b; // a destroyed item leaves its parent's list
  EXPECT_EQ(control->Count(), 1);
  EXPECT_EQ(form.MenuBar()->actions(), (QList<QAction *>{control}));
}

TEST(MenuItem, PicturesComeFromTheMenusImageListElseTheBitmap) {
  TForm form;
  auto *images = new TImageList(&form);
  images->Add(Solid(Qt::red));
  images->Add(Solid(Qt::green));
  auto *popup = new TPopupMenu(&form);
  TMenuItem *listed = Item(&form, "Play2", "&Play");
  listed->SetImageIndex(1);
  TMenuItem *own = Item(&form, "QuovadelDVD1", "Quovadel DVD");
  own->SetBitmap(Solid(Qt::blue, 32));
  popup->Items()->Add(own);
  popup->Items()->Add(listed);
  EXPECT_TRUE(listed->icon().isNull()); // no list yet
  popup->SetImages(images);
  EXPECT_EQ(listed->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::green));
  EXPECT_EQ(own->icon().pixmap(32, 32).toImage().pixelColor(8, 8), QColor(Qt::blue));
  EXPECT_EQ(listed->Images(), images);
  delete images; // removal notice: the menu forgets the list
  EXPECT_EQ(popup->Images(), nullptr);
  EXPECT_TRUE(listed->icon().isNull());
}

TEST(MenuItem, TriggerRunsOnClickGuardedAndDisabledItemsDoNothing) {
  ScopedScriptedDialogs dialogs;
  TForm form;
  TMenuItem *exit = Item(&form, "ExitMenu", "&Esci");
  int clicks = 0;
  exit->OnClick = [&](QObject *sender) {
    EXPECT_EQ(sender, exit);
    ++clicks;
  };
  exit->trigger();
  exit->SetEnabled(false);
  exit->trigger();
  exit->Click();
  EXPECT_EQ(clicks, 1);
  exit->SetEnabled(true);
  exit->OnClick = [](QObject *) { throw Exception("boom"); };
  exit->trigger();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "boom.");
}

TEST(MenuItem, HiddenItemsStayInTheMenuButAreNotShown) {
  TForm form;
  auto *popup = new TPopupMenu(&form);
  TMenuItem *tray = Item(&form, "Aprilettore1", "Apri lettore");
  popup->Items()->Add(tray);
  tray->SetVisible(false);
  EXPECT_FALSE(tray->isVisible());
  EXPECT_TRUE(popup->actions().contains(tray));
}

TEST(PopupMenu, PopupRaisesOnPopupThenOpensAtThePoint) {
  TForm form;
  auto *popup = new TPopupMenu(&form);
  popup->Items()->Add(Item(&form, "Play2", "&Play"));
  EXPECT_TRUE(popup->AutoPopup());
  EXPECT_EQ(popup->Owner(), &form);
  bool visibleAtPopup = true;
  popup->OnPopup = [&](QObject *) { visibleAtPopup = popup->isVisible(); };
  popup->Popup(100, 120);
  EXPECT_FALSE(visibleAtPopup);
  EXPECT_TRUE(popup->isVisible());
  EXPECT_EQ(popup->pos(), QPoint(100, 120));
  popup->hide();
}

} // namespace

#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/forms.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "skin/skin_manager.h"
#include "skin/skin_provider.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString Assets() { return QStringLiteral(QDVD_SOURCE_DIR "/assets/temi"); }

const QColor kSkinBrown(0x47, 0x34, 0x19);
const QColor kPlainRed(200, 0, 0);

// A window with one control of each section; its own colour is red so that the plain
// look can be told from the skin's brown.
struct Window {
  TForm form;
  TsSkinProvider *provider;
  TsBitBtn *button;
  TsCheckBox *box;
  TsPanel *panel;
  TsLabel *label;

  explicit Window(TsSkinManager *manager) {
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    form.SetColor(FromQColor(kPlainRed));
    provider = new TsSkinProvider(&form);
    button = new TsBitBtn(form.Client());
    button->setGeometry(0, 0, 41, 25);
    box = new TsCheckBox(form.Client());
    box->setGeometry(50, 0, 54, 20);
    box->SetCaption("Mute");
    panel = new TsPanel(form.Client());
    panel->setGeometry(0, 40, 100, 40);
    label = new TsLabel(form.Client());
    label->move(120, 40);
    label->SetCaption("Volume");
    label->SetFont(TFont("MS Sans Serif", -11, 0x76939D));
    provider->BeginLoading();
    provider->SetSkinManager(manager);
    provider->Loaded();
  }
  QColor At(int x, int y) { return QColor(form.grab().toImage().pixel(x, y)); }
};

TEST(SkinManager, PaintsEveryRegisteredWindowAndRestoresThePlainLookWhenSwitchedOff) {
  ScopedScriptedDialogs dialogs;
  TsSkinManager manager;
  Window first(&manager);
  manager.SetSkinDirectory(Assets());
  manager.SetSkinName("cappuccino");
  EXPECT_EQ(first.At(150, 90), kPlainRed); // still off

  manager.SetActive(true);
  ASSERT_TRUE(manager.SkinLoaded());
  EXPECT_EQ(first.form.styleSheet(), manager.Skin()->Sheet("FORM"));
  EXPECT_EQ(first.button->styleSheet(), manager.Skin()->Sheet("BUTTON"));
  EXPECT_EQ(first.box->styleSheet(), manager.Skin()->Sheet("CHECKBOX"));
  EXPECT_EQ(first.panel->styleSheet(), manager.Skin()->Sheet("PANEL"));
  EXPECT_EQ(first.At(150, 90), kSkinBrown);
  QColor face = first.At(20, 12);
  EXPECT_GT(face.lightness(), 180) << "the skin's light button face";

  // A window that joins while the skin is on is painted at once.
  Window later(&manager);
  EXPECT_EQ(later.At(150, 90), kSkinBrown);
  EXPECT_EQ(later.panel->styleSheet(), manager.Skin()->Sheet("PANEL"));

  manager.SetActive(false);
  EXPECT_FALSE(manager.SkinLoaded());
  for (Window *w : {&first, &later}) {
    EXPECT_TRUE(w->form.styleSheet().isEmpty());
    EXPECT_TRUE(w->button->styleSheet().isEmpty());
    EXPECT_EQ(w->At(150, 90), kPlainRed);
    EXPECT_EQ(w->label->palette().color(QPalette::WindowText), QColor(157, 147, 118));
  }
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST(SkinManager, AMissingOrDamagedFolderLeavesPlainControlsAndReportsNothing) {
  ScopedScriptedDialogs dialogs;
  QTemporaryDir temp;
  QDir(temp.path()).mkdir("cappuccino"); // a skin folder without skin.ini
  TsSkinManager manager;
  Window w(&manager);
  for (QString dir : {temp.path() + "/nothing", temp.path()}) {
    manager.SetActive(false);
    manager.SetSkinDirectory(dir);
    manager.SetSkinName("cappuccino");
    manager.SetActive(true);
    EXPECT_TRUE(manager.Active());
    EXPECT_FALSE(manager.SkinLoaded());
    EXPECT_TRUE(w.form.styleSheet().isEmpty());
    EXPECT_TRUE(w.button->styleSheet().isEmpty());
    EXPECT_EQ(w.At(150, 90), kPlainRed);
  }
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST(SkinManager, ChangingTheSkinWhileOnReloadsIt) {
  QTemporaryDir temp;
  QDir(temp.path()).mkdir("green");
  QFile ini(temp.path() + "/green/skin.ini");
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[skin]\nname=green\nsections=FORM\n");
  ini.close();
  QFile sheet(temp.path() + "/green/FORM.qss");
  ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
  sheet.write("QWidget { background-color: #00c000; }");
  sheet.close();

  TsSkinManager manager;
  Window w(&manager);
  manager.SetSkinDirectory(Assets());
  manager.SetSkinName("cappuccino");
  manager.SetActive(true);
  EXPECT_EQ(w.At(150, 90), kSkinBrown);
  manager.SetSkinDirectory(temp.path());
  manager.SetSkinName("green");
  EXPECT_EQ(w.At(150, 90), QColor(0, 0xc0, 0));
  EXPECT_TRUE(w.button->styleSheet().isEmpty()); // no BUTTON section in this skin
}

TEST(SkinManager, StoredActiveTakesEffectWhenLoadingEnds) {
  TsSkinManager manager;
  Window w(&manager);
  manager.BeginLoading();
  manager.SetSkinDirectory(Assets());
  manager.SetSkinName("cappuccino");
  manager.SetActive(true);
  EXPECT_FALSE(manager.SkinLoaded());
  manager.Loaded();
  EXPECT_TRUE(manager.SkinLoaded());
  EXPECT_EQ(w.At(150, 90), kSkinBrown);
}

TEST(SkinProvider, ForgetsAManagerThatGoesAwayAndLeavesItWhenItGoes) {
  auto *manager = new TsSkinManager;
  manager->SetSkinDirectory(Assets());
  manager->SetSkinName("cappuccino");
  manager->SetActive(true);
  {
    Window w(manager);
    EXPECT_EQ(w.provider->SkinManager(), manager);
    EXPECT_EQ(w.provider->Window(), &w.form);
  }
  Window survivor(manager);
  delete manager; // must not touch the destroyed window above
  EXPECT_EQ(survivor.provider->SkinManager(), nullptr);
}

} // namespace

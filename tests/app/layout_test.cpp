// The windows against their stored layouts: components, places, captions, hints,
// pictures, menus, frames and the look they share.
#include "player_fixture.h"

#include "video/video_window.h"
#include "controls/color_trackbar.h"
#include "controls/trayicon.h"
#include "engine/filter_graph.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/controls.h"
#include "framework/image.h"
#include "framework/imagelist.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "framework/open_dialog.h"
#include "framework/panel.h"
#include "skin/skin_manager.h"
#include "skin/skin_provider.h"

#include <QKeySequence>
#include <QTimer>
#include <QMenuBar>

#include <set>
#include <string>

namespace {

enum Kind { kButton, kLabel, kCheckBox };

struct ControlRow {
  const char *name;
  Kind kind;
  QRect place; // width 0: sized to its text
  const char *text; // caption, or the hint of a picture button
  bool visible = true;
};

const ControlRow kControlPanel[] = {
    {"sBitBtn6", kButton, {0, 0, 41, 25}, ""},
    {"sBitBtn4", kButton, {40, 0, 41, 25}, ""},
    {"sBitBtn5", kButton, {80, 0, 41, 25}, ""},
    {"sBitBtn7", kButton, {120, 0, 41, 25}, ""},
    {"sBitBtn1", kButton, {160, 0, 41, 25}, ""},
    {"sBitBtn2", kButton, {200, 0, 41, 25}, ""},
    {"sBitBtn3", kButton, {240, 0, 41, 25}, ""},
    {"sBitBtn11", kButton, {280, 0, 41, 25}, ""},
    {"Labelcap", kLabel, {0, 32, 0, 0}, "Capitolo:"},
    {"Labeltit", kLabel, {64, 32, 0, 0}, "Titolo:"},
    {"Labeltime", kLabel, {112, 32, 0, 0}, "Tempo:"},
    {"sBitBtn8", kButton, {200, 32, 41, 17}, "Schermo intero"},
    {"sBitBtn10", kButton, {240, 32, 41, 17}, "Menu principale DVD"},
    {"sBitBtn9", kButton, {280, 32, 41, 17}, "Avanzamento per frame"},
    {"sLabel1", kLabel, {8, 56, 0, 0}, "Volume"},
    {"sCheckBox1", kCheckBox, {144, 72, 54, 20}, "Mute"},
    {"sCheckBox2", kCheckBox, {208, 72, 62, 20}, "On top", false},
    {"sBitBtn12", kButton, {280, 72, 41, 17}, "Riduci"},
};

const ControlRow kToolbar[] = {
    {"sBitBtn14", kButton, {8, 2, 41, 25}, ""},
    {"sBitBtn12", kButton, {48, 2, 41, 25}, ""},
    {"sBitBtn13", kButton, {88, 2, 41, 25}, ""},
    {"sBitBtn15", kButton, {128, 2, 41, 25}, ""},
    {"sBitBtn8", kButton, {168, 2, 41, 25}, ""},
    {"sBitBtn9", kButton, {208, 2, 41, 25}, ""},
    {"sBitBtn10", kButton, {248, 2, 41, 25}, ""},
    {"sCheckBox1", kCheckBox, {360, 8, 54, 20}, "Mute"},
};

void CheckControls(TForm *form, QWidget *parent, const ControlRow *rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const ControlRow &row = rows[i];
    SCOPED_TRACE(row.name);
    QObject *found = form->FindComponent(QString::fromLatin1(row.name));
    ASSERT_NE(found, nullptr);
    auto *w = qobject_cast<QWidget *>(found);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), parent);
    EXPECT_EQ(w->isVisibleTo(form), row.visible);
    QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case kButton: {
      auto *b = dynamic_cast<TsBitBtn *>(found);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->geometry(), row.place);
      EXPECT_FALSE(b->Glyph().isNull()) << "a picture";
      EXPECT_TRUE(b->Caption().isEmpty()) << "no text";
      EXPECT_EQ(b->toolTip(), text) << "a tooltip only where a hint is given";
      EXPECT_EQ(b->SkinSection(), "BUTTON");
      int pictureHeight = row.place.height() == 25 ? 17 : 14;
      EXPECT_EQ(b->Glyph().size(), QSize(35, pictureHeight));
      EXPECT_TRUE(b->OnClick != nullptr);
      break;
    }
    case kLabel: {
      auto *l = dynamic_cast<TsLabel *>(found);
      ASSERT_NE(l, nullptr);
      EXPECT_EQ(l->pos(), row.place.topLeft());
      EXPECT_EQ(l->Caption(), text);
      EXPECT_TRUE(l->AutoSize());
      EXPECT_EQ(l->width(), QFontMetrics(l->font()).horizontalAdvance(text));
      EXPECT_EQ(l->Font().Color(), 0x76939Du);
      EXPECT_EQ(l->Font().Name(), "MS Sans Serif");
      EXPECT_EQ(l->Font().Height(), -11);
      break;
    }
    case kCheckBox: {
      auto *c = dynamic_cast<TsCheckBox *>(found);
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(c->geometry(), row.place);
      EXPECT_EQ(c->Caption(), text);
      EXPECT_FALSE(c->Checked());
      EXPECT_EQ(c->SkinSection(), "CHECKBOX");
      EXPECT_TRUE(c->OnClick != nullptr);
      break;
    }
    }
  }
}

// The menu tree, depth first: indentation by depth, then name, caption, picture index
// (-1 none), and flags.
struct MenuRow {
  int depth;
  const char *name;
  const char *caption;
  int picture = -1;
  bool visible = true;
  bool enabled = true;
};

const MenuRow kMainMenu[] = {
    {0, "FileMenu", "&File"},
    {1, "OpenMenu", "&Apri", 0},
    {1, "ExitMenu", "&Esci", 1},
    {0, "ControlMenu", "&DVD"},
    {1, "PlayMenu", "&Play", 2},
    {1, "PauseMenu", "P&ausa", 3},
    {1, "StopMenu", "&Stop", 4},
    {1, "StepForwardMenu", "&Avanti a fotogrammi", 5},
    {1, "N1", "-"},
    {1, "GoToMenu", "&Vai a"},
    {2, "NextChapterMenu", "Prossimo &capitolo", 6},
    {2, "PreviousChapterMenu", "&Precedente capitolo", 7},
    {1, "PlaySpeed1", "Velocità di lettura"},
    {2, "FastForward1", "Veloce in avanti", 8},
    {2, "Rewind1", "Indietro", 9},
    {1, "N4", "-"},
    {1, "MenuRoot", "&Menu principale", 10},
    {1, "TitleMenu", "M&enu titoli", 11},
    {1, "Aprilettore1", "Apri lettore", 16, false},
    {1, "N7", "-"},
    {1, "Audio1", "Audio", -1, true, false},
    {1, "Sottotitoli1", "Sottotitoli", -1, true, false},
    {1, "Angolo1", "Angolo", -1, false, false},
    {0, "OptionsMenu", "&Opzioni"},
    {1, "FullscreenMenu", "&Schermo intero ON/OFF", 12},
    {1, "N5", "-"},
    {1, "BookmarksMenu", "&Punti di lettura"},
    {2, "SavebookmarkMenu", "&Salva punto", 13},
    {2, "RestorebookmarkMenu", "&Ripristina punto", 14},
};

const MenuRow kPopup[] = {
    {0, "QuovadelDVD1", "Quovadel DVD", -1, true, false},
    {0, "Play2", "&Play", 2},
    {0, "Pause2", "P&ausa", 3},
    {0, "Stop2", "&Stop", 4},
    {0, "N2", "-"},
    {0, "GoTo2", "Vai a"},
    {1, "NextChapter2", "Prossimo capitolo", 6},
    {1, "PreviousChapter2", "Precedente capitolo", 7},
    {0, "PlaySpeed2", "&Velocità di lettura"},
    {1, "FastForward2", "Veloce avanti", 8},
    {1, "Rewind2", "Indietro", 9},
    {0, "Bookmarks2", "&Punti di lettura"},
    {1, "Savebookmark2", "&Salva punto", 13},
    {1, "Restorebookmark2", "&Ripristina punto", 14},
    {0, "N3", "-"},
    {0, "MenuRoot2", "&Menu principale", 10},
    {0, "TitleMenu2", "&Menu titoli", 11},
    {0, "N6", "-"},
    {0, "Fullscreen2", "&Schermo intero ON/OFF", 12},
    {0, "oolbar1", "Toolbar", 15},
    {0, "N8", "-"},
    {0, "Audio2", "Audio", -1, true, false},
    {0, "Sottotitoli2", "Sottotitoli", -1, true, false},
    {0, "Angolo2", "Angolo", -1, false, false},
};

void Flatten(TMenuItem *item, int depth, std::vector<std::pair<int, TMenuItem *>> *out) {
  for (int i = 0; i < item->Count(); ++i) {
    out->push_back({depth, item->Items(i)});
    Flatten(item->Items(i), depth + 1, out);
  }
}

void CheckMenu(TMenuItem *root, QWidget *shownIn, TImageList *images, const MenuRow *rows, size_t count) {
  std::vector<std::pair<int, TMenuItem *>> items;
  Flatten(root, 0, &items);
  ASSERT_EQ(items.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const MenuRow &row = rows[i];
    auto [depth, item] = items[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(depth, row.depth);
    EXPECT_EQ(item->Name(), row.name);
    QString caption = QString::fromUtf8(row.caption);
    EXPECT_EQ(item->Caption(), caption);
    EXPECT_EQ(item->isSeparator(), caption == "-");
    // The toolkit reads the accelerator from the same '&'.
    qsizetype amp = caption.indexOf('&');
    if (amp >= 0) {
      EXPECT_EQ(item->Accelerator(), caption[amp + 1].toUpper());
      EXPECT_EQ(QKeySequence::mnemonic(item->text()), QKeySequence(QStringLiteral("Alt+") + caption[amp + 1].toUpper()));
    } else {
      EXPECT_TRUE(item->Accelerator().isNull());
    }
    EXPECT_EQ(item->Visible(), row.visible);
    EXPECT_EQ(item->Enabled(), row.enabled);
    EXPECT_EQ(item->ImageIndex(), row.picture);
    EXPECT_EQ(item->Images(), images);
    bool hasLeaf = item->Count() == 0 && caption != "-";
    if (row.picture >= 0) {
      EXPECT_EQ(item->icon().pixmap(16, 16).toImage(), images->Picture(row.picture).toImage());
    }
    if (hasLeaf && caption != "Quovadel DVD") {
      EXPECT_TRUE(item->OnClick != nullptr);
    }
    // Shown where it belongs, in order.
    QWidget *holder = depth == 0 ? shownIn : item->Parent()->SubMenu();
    ASSERT_NE(holder, nullptr);
    TMenuItem *parent = item->Parent();
    int index = 0;
    while (parent->Items(index) != item) ++index;
    EXPECT_EQ(holder->actions().indexOf(item), index);
  }
}

TEST_F(PlayerTest, TheWindowSetHasItsCaptionsPlacesSizesAndFrames) {
  struct Row {
    TForm *form;
    const char *caption;
    QSize client;
    QPoint place;
  } rows[] = {
      {FormDVDPlayer, "Quovadel2 Beta - Control Panel", {324, 95}, {274, 345}},
      {Form2, "Info", {419, 115}, {293, 301}},
      {Form3, "Quovadel - DVD Show", {323, 190}, {273, 120}},
      {Form4, "Form4", {506, 29}, {5, 9}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.caption);
    EXPECT_EQ(row.form->Caption(), row.caption);
    EXPECT_EQ(row.form->windowTitle(), row.caption);
    EXPECT_EQ(QSize(row.form->ClientWidth(), row.form->ClientHeight()), row.client);
    EXPECT_EQ(row.form->Client()->size(), row.client);
    EXPECT_EQ(row.form->pos(), row.place);
    EXPECT_EQ(row.form->palette().color(QPalette::Window), QColor(71, 52, 25));
    EXPECT_EQ(row.form->Font().Name(), "MS Sans Serif");
    EXPECT_EQ(row.form->Font().Height(), -11);
    EXPECT_EQ(row.form->Font().Size(), 8);
    EXPECT_EQ(row.form->font().pixelSize(), 11);
  }
  // The control panel: a fixed frame with the system menu and minimize only, the menu
  // bar above its client area.
  Qt::WindowFlags f = FormDVDPlayer->windowFlags();
  EXPECT_TRUE(f & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(FormDVDPlayer->minimumSize(), FormDVDPlayer->maximumSize());
  EXPECT_EQ(FormDVDPlayer->Client()->y(), FormDVDPlayer->MenuBar()->height());
  EXPECT_EQ(FormDVDPlayer->height(), 95 + FormDVDPlayer->MenuBar()->height());
  // The information box: a dialog frame on top of everything.
  f = Form2->windowFlags();
  EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(Form2->minimumSize(), Form2->maximumSize());
  // The video show window: an ordinary resizable window.
  f = Form3->windowFlags();
  EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Window);
  EXPECT_TRUE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(f & (Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint));
  EXPECT_NE(Form3->minimumSize(), Form3->maximumSize());
  // The toolbar: no frame, on top of everything.
  f = Form4->windowFlags();
  EXPECT_TRUE(f & Qt::FramelessWindowHint);
  EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
  for (TForm *form : {static_cast<TForm *>(Form2), static_cast<TForm *>(Form3), static_cast<TForm *>(Form4)})
    EXPECT_EQ(form->MenuBar(), nullptr);
}

TEST_F(PlayerTest, ControlPanelControlsMatchTheirTable) {
  CheckControls(FormDVDPlayer, FormDVDPlayer->Client(), kControlPanel, std::size(kControlPanel));
  // Every picture button of the panel has a picture of its own.
  std::set<qint64> pictures;
  for (const ControlRow &row : kControlPanel)
    if (row.kind == kButton)
      pictures.insert(dynamic_cast<TsBitBtn *>(FormDVDPlayer->FindComponent(row.name))->Glyph().cacheKey());
  EXPECT_EQ(pictures.size(), 12u);
}

TEST_F(PlayerTest, ControlPanelNonVisualComponents) {
  TFilterGraph *graph = FormDVDPlayer->FilterGraph;
  ASSERT_EQ(FormDVDPlayer->FindComponent("FilterGraph"), graph);
  EXPECT_EQ(graph->Owner(), FormDVDPlayer);
  EXPECT_EQ(graph->Mode(), gmDVD);
  EXPECT_TRUE(graph->GraphEdit());
  EXPECT_TRUE(graph->LinearVolume());
  EXPECT_FALSE(graph->AutoCreate());
  EXPECT_FALSE(graph->Active());
  EXPECT_TRUE(graph->OnDVDTitleChange != nullptr);
  EXPECT_TRUE(graph->OnDVDChapterStart != nullptr);
  EXPECT_TRUE(graph->OnDVDCurrentHMSFTime != nullptr);
  EXPECT_TRUE(graph->OnDSEvent == nullptr);
  EXPECT_TRUE(graph->OnDVDDomainTitle == nullptr);
  EXPECT_TRUE(graph->OnGraphComplete == nullptr);

  TOpenDialog *open = FormDVDPlayer->OpenDialog;
  EXPECT_EQ(open->Title(), "Apri DVD Video");
  EXPECT_EQ(open->Filter(), "VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO");
  EXPECT_EQ(open->FilterIndex(), 1);
  EXPECT_TRUE(open->InitialDir().isEmpty());

  EXPECT_EQ(FormDVDPlayer->ImageList1->Count(), 17);
  EXPECT_EQ(FormDVDPlayer->ImageList1->Picture(16).size(), QSize(16, 16));
  EXPECT_EQ(FormDVDPlayer->sSkinProvider1->SkinSection(), "FORM");
  EXPECT_EQ(FormDVDPlayer->sSkinProvider1->SkinManager(), FormDVDPlayer->sSkinManager1);
}

TEST_F(PlayerTest, MainMenuItemsCaptionsAcceleratorsSeparatorsAndPictures) {
  EXPECT_EQ(FormDVDPlayer->Menu(), FormDVDPlayer->MainMenu);
  EXPECT_EQ(FormDVDPlayer->MainMenu->Images(), FormDVDPlayer->ImageList1);
  CheckMenu(FormDVDPlayer->MainMenu->Items(), FormDVDPlayer->MenuBar(), FormDVDPlayer->ImageList1, kMainMenu,
            std::size(kMainMenu));
}

TEST_F(PlayerTest, PopupMenusItemsCaptionsAcceleratorsSeparatorsAndPictures) {
  TPopupMenu *popup = FormDVDPlayer->Popup;
  EXPECT_EQ(popup->Owner(), FormDVDPlayer);
  EXPECT_TRUE(popup->AutoPopup());
  EXPECT_TRUE(popup->property("AutoPopup").toBool());
  CheckMenu(popup->Items(), popup, FormDVDPlayer->ImageList1, kPopup, std::size(kPopup));
  // The title line carries the 32 x 32 disc picture of its own.
  EXPECT_EQ(FormDVDPlayer->QuovadelDVD1->Bitmap().size(), QSize(32, 32));
  EXPECT_FALSE(FormDVDPlayer->QuovadelDVD1->icon().isNull());

  TPopupMenu *tray = FormDVDPlayer->PopupMenu1;
  ASSERT_EQ(tray->Items()->Count(), 1);
  EXPECT_EQ(tray->Items()->Items(0), FormDVDPlayer->ApriQuovadelControlpanel1);
  EXPECT_EQ(FormDVDPlayer->ApriQuovadelControlpanel1->Caption(), "Apri Quovadel Control panel");
  EXPECT_EQ(tray->actions(), (QList<QAction *>{FormDVDPlayer->ApriQuovadelControlpanel1}));
}

// The slider's stored Min 100 arrives while Max is still 100 and is dropped: it runs
// from 0. Loading raises no volume change; the creation handler hands 4000 to the
// engine, which keeps it without a graph.
TEST_F(PlayerTest, VolumeSliderEndsAt4000AndTheEngineHoldsIt) {
  TJvColorTrackBar *volume = FormDVDPlayer->JvColorTrackBar1;
  EXPECT_EQ(FormDVDPlayer->FindComponent("JvColorTrackBar1"), volume);
  EXPECT_EQ(volume->parentWidget(), FormDVDPlayer->Client());
  EXPECT_EQ(volume->geometry(), QRect(8, 72, 120, 16));
  EXPECT_EQ(volume->Min(), 0);
  EXPECT_EQ(volume->Max(), 10000);
  EXPECT_EQ(volume->Position(), 4000);
  EXPECT_EQ(volume->ArrowColor(), clWhite);
  EXPECT_EQ(volume->BorderStyle(), bsSingle);
  EXPECT_EQ(volume->ColorFrom(), 14869218u);
  EXPECT_EQ(volume->ColorTo(), 10066329u);
  EXPECT_TRUE(volume->OnPosChange != nullptr);
  EXPECT_EQ(FormDVDPlayer->FilterGraph->Volume(), 4000);
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());

  TJvColorTrackBar *bar = Form4->JvColorTrackBar1;
  EXPECT_EQ(bar->parentWidget(), Form4->sPanel1);
  EXPECT_EQ(bar->geometry(), QRect(296, 5, 65, 16));
  EXPECT_EQ(bar->Min(), 10);
  EXPECT_EQ(bar->Max(), 10000);
  EXPECT_EQ(bar->Position(), 4000);
  EXPECT_EQ(bar->Color(), 0x193447u);
  EXPECT_EQ(bar->ColorFrom(), 14869218u);
  EXPECT_TRUE(bar->OnPosChange != nullptr);

  // The slider drives the volume.
  volume->SetPosition(0);
  EXPECT_EQ(FormDVDPlayer->FilterGraph->Volume(), 0);
}

TEST(ControlPanel, LoadingRaisesNoVolumeChangeTheCreationHandlerDoes) {
  TFormDVDPlayer panel;
  EXPECT_EQ(panel.FilterGraph->Volume(), 10000) << "the engine's own start value";
  panel.DoCreate();
  EXPECT_EQ(panel.FilterGraph->Volume(), 4000);
}

TEST_F(PlayerTest, TrayIconIsInactiveWithItsHintIconAndMenu) {
  TLMDTrayIcon *tray = FormDVDPlayer->tray;
  EXPECT_EQ(FormDVDPlayer->FindComponent("tray"), tray);
  EXPECT_EQ(tray->Owner(), FormDVDPlayer);
  EXPECT_FALSE(tray->Active());
  EXPECT_EQ(tray->Hint(), "Quovadel DVD");
  EXPECT_EQ(tray->Icon().availableSizes().value(0), QSize(32, 32));
  EXPECT_EQ(tray->PopupMenu(), FormDVDPlayer->PopupMenu1);
  EXPECT_TRUE(tray->Animated());
  EXPECT_EQ(tray->ImageList(), nullptr);
  EXPECT_TRUE(Application().ShowMainForm()) << "an inactive tray leaves the main window to the loop";
}

TEST_F(PlayerTest, InformationBoxLayout) {
  TsPanel *panel = Form2->sPanel1;
  EXPECT_EQ(Form2->FindComponent("sPanel1"), panel);
  EXPECT_EQ(AlignOf(panel), alTop);
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 419, 73));
  EXPECT_TRUE(panel->Caption().isEmpty());
  EXPECT_EQ(panel->SkinSection(), "PANEL");
  TsBitBtn *ok = Form2->sBitBtn1;
  EXPECT_EQ(ok->geometry(), QRect(176, 80, 75, 25));
  EXPECT_EQ(ok->Caption(), "Ok");
  EXPECT_TRUE(ok->toolTip().isEmpty());
  EXPECT_EQ(ok->SkinSection(), "BUTTON");
  EXPECT_EQ(Form2->sSkinProvider1->SkinManager(), FormDVDPlayer->sSkinManager1);
}

TEST_F(PlayerTest, VideoShowWindowKeepsTheLogoOnTheBlackVideoArea) {
  TVideoWindow *video = Form3->VideoWindow;
  EXPECT_EQ(Form3->FindComponent("VideoWindow"), video);
  EXPECT_EQ(video->FilterGraph(), FormDVDPlayer->FilterGraph);
  EXPECT_TRUE(video->FullScreenTopMost());
  EXPECT_FALSE(video->FullScreen());
  EXPECT_EQ(video->Mode(), vmNormal);
  EXPECT_EQ(video->VMROptions()->Mode(), vmrWindowed);
  EXPECT_EQ(video->PopupMenu(), FormDVDPlayer->Popup);
  EXPECT_EQ(video->Color(), clBlack);
  EXPECT_TRUE(video->OnDblClick && video->OnMouseMove && video->OnMouseUp);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 323, 190));
  EXPECT_EQ(AlignOf(video), alClient);
  TImage *logo = Form3->Image1;
  EXPECT_EQ(logo->parentWidget(), video);
  EXPECT_EQ(logo->geometry(), QRect(57, 64, 216, 49));
  EXPECT_FALSE(logo->Stretch());
  ASSERT_EQ(logo->Picture().size(), QSize(200, 36));
  EXPECT_EQ(Form3->sSkinProvider1->SkinManager(), FormDVDPlayer->sSkinManager1);
  EXPECT_TRUE(Form3->OnCreate != nullptr);

  Form3->Show();
  Form3->resize(500, 400);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 500, 400));
  EXPECT_EQ(logo->pos(), QPoint(57, 64));
  QImage shot = video->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::black));
  EXPECT_EQ(QColor(shot.pixel(480, 380)), QColor(Qt::black));
  EXPECT_EQ(shot.pixel(57 + 20, 64 + 10), logo->Picture().pixel(20, 10));
}

TEST_F(PlayerTest, ToolbarLayout) {
  TsPanel *panel = Form4->sPanel1;
  EXPECT_EQ(AlignOf(panel), alClient);
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 506, 29));
  EXPECT_TRUE(panel->OnMouseDown != nullptr);
  EXPECT_TRUE(panel->OnMouseMove != nullptr);
  EXPECT_TRUE(panel->OnMouseUp != nullptr);
  CheckControls(Form4, panel, kToolbar, std::size(kToolbar));
  EXPECT_EQ(Form4->Image1->parentWidget(), panel);
  EXPECT_EQ(Form4->Image1->geometry(), QRect(416, 12, 65, 13));
  EXPECT_EQ(Form4->Image1->Picture().size(), QSize(60, 10));
  TsBitBtn *close = Form4->sBitBtn1;
  EXPECT_EQ(close->parentWidget(), panel);
  EXPECT_EQ(close->geometry(), QRect(483, 2, 17, 17));
  EXPECT_EQ(close->Caption(), "X");
  EXPECT_EQ(close->toolTip(), "Chiudi pannello");
  EXPECT_TRUE(Form4->OnShow != nullptr);
  EXPECT_FALSE(PanelDragging);
}

TEST_F(PlayerTest, StartUpShowsTheControlPanelAndTheVideoWindowOnly) {
  EXPECT_EQ(Application().MainForm(), FormDVDPlayer);
  EXPECT_EQ(Application().Title(), "Quovadel DVD");
  Form3->SetVisible(true);
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  Application().Run(); // shows the main window on entry
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_FALSE(FormDVDPlayer->FilterGraph->Active());
  EXPECT_EQ(FormDVDPlayer->Labelcap->Caption(), "Capitolo:");
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(PlayerTest, TheSkinBesideTheExecutablePaintsAllFourWindows) {
  TsSkinManager *skin = FormDVDPlayer->sSkinManager1;
  EXPECT_TRUE(skin->Active());
  EXPECT_EQ(skin->SkinName(), "cappuccino");
  EXPECT_EQ(skin->SkinDirectory(), QCoreApplication::applicationDirPath() + "/temi");
  ASSERT_TRUE(skin->SkinLoaded()) << "the build copies temi/ beside the test";
  QString form = skin->Skin()->Sheet("FORM");
  for (TForm *w : {static_cast<TForm *>(FormDVDPlayer), static_cast<TForm *>(Form2), static_cast<TForm *>(Form3),
                   static_cast<TForm *>(Form4)})
    EXPECT_EQ(w->styleSheet(), form) << w->Name().toStdString();
  EXPECT_EQ(FormDVDPlayer->sBitBtn1->styleSheet(), skin->Skin()->Sheet("BUTTON"));
  EXPECT_EQ(Form4->sCheckBox1->styleSheet(), skin->Skin()->Sheet("CHECKBOX"));
  EXPECT_EQ(Form2->sPanel1->styleSheet(), skin->Skin()->Sheet("PANEL"));
  // The skinned menu bar keeps the client area at its stored size below it.
  FormDVDPlayer->Show();
  QCoreApplication::processEvents();
  QMenuBar *bar = FormDVDPlayer->MenuBar();
  EXPECT_EQ(bar->height(), bar->sizeHint().height());
  EXPECT_EQ(FormDVDPlayer->Client()->geometry(), QRect(0, bar->height(), 324, 95));
  // The video area stays black under the skin; the window around it is skin brown.
  Form3->Show();
  QImage shot = Form3->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(3, 3)), QColor(Qt::black));
  EXPECT_TRUE(dialogs->messages.empty());
}

} // namespace

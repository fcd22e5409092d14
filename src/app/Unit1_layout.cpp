// The stored layout of the control panel.
#include "app/Unit1.h"
#include "app/pictures.h"
#include "controls/color_trackbar.h"
#include "controls/trayicon.h"
#include "engine/filter_graph.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/form_loader.h"
#include "framework/imagelist.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "framework/open_dialog.h"
#include "skin/skin_manager.h"
#include "skin/skin_provider.h"

using namespace std::placeholders;

namespace {

constexpr TColor kWindowColor = 0x193447;
constexpr TColor kLabelColor = 0x76939D;

TsBitBtn *Button(TFormLoader &load, TFormDVDPlayer *form, const char *name, QRect place, const char *picture,
                 const char *hint, void (TFormDVDPlayer::*click)(QObject *)) {
  auto *b = load.Create<TsBitBtn>(form->Client(), name);
  b->setGeometry(place);
  b->SetGlyph(Picture(QLatin1String(picture)));
  if (hint) b->SetHint(QString::fromUtf8(hint));
  b->SetSkinSection(QStringLiteral("BUTTON"));
  b->OnClick = std::bind(click, form, _1);
  return b;
}

TsLabel *Label(TFormLoader &load, TFormDVDPlayer *form, const char *name, QPoint place, const char *caption) {
  auto *l = load.Create<TsLabel>(form->Client(), name);
  l->move(place);
  l->SetCaption(QString::fromUtf8(caption));
  l->SetFont(TFont(QStringLiteral("MS Sans Serif"), -11, kLabelColor));
  return l;
}

TMenuItem *Item(TFormLoader &load, TFormDVDPlayer *form, TMenuItem *parent, const char *name, const char *caption,
                int picture = -1, void (TFormDVDPlayer::*click)(QObject *) = nullptr) {
  auto *item = load.Create<TMenuItem>(form, name);
  item->SetCaption(QString::fromUtf8(caption));
  if (picture >= 0) item->SetImageIndex(picture);
  if (click) item->OnClick = std::bind(click, form, _1);
  parent->Add(item);
  return item;
}

} // namespace

void LoadFormDVDPlayerLayout(TFormDVDPlayer *f) {
  TFormLoader load(f);
  f->SetName(QStringLiteral("FormDVDPlayer"));
  f->SetLeft(274);
  f->SetTop(345);
  f->SetBorderIcons(biSystemMenu | biMinimize);
  f->SetBorderStyle(TFormBorderStyle::bsSingle);
  f->SetCaption(QStringLiteral("Quovadel2 Beta - Control Panel"));
  f->SetClientHeight(95);
  f->SetClientWidth(324);
  f->SetColor(kWindowColor);
  f->SetFont(TFont(QStringLiteral("MS Sans Serif"), -11));
  f->OnCloseQuery = std::bind(&TFormDVDPlayer::FormCloseQuery, f, _1, _2);
  f->OnCreate = std::bind(&TFormDVDPlayer::FormCreate, f, _1);

  // Transport row, status row, volume row.
  f->sBitBtn6 = Button(load, f, "sBitBtn6", {0, 0, 41, 25}, "prev_chapter", nullptr, &TFormDVDPlayer::sBitBtn6Click);
  f->sBitBtn4 = Button(load, f, "sBitBtn4", {40, 0, 41, 25}, "rewind", nullptr, &TFormDVDPlayer::sBitBtn4Click);
  f->sBitBtn5 = Button(load, f, "sBitBtn5", {80, 0, 41, 25}, "fast_forward", nullptr, &TFormDVDPlayer::sBitBtn5Click);
  f->sBitBtn7 = Button(load, f, "sBitBtn7", {120, 0, 41, 25}, "next_chapter", nullptr, &TFormDVDPlayer::sBitBtn7Click);
  f->sBitBtn1 = Button(load, f, "sBitBtn1", {160, 0, 41, 25}, "play", nullptr, &TFormDVDPlayer::sBitBtn1Click);
  f->sBitBtn2 = Button(load, f, "sBitBtn2", {200, 0, 41, 25}, "pause", nullptr, &TFormDVDPlayer::sBitBtn2Click);
  f->sBitBtn3 = Button(load, f, "sBitBtn3", {240, 0, 41, 25}, "stop", nullptr, &TFormDVDPlayer::sBitBtn3Click);
  f->sBitBtn11 = Button(load, f, "sBitBtn11", {280, 0, 41, 25}, "eject", nullptr, &TFormDVDPlayer::sBitBtn11Click);
  f->Labelcap = Label(load, f, "Labelcap", {0, 32}, "Capitolo:");
  f->Labeltit = Label(load, f, "Labeltit", {64, 32}, "Titolo:");
  f->Labeltime = Label(load, f, "Labeltime", {112, 32}, "Tempo:");
  f->sBitBtn8 = Button(load, f, "sBitBtn8", {200, 32, 41, 17}, "fullscreen", "Schermo intero",
                       &TFormDVDPlayer::sBitBtn8Click);
  f->sBitBtn10 = Button(load, f, "sBitBtn10", {240, 32, 41, 17}, "root_menu", "Menu principale DVD",
                        &TFormDVDPlayer::sBitBtn10Click);
  f->sBitBtn9 = Button(load, f, "sBitBtn9", {280, 32, 41, 17}, "frame_step", "Avanzamento per frame",
                       &TFormDVDPlayer::sBitBtn9Click);
  f->sLabel1 = Label(load, f, "sLabel1", {8, 56}, "Volume");

  // Volume: Min is applied while Max is still 100, so it is dropped and the slider runs
  // from 0; the change handler is bound after the position.
  f->JvColorTrackBar1 = load.Create<TJvColorTrackBar>(f->Client(), "JvColorTrackBar1");
  f->JvColorTrackBar1->SetBounds(8, 72, 120, 16);
  f->JvColorTrackBar1->SetArrowColor(clWhite);
  f->JvColorTrackBar1->SetBorderStyle(bsSingle);
  f->JvColorTrackBar1->SetColorFrom(14869218);
  f->JvColorTrackBar1->SetColorTo(10066329);
  f->JvColorTrackBar1->SetMin(100);
  f->JvColorTrackBar1->SetMax(10000);
  f->JvColorTrackBar1->SetPosition(4000);
  f->JvColorTrackBar1->OnPosChange = std::bind(&TFormDVDPlayer::JvColorTrackBar1PosChange, f, _1);

  f->sCheckBox1 = load.Create<TsCheckBox>(f->Client(), "sCheckBox1");
  f->sCheckBox1->setGeometry(144, 72, 54, 20);
  f->sCheckBox1->SetCaption(QStringLiteral("Mute"));
  f->sCheckBox1->SetSkinSection(QStringLiteral("CHECKBOX"));
  f->sCheckBox1->OnClick = std::bind(&TFormDVDPlayer::sCheckBox1Click, f, _1);
  f->sCheckBox2 = load.Create<TsCheckBox>(f->Client(), "sCheckBox2");
  f->sCheckBox2->setGeometry(208, 72, 62, 20);
  f->sCheckBox2->SetCaption(QStringLiteral("On top"));
  f->sCheckBox2->SetSkinSection(QStringLiteral("CHECKBOX"));
  f->sCheckBox2->setVisible(false);
  f->sCheckBox2->OnClick = std::bind(&TFormDVDPlayer::sCheckBox2Click, f, _1);
  f->sBitBtn12 = Button(load, f, "sBitBtn12", {280, 72, 41, 17}, "reduce", "Riduci", &TFormDVDPlayer::sBitBtn12Click);

  // The engine: a DVD graph, registered for outside inspection while active.
  f->FilterGraph = load.Create<TFilterGraph>(f, "FilterGraph");
  f->FilterGraph->SetMode(gmDVD);
  f->FilterGraph->SetGraphEdit(true);
  f->FilterGraph->SetLinearVolume(true);
  f->FilterGraph->OnDVDTitleChange = std::bind(&TFormDVDPlayer::FilterGraphDVDTitleChange, f, _1, _2);
  f->FilterGraph->OnDVDChapterStart = std::bind(&TFormDVDPlayer::FilterGraphDVDChapterStart, f, _1, _2);
  f->FilterGraph->OnDVDCurrentHMSFTime = std::bind(&TFormDVDPlayer::FilterGraphDVDCurrentHMSFTime, f, _1, _2, _3);
  f->FilterGraph->OnDVDPlaybackRateChange = std::bind(&TFormDVDPlayer::FilterGraphDVDPlaybackRateChange, f, _1, _2);
  f->FilterGraph->OnGraphErrorAbort = std::bind(&TFormDVDPlayer::FilterGraphGraphErrorAbort, f, _1, _2);
  f->FilterGraph->OnDVDErrorCopyProtectFail = std::bind(&TFormDVDPlayer::FilterGraphDVDErrorCopyProtectFail, f, _1);

  f->ImageList1 = load.Create<TImageList>(f, "ImageList1");
  LoadMenuPictures(f->ImageList1);

  // Main menu.
  f->MainMenu = load.Create<TMainMenu>(f, "MainMenu");
  f->MainMenu->SetImages(f->ImageList1);
  TMenuItem *bar = f->MainMenu->Items();
  f->FileMenu = Item(load, f, bar, "FileMenu", "&File");
  f->OpenMenu = Item(load, f, f->FileMenu, "OpenMenu", "&Apri", mpOpen, &TFormDVDPlayer::OpenMenuClick);
  f->ExitMenu = Item(load, f, f->FileMenu, "ExitMenu", "&Esci", mpExit, &TFormDVDPlayer::ExitMenuClick);
  f->ControlMenu = Item(load, f, bar, "ControlMenu", "&DVD");
  TMenuItem *dvd = f->ControlMenu;
  f->PlayMenu = Item(load, f, dvd, "PlayMenu", "&Play", mpPlay, &TFormDVDPlayer::PlayMenuClick);
  f->PauseMenu = Item(load, f, dvd, "PauseMenu", "P&ausa", mpPause, &TFormDVDPlayer::btPauseClick);
  f->StopMenu = Item(load, f, dvd, "StopMenu", "&Stop", mpStop, &TFormDVDPlayer::btStopClick);
  f->StepForwardMenu =
      Item(load, f, dvd, "StepForwardMenu", "&Avanti a fotogrammi", mpFrameStep, &TFormDVDPlayer::btFrameStepClick);
  f->N1 = Item(load, f, dvd, "N1", "-");
  f->GoToMenu = Item(load, f, dvd, "GoToMenu", "&Vai a");
  f->NextChapterMenu = Item(load, f, f->GoToMenu, "NextChapterMenu", "Prossimo &capitolo", mpNextChapter,
                            &TFormDVDPlayer::btNextChapterClick);
  f->PreviousChapterMenu = Item(load, f, f->GoToMenu, "PreviousChapterMenu", "&Precedente capitolo", mpPrevChapter,
                                &TFormDVDPlayer::btPreviousChapterClick);
  f->PlaySpeed1 = Item(load, f, dvd, "PlaySpeed1", "Velocità di lettura");
  f->FastForward1 = Item(load, f, f->PlaySpeed1, "FastForward1", "Veloce in avanti", mpFastForward,
                         &TFormDVDPlayer::btFastForwardClick);
  f->Rewind1 = Item(load, f, f->PlaySpeed1, "Rewind1", "Indietro", mpRewind, &TFormDVDPlayer::btRewindClick);
  f->N4 = Item(load, f, dvd, "N4", "-");
  f->MenuRoot = Item(load, f, dvd, "MenuRoot", "&Menu principale", mpRootMenu, &TFormDVDPlayer::btRootMenuClick);
  f->TitleMenu = Item(load, f, dvd, "TitleMenu", "M&enu titoli", mpTitleMenu, &TFormDVDPlayer::TitleMenuClick);
  f->Aprilettore1 = Item(load, f, dvd, "Aprilettore1", "Apri lettore", mpEject, &TFormDVDPlayer::Aprilettore1Click);
  f->Aprilettore1->SetVisible(false);
  // The sound track, subtitle and angle choices: filled as the menu opens.
  f->N7 = Item(load, f, dvd, "N7", "-");
  f->Audio1 = Item(load, f, dvd, "Audio1", "Audio", -1, &TFormDVDPlayer::StreamMenusPopup);
  f->Sottotitoli1 = Item(load, f, dvd, "Sottotitoli1", "Sottotitoli", -1, &TFormDVDPlayer::StreamMenusPopup);
  f->Angolo1 = Item(load, f, dvd, "Angolo1", "Angolo", -1, &TFormDVDPlayer::StreamMenusPopup);
  f->OptionsMenu = Item(load, f, bar, "OptionsMenu", "&Opzioni");
  f->FullscreenMenu = Item(load, f, f->OptionsMenu, "FullscreenMenu", "&Schermo intero ON/OFF", mpFullscreen,
                           &TFormDVDPlayer::btFullScreenClick);
  f->N5 = Item(load, f, f->OptionsMenu, "N5", "-");
  f->BookmarksMenu = Item(load, f, f->OptionsMenu, "BookmarksMenu", "&Punti di lettura");
  f->SavebookmarkMenu = Item(load, f, f->BookmarksMenu, "SavebookmarkMenu", "&Salva punto", mpSaveBookmark,
                             &TFormDVDPlayer::SavebookmarkMenuClick);
  f->RestorebookmarkMenu = Item(load, f, f->BookmarksMenu, "RestorebookmarkMenu", "&Ripristina punto",
                                mpRestoreBookmark, &TFormDVDPlayer::RestorebookmarkMenuClick);

  f->OpenDialog = load.Create<TOpenDialog>(f, "OpenDialog");
  f->OpenDialog->SetTitle(QStringLiteral("Apri DVD Video"));
  f->OpenDialog->SetFilter(QStringLiteral("VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO"));

  // The skin: the stored folder and name are replaced when the window is created.
  f->sSkinManager1 = load.Create<TsSkinManager>(f, "sSkinManager1");
  f->sSkinManager1->SetSkinDirectory(QStringLiteral("C:\\QuovadelDVD\\temi"));
  f->sSkinManager1->SetSkinName(QStringLiteral("Cappuccino"));
  f->sSkinManager1->SetActive(true);
  f->sSkinProvider1 = load.Create<TsSkinProvider>(f, "sSkinProvider1");
  f->sSkinProvider1->SetSkinSection(QStringLiteral("FORM"));
  f->sSkinProvider1->SetSkinManager(f->sSkinManager1);

  // The video popup menu.
  f->Popup = load.Create<TPopupMenu>(f, "Popup");
  f->Popup->SetImages(f->ImageList1);
  TMenuItem *pop = f->Popup->Items();
  f->QuovadelDVD1 = Item(load, f, pop, "QuovadelDVD1", "Quovadel DVD");
  f->QuovadelDVD1->SetBitmap(Picture(QStringLiteral("disc_logo_32")));
  f->QuovadelDVD1->SetEnabled(false);
  f->Play2 = Item(load, f, pop, "Play2", "&Play", mpPlay, &TFormDVDPlayer::PlayMenuClick);
  f->Pause2 = Item(load, f, pop, "Pause2", "P&ausa", mpPause, &TFormDVDPlayer::btPauseClick);
  f->Stop2 = Item(load, f, pop, "Stop2", "&Stop", mpStop, &TFormDVDPlayer::btStopClick);
  f->N2 = Item(load, f, pop, "N2", "-");
  f->GoTo2 = Item(load, f, pop, "GoTo2", "Vai a");
  f->NextChapter2 = Item(load, f, f->GoTo2, "NextChapter2", "Prossimo capitolo", mpNextChapter,
                         &TFormDVDPlayer::btNextChapterClick);
  f->PreviousChapter2 = Item(load, f, f->GoTo2, "PreviousChapter2", "Precedente capitolo", mpPrevChapter,
                             &TFormDVDPlayer::btPreviousChapterClick);
  f->PlaySpeed2 = Item(load, f, pop, "PlaySpeed2", "&Velocità di lettura");
  f->FastForward2 = Item(load, f, f->PlaySpeed2, "FastForward2", "Veloce avanti", mpFastForward,
                         &TFormDVDPlayer::btFastForwardClick);
  f->Rewind2 = Item(load, f, f->PlaySpeed2, "Rewind2", "Indietro", mpRewind, &TFormDVDPlayer::btRewindClick);
  f->Bookmarks2 = Item(load, f, pop, "Bookmarks2", "&Punti di lettura");
  f->Savebookmark2 = Item(load, f, f->Bookmarks2, "Savebookmark2", "&Salva punto", mpSaveBookmark,
                          &TFormDVDPlayer::SavebookmarkMenuClick);
  f->Restorebookmark2 = Item(load, f, f->Bookmarks2, "Restorebookmark2", "&Ripristina punto", mpRestoreBookmark,
                             &TFormDVDPlayer::RestorebookmarkMenuClick);
  f->N3 = Item(load, f, pop, "N3", "-");
  f->MenuRoot2 = Item(load, f, pop, "MenuRoot2", "&Menu principale", mpRootMenu, &TFormDVDPlayer::btRootMenuClick);
  f->TitleMenu2 = Item(load, f, pop, "TitleMenu2", "&Menu titoli", mpTitleMenu, &TFormDVDPlayer::TitleMenuClick);
  f->N6 = Item(load, f, pop, "N6", "-");
  f->Fullscreen2 = Item(load, f, pop, "Fullscreen2", "&Schermo intero ON/OFF", mpFullscreen,
                        &TFormDVDPlayer::btFullScreenClick);
  f->oolbar1 = Item(load, f, pop, "oolbar1", "Toolbar", mpToolbar, &TFormDVDPlayer::oolbar1Click);
  f->N8 = Item(load, f, pop, "N8", "-");
  f->Audio2 = Item(load, f, pop, "Audio2", "Audio", -1, &TFormDVDPlayer::StreamMenusPopup);
  f->Sottotitoli2 = Item(load, f, pop, "Sottotitoli2", "Sottotitoli", -1, &TFormDVDPlayer::StreamMenusPopup);
  f->Angolo2 = Item(load, f, pop, "Angolo2", "Angolo", -1, &TFormDVDPlayer::StreamMenusPopup);
  QObject::connect(f->Popup, &QMenu::aboutToShow, f, [f] { f->StreamMenusPopup(f->Popup); });
  QObject::connect(f->ControlMenu->SubMenu(), &QMenu::aboutToShow, f, [f] { f->StreamMenusPopup(f->ControlMenu); });

  // The tray icon's menu.
  f->PopupMenu1 = load.Create<TPopupMenu>(f, "PopupMenu1");
  f->ApriQuovadelControlpanel1 = Item(load, f, f->PopupMenu1->Items(), "ApriQuovadelControlpanel1",
                                      "Apri Quovadel Control panel", -1,
                                      &TFormDVDPlayer::ApriQuovadelControlpanel1Click);

  // The tray icon, off until the panel is hidden to the tray.
  f->tray = load.Create<TLMDTrayIcon>(f, "tray");
  f->tray->SetActive(false);
  f->tray->SetHint(QStringLiteral("Quovadel DVD"));
  f->tray->SetIcon(QIcon(Picture(QStringLiteral("tray_32"))));
  f->tray->SetPopupMenu(f->PopupMenu1);
  f->tray->SetAnimated(true);

  f->SetMenu(f->MainMenu);
  load.Finish();
  f->StreamMenusPopup(f); // no graph yet: the choices start disabled
}

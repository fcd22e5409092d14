// The control panel: the main window with the transport buttons, the status labels,
// volume and mute, the menus, the video popup menu and the engine component.
#pragma once

#include "dshow/dvd.h"
#include "engine/dvd_timecode.h"
#include "framework/forms.h"

#include <string>

class TFilterGraph;
class TImageList;
class TJvColorTrackBar;
class TLMDTrayIcon;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TPopupMenu;
class TsBitBtn;
class TsCheckBox;
class TsLabel;
class TsSkinManager;
class TsSkinProvider;

class TFormDVDPlayer : public TForm {
  Q_OBJECT
public:
  explicit TFormDVDPlayer(QObject *owner = nullptr);
  ~TFormDVDPlayer() override;

  // Components of the stored layout.
  TsBitBtn *sBitBtn1, *sBitBtn2, *sBitBtn3, *sBitBtn4, *sBitBtn5, *sBitBtn6, *sBitBtn7, *sBitBtn8, *sBitBtn9,
      *sBitBtn10, *sBitBtn11, *sBitBtn12;
  TsLabel *Labelcap, *Labeltit, *Labeltime, *sLabel1;
  TJvColorTrackBar *JvColorTrackBar1; // volume
  TsCheckBox *sCheckBox1, *sCheckBox2;
  TLMDTrayIcon *tray;
  TFilterGraph *FilterGraph;
  TsSkinManager *sSkinManager1;
  TsSkinProvider *sSkinProvider1;
  TImageList *ImageList1;
  TOpenDialog *OpenDialog;

  TMainMenu *MainMenu;
  TMenuItem *FileMenu, *OpenMenu, *ExitMenu;
  TMenuItem *ControlMenu, *PlayMenu, *PauseMenu, *StopMenu, *StepForwardMenu, *N1, *GoToMenu, *NextChapterMenu,
      *PreviousChapterMenu, *PlaySpeed1, *FastForward1, *Rewind1, *N4, *MenuRoot, *TitleMenu, *Aprilettore1;
  TMenuItem *OptionsMenu, *FullscreenMenu, *N5, *BookmarksMenu, *SavebookmarkMenu, *RestorebookmarkMenu;
  TMenuItem *N7, *Audio1, *Sottotitoli1, *Angolo1; // after "M&enu titoli"

  TPopupMenu *Popup;
  TMenuItem *QuovadelDVD1, *Play2, *Pause2, *Stop2, *N2, *GoTo2, *NextChapter2, *PreviousChapter2, *PlaySpeed2,
      *FastForward2, *Rewind2, *Bookmarks2, *Savebookmark2, *Restorebookmark2, *N3, *MenuRoot2, *TitleMenu2, *N6,
      *Fullscreen2, *oolbar1;
  TMenuItem *N8, *Audio2, *Sottotitoli2, *Angolo2; // after "Toolbar"

  TPopupMenu *PopupMenu1;
  TMenuItem *ApriQuovadelControlpanel1;

  // Start-up and exit.
  void FormCreate(QObject *Sender);
  void FormCloseQuery(QObject *Sender, bool &CanClose);
  void ExitMenuClick(QObject *Sender);

  // Commands.
  void OpenMenuClick(QObject *Sender);
  void PlayMenuClick(QObject *Sender);
  void btPauseClick(QObject *Sender);
  void btStopClick(QObject *Sender);
  void btFrameStepClick(QObject *Sender);
  void btNextChapterClick(QObject *Sender);
  void btPreviousChapterClick(QObject *Sender);
  void btFastForwardClick(QObject *Sender);
  void btRewindClick(QObject *Sender);
  void btRootMenuClick(QObject *Sender);
  void TitleMenuClick(QObject *Sender);
  void SavebookmarkMenuClick(QObject *Sender);
  void RestorebookmarkMenuClick(QObject *Sender);
  void btFullScreenClick(QObject *Sender);
  void Aprilettore1Click(QObject *Sender);
  // Opens a volume dropped on a window (a folder, an IFO or an image) as Open does, and
  // shows the video show window.
  void OpenDroppedVolume(QObject *Sender, const QString &Path);

  // Buttons.
  void sBitBtn1Click(QObject *Sender);
  void sBitBtn2Click(QObject *Sender);
  void sBitBtn3Click(QObject *Sender);
  void sBitBtn4Click(QObject *Sender);
  void sBitBtn5Click(QObject *Sender);
  void sBitBtn6Click(QObject *Sender);
  void sBitBtn7Click(QObject *Sender);
  void sBitBtn8Click(QObject *Sender);
  void sBitBtn9Click(QObject *Sender);
  void sBitBtn10Click(QObject *Sender);
  void sBitBtn11Click(QObject *Sender);

  // Disc status.
  void FilterGraphDVDTitleChange(QObject *Sender, LONG Title);
  void FilterGraphDVDChapterStart(QObject *Sender, LONG Chapter);
  void FilterGraphDVDCurrentHMSFTime(QObject *Sender, tagDVD_HMSF_TIMECODE HMSFTimeCode,
                                     const tagDVD_TIMECODE &TimeCode);

  // Playback stopped because the disc could not be read (Unit1_disc_failure.cpp).
  void FilterGraphGraphErrorAbort(QObject *Sender, HRESULT Result);
  // The disc is scrambled and cannot be unscrambled here (Unit1_disc_failure.cpp).
  void FilterGraphDVDErrorCopyProtectFail(QObject *Sender);

  // Pointing at the picture (called from the video show window).
  void VideoWindowMouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
  void VideoWindowMouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // The keys of every window (player_keys.h). Pause while the disc plays at normal
  // speed, else Play; the disc menu's highlight moved to a neighbour, activated, and
  // back from a sub-menu (or on to the title); the volume slider moved and the Mute box
  // switched as by the pointer (the toolbar's controls follow while it is shown).
  void PlayOrPause(QObject *Sender);
  bool PlayingAtNormalSpeed();
  void SelectMenuButton(QObject *Sender, DVD_RELATIVE_BUTTON Direction);
  void ActivateMenuButton(QObject *Sender);
  void ReturnFromMenu(QObject *Sender);
  void StepVolume(QObject *Sender, int Step);
  void ToggleMute(QObject *Sender);
  void FilterGraphDVDPlaybackRateChange(QObject *Sender, float Rate);

  // Volume, mute, stay on top, tray, toolbar.
  void JvColorTrackBar1PosChange(QObject *Sender);
  void sCheckBox1Click(QObject *Sender);
  void sCheckBox2Click(QObject *Sender);
  void sBitBtn12Click(QObject *Sender);
  void ApriQuovadelControlpanel1Click(QObject *Sender);
  void oolbar1Click(QObject *Sender);

  // Sound track, subtitles and angle: the sub-menus are filled as their menu opens.
  void StreamMenusPopup(QObject *Sender);

private:
  void PlayDvdVolume(const std::u16string &path);
  void WatchForNotificationArea();
  void NotificationAreaStarted();

  bool reducedWithoutTray_ = false; // minimised by "Riduci" for want of a notification area
  bool watchingNotificationArea_ = false;
  // Tells a disc failure once: set when told, cleared when playback starts anew.
  bool discFailureTold_ = false;
  // The navigator's speed as last reported (negative backwards); 1 after every Play.
  double playbackRate_ = 1.0;
  // Tells a scrambled disc once per graph.
  bool copyProtectionTold_ = false;
};

extern TFormDVDPlayer *FormDVDPlayer;

// The stored layout of the control panel (Unit1_layout.cpp).
void LoadFormDVDPlayerLayout(TFormDVDPlayer *form);

#include "app/Unit1.h"

#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/bookmark_file.h"
#include "app/player_keys.h"
#include "app/volume_drops.h"
#include "app/stream_menus.h"
#include "controls/color_trackbar.h"
#include "controls/trayicon.h"
#include "framework/checkbox.h"
#include "dshow/dshow.h"
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/label.h"
#include "framework/open_dialog.h"
#include "framework/panel.h"
#include "video/video_window.h"
#include "win/mci.h"
#include "skin/skin_manager.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

TFormDVDPlayer *FormDVDPlayer = nullptr;

namespace {

// The folder of the running executable with its trailing separator.
QString ExeFolder() { return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/')); }

constexpr double kScanSpeed = 8.0;

// The one bookmark file: beside the program, or in the user's data folder when the
// program's folder cannot be written (chosen once at start).
std::u16string BookmarkPath() { return BookmarkFile().toStdU16String(); }

// The navigator's control interface, asked anew for every command.
ComPtr<IDvdControl2> DvdControl(TFilterGraph *graph) {
  ComPtr<IDvdControl2> dvd;
  if (FAILED(graph->QueryInterface(IID_PPV_ARGS(&dvd))) || !dvd) throw Exception(QStringLiteral("Interface not supported"));
  return dvd;
}

void ShowRenderMessage(const QString &text, const QString &caption) { Dialogs().MessageBox(text, caption, MB_OK); }

// What the render status record says went wrong, in the order the user reads it.
void ShowRenderStatus(const AM_DVD_RENDERSTATUS &status) {
  if (status.hrVPEStatus != 0) ShowRenderMessage(GetErrorText(status.hrVPEStatus).left(255), QStringLiteral("Errore"));
  if (status.bDvdVolInvalid)
    ShowRenderMessage(QStringLiteral("The specified DVD volume to be played does not exist."), QStringLiteral("Errore"));
  if (status.bDvdVolUnknown)
    ShowRenderMessage(QStringLiteral("No DVD volume is specified or isn't found."), QStringLiteral("Errore"));
  if (status.bNoLine21In)
    ShowRenderMessage(QStringLiteral("The video decoder doesn't produce line 21 (closed captioning) data."),
                      QStringLiteral("Error"));
  if (status.bNoLine21Out)
    ShowRenderMessage(QStringLiteral("The video decoder can't be shown as closed captioning on video due to a "
                                     "problem with graph building."),
                      QStringLiteral("Error"));
  if (status.iNumStreamsFailed > 0) ShowRenderMessage(QStringLiteral("Can't render one or more stream."), QStringLiteral("Error"));
}

} // namespace

TFormDVDPlayer::TFormDVDPlayer(QObject *owner) : TForm(owner) { LoadFormDVDPlayerLayout(this); }

TFormDVDPlayer::~TFormDVDPlayer() {
  if (FormDVDPlayer == this) FormDVDPlayer = nullptr;
}

// --- Start-up and exit -------------------------------------------------------------------

void TFormDVDPlayer::FormCreate(QObject *) {
  new TPlayerKeys(this);
  new TVolumeDrops(this);
  sSkinManager1->SetActive(false);
  sSkinManager1->SetSkinDirectory(ExeFolder() + QStringLiteral("temi"));
  sSkinManager1->SetSkinName(QStringLiteral("cappuccino"));
  sSkinManager1->SetActive(true);
  JvColorTrackBar1PosChange(this);
}

void TFormDVDPlayer::FormCloseQuery(QObject *Sender, bool &CanClose) {
  ExitMenuClick(Sender);
  CanClose = true;
}

// Exit always ends the program: a graph that fails to stop or to go is reported by the
// general error handler, it is still released, and the application still terminates.
void TFormDVDPlayer::ExitMenuClick(QObject *Sender) {
  Application().Guard(Sender, [this] { FilterGraph->ClearGraph(); });
  Application().Guard(Sender, [this] { FilterGraph->SetActive(false); });
  Application().Terminate();
}

// --- Commands ----------------------------------------------------------------------------

void TFormDVDPlayer::OpenMenuClick(QObject *) {
  if (!OpenDialog->Execute()) return;
  FilterGraph->ClearGraph();
  FilterGraph->SetActive(false);
  PlayDvdVolume(OpenDialog->FileName().toStdU16String());
}

void TFormDVDPlayer::OpenDroppedVolume(QObject *, const QString &Path) {
  FilterGraph->ClearGraph();
  FilterGraph->SetActive(false);
  PlayDvdVolume(Path.toStdU16String());
  Form3->Show();
  Form3->BringToFront();
}

void TFormDVDPlayer::PlayMenuClick(QObject *) {
  PlayDvdVolume(std::u16string());
  Form3->Show();
  Form3->BringToFront();
}

// The one place where a DVD graph is rendered: resumes the graph that exists, or builds
// one for the volume (empty: the navigator looks for a disc) and starts it.
void TFormDVDPlayer::PlayDvdVolume(const std::u16string &path) {
  if (FilterGraph->Active()) {
    FilterGraph->Play();
    ComPtr<IDvdCmd> cmd;
    DvdControl(FilterGraph)->PlayForwards(1.0, 0, &cmd);
    playbackRate_ = 1.0;
    return;
  }
  FilterGraph->SetActive(true);
  discFailureTold_ = copyProtectionTold_ = false;
  playbackRate_ = 1.0;
  AM_DVD_RENDERSTATUS status{};
  HRESULT result = FilterGraph->RenderDvdVolume(status, path, AM_DVD_HWDEC_PREFER);
  if (result == S_OK) {
    FilterGraph->Play();
    ComPtr<IDvdControl2> dvd = DvdControl(FilterGraph);
    dvd->SetOption(DVD_NotifyParentalLevelChange, FALSE);
    dvd->SetOption(DVD_HMSF_TimeCodeEvents, -1);
  } else if (result == S_FALSE) {
    ShowRenderStatus(status);
    FilterGraph->ClearGraph();
  } else if (result == VFW_E_DVD_RENDERFAIL) {
    ShowRenderMessage(QStringLiteral("Some basic error occurred in building the graph.\r"
                                     "Possibilities include the DVD Navigator filter or the video or audio renderer "
                                     "not instantiating,\r"
                                     "a trivial connection or pin enumeration failing, or none of the streams rendering."),
                      QStringLiteral("Error"));
    FilterGraph->ClearGraph();
  } else {
    FilterGraph->ClearGraph();
  }
}

void TFormDVDPlayer::btPauseClick(QObject *) { FilterGraph->Pause(); }

void TFormDVDPlayer::btStopClick(QObject *) { FilterGraph->Stop(); }

void TFormDVDPlayer::btFrameStepClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IVideoFrameStep> step;
  if (FAILED(FilterGraph->QueryInterface(IID_PPV_ARGS(&step))) || !step)
    throw Exception(QStringLiteral("Interface not supported"));
  step->Step(1, nullptr);
}

void TFormDVDPlayer::btNextChapterClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->PlayNextChapter(0, &cmd);
}

void TFormDVDPlayer::btPreviousChapterClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->PlayPrevChapter(0, &cmd);
}

void TFormDVDPlayer::btFastForwardClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->PlayForwards(kScanSpeed, 0, &cmd);
}

void TFormDVDPlayer::btRewindClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->PlayBackwards(kScanSpeed, 0, &cmd);
}

void TFormDVDPlayer::btRootMenuClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->ShowMenu(DVD_MENU_Root, 0, &cmd);
}

void TFormDVDPlayer::TitleMenuClick(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdCmd> cmd;
  DvdControl(FilterGraph)->ShowMenu(DVD_MENU_Title, 0, &cmd);
}

void TFormDVDPlayer::SavebookmarkMenuClick(QObject *) { FilterGraph->SaveDvdBookmark(BookmarkPath()); }

void TFormDVDPlayer::RestorebookmarkMenuClick(QObject *) { FilterGraph->RestoreDvdBookmark(BookmarkPath()); }

// Switches the picture between the show window and the whole screen; the floating
// toolbar stands in for the control panel while the picture fills the screen. Every
// switch also resumes a paused or stopped graph.
void TFormDVDPlayer::btFullScreenClick(QObject *) {
  if (!FilterGraph->Play()) {
    Form2->sPanel1->SetCaption(QString::fromUtf8("La modalità schermo intero, è attiva in fase di lettura del dvd."));
    Form2->ShowModal();
  }
  TVideoWindow *video = Form3->VideoWindow;
  video->SetFullScreen(!video->FullScreen());
  SetVisible(!video->FullScreen());
  Form4->SetVisible(video->FullScreen());
}

// Opens the tray of the CD audio device; returns once it is open. A machine without a
// drive answers with an error, which is of no interest here.
void TFormDVDPlayer::Aprilettore1Click(QObject *) {
  mciSendStringA("Set cdaudio door open wait", nullptr, 0, WindowFromWidget(this));
}

// --- Buttons -----------------------------------------------------------------------------

void TFormDVDPlayer::sBitBtn1Click(QObject *Sender) { PlayMenuClick(Sender); }
void TFormDVDPlayer::sBitBtn2Click(QObject *Sender) { btPauseClick(Sender); }
void TFormDVDPlayer::sBitBtn3Click(QObject *Sender) { btStopClick(Sender); }
void TFormDVDPlayer::sBitBtn4Click(QObject *Sender) { btRewindClick(Sender); }
void TFormDVDPlayer::sBitBtn5Click(QObject *Sender) { btFastForwardClick(Sender); }
void TFormDVDPlayer::sBitBtn6Click(QObject *Sender) { btPreviousChapterClick(Sender); }
void TFormDVDPlayer::sBitBtn7Click(QObject *Sender) { btNextChapterClick(Sender); }
void TFormDVDPlayer::sBitBtn8Click(QObject *Sender) { btFullScreenClick(Sender); }
void TFormDVDPlayer::sBitBtn9Click(QObject *Sender) { btFrameStepClick(Sender); }
void TFormDVDPlayer::sBitBtn10Click(QObject *Sender) { btRootMenuClick(Sender); }
void TFormDVDPlayer::sBitBtn11Click(QObject *Sender) { Aprilettore1Click(Sender); }

// --- Disc status -------------------------------------------------------------------------

void TFormDVDPlayer::FilterGraphDVDTitleChange(QObject *, LONG Title) {
  discFailureTold_ = false;
  Labeltit->SetCaption(QStringLiteral("Titolo: ") + QString::number(Title));
}
void TFormDVDPlayer::FilterGraphDVDChapterStart(QObject *, LONG Chapter) {
  discFailureTold_ = false;
  Labelcap->SetCaption(QStringLiteral("Capitolo: ") + QString::number(Chapter));
}
void TFormDVDPlayer::FilterGraphDVDCurrentHMSFTime(QObject *, tagDVD_HMSF_TIMECODE HMSFTimeCode,
                                                   const tagDVD_TIMECODE &) {
  Labeltime->SetCaption(QStringLiteral("Tempo: ") + QString::asprintf("%d:%d:%d", HMSFTimeCode.bHours,
                                                                       HMSFTimeCode.bMinutes, HMSFTimeCode.bSeconds));
}

void TFormDVDPlayer::FilterGraphDVDPlaybackRateChange(QObject *, float Rate) { playbackRate_ = Rate; }

// --- Pointing at the picture -------------------------------------------------------------

// Highlights the disc menu's button under the pointer; the navigator refuses quietly
// outside menus and over no button.
void TFormDVDPlayer::VideoWindowMouseMove(QObject *, TShiftState, int X, int Y) {
  if (!FilterGraph->Active()) return;
  DvdControl(FilterGraph)->SelectAtPosition(POINT{X, Y});
}

// Activates the disc menu's button under the pointer, for any mouse button.
void TFormDVDPlayer::VideoWindowMouseUp(QObject *, TMouseButton, TShiftState, int X, int Y) {
  if (!FilterGraph->Active()) return;
  DvdControl(FilterGraph)->ActivateAtPosition(POINT{X, Y});
}

// --- Keys ----------------------------------------------------------------------------------

bool TFormDVDPlayer::PlayingAtNormalSpeed() {
  if (!FilterGraph->Active() || playbackRate_ != 1.0) return false;
  ComPtr<IMediaControl> control;
  OAFilterState state = State_Stopped;
  return SUCCEEDED(FilterGraph->QueryInterface(IID_PPV_ARGS(&control))) && control &&
         SUCCEEDED(control->GetState(0, &state)) && state == State_Running;
}

// Play also ends a scan and resumes a paused or stopped graph.
void TFormDVDPlayer::PlayOrPause(QObject *Sender) {
  if (PlayingAtNormalSpeed()) btPauseClick(Sender);
  else PlayMenuClick(Sender);
}

void TFormDVDPlayer::SelectMenuButton(QObject *, DVD_RELATIVE_BUTTON Direction) {
  if (!FilterGraph->Active()) return;
  DvdControl(FilterGraph)->SelectRelativeButton(Direction);
}

void TFormDVDPlayer::ActivateMenuButton(QObject *) {
  if (!FilterGraph->Active()) return;
  DvdControl(FilterGraph)->ActivateButton();
}

// A menu without a way up (the disc's top menu, or one reached from a title) resumes
// the title instead, where the disc keeps one to resume. Whether there is a way up is
// known once the navigator has tried: the call waits for it (a bounded wait).
void TFormDVDPlayer::ReturnFromMenu(QObject *) {
  if (!FilterGraph->Active()) return;
  ComPtr<IDvdControl2> dvd = DvdControl(FilterGraph);
  ComPtr<IDvdCmd> cmd;
  if (FAILED(dvd->ReturnFromSubmenu(DVD_CMD_FLAG_Block, &cmd))) dvd->Resume(0, &cmd);
}

// The slider takes only positions within its range: a step past an end stops there.
void TFormDVDPlayer::StepVolume(QObject *, int Step) {
  const int position = std::clamp(JvColorTrackBar1->Position() + Step, JvColorTrackBar1->Min(), JvColorTrackBar1->Max());
  JvColorTrackBar1->SetPosition(position);
  if (Form4 && Form4->Visible()) Form4->JvColorTrackBar1->SetPosition(position);
}

void TFormDVDPlayer::ToggleMute(QObject *) {
  sCheckBox1->SetChecked(!sCheckBox1->Checked());
  if (Form4 && Form4->Visible()) Form4->sCheckBox1->SetChecked(sCheckBox1->Checked());
}

// --- Volume, mute, stay on top, tray, toolbar --------------------------------------------

// The slider is the volume on the engine's linear scale; it does not look at Mute, so
// moving it while muted makes the sound audible again and leaves the box ticked.
void TFormDVDPlayer::JvColorTrackBar1PosChange(QObject *) { FilterGraph->SetVolume(JvColorTrackBar1->Position()); }

void TFormDVDPlayer::sCheckBox1Click(QObject *Sender) {
  if (sCheckBox1->Checked()) FilterGraph->SetVolume(0);
  else JvColorTrackBar1PosChange(Sender);
}

void TFormDVDPlayer::sCheckBox2Click(QObject *) {
  const TFormStyle style = sCheckBox2->Checked() ? fsStayOnTop : fsNormal;
  SetFormStyle(style);
  Form3->SetFormStyle(style);
}

// Hides the panel behind the tray icon. A desktop without a notification area cannot
// take the icon (it stays inactive), and a hidden panel would then have no way back:
// the panel is minimised instead, and moves to the tray once a notification area
// starts, if it is still minimised then.
void TFormDVDPlayer::sBitBtn12Click(QObject *) {
  Hide();
  tray->SetActive(true);
  if (tray->Active()) return;
  reducedWithoutTray_ = true;
  WatchForNotificationArea();
  showMinimized();
}

void TFormDVDPlayer::ApriQuovadelControlpanel1Click(QObject *) {
  Show();
  tray->SetActive(false);
}

void TFormDVDPlayer::oolbar1Click(QObject *) {
  if (Form3->VideoWindow->FullScreen()) Form4->SetVisible(!Form4->Visible());
}

// The "TaskbarCreated" message reaches every top-level window when a notification area
// starts; the panel listens for it once it has been minimised in place of the tray.
void TFormDVDPlayer::WatchForNotificationArea() {
  if (watchingNotificationArea_) return;
  watchingNotificationArea_ = true;
  const HWND self = WindowFromWidget(this);
  WNDPROC previous = GetWindowProc(self);
  SetWindowProc(self, [this, previous](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TLMDTrayIcon::TaskbarCreatedMessage() && msg != 0) NotificationAreaStarted();
    return previous ? previous(hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
  });
}

void TFormDVDPlayer::NotificationAreaStarted() {
  if (!reducedWithoutTray_) return;
  reducedWithoutTray_ = false;
  // Brought back by the user meanwhile (or shown by leaving full screen): stay there.
  if (!isVisible() || !isMinimized()) return;
  Hide();
  setWindowState(windowState() & ~Qt::WindowMinimized);
  tray->SetActive(true);
  if (tray->Active()) return;
  reducedWithoutTray_ = true; // the area went away again
  showMinimized();
}

// --- Sound track, subtitles, angle ---------------------------------------------------------

void TFormDVDPlayer::StreamMenusPopup(QObject *) {
  ComPtr<IDvdInfo2> info = StreamInfo(FilterGraph);
  const StreamChoices choices = ReadStreamChoices(info.Get());
  TFilterGraph *graph = FilterGraph;
  const StreamChoose choose = [graph](int kind, int value) {
    ComPtr<IDvdControl2> dvd;
    if (SUCCEEDED(graph->QueryInterface(dvd.ReleaseAndGetAddressOf()))) ChooseStream(dvd.Get(), kind, value);
  };
  FillStreamMenus(choices, Audio1, Sottotitoli1, Angolo1, choose);
  FillStreamMenus(choices, Audio2, Sottotitoli2, Angolo2, choose);
}

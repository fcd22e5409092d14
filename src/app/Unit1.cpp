#include "app/Unit1.h"

#include "app/Unit3.h"
#include "controls/color_trackbar.h"
#include "dshow/dshow.h"
#include "engine/check_result.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/label.h"
#include "framework/open_dialog.h"
#include "skin/skin_manager.h"

#include <QCoreApplication>
#include <QDir>

TFormDVDPlayer *FormDVDPlayer = nullptr;

namespace {

// The folder of the running executable with its trailing separator.
QString ExeFolder() { return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/')); }

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

void TFormDVDPlayer::ExitMenuClick(QObject *) {
  FilterGraph->ClearGraph();
  FilterGraph->SetActive(false);
  Application().Terminate();
}

// --- Commands ----------------------------------------------------------------------------

void TFormDVDPlayer::OpenMenuClick(QObject *) {
  if (!OpenDialog->Execute()) return;
  FilterGraph->ClearGraph();
  FilterGraph->SetActive(false);
  PlayDvdVolume(OpenDialog->FileName().toStdU16String());
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
    return;
  }
  FilterGraph->SetActive(true);
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
void TFormDVDPlayer::btPauseClick(QObject *) {}
void TFormDVDPlayer::btStopClick(QObject *) {}
void TFormDVDPlayer::btFrameStepClick(QObject *) {}
void TFormDVDPlayer::btNextChapterClick(QObject *) {}
void TFormDVDPlayer::btPreviousChapterClick(QObject *) {}
void TFormDVDPlayer::btFastForwardClick(QObject *) {}
void TFormDVDPlayer::btRewindClick(QObject *) {}
void TFormDVDPlayer::btRootMenuClick(QObject *) {}
void TFormDVDPlayer::TitleMenuClick(QObject *) {}
void TFormDVDPlayer::SavebookmarkMenuClick(QObject *) {}
void TFormDVDPlayer::RestorebookmarkMenuClick(QObject *) {}
void TFormDVDPlayer::btFullScreenClick(QObject *) {}
void TFormDVDPlayer::Aprilettore1Click(QObject *) {}

// --- Buttons -----------------------------------------------------------------------------

void TFormDVDPlayer::sBitBtn1Click(QObject *Sender) { PlayMenuClick(Sender); }
void TFormDVDPlayer::sBitBtn2Click(QObject *) {}
void TFormDVDPlayer::sBitBtn3Click(QObject *) {}
void TFormDVDPlayer::sBitBtn4Click(QObject *) {}
void TFormDVDPlayer::sBitBtn5Click(QObject *) {}
void TFormDVDPlayer::sBitBtn6Click(QObject *) {}
void TFormDVDPlayer::sBitBtn7Click(QObject *) {}
void TFormDVDPlayer::sBitBtn8Click(QObject *) {}
void TFormDVDPlayer::sBitBtn9Click(QObject *) {}
void TFormDVDPlayer::sBitBtn10Click(QObject *) {}
void TFormDVDPlayer::sBitBtn11Click(QObject *) {}

// --- Disc status -------------------------------------------------------------------------

void TFormDVDPlayer::FilterGraphDVDTitleChange(QObject *, LONG Title) {
  Labeltit->SetCaption(QStringLiteral("Titolo: ") + QString::number(Title));
}
void TFormDVDPlayer::FilterGraphDVDChapterStart(QObject *, LONG Chapter) {
  Labelcap->SetCaption(QStringLiteral("Capitolo: ") + QString::number(Chapter));
}
void TFormDVDPlayer::FilterGraphDVDCurrentHMSFTime(QObject *, tagDVD_HMSF_TIMECODE HMSFTimeCode,
                                                   const tagDVD_TIMECODE &) {
  Labeltime->SetCaption(QStringLiteral("Tempo: ") + QString::asprintf("%d:%d:%d", HMSFTimeCode.bHours,
                                                                       HMSFTimeCode.bMinutes, HMSFTimeCode.bSeconds));
}

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

// --- Volume, mute, stay on top, tray, toolbar --------------------------------------------

void TFormDVDPlayer::JvColorTrackBar1PosChange(QObject *) { FilterGraph->SetVolume(JvColorTrackBar1->Position()); }
void TFormDVDPlayer::sCheckBox1Click(QObject *) {}
void TFormDVDPlayer::sCheckBox2Click(QObject *) {}
void TFormDVDPlayer::sBitBtn12Click(QObject *) {}
void TFormDVDPlayer::ApriQuovadelControlpanel1Click(QObject *) {}
void TFormDVDPlayer::oolbar1Click(QObject *) {}

#include "app/Unit1.h"

#include "controls/color_trackbar.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "skin/skin_manager.h"

#include <QCoreApplication>
#include <QDir>

TFormDVDPlayer *FormDVDPlayer = nullptr;

namespace {

// The folder of the running executable with its trailing separator.
QString ExeFolder() { return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/')); }

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

void TFormDVDPlayer::OpenMenuClick(QObject *) {}
void TFormDVDPlayer::PlayMenuClick(QObject *) {}
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

void TFormDVDPlayer::sBitBtn1Click(QObject *) {}
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

void TFormDVDPlayer::FilterGraphDVDTitleChange(QObject *, LONG) {}
void TFormDVDPlayer::FilterGraphDVDChapterStart(QObject *, LONG) {}
void TFormDVDPlayer::FilterGraphDVDCurrentHMSFTime(QObject *, tagDVD_HMSF_TIMECODE, const tagDVD_TIMECODE &) {}

// --- Pointing at the picture -------------------------------------------------------------

void TFormDVDPlayer::VideoWindowMouseMove(QObject *, TShiftState, int, int) {}
void TFormDVDPlayer::VideoWindowMouseUp(QObject *, TMouseButton, TShiftState, int, int) {}

// --- Volume, mute, stay on top, tray, toolbar --------------------------------------------

void TFormDVDPlayer::JvColorTrackBar1PosChange(QObject *) { FilterGraph->SetVolume(JvColorTrackBar1->Position()); }
void TFormDVDPlayer::sCheckBox1Click(QObject *) {}
void TFormDVDPlayer::sCheckBox2Click(QObject *) {}
void TFormDVDPlayer::sBitBtn12Click(QObject *) {}
void TFormDVDPlayer::ApriQuovadelControlpanel1Click(QObject *) {}
void TFormDVDPlayer::oolbar1Click(QObject *) {}

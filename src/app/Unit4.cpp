#include "app/Unit4.h"

#include "app/Unit1.h"
#include "app/player_keys.h"
#include "controls/color_trackbar.h"
#include "framework/checkbox.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

TForm4 *Form4 = nullptr;
bool PanelDragging = false;
std::int32_t DragStartX = 0;
std::int32_t DragStartY = 0;

TForm4::TForm4(QObject *owner) : TForm(owner) {
  LoadForm4Layout(this);
  qApp->installEventFilter(this);
  new TPlayerKeys(this);
}

TForm4::~TForm4() {
  if (Form4 == this) Form4 = nullptr;
}

// The toolbar takes the panel's volume and Mute each time it appears; a panel position
// below the toolbar's minimum is not taken. It stays where it was last left.
void TForm4::FormShow(QObject *) {
  RaiseSoon();
  JvColorTrackBar1->SetPosition(FormDVDPlayer->JvColorTrackBar1->Position());
  sCheckBox1->SetChecked(FormDVDPlayer->sCheckBox1->Checked());
}

// The toolbar and the full-screen picture both stay on top: the window manager puts
// whichever was shown or clicked last above the other, and lifts a focused borderless
// window that covers the screen above every stay-on-top one. While the toolbar is shown
// it goes back above any other stay-on-top window of the player, and takes the focus
// (the picture takes no keys), each time that one is shown, activated or clicked.
bool TForm4::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::Show:
  case QEvent::WindowActivate:
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
    if (auto *w = qobject_cast<QWidget *>(watched); w && isVisible()) {
      QWidget *top = w->window();
      if (top != this && top->isVisible() && (top->windowFlags() & Qt::WindowStaysOnTopHint)) RaiseSoon();
    }
    break;
  default: break;
  }
  return TForm::eventFilter(watched, event);
}

// After the event at hand, so that the other window's own raise and focus come first.
void TForm4::RaiseSoon() {
  QTimer::singleShot(0, this, [this] {
    if (!isVisible()) return;
    raise();
    activateWindow();
  });
}

// Dragging by the bare panel: X and Y are panel coordinates, and the panel moves with
// the toolbar, so each move shifts it by the pointer's travel since the press. The
// toolbar is kept on the work area (the caption height below it is allowed), with the
// lower bounds applied first; the screen is measured anew for every move.
void TForm4::sPanel1MouseDown(QObject *, TMouseButton, TShiftState, int X, int Y) {
  PanelDragging = true;
  DragStartX = X;
  DragStartY = Y;
}

void TForm4::sPanel1MouseMove(QObject *, TShiftState, int X, int Y) {
  if (!PanelDragging) return;
  int left = Left() + (X - DragStartX);
  if (left < 0) left = 0;
  const int right = GetSystemMetrics(SM_CXFULLSCREEN) - width();
  if (left > right) left = right;
  int top = Top() + (Y - DragStartY);
  if (top < 0) top = 0;
  const int bottom = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - height();
  if (top > bottom) top = bottom;
  SetLeft(left);
  SetTop(top);
}

void TForm4::sPanel1MouseUp(QObject *, TMouseButton, TShiftState, int, int) { PanelDragging = false; }

void TForm4::sBitBtn1Click(QObject *) { Close(); }
void TForm4::sBitBtn8Click(QObject *Sender) { FormDVDPlayer->sBitBtn1Click(Sender); }
void TForm4::sBitBtn9Click(QObject *Sender) { FormDVDPlayer->sBitBtn2Click(Sender); }
void TForm4::sBitBtn10Click(QObject *Sender) { FormDVDPlayer->sBitBtn3Click(Sender); }
void TForm4::sBitBtn12Click(QObject *Sender) { FormDVDPlayer->sBitBtn4Click(Sender); }
void TForm4::sBitBtn13Click(QObject *Sender) { FormDVDPlayer->sBitBtn5Click(Sender); }
void TForm4::sBitBtn14Click(QObject *Sender) { FormDVDPlayer->sBitBtn6Click(Sender); }
void TForm4::sBitBtn15Click(QObject *Sender) { FormDVDPlayer->sBitBtn7Click(Sender); }

// The panel's slider and Mute box follow the toolbar's; each raises its own event (and
// so changes the volume) only when its value really changes.
void TForm4::JvColorTrackBar1PosChange(QObject *) {
  FormDVDPlayer->JvColorTrackBar1->SetPosition(JvColorTrackBar1->Position());
}
void TForm4::sCheckBox1Click(QObject *) { FormDVDPlayer->sCheckBox1->SetChecked(sCheckBox1->Checked()); }

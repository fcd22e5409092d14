#include "app/Unit4.h"

#include "app/Unit1.h"

TForm4 *Form4 = nullptr;
bool PanelDragging = false;
std::int32_t DragStartX = 0;
std::int32_t DragStartY = 0;

TForm4::TForm4(QObject *owner) : TForm(owner) { LoadForm4Layout(this); }

TForm4::~TForm4() {
  if (Form4 == this) Form4 = nullptr;
}

void TForm4::FormShow(QObject *) {}
void TForm4::sPanel1MouseDown(QObject *, TMouseButton, TShiftState, int, int) {}
void TForm4::sPanel1MouseMove(QObject *, TShiftState, int, int) {}
void TForm4::sPanel1MouseUp(QObject *, TMouseButton, TShiftState, int, int) {}
void TForm4::sBitBtn1Click(QObject *) {}
void TForm4::sBitBtn8Click(QObject *Sender) { FormDVDPlayer->sBitBtn1Click(Sender); }
void TForm4::sBitBtn9Click(QObject *Sender) { FormDVDPlayer->sBitBtn2Click(Sender); }
void TForm4::sBitBtn10Click(QObject *Sender) { FormDVDPlayer->sBitBtn3Click(Sender); }
void TForm4::sBitBtn12Click(QObject *Sender) { FormDVDPlayer->sBitBtn4Click(Sender); }
void TForm4::sBitBtn13Click(QObject *Sender) { FormDVDPlayer->sBitBtn5Click(Sender); }
void TForm4::sBitBtn14Click(QObject *Sender) { FormDVDPlayer->sBitBtn6Click(Sender); }
void TForm4::sBitBtn15Click(QObject *Sender) { FormDVDPlayer->sBitBtn7Click(Sender); }
void TForm4::JvColorTrackBar1PosChange(QObject *) {}
void TForm4::sCheckBox1Click(QObject *) {}

#include "app/Unit3.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QObject *owner) : TForm(owner) { LoadForm3Layout(this); }

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::FormCreate(QObject *) {}

void TForm3::VideoWindowDblClick(QObject *) {}
void TForm3::VideoWindowMouseMove(QObject *, TShiftState, int, int) {}
void TForm3::VideoWindowMouseUp(QObject *, TMouseButton, TShiftState, int, int) {}

#include "app/Unit2.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2(QObject *owner) : TForm(owner) { LoadForm2Layout(this); }

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::sBitBtn1Click(QObject *) { Close(); }

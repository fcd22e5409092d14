// The information box: one notice at a time, shown modally.
#pragma once

#include "framework/forms.h"

class TsBitBtn;
class TsPanel;
class TsSkinProvider;

class TForm2 : public TForm {
  Q_OBJECT
public:
  explicit TForm2(QObject *owner = nullptr);
  ~TForm2() override;

  TsPanel *sPanel1;   // its caption is the notice
  TsBitBtn *sBitBtn1; // "Ok"
  TsSkinProvider *sSkinProvider1;

  void sBitBtn1Click(QObject *Sender);
};

extern TForm2 *Form2;

void LoadForm2Layout(TForm2 *form);

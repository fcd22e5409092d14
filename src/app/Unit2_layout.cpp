// The stored layout of the information box.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "framework/buttons.h"
#include "framework/controls.h"
#include "framework/form_loader.h"
#include "framework/panel.h"
#include "skin/skin_provider.h"

using namespace std::placeholders;

void LoadForm2Layout(TForm2 *f) {
  TFormLoader load(f);
  f->SetName(QStringLiteral("Form2"));
  f->SetLeft(293);
  f->SetTop(301);
  f->SetBorderStyle(TFormBorderStyle::bsDialog);
  f->SetCaption(QStringLiteral("Info"));
  f->SetClientHeight(115);
  f->SetClientWidth(419);
  f->SetColor(0x193447);
  f->SetFont(TFont(QStringLiteral("MS Sans Serif"), -11));
  f->SetFormStyle(fsStayOnTop);

  f->sPanel1 = load.Create<TsPanel>(f->Client(), "sPanel1");
  f->sPanel1->setGeometry(0, 0, 419, 73);
  SetAlign(f->sPanel1, alTop);
  f->sPanel1->SetSkinSection(QStringLiteral("PANEL"));

  f->sBitBtn1 = load.Create<TsBitBtn>(f->Client(), "sBitBtn1");
  f->sBitBtn1->setGeometry(176, 80, 75, 25);
  f->sBitBtn1->SetCaption(QStringLiteral("Ok"));
  f->sBitBtn1->SetSkinSection(QStringLiteral("BUTTON"));
  f->sBitBtn1->OnClick = std::bind(&TForm2::sBitBtn1Click, f, _1);

  f->sSkinProvider1 = load.Create<TsSkinProvider>(f, "sSkinProvider1");
  f->sSkinProvider1->SetSkinSection(QStringLiteral("FORM"));
  if (FormDVDPlayer) f->sSkinProvider1->SetSkinManager(FormDVDPlayer->sSkinManager1);

  load.Finish();
}

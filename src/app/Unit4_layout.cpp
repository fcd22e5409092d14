// The stored layout of the floating toolbar.
#include "app/Unit1.h"
#include "app/Unit4.h"
#include "app/pictures.h"
#include "controls/color_trackbar.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/controls.h"
#include "framework/form_loader.h"
#include "framework/image.h"
#include "framework/panel.h"
#include "skin/skin_provider.h"

using namespace std::placeholders;

namespace {

TsBitBtn *Button(TFormLoader &load, TForm4 *form, const char *name, int left, const char *picture,
                 void (TForm4::*click)(QObject *)) {
  auto *b = load.Create<TsBitBtn>(form->sPanel1, name);
  b->setGeometry(left, 2, 41, 25);
  b->SetGlyph(Picture(QLatin1String(picture)));
  b->SetSkinSection(QStringLiteral("BUTTON"));
  b->OnClick = std::bind(click, form, _1);
  return b;
}

} // namespace

void LoadForm4Layout(TForm4 *f) {
  TFormLoader load(f);
  f->SetName(QStringLiteral("Form4"));
  f->SetLeft(5);
  f->SetTop(9);
  f->SetBorderStyle(TFormBorderStyle::bsNone);
  f->SetCaption(QStringLiteral("Form4"));
  f->SetClientHeight(29);
  f->SetClientWidth(506);
  f->SetColor(0x193447);
  f->SetFont(TFont(QStringLiteral("MS Sans Serif"), -11));
  f->SetFormStyle(fsStayOnTop);
  f->OnShow = std::bind(&TForm4::FormShow, f, _1);

  f->sPanel1 = load.Create<TsPanel>(f->Client(), "sPanel1");
  f->sPanel1->setGeometry(0, 0, 506, 29);
  SetAlign(f->sPanel1, alClient);
  f->sPanel1->SetSkinSection(QStringLiteral("PANEL"));
  f->sPanel1->OnMouseDown = std::bind(&TForm4::sPanel1MouseDown, f, _1, _2, _3, _4, _5);
  f->sPanel1->OnMouseMove = std::bind(&TForm4::sPanel1MouseMove, f, _1, _2, _3, _4);
  f->sPanel1->OnMouseUp = std::bind(&TForm4::sPanel1MouseUp, f, _1, _2, _3, _4, _5);

  f->sBitBtn14 = Button(load, f, "sBitBtn14", 8, "prev_chapter", &TForm4::sBitBtn14Click);
  f->sBitBtn12 = Button(load, f, "sBitBtn12", 48, "rewind", &TForm4::sBitBtn12Click);
  f->sBitBtn13 = Button(load, f, "sBitBtn13", 88, "fast_forward", &TForm4::sBitBtn13Click);
  f->sBitBtn15 = Button(load, f, "sBitBtn15", 128, "next_chapter", &TForm4::sBitBtn15Click);
  f->sBitBtn8 = Button(load, f, "sBitBtn8", 168, "play", &TForm4::sBitBtn8Click);
  f->sBitBtn9 = Button(load, f, "sBitBtn9", 208, "pause", &TForm4::sBitBtn9Click);
  f->sBitBtn10 = Button(load, f, "sBitBtn10", 248, "stop", &TForm4::sBitBtn10Click);

  // Min 10 lies below the default maximum of 100, so this slider runs from 10.
  f->JvColorTrackBar1 = load.Create<TJvColorTrackBar>(f->sPanel1, "JvColorTrackBar1");
  f->JvColorTrackBar1->SetBounds(296, 5, 65, 16);
  f->JvColorTrackBar1->SetArrowColor(clWhite);
  f->JvColorTrackBar1->SetBorderStyle(bsSingle);
  f->JvColorTrackBar1->SetColorFrom(14869218);
  f->JvColorTrackBar1->SetColorTo(10066329);
  f->JvColorTrackBar1->SetMin(10);
  f->JvColorTrackBar1->SetMax(10000);
  f->JvColorTrackBar1->SetPosition(4000);
  f->JvColorTrackBar1->SetColor(0x193447);
  f->JvColorTrackBar1->OnPosChange = std::bind(&TForm4::JvColorTrackBar1PosChange, f, _1);

  f->sCheckBox1 = load.Create<TsCheckBox>(f->sPanel1, "sCheckBox1");
  f->sCheckBox1->setGeometry(360, 8, 54, 20);
  f->sCheckBox1->SetCaption(QStringLiteral("Mute"));
  f->sCheckBox1->SetSkinSection(QStringLiteral("CHECKBOX"));
  f->sCheckBox1->OnClick = std::bind(&TForm4::sCheckBox1Click, f, _1);
  f->sCheckBox1->setAttribute(Qt::WA_NoMousePropagation); // only the bare panel drags

  f->Image1 = load.Create<TImage>(f->sPanel1, "Image1");
  f->Image1->setGeometry(416, 12, 65, 13);
  f->Image1->SetPicture(Picture(QStringLiteral("logo_small")).toImage());
  f->Image1->setAttribute(Qt::WA_NoMousePropagation);

  f->sBitBtn1 = load.Create<TsBitBtn>(f->sPanel1, "sBitBtn1");
  f->sBitBtn1->setGeometry(483, 2, 17, 17);
  f->sBitBtn1->SetCaption(QStringLiteral("X"));
  f->sBitBtn1->SetHint(QStringLiteral("Chiudi pannello"));
  f->sBitBtn1->SetSkinSection(QStringLiteral("BUTTON"));
  f->sBitBtn1->OnClick = std::bind(&TForm4::sBitBtn1Click, f, _1);

  f->sSkinProvider1 = load.Create<TsSkinProvider>(f, "sSkinProvider1");
  f->sSkinProvider1->SetSkinSection(QStringLiteral("FORM"));
  if (FormDVDPlayer) f->sSkinProvider1->SetSkinManager(FormDVDPlayer->sSkinManager1);

  load.Finish();
}

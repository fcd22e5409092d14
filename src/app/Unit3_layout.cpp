// The stored layout of the video show window.
#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/jpeg_picture.h"
#include "app/pictures.h"
#include "framework/controls.h"
#include "framework/form_loader.h"
#include "framework/image.h"
#include "skin/skin_provider.h"
#include "video/video_window.h"

#include <QtDebug>

using namespace std::placeholders;

void LoadForm3Layout(TForm3 *f) {
  TFormLoader load(f);
  f->SetName(QStringLiteral("Form3"));
  f->SetLeft(273);
  f->SetTop(120);
  f->SetCaption(QStringLiteral("Quovadel - DVD Show"));
  // An outer size of 331 x 219 with the classic frame.
  f->SetClientHeight(190);
  f->SetClientWidth(323);
  f->SetColor(0x193447);
  f->SetFont(TFont(QStringLiteral("MS Sans Serif"), -11));
  f->OnCreate = std::bind(&TForm3::FormCreate, f, _1);

  f->VideoWindow = load.Create<TVideoWindow>(f->Client(), "VideoWindow");
  f->VideoWindow->setGeometry(0, 0, 323, 190);
  f->VideoWindow->SetAlign(alClient);
  f->VideoWindow->SetColor(clBlack);
  if (FormDVDPlayer) f->VideoWindow->SetFilterGraph(FormDVDPlayer->FilterGraph);
  f->VideoWindow->SetFullScreenTopMost(true);
  f->VideoWindow->VMROptions()->SetMode(vmrWindowed);
  if (FormDVDPlayer) f->VideoWindow->SetPopupMenu(FormDVDPlayer->Popup);
  f->VideoWindow->OnDblClick = std::bind(&TForm3::VideoWindowDblClick, f, _1);
  f->VideoWindow->OnMouseMove = std::bind(&TForm3::VideoWindowMouseMove, f, _1, _2, _3, _4);
  f->VideoWindow->OnMouseUp = std::bind(&TForm3::VideoWindowMouseUp, f, _1, _2, _3, _4, _5);

  f->Image1 = load.Create<TImage>(f->VideoWindow, "Image1");
  f->Image1->setGeometry(57, 64, 216, 49);
  f->Image1->SetStretch(false);
  JpegPicture logo = DecodeJpeg(PictureData(QStringLiteral("logo.jpg")));
  if (logo.ok()) f->Image1->SetPicture(logo.image);
  else qWarning("Form3: the logo is not shown: %s", qUtf8Printable(logo.error));

  f->sSkinProvider1 = load.Create<TsSkinProvider>(f, "sSkinProvider1");
  f->sSkinProvider1->SetSkinSection(QStringLiteral("FORM"));
  if (FormDVDPlayer) f->sSkinProvider1->SetSkinManager(FormDVDPlayer->sSkinManager1);

  load.Finish();
}

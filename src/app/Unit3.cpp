#include "app/Unit3.h"

#include "app/Unit1.h"
#include "app/player_keys.h"
#include "app/volume_drops.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QObject *owner) : TForm(owner) { LoadForm3Layout(this); }

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::FormCreate(QObject *) {
  new TPlayerKeys(this);
  new TVolumeDrops(this);
}

void TForm3::VideoWindowDblClick(QObject *Sender) { FormDVDPlayer->btFullScreenClick(Sender); }

void TForm3::VideoWindowMouseMove(QObject *Sender, TShiftState Shift, int X, int Y) {
  FormDVDPlayer->VideoWindowMouseMove(Sender, Shift, X, Y);
}

void TForm3::VideoWindowMouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  FormDVDPlayer->VideoWindowMouseUp(Sender, Button, Shift, X, Y);
}

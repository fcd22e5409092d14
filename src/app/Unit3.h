// The video show window: the video area with the logo on it.
#pragma once

#include "framework/forms.h"

class TImage;
class TsSkinProvider;
class TVideoWindow;

class TForm3 : public TForm {
  Q_OBJECT
public:
  explicit TForm3(QObject *owner = nullptr);
  ~TForm3() override;

  TVideoWindow *VideoWindow;
  TImage *Image1; // the logo, on the video area
  TsSkinProvider *sSkinProvider1;

  void FormCreate(QObject *Sender);
  void VideoWindowDblClick(QObject *Sender);
  void VideoWindowMouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
  void VideoWindowMouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
};

extern TForm3 *Form3;

void LoadForm3Layout(TForm3 *form);

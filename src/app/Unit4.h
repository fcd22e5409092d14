// The floating toolbar used over the full-screen picture.
#pragma once

#include "framework/forms.h"

#include <cstdint>

class TImage;
class TJvColorTrackBar;
class TsBitBtn;
class TsCheckBox;
class TsPanel;
class TsSkinProvider;

class TForm4 : public TForm {
  Q_OBJECT
public:
  explicit TForm4(QObject *owner = nullptr);
  ~TForm4() override;

  TsPanel *sPanel1; // fills the toolbar and carries everything else
  TsBitBtn *sBitBtn14, *sBitBtn12, *sBitBtn13, *sBitBtn15, *sBitBtn8, *sBitBtn9, *sBitBtn10;
  TJvColorTrackBar *JvColorTrackBar1; // volume
  TsCheckBox *sCheckBox1;
  TImage *Image1;
  TsBitBtn *sBitBtn1; // "X"
  TsSkinProvider *sSkinProvider1;

  void FormShow(QObject *Sender);
  void sPanel1MouseDown(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void sPanel1MouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
  void sPanel1MouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void sBitBtn1Click(QObject *Sender);
  void sBitBtn8Click(QObject *Sender);
  void sBitBtn9Click(QObject *Sender);
  void sBitBtn10Click(QObject *Sender);
  void sBitBtn12Click(QObject *Sender);
  void sBitBtn13Click(QObject *Sender);
  void sBitBtn14Click(QObject *Sender);
  void sBitBtn15Click(QObject *Sender);
  void JvColorTrackBar1PosChange(QObject *Sender);
  void sCheckBox1Click(QObject *Sender);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void RaiseSoon();
};

extern TForm4 *Form4;

// Drag state of the toolbar (one set for the single toolbar).
extern bool PanelDragging;
extern std::int32_t DragStartX;
extern std::int32_t DragStartY;

void LoadForm4Layout(TForm4 *form);

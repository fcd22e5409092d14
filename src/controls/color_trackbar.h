// A slider drawn as a two-colour gradient bar with a position marker (an arrow above
// the bar and an inverted three-pixel line across it). The left button sets and drags
// the position; there is no keyboard or wheel handling and the control never takes the
// focus.
//
// The control paints into an image of its own size (its canvas) and copies that to the
// screen; the parts it leaves unpainted show its parent's background.
#pragma once

#include "controls/colors.h"
#include "controls/gradient.h"
#include "framework/component.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

enum TJvColorTrackBarIndicator { tbiArrow, tbiLine };
// A set of indicators: bit 0 tbiArrow, bit 1 tbiLine.
using TJvColorTrackBarIndicators = unsigned;
constexpr TJvColorTrackBarIndicators IndicatorBit(TJvColorTrackBarIndicator i) { return 1u << i; }

enum TBorderStyle { bsNone, bsSingle };

class TJvColorTrackBar : public QWidget, public TComponentMixin {
  Q_OBJECT
public:
  explicit TJvColorTrackBar(QWidget *parent = nullptr);
  ~TJvColorTrackBar() override;

  // Published properties, in their stored order. Setters ignore the value held.
  TJvColorTrackBarIndicators Indicators() const { return indicators_; }
  void SetIndicators(TJvColorTrackBarIndicators v);
  TColor ArrowColor() const { return arrowColor_; }
  void SetArrowColor(TColor v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  TColor ColorFrom() const { return colorFrom_; }
  void SetColorFrom(TColor v);
  TColor ColorTo() const { return colorTo_; }
  void SetColorTo(TColor v);
  TFillDirection FillDirection() const { return fillDirection_; }
  void SetFillDirection(TFillDirection v);
  // Range rules: Min is taken only below Max, Max only above Min, and Position only
  // within Min..Max (never clamped); a moved limit drags Position along first.
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t v);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t v);
  std::int32_t Position() const { return position_; }
  void SetPosition(std::int32_t v);
  // A read-only bar still jumps to a pressed point but does not follow a drag.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }

  TNotifyEvent OnPosChange;
  TNotifyEvent OnMinChange;
  TNotifyEvent OnMaxChange;

  // The usual control properties. Color is the marker strip's background; it follows
  // the parent's background while ParentColor is set (the default).
  TColor Color() const;
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  QString Hint() const { return toolTip(); }
  void SetHint(const QString &hint) { setToolTip(hint); }
  int Left() const { return x(); }
  int Top() const { return y(); }
  int Width() const { return width(); }
  int Height() const { return height(); }
  void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

  // Generic control events. The bar's own mouse handling replaces OnMouseDown,
  // OnMouseMove and OnMouseUp, which it never raises; OnClick follows a left press and
  // release inside the bar, OnDblClick a left double click.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  // Where a position is drawn along the bar (extent E: the width of a horizontal bar,
  // the height of a vertical one): E * (v - Min) div (Max - Min), kept within 8..E-8,
  // mirrored for the reversed directions; 4 (then kept within 8..E-8) for an empty range.
  int PositionToPixel(std::int32_t v) const;
  // The position a mouse coordinate along the bar stands for:
  // Min + (Max - Min) * m div (E - 4) (Max - ... for the reversed directions), within
  // Min..Max. Both are computed in 64 bits so that no range overflows.
  std::int32_t PixelToPosition(int m) const;

  // The gradient image ((W-4) x (H-8) horizontal, (W-8) x (H-4) vertical, 24 bits) and
  // the canvas of the last paint.
  const QImage &GradientImage() const { return gradient_; }
  const QImage &Canvas() const { return canvas_; }
  bool Tracking() const { return tracking_; }

protected:
  virtual void PositionChanged();
  virtual void MinChanged();
  virtual void MaxChanged();

  void BuildGradientImage();
  // Paints the control onto its canvas.
  void PaintCanvas();

  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  bool Horizontal() const { return fillDirection_ == fdLeftToRight || fillDirection_ == fdRightToLeft; }
  bool Reversed() const { return fillDirection_ == fdRightToLeft || fillDirection_ == fdBottomToTop; }
  int Extent() const { return Horizontal() ? width() : height(); }
  int Along(const QMouseEvent *event) const;
  void LeftPress(int m);

  TJvColorTrackBarIndicators indicators_ = IndicatorBit(tbiArrow) | IndicatorBit(tbiLine);
  TColor arrowColor_ = clBlack;
  TBorderStyle borderStyle_ = bsSingle;
  TColor colorFrom_ = clBlack;
  TColor colorTo_ = clBlue;
  TFillDirection fillDirection_ = fdLeftToRight;
  std::int32_t min_ = 0;
  std::int32_t max_ = 100;
  std::int32_t position_ = 0;
  bool readOnly_ = false;
  bool tracking_ = false;
  bool clicked_ = false;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  QImage gradient_;
  QImage canvas_;
};

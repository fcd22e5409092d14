#include "controls/color_trackbar.h"

#include "win/wingdi.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TJvColorTrackBar::TJvColorTrackBar(QWidget *parent) : QWidget(parent), TComponentMixin(this) {
  // Opaque: every pixel comes from the canvas, so nothing needs painting beneath.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  resize(120, 24);
  BuildGradientImage();
}

TJvColorTrackBar::~TJvColorTrackBar() { MarkDestroying(); }

void TJvColorTrackBar::SetIndicators(TJvColorTrackBarIndicators v) {
  if (v == indicators_) return;
  indicators_ = v;
  update();
}

void TJvColorTrackBar::SetArrowColor(TColor v) {
  if (v == arrowColor_) return;
  arrowColor_ = v;
  update();
}

void TJvColorTrackBar::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  update();
}

void TJvColorTrackBar::SetColorFrom(TColor v) {
  if (v == colorFrom_) return;
  colorFrom_ = v;
  BuildGradientImage();
  update();
}

void TJvColorTrackBar::SetColorTo(TColor v) {
  if (v == colorTo_) return;
  colorTo_ = v;
  BuildGradientImage();
  update();
}

void TJvColorTrackBar::SetFillDirection(TFillDirection v) {
  if (v == fillDirection_) return;
  fillDirection_ = v;
  BuildGradientImage();
  update();
}

void TJvColorTrackBar::SetMin(std::int32_t v) {
  if (v >= max_) return;
  min_ = v;
  if (position_ < v) SetPosition(v);
  update();
  MinChanged();
}

void TJvColorTrackBar::SetMax(std::int32_t v) {
  if (v <= min_) return;
  max_ = v;
  if (position_ > v) SetPosition(v);
  update();
  MaxChanged();
}

void TJvColorTrackBar::SetPosition(std::int32_t v) {
  if (v < min_ || v > max_ || v == position_) return;
  position_ = v;
  update();
  PositionChanged();
}

void TJvColorTrackBar::PositionChanged() {
  if (OnPosChange) OnPosChange(this);
}

void TJvColorTrackBar::MinChanged() {
  if (OnMinChange) OnMinChange(this);
}

void TJvColorTrackBar::MaxChanged() {
  if (OnMaxChange) OnMaxChange(this);
}

TColor TJvColorTrackBar::Color() const {
  if (parentColor_) {
    if (QWidget *p = parentWidget()) return FromQColor(p->palette().color(p->backgroundRole()));
    return clBtnFace;
  }
  return color_;
}

void TJvColorTrackBar::SetColor(TColor v) {
  if (!parentColor_ && v == color_) return;
  color_ = v;
  parentColor_ = false;
  update();
}

void TJvColorTrackBar::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  if (!v) color_ = Color();
  update();
}

int TJvColorTrackBar::PositionToPixel(std::int32_t v) const {
  const std::int64_t extent = Extent();
  const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
  std::int64_t p;
  if (range <= 0 || extent <= 0) p = 4;
  else p = extent * (static_cast<std::int64_t>(v) - min_) / range;
  if (p < 8) p = 8;
  if (p > extent - 8) p = extent - 8;
  return static_cast<int>(Reversed() ? extent - p : p);
}

std::int32_t TJvColorTrackBar::PixelToPosition(int m) const {
  const std::int64_t extent = Extent();
  const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
  std::int64_t v = min_;
  if (range > 0 && extent - 4 > 0) {
    const std::int64_t d = range * m / (extent - 4);
    v = Reversed() ? max_ - d : min_ + d;
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, min_, max_));
}

void TJvColorTrackBar::BuildGradientImage() {
  if (!parentWidget()) return;
  const int w = Horizontal() ? width() - 4 : width() - 8;
  const int h = Horizontal() ? height() - 8 : height() - 4;
  if (w <= 0 || h <= 0) {
    gradient_ = QImage();
    return;
  }
  if (gradient_.size() != QSize(w, h) || gradient_.format() != QImage::Format_RGB888)
    gradient_ = QImage(w, h, QImage::Format_RGB888);
  QPainter painter(&gradient_);
  FillGradient(painter, RECT{0, 0, w, h}, colorFrom_, colorTo_, fillDirection_, 255);
  if (borderStyle_ == bsSingle) {
    RECT r{0, 0, w, h};
    DrawEdge(painter, &r, EDGE_SUNKEN, BF_RECT);
  }
}

void TJvColorTrackBar::PaintCanvas() {
  if (!parentWidget()) return;
  BuildGradientImage();
  const int w = width(), h = height();
  if (canvas_.size() != QSize(w, h)) canvas_ = QImage(w, h, QImage::Format_RGB32);
  if (canvas_.isNull()) return;
  // What a control without a window of its own would find beneath itself.
  QWidget *p = parentWidget();
  canvas_.fill(p->palette().color(p->backgroundRole()));

  QPainter painter(&canvas_);
  const bool horizontal = Horizontal();
  const TColor color = Color();
  if (!gradient_.isNull()) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(horizontal ? QPoint(2, 8) : QPoint(8, 2), gradient_);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  if (color != clNone) {
    if (horizontal) painter.fillRect(0, 0, w, 8, ToQColor(color));
    else painter.fillRect(0, 0, 8, h, ToQColor(color));
  }
  const int pos = PositionToPixel(position_);

  if ((indicators_ & IndicatorBit(tbiArrow)) && arrowColor_ != clNone) {
    // The filled triangle (P-5, 0), (P, 5), (P+5, 0) with its outline.
    const QColor arrow = ToQColor(arrowColor_);
    for (int k = 0; k <= 5; ++k) {
      if (horizontal) painter.fillRect(pos - 5 + k, k, 11 - 2 * k, 1, arrow);
      else painter.fillRect(k, pos - 5 + k, 1, 11 - 2 * k, arrow);
    }
  }

  if (indicators_ & IndicatorBit(tbiLine)) {
    const int b = borderStyle_ == bsSingle ? 2 : 0;
    const QPoint probe = horizontal ? QPoint(pos, 12) : QPoint(12, pos);
    // A point off the canvas reads as "no colour", whose inverse draws black.
    COLORREF under = 0xFFFFFF;
    if (canvas_.rect().contains(probe)) {
      QRgb px = canvas_.pixel(probe);
      under = RGB(static_cast<BYTE>(qRed(px)), static_cast<BYTE>(qGreen(px)), static_cast<BYTE>(qBlue(px)));
    }
    const COLORREF pen = under ^ 0xFFFFFF;
    const QColor line(GetRValue(pen), GetGValue(pen), GetBValue(pen));
    for (int d = -1; d <= 1; ++d) {
      if (horizontal) {
        if (h - b > 8 + b) painter.fillRect(pos + d, 8 + b, 1, h - b - (8 + b), line);
      } else {
        if (w - b > 8 + b) painter.fillRect(8 + b, pos + d, w - b - (8 + b), 1, line);
      }
    }
  }
}

void TJvColorTrackBar::paintEvent(QPaintEvent *) {
  if (!parentWidget()) return;
  PaintCanvas();
  QPainter painter(this);
  painter.drawImage(0, 0, canvas_);
}

void TJvColorTrackBar::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  BuildGradientImage();
}

void TJvColorTrackBar::changeEvent(QEvent *event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) update();
  QWidget::changeEvent(event);
}

int TJvColorTrackBar::Along(const QMouseEvent *event) const {
  const QPointF p = event->position();
  return static_cast<int>(Horizontal() ? p.x() : p.y());
}

void TJvColorTrackBar::LeftPress(int m) {
  tracking_ = !readOnly_;
  SetPosition(PixelToPosition(m));
}

void TJvColorTrackBar::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  clicked_ = true;
  LeftPress(Along(event));
}

void TJvColorTrackBar::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  if (OnDblClick) OnDblClick(this);
  LeftPress(Along(event));
}

void TJvColorTrackBar::mouseMoveEvent(QMouseEvent *event) {
  if (tracking_) SetPosition(PixelToPosition(Along(event)));
}

void TJvColorTrackBar::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && clicked_) {
    clicked_ = false;
    if (rect().contains(event->position().toPoint()) && OnClick) OnClick(this);
  }
  if (event->button() == Qt::LeftButton && tracking_) SetPosition(PixelToPosition(Along(event)));
  tracking_ = false;
}

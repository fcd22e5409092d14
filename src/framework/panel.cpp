#include "framework/panel.h"

#include "framework/application.h"
#include "framework/controls.h"

#include <QMouseEvent>
#include <QPainter>

TsPanel::TsPanel(QWidget *parent) : QFrame(parent), TComponentMixin(this) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setMouseTracking(true);
  ::SetSkinSection(this, QStringLiteral("PANEL"));
}

TsPanel::~TsPanel() { MarkDestroying(); }

void TsPanel::SetCaption(const QString &caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  update();
}

QString TsPanel::SkinSection() const { return SkinSectionOf(this); }

void TsPanel::SetSkinSection(const QString &section) { ::SetSkinSection(this, section); }

void TsPanel::paintEvent(QPaintEvent *event) {
  QFrame::paintEvent(event);
  if (caption_.isEmpty()) return;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  painter.drawText(contentsRect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, caption_);
}

void TsPanel::resizeEvent(QResizeEvent *event) {
  QFrame::resizeEvent(event);
  ArrangeAlignedChildren(this);
}

void TsPanel::mousePressEvent(QMouseEvent *event) {
  event->accept();
  QPoint p = event->position().toPoint();
  Application().Guard(this, [&] {
    if (OnMouseDown) OnMouseDown(this, MouseButtonOf(event), ShiftStateOf(event), p.x(), p.y());
  });
}

void TsPanel::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  QPoint p = event->position().toPoint();
  Application().Guard(this, [&] {
    if (OnMouseMove) OnMouseMove(this, ShiftStateOf(event), p.x(), p.y());
  });
}

void TsPanel::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  QPoint p = event->position().toPoint();
  Application().Guard(this, [&] {
    if (OnMouseUp) OnMouseUp(this, MouseButtonOf(event), ShiftStateOf(event), p.x(), p.y());
  });
}

#include "framework/controls.h"

#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char *kAlignProperty = "Align";
}

void SetAlign(QWidget *control, TAlign align) {
  if (!control || AlignOf(control) == align) return;
  control->setProperty(kAlignProperty, static_cast<int>(align));
  if (control->parentWidget()) ArrangeAlignedChildren(control->parentWidget());
}

TAlign AlignOf(const QWidget *control) {
  QVariant v = control ? control->property(kAlignProperty) : QVariant();
  return v.isValid() ? static_cast<TAlign>(v.toInt()) : alNone;
}

void ArrangeAlignedChildren(QWidget *container) {
  if (!container) return;
  // Edges first, in creation order, then the client-aligned controls get the rest.
  QRect rest = container->contentsRect();
  const QObjectList &children = container->children();
  for (QObject *child : children) {
    auto *w = qobject_cast<QWidget *>(child);
    if (!w || w->isWindow()) continue;
    switch (AlignOf(w)) {
    case alTop:
      w->setGeometry(rest.left(), rest.top(), rest.width(), w->height());
      rest.setTop(rest.top() + w->height());
      break;
    case alBottom:
      w->setGeometry(rest.left(), rest.bottom() + 1 - w->height(), rest.width(), w->height());
      rest.setBottom(rest.bottom() - w->height());
      break;
    case alLeft:
      w->setGeometry(rest.left(), rest.top(), w->width(), rest.height());
      rest.setLeft(rest.left() + w->width());
      break;
    case alRight:
      w->setGeometry(rest.right() + 1 - w->width(), rest.top(), w->width(), rest.height());
      rest.setRight(rest.right() - w->width());
      break;
    default: break;
    }
  }
  for (QObject *child : children) {
    auto *w = qobject_cast<QWidget *>(child);
    if (w && !w->isWindow() && AlignOf(w) == alClient) w->setGeometry(rest.normalized());
  }
}

void SetHint(QWidget *control, const QString &hint) {
  if (control && control->toolTip() != hint) control->setToolTip(hint);
}

QString HintOf(const QWidget *control) { return control ? control->toolTip() : QString(); }

void SetSkinSection(QWidget *control, const QString &section) {
  if (control) control->setProperty(kSkinSectionProperty, section);
}

QString SkinSectionOf(const QWidget *control) {
  return control ? control->property(kSkinSectionProperty).toString() : QString();
}

TMouseButton MouseButtonOf(const QMouseEvent *event) {
  switch (event->button()) {
  case Qt::RightButton: return mbRight;
  case Qt::MiddleButton: return mbMiddle;
  default: return mbLeft;
  }
}

TShiftState ShiftStateOf(const QMouseEvent *event) {
  TShiftState state = 0;
  Qt::KeyboardModifiers keys = event->modifiers();
  if (keys & Qt::ShiftModifier) state |= ssShift;
  if (keys & Qt::AltModifier) state |= ssAlt;
  if (keys & Qt::ControlModifier) state |= ssCtrl;
  // The button that changed counts as held during its own press.
  Qt::MouseButtons buttons = event->buttons();
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
    buttons |= event->button();
  if (buttons & Qt::LeftButton) state |= ssLeft;
  if (buttons & Qt::RightButton) state |= ssRight;
  if (buttons & Qt::MiddleButton) state |= ssMiddle;
  if (event->type() == QEvent::MouseButtonDblClick) state |= ssDouble;
  return state;
}

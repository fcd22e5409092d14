// The video window as a control: painting, size and alignment, mouse, focus and the
// context menu. Mouse input that reaches the renderer's window is drained here.
#include "video/video_window.h"

#include "framework/application.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVariant>

namespace {

QColor ToQColor(COLORREF color) {
  // A system colour (high byte 0xFF) is the palette's window colour here.
  if ((color >> 24) == 0xFF) return QPalette().color(QPalette::Window);
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

bool ButtonOf(Qt::MouseButton qtButton, TMouseButton *button) {
  switch (qtButton) {
  case Qt::LeftButton: *button = mbLeft; return true;
  case Qt::RightButton: *button = mbRight; return true;
  case Qt::MiddleButton: *button = mbMiddle; return true;
  default: return false;
  }
}

TShiftState ShiftOf(const QMouseEvent *event) {
  TShiftState shift = 0;
  const Qt::KeyboardModifiers keys = event->modifiers();
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons buttons = event->buttons();
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

// A popup menu pops up by itself unless it says otherwise.
bool AutoPopup(const QMenu *menu) {
  const QVariant autoPopup = menu->property("AutoPopup");
  return !autoPopup.isValid() || autoPopup.toBool();
}

} // namespace

void TVideoWindow::SetColor(COLORREF color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void TVideoWindow::SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

void TVideoWindow::SetTabStop(bool tabStop) {
  tabStop_ = tabStop;
  setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
}

void TVideoWindow::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  HookParent();
  FollowParent();
}

void TVideoWindow::HookParent() {
  QWidget *parent = align_ == alNone ? nullptr : parentWidget();
  if (parent == alignedTo_) return;
  if (alignedTo_) alignedTo_->removeEventFilter(this);
  alignedTo_ = parent;
  if (alignedTo_) alignedTo_->installEventFilter(this);
}

void TVideoWindow::FollowParent() {
  if (!alignedTo_) return;
  const QRect area = alignedTo_->rect();
  switch (align_) {
  case alNone: break;
  case alTop: setGeometry(0, 0, area.width(), height()); break;
  case alBottom: setGeometry(0, area.height() - height(), area.width(), height()); break;
  case alLeft: setGeometry(0, 0, width(), area.height()); break;
  case alRight: setGeometry(area.width() - width(), 0, width(), area.height()); break;
  case alClient: setGeometry(area); break;
  }
}

bool TVideoWindow::event(QEvent *event) {
  if (event->type() == QEvent::ParentChange) {
    HookParent();
    FollowParent();
  }
  return QWidget::event(event);
}

bool TVideoWindow::eventFilter(QObject *watched, QEvent *event) {
  if (watched == alignedTo_ && event->type() == QEvent::Resize) FollowParent();
  return QWidget::eventFilter(watched, event);
}

// --- paint and size -----------------------------------------------------------

void TVideoWindow::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(color_));
  canvas_ = &painter;
  Application().Guard(this, [this] {
    if (OnPaint) OnPaint(this);
  });
  canvas_ = nullptr;
}

void TVideoWindow::RaiseResize() {
  if (OnResize) OnResize(this);
}

void TVideoWindow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Application().Guard(this, [this] { RaiseResize(); });
  PlaceRenderer();
}

// The renderer's window follows the control when it moves as well.
void TVideoWindow::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  PlaceRenderer();
}

// --- mouse --------------------------------------------------------------------

QPoint TVideoWindow::MousePoint(const QPoint &local) const {
  if (!fullScreenActive_) return local;
  POINT cursor = {};
  GetCursorPos(&cursor);
  return QPoint(cursor.x, cursor.y);
}

void TVideoWindow::mousePressEvent(QMouseEvent *event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return QWidget::mousePressEvent(event);
  event->accept();
  if (button == mbLeft) clicked_ = true;
  const QPoint p = MousePoint(event->position().toPoint());
  const TShiftState shift = ShiftOf(event);
  Application().Guard(this, [&] {
    if (OnMouseDown) OnMouseDown(this, button, shift, p.x(), p.y());
  });
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent *event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return QWidget::mouseDoubleClickEvent(event);
  event->accept();
  const QPoint p = MousePoint(event->position().toPoint());
  const TShiftState shift = ShiftOf(event) | ssDouble;
  Application().Guard(this, [&] {
    if (button == mbLeft && OnDblClick) OnDblClick(this);
  });
  Application().Guard(this, [&] {
    if (OnMouseDown) OnMouseDown(this, button, shift, p.x(), p.y());
  });
}

void TVideoWindow::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  const QPoint p = MousePoint(event->position().toPoint());
  const TShiftState shift = ShiftOf(event);
  Application().Guard(this, [&] {
    if (OnMouseMove) OnMouseMove(this, shift, p.x(), p.y());
  });
}

void TVideoWindow::mouseReleaseEvent(QMouseEvent *event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return QWidget::mouseReleaseEvent(event);
  event->accept();
  const QPoint local = event->position().toPoint();
  const QPoint p = MousePoint(local);
  const TShiftState shift = ShiftOf(event);
  const bool click = button == mbLeft && clicked_ && (fullScreenActive_ || rect().contains(local));
  if (button == mbLeft) clicked_ = false;
  Application().Guard(this, [&] {
    if (OnMouseUp) OnMouseUp(this, button, shift, p.x(), p.y());
  });
  if (click) Application().Guard(this, [this] {
      if (OnClick) OnClick(this);
    });
}

// --- context menu and focus ---------------------------------------------------

void TVideoWindow::ShowPopupMenu(const QPoint &screenPoint) { popupMenu_->popup(screenPoint); }

void TVideoWindow::contextMenuEvent(QContextMenuEvent *event) {
  const bool popup = popupMenu_ && AutoPopup(popupMenu_);
  if (fullScreen_) {
    // Full screen: the menu at the cursor, or nothing; never passed on.
    if (popup) {
      POINT cursor = {};
      GetCursorPos(&cursor);
      ShowPopupMenu(QPoint(cursor.x, cursor.y));
    }
    event->accept();
    return;
  }
  if (popup) {
    ShowPopupMenu(event->globalPos());
    event->accept();
    return;
  }
  event->ignore();
}

void TVideoWindow::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  Application().Guard(this, [this] {
    if (OnEnter) OnEnter(this);
  });
}

void TVideoWindow::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  Application().Guard(this, [this] {
    if (OnExit) OnExit(this);
  });
}

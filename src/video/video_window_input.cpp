// The video window as a control: painting, size and alignment, mouse, focus and the
// context menu. Mouse input that reaches the renderer's window is drained here.
#include "video/video_window.h"

#include "framework/application.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

bool IsMouseButton(Qt::MouseButton button) {
  return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
}

} // namespace

void TVideoWindow::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void TVideoWindow::SetPopupMenu(TPopupMenu *menu) { popupMenu_ = menu; }

void TVideoWindow::SetTabStop(bool tabStop) {
  tabStop_ = tabStop;
  setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
}

void TVideoWindow::SetAlign(TAlign align) {
  ::SetAlign(this, align);
  HookParent();
}

// A parent that is no form or panel does not arrange its aligned controls itself.
void TVideoWindow::HookParent() {
  QWidget *parent = Align() == alNone ? nullptr : parentWidget();
  if (parent == alignedTo_) return;
  if (alignedTo_) alignedTo_->removeEventFilter(this);
  alignedTo_ = parent;
  if (alignedTo_) {
    alignedTo_->installEventFilter(this);
    ArrangeAlignedChildren(alignedTo_);
  }
}

bool TVideoWindow::event(QEvent *event) {
  if (event->type() == QEvent::ParentChange) HookParent();
  return QWidget::event(event);
}

bool TVideoWindow::eventFilter(QObject *watched, QEvent *event) {
  if (watched == alignedTo_ && event->type() == QEvent::Resize) ArrangeAlignedChildren(alignedTo_);
  return QWidget::eventFilter(watched, event);
}

// --- paint and size -----------------------------------------------------------

void TVideoWindow::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const QColor background = ToQColor(color_);
  if (background.isValid()) painter.fillRect(rect(), background);
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
  if (!IsMouseButton(event->button())) return QWidget::mousePressEvent(event);
  event->accept();
  const TMouseButton button = MouseButtonOf(event);
  if (button == mbLeft) clicked_ = true;
  const QPoint p = MousePoint(event->position().toPoint());
  const TShiftState shift = ShiftStateOf(event);
  Application().Guard(this, [&] {
    if (OnMouseDown) OnMouseDown(this, button, shift, p.x(), p.y());
  });
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent *event) {
  if (!IsMouseButton(event->button())) return QWidget::mouseDoubleClickEvent(event);
  event->accept();
  const TMouseButton button = MouseButtonOf(event);
  const QPoint p = MousePoint(event->position().toPoint());
  const TShiftState shift = ShiftStateOf(event);
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
  const TShiftState shift = ShiftStateOf(event);
  Application().Guard(this, [&] {
    if (OnMouseMove) OnMouseMove(this, shift, p.x(), p.y());
  });
}

void TVideoWindow::mouseReleaseEvent(QMouseEvent *event) {
  if (!IsMouseButton(event->button())) return QWidget::mouseReleaseEvent(event);
  event->accept();
  const TMouseButton button = MouseButtonOf(event);
  const QPoint local = event->position().toPoint();
  const QPoint p = MousePoint(local);
  const TShiftState shift = ShiftStateOf(event);
  const bool click = button == mbLeft && clicked_ && (fullScreenActive_ || rect().contains(local));
  if (button == mbLeft) clicked_ = false;
  Application().Guard(this, [&] {
    if (OnMouseUp) OnMouseUp(this, button, shift, p.x(), p.y());
  });
  if (click) Application().Guard(this, [this] {
      if (OnClick) OnClick(this);
    });
  if (button == mbRight) ContextMenuOnRelease(local, event->globalPosition().toPoint());
}

// --- context menu and focus ---------------------------------------------------

// A right-button release raises the context-menu request after OnMouseUp, also when
// the renderer's window drained it here (as a default window procedure would); so a
// right click on a menu button activates it and then opens the menu. The request the
// display makes by itself on the press is therefore passed over.
void TVideoWindow::contextMenuEvent(QContextMenuEvent *event) {
  if (event->reason() == QContextMenuEvent::Mouse && event->spontaneous()) {
    event->accept();
    return;
  }
  // Not handled here: the toolkit passes the event on to the parent.
  event->setAccepted(ContextMenu(event->globalPos()));
}

void TVideoWindow::ContextMenuOnRelease(const QPoint &local, const QPoint &global) {
  if (ContextMenu(global)) return;
  if (QWidget *parent = parentWidget()) {
    QContextMenuEvent passed(QContextMenuEvent::Mouse, mapToParent(local), global);
    QCoreApplication::sendEvent(parent, &passed);
  }
}

bool TVideoWindow::ContextMenu(const QPoint &global) {
  const bool popup = popupMenu_ && popupMenu_->AutoPopup();
  if (fullScreen_) {
    // Full screen: the menu at the cursor, or nothing; never passed on.
    if (popup) {
      POINT cursor = {};
      GetCursorPos(&cursor);
      popupMenu_->SetPopupComponent(this);
      popupMenu_->Popup(cursor.x, cursor.y);
    }
    return true;
  }
  if (popup) {
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(global.x(), global.y());
    return true;
  }
  return false;
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

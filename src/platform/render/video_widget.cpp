#include "render/video_widget.h"

#include "render/picture_layout.h"
#include "win/winuser.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <memory>

namespace render {

VideoWidget::VideoWidget(const char *windowClass, QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  SetWindowClassName(WindowFromWidget(this), windowClass);
}

void VideoWidget::Post(VideoFrame frame) {
  {
    std::unique_lock guard(slotLock_);
    // At most about a frame: the GUI thread may be busy for longer (never wait on it).
    slotTaken_.wait_for(guard, std::chrono::milliseconds(30), [this] { return !slot_; });
    if (slot_) ++overwritten_;
    slot_ = std::move(frame);
    if (callPending_) return;
    callPending_ = true;
  }
  QMetaObject::invokeMethod(this, [this] { TakePosted(); }, Qt::QueuedConnection);
}

void VideoWidget::TakePosted() {
  std::optional<VideoFrame> frame;
  {
    std::lock_guard guard(slotLock_);
    frame.swap(slot_);
    callPending_ = false;
  }
  slotTaken_.notify_all();
  if (!frame) return;
  current_ = std::move(*frame);
  update();
  if (onPresented) {
    PresentedFrame shown;
    shown.image = current_.image;
    shown.hasTime = current_.hasTime;
    shown.sampleTime = current_.start;
    shown.running = streamTime && streamTime(&shown.streamTime);
    onPresented(shown);
  }
}

QRect VideoWidget::PictureRect() const {
  return FitPicture(rect(), current_.aspectX, current_.aspectY, keepAspect_);
}

void VideoWidget::SetKeepAspect(bool keep) {
  keepAspect_ = keep;
  update();
}

void VideoWidget::SetSourceRect(const QRect &source) {
  source_ = source;
  update();
}

void VideoWidget::SetBorderColor(const QColor &color) {
  border_ = color;
  update();
}

void VideoWidget::SetDrain(QWidget *drain) {
  drain_ = drain;
  if (drain) drain->setMouseTracking(true); // moves without a button reach it only so
}

void VideoWidget::SetCursorHidden(bool hidden) {
  if (hidden) setCursor(Qt::BlankCursor);
  else unsetCursor();
}

void VideoWidget::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const QRect dest = PictureRect();
  if (current_.image.isNull()) {
    p.fillRect(rect(), border_);
    return;
  }
  // Bars around the picture only: the picture itself covers the rest.
  const QRect all = rect();
  p.fillRect(QRect(all.left(), all.top(), all.width(), dest.top() - all.top()), border_);
  p.fillRect(QRect(all.left(), dest.bottom() + 1, all.width(), all.bottom() - dest.bottom()), border_);
  p.fillRect(QRect(all.left(), dest.top(), dest.left() - all.left(), dest.height()), border_);
  p.fillRect(QRect(dest.right() + 1, dest.top(), all.right() - dest.right(), dest.height()), border_);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const QRect source = source_.isEmpty() ? current_.image.rect() : source_.intersected(current_.image.rect());
  p.drawImage(dest, current_.image, source);
}

bool VideoWidget::event(QEvent *e) {
  switch (e->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
  case QEvent::Wheel:
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
    if (Forward(e)) return true;
    break;
  default: break;
  }
  return QWidget::event(e);
}

bool VideoWidget::Forward(QEvent *e) {
  QWidget *drain = drain_.data();
  if (!drain || drain == this) return false;
  if (auto *me = dynamic_cast<QMouseEvent *>(e)) {
    const QPointF global = mapToGlobal(me->position());
    const QPointF local = drain->mapFromGlobal(global);
    const QPointF scene = drain->window()->mapFromGlobal(global);
    QMouseEvent copy(me->type(), local, scene, global, me->button(), me->buttons(), me->modifiers(),
                     me->pointingDevice());
    QCoreApplication::sendEvent(drain, &copy);
    return true;
  }
  if (auto *we = dynamic_cast<QWheelEvent *>(e)) {
    const QPointF global = mapToGlobal(we->position());
    QWheelEvent copy(drain->mapFromGlobal(global), global, we->pixelDelta(), we->angleDelta(), we->buttons(),
                     we->modifiers(), we->phase(), we->inverted());
    QCoreApplication::sendEvent(drain, &copy);
    return true;
  }
  std::unique_ptr<QEvent> copy(e->clone());
  QCoreApplication::sendEvent(drain, copy.get());
  return true;
}

} // namespace render

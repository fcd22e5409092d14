#include "render/video_widget.h"

#include "render/picture_layout.h"
#include "win/winuser.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>
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
    if (frame.generation && frame.generation < minGeneration_) return; // flushed on its way
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
  {
    std::lock_guard guard(slotLock_);
    if (frame->generation && frame->generation < minGeneration_) return;
  }
  current_ = std::move(*frame);
  UpdatePlacement();
  update();
  std::lock_guard callbacks(callbackLock_);
  if (!detached_ && onPresented) {
    PresentedFrame shown;
    shown.frame = current_;
    shown.hasTime = current_.hasTime;
    shown.sampleTime = current_.start;
    if (const media::MaybeStreamTime now = streamTime ? streamTime() : std::nullopt) {
      shown.running = true;
      shown.streamTime = *now;
    }
    onPresented(shown);
  }
}

void VideoWidget::Detach() {
  {
    std::lock_guard guard(slotLock_);
    slot_.reset();
    minGeneration_ = UINT64_MAX;
  }
  slotTaken_.notify_all();
  std::lock_guard callbacks(callbackLock_);
  detached_ = true;
}

void VideoWidget::DropBefore(std::uint64_t generation) {
  std::lock_guard guard(slotLock_);
  minGeneration_ = std::max(minGeneration_, generation);
  if (slot_ && slot_->generation && slot_->generation < minGeneration_) slot_.reset();
  slotTaken_.notify_all();
}

QRect VideoWidget::PictureRect() const {
  return FitPicture(rect(), current_.aspectX, current_.aspectY, keepAspect_);
}

void VideoWidget::SetKeepAspect(bool keep) {
  keepAspect_ = keep;
  UpdatePlacement();
  update();
}

void VideoWidget::SetAspect(int aspectX, int aspectY) {
  current_.aspectX = aspectX;
  current_.aspectY = aspectY;
  UpdatePlacement();
}

void VideoWidget::UpdatePlacement() {
  std::lock_guard guard(placementLock_);
  placed_ = PictureRect();
  origin_ = pos();
}

QRect VideoWidget::PlacedPictureRect(bool inParent) const {
  std::lock_guard guard(placementLock_);
  return inParent ? placed_.translated(origin_) : placed_;
}

void VideoWidget::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  UpdatePlacement();
}

void VideoWidget::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  UpdatePlacement();
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
  if (current_.IsNull()) {
    p.fillRect(rect(), border_);
    return;
  }
  // Bars around the picture only: the picture itself covers the rest.
  const QRect all = rect();
  p.fillRect(QRect(all.left(), all.top(), all.width(), dest.top() - all.top()), border_);
  p.fillRect(QRect(all.left(), dest.bottom() + 1, all.width(), all.bottom() - dest.bottom()), border_);
  p.fillRect(QRect(all.left(), dest.top(), dest.left() - all.left(), dest.height()), border_);
  p.fillRect(QRect(dest.right() + 1, dest.top(), all.right() - dest.right(), dest.height()), border_);
  // The picture's one conversion and scaling, straight to the size it is drawn.
  const QRect whole(QPoint(0, 0), current_.Size());
  const QRect source = source_.isEmpty() ? whole : source_.intersected(whole);
  if (PaintStraight(p, source, dest)) return;
  const QImage &scaled = scaler_.Scale(current_, source, dest.size());
  if (!scaled.isNull()) p.drawImage(dest.topLeft(), scaled);
  else p.fillRect(dest, border_);
}

bool VideoWidget::PaintStraight(QPainter &p, const QRect &source, const QRect &dest) {
  // Painting into an image (the window's backing store) with no scaling or rotation,
  // and the whole picture inside what this paint may touch: the scaler writes the
  // picture there itself instead of into an image drawImage then copies.
  QPaintEngine *engine = p.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return false;
  QPaintDevice *device = engine->paintDevice();
  if (!device || device->devType() != QInternal::Image) return false;
  auto *target = static_cast<QImage *>(device);
  const QTransform &t = p.deviceTransform();
  if (t.type() > QTransform::TxTranslate || target->devicePixelRatio() != 1.0 || p.hasClipping()) return false;
  const QRect at = dest.translated(qRound(t.dx()), qRound(t.dy()));
  const QRegion clip = engine->systemClip();
  if (!clip.isEmpty() && !(QRegion(at) - clip).isEmpty()) return false;
  return scaler_.ScaleInto(current_, source, *target, at);
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

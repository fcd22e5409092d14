// The widget a video renderer draws into: the last picture (YUV or RGB32) converted and
// scaled once, as it is painted, into its area with the picture's display aspect (or
// stretched), the rest in the border colour. It
// repaints the last picture whenever it is exposed. Input on it (mouse, wheel, keys)
// is forwarded to a drain widget with positions mapped to the drain.
//
// Pictures arrive from a streaming thread through Post(): the newest waits in a locked
// slot and a queued call takes it on the GUI thread. Everything else: GUI thread.
#pragma once

#include "render/picture_scaler.h"
#include "render/video_frame.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class QPainter;

#include <cstdint>
#include <functional>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace render {

class VideoWidget : public QWidget {
public:
  explicit VideoWidget(const char *windowClass, QWidget *parent = nullptr);

  // Any thread (the widget must outlive the caller's use of it). Waits a little for
  // the GUI thread to take the previous picture; a picture it never took counts as
  // dropped.
  void Post(VideoFrame frame);
  long long Overwritten() const { return overwritten_.load(); }
  // Any thread: pictures of an older generation are never shown from now on, also one
  // posted and not yet taken (a flush between the hand-over and the painting).
  void DropBefore(std::uint64_t generation);
  // Any thread: from now on no callback reaches the renderer that owned this surface
  // (it is going away; the widget itself is deleted later on the GUI thread).
  void Detach();

  // Where the picture is drawn, in this widget's coordinates (GUI thread).
  QRect PictureRect() const;
  // The same in the parent's coordinates (this widget's position added) as last laid
  // out, and whether a picture format is known: any thread.
  QRect PlacedPictureRect(bool inParent) const;
  bool HasPicture() const { return !current_.IsNull(); }
  const VideoFrame &Current() const { return current_; }
  void SetKeepAspect(bool keep);
  // The display aspect to lay out for before the first picture arrives.
  void SetAspect(int aspectX, int aspectY);
  bool KeepAspect() const { return keepAspect_; }
  void SetSourceRect(const QRect &source); // stored-picture pixels; empty = all
  QRect SourceRect() const { return source_; }
  void SetBorderColor(const QColor &color);
  QColor BorderColor() const { return border_; }
  void SetDrain(QWidget *drain);
  QWidget *Drain() const { return drain_.data(); }
  void SetCursorHidden(bool hidden);

  // For the renderer: stream time now (none while not running), and a watcher
  // called on the GUI thread for every picture put on the screen.
  std::function<media::MaybeStreamTime()> streamTime;
  std::function<void(const PresentedFrame &)> onPresented;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  bool event(QEvent *event) override;

private:
  void TakePosted();
  void UpdatePlacement();
  bool Forward(QEvent *event);
  bool PaintStraight(QPainter &painter, const QRect &source, const QRect &dest);

  std::mutex slotLock_;
  std::mutex callbackLock_;  // held while the renderer's callbacks run
  bool detached_ = false;    // callbackLock_
  std::condition_variable slotTaken_;
  std::optional<VideoFrame> slot_;
  std::atomic<long long> overwritten_{0};
  bool callPending_ = false;
  std::uint64_t minGeneration_ = 0; // slotLock_

  VideoFrame current_;
  PictureScaler scaler_;
  bool keepAspect_ = true;
  QRect source_;
  QColor border_ = Qt::black;
  QPointer<QWidget> drain_;
  mutable std::mutex placementLock_;
  QRect placed_;   // PictureRect() as last laid out
  QPoint origin_;  // pos() as last laid out
};

} // namespace render

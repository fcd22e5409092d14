// Puts pictures on the screen at their times. The decoder's thread queues pictures
// (blocking while the small queue is full: a few pictures, so that decoding stays
// just ahead of the screen); the presenter's own thread waits for each picture's
// stream time on the reference clock and hands it to the widget. Every picture
// carries the generation it was queued in; a flush or stop bumps it, so a picture
// already handed over can still be dropped by the widget (VideoWidget::DropBefore).
//   Stopped: the queue is emptied and nothing is accepted.
//   Paused:  the first picture after Stop is shown at once (the paused picture);
//            then nothing moves except for frame steps.
//   Running: each picture shows when stream time (clock - run start, scaled by the
//            rate) reaches its time; one whose successor is also due is skipped.
//            The first picture after a flush (a jump, a menu) shows at once when
//            it is due within 0.3 s (pre-roll).
//            Pictures without a time show at once. End of stream is reported after
//            the last picture.
#pragma once

#include "render/video_frame.h"

#include "dshow/strmif.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace render {

class VideoPresenter {
public:
  struct Events {
    std::function<void(VideoFrame)> show;  // presenter thread: hand the picture over
    std::function<void()> complete;        // the last picture before end of stream showed
    std::function<void()> stepComplete;    // a frame step finished
    std::function<void()> firstPicture;    // the paused picture arrived
  };

  static constexpr std::size_t kQueueLength = 4;

  explicit VideoPresenter(Events events, std::size_t queueLength = kQueueLength);
  ~VideoPresenter();
  VideoPresenter(const VideoPresenter &) = delete;
  VideoPresenter &operator=(const VideoPresenter &) = delete;

  // Streaming thread. False when the picture was refused or dropped by a flush/stop.
  bool Queue(VideoFrame frame);
  void EndOfStream();
  void BeginFlush();
  void EndFlush();

  void Stop();
  void Pause();
  void Run(media::StreamTime start, IReferenceClock *clock);
  void SetClock(IReferenceClock *clock);

  // Frame step while paused: shows the next `frames` pictures one at a time.
  HRESULT Step(DWORD frames);
  HRESULT CancelStep();
  void SetRate(double rate);
  double Rate();

  bool HasPausedPicture();   // paused and the paused picture has been shown (or end of stream)
  long long Dropped();
  std::uint64_t Generation(); // of the pictures queued from now on
  std::size_t PeakQueued();   // the most pictures waiting at once

private:
  enum class Mode { Stopped, Paused, Running };
  struct Item {
    VideoFrame frame;
    bool endOfStream = false;
  };

  void Loop();
  bool Full() const; // lock held
  // Stream time now (lock held); false without a clock.
  bool StreamNow(media::StreamTime *now);
  void Rebase(media::StreamTime clockNow);
  media::StreamTime StreamAt(media::StreamTime clockNow) const;

  Events events_;
  const std::size_t queueLength_;
  std::uint64_t generation_ = 1;
  std::size_t peak_ = 0;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Item> queue_;
  Mode mode_ = Mode::Stopped;
  bool flushing_ = false, quit_ = false, prerolled_ = false;
  bool showNext_ = false; // the first picture after a flush shows at once (pre-roll)
  DWORD steps_ = 0;
  ComPtr<IReferenceClock> clock_;
  media::StreamTime runStart_;
  double rate_ = 1.0;
  media::StreamTime rateClock_, rateStream_; // stream time rateStream_ at clock rateClock_
  bool rated_ = false;
  long long dropped_ = 0;
  std::thread thread_;
};

} // namespace render

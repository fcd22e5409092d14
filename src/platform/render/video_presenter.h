// Puts pictures on the screen at their times. The streaming thread queues pictures
// (blocking while the queue is full); the presenter's own thread waits for each
// picture's stream time on the reference clock and hands it to the widget.
//   Stopped: the queue is emptied and nothing is accepted.
//   Paused:  the first picture after Stop is shown at once (the paused picture);
//            then nothing moves except for frame steps.
//   Running: each picture shows when stream time (clock - run start, scaled by the
//            rate) reaches its time; one whose successor is also due is skipped.
//            Pictures without a time show at once. End of stream is reported after
//            the last picture.
#pragma once

#include "render/video_frame.h"

#include "dshow/strmif.h"

#include <condition_variable>
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

  explicit VideoPresenter(Events events);
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
  void Run(REFERENCE_TIME start, IReferenceClock *clock);
  void SetClock(IReferenceClock *clock);

  // Frame step while paused: shows the next `frames` pictures one at a time.
  HRESULT Step(DWORD frames);
  HRESULT CancelStep();
  void SetRate(double rate);
  double Rate();

  bool HasPausedPicture();   // paused and the paused picture has been shown (or end of stream)
  long long Dropped();

private:
  enum class Mode { Stopped, Paused, Running };
  struct Item {
    VideoFrame frame;
    bool endOfStream = false;
  };

  void Loop();
  bool Full() const; // lock held
  // Stream time now (lock held); false without a clock.
  bool StreamNow(REFERENCE_TIME *now);
  void Rebase(REFERENCE_TIME clockNow);

  Events events_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Item> queue_;
  Mode mode_ = Mode::Stopped;
  bool flushing_ = false, quit_ = false, prerolled_ = false;
  DWORD steps_ = 0;
  ComPtr<IReferenceClock> clock_;
  REFERENCE_TIME runStart_ = 0;
  double rate_ = 1.0;
  REFERENCE_TIME rateClock_ = 0, rateStream_ = 0; // stream time rateStream_ at clock rateClock_
  bool rated_ = false;
  long long dropped_ = 0;
  std::thread thread_;
};

} // namespace render

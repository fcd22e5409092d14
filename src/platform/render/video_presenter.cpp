#include "render/video_presenter.h"

#include "dshow/errors.h"

#include <algorithm>
#include <chrono>

namespace render {
namespace {

constexpr auto kClockPoll = std::chrono::milliseconds(50);
// The first picture after a flush shows at once when it is due within this (the
// navigator places new material a quarter second ahead of the clock); one further
// ahead waits for its time, as every other picture does.
constexpr media::StreamTime kPrerollWindow = media::StreamTime::Milliseconds(300);

} // namespace

VideoPresenter::VideoPresenter(Events events, std::size_t queueLength)
    : events_(std::move(events)), queueLength_(std::max<std::size_t>(queueLength, 1)) {
  thread_ = std::thread([this] { Loop(); });
}

VideoPresenter::~VideoPresenter() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool VideoPresenter::Full() const { return queue_.size() >= queueLength_; }

bool VideoPresenter::Queue(VideoFrame frame) {
  std::unique_lock guard(lock_);
  // A stop or a flush while this waits refuses the picture even when the renderer has
  // been paused or the flush ended again before this thread woke: it is from before.
  const std::uint64_t entered = generation_;
  const auto refused = [&] { return quit_ || flushing_ || mode_ == Mode::Stopped || generation_ != entered; };
  wake_.wait(guard, [&] { return refused() || !Full(); });
  if (refused()) return false;
  frame.generation = generation_;
  // The presenter only waits for a new picture on an empty queue or in pause; while it
  // waits for the front picture's time, a picture behind it changes nothing.
  const bool wanted = queue_.empty() || mode_ != Mode::Running;
  queue_.push_back(Item{std::move(frame), false});
  peak_ = std::max(peak_, queue_.size());
  if (wanted) wake_.notify_all();
  return true;
}

void VideoPresenter::EndOfStream() {
  std::lock_guard guard(lock_);
  if (mode_ == Mode::Stopped || flushing_) return;
  queue_.push_back(Item{{}, true});
  wake_.notify_all();
}

void VideoPresenter::BeginFlush() {
  std::lock_guard guard(lock_);
  flushing_ = true;
  ++generation_;
  queue_.clear();
  wake_.notify_all();
}

void VideoPresenter::EndFlush() {
  std::lock_guard guard(lock_);
  flushing_ = false;
  // After a flush in pause the next picture is the new paused picture; while running
  // it shows as soon as it arrives (the clock has not reached it yet: it stays until
  // its successor is due).
  if (mode_ == Mode::Paused) prerolled_ = false;
  showNext_ = true;
}

void VideoPresenter::Stop() {
  std::lock_guard guard(lock_);
  mode_ = Mode::Stopped;
  ++generation_;
  queue_.clear();
  steps_ = 0;
  prerolled_ = false;
  wake_.notify_all();
}

void VideoPresenter::Pause() {
  std::lock_guard guard(lock_);
  if (mode_ == Mode::Stopped) prerolled_ = false;
  if (mode_ == Mode::Running) prerolled_ = true; // the picture on the screen stays
  mode_ = Mode::Paused;
  wake_.notify_all();
}

void VideoPresenter::Run(media::StreamTime start, IReferenceClock *clock) {
  std::lock_guard guard(lock_);
  clock_ = clock;
  runStart_ = start;
  rated_ = false;
  mode_ = Mode::Running;
  steps_ = 0;
  wake_.notify_all();
}

void VideoPresenter::SetClock(IReferenceClock *clock) {
  std::lock_guard guard(lock_);
  clock_ = clock;
  wake_.notify_all();
}

HRESULT VideoPresenter::Step(DWORD frames) {
  std::lock_guard guard(lock_);
  if (frames == 0) return E_INVALIDARG;
  if (mode_ != Mode::Paused) return VFW_E_NOT_PAUSED;
  steps_ = frames;
  wake_.notify_all();
  return S_OK;
}

HRESULT VideoPresenter::CancelStep() {
  std::lock_guard guard(lock_);
  steps_ = 0;
  return S_OK;
}

// The stream time at clock time `clockNow` (lock held), at the rate in force since the
// last change.
media::StreamTime VideoPresenter::StreamAt(media::StreamTime clockNow) const {
  if (!rated_) return clockNow - runStart_;
  return rateStream_ + media::StreamTime(static_cast<REFERENCE_TIME>((clockNow - rateClock_).ticks() * rate_));
}

void VideoPresenter::Rebase(media::StreamTime clockNow) {
  const media::StreamTime stream = StreamAt(clockNow);
  rateClock_ = clockNow;
  rateStream_ = stream;
  rated_ = true;
}

void VideoPresenter::SetRate(double rate) {
  std::lock_guard guard(lock_);
  REFERENCE_TIME now = 0;
  if (mode_ == Mode::Running && clock_ && SUCCEEDED(clock_->GetTime(&now))) Rebase(media::StreamTime(now));
  rate_ = rate;
  wake_.notify_all();
}

double VideoPresenter::Rate() {
  std::lock_guard guard(lock_);
  return rate_;
}

bool VideoPresenter::HasPausedPicture() {
  std::lock_guard guard(lock_);
  return mode_ != Mode::Paused || prerolled_ || (!queue_.empty() && queue_.front().endOfStream);
}

std::uint64_t VideoPresenter::Generation() {
  std::lock_guard guard(lock_);
  return generation_;
}

std::size_t VideoPresenter::PeakQueued() {
  std::lock_guard guard(lock_);
  return peak_;
}

long long VideoPresenter::Dropped() {
  std::lock_guard guard(lock_);
  return dropped_;
}

bool VideoPresenter::StreamNow(media::StreamTime *now) {
  REFERENCE_TIME clockNow = 0;
  if (!clock_ || FAILED(clock_->GetTime(&clockNow))) return false;
  *now = StreamAt(media::StreamTime(clockNow));
  return true;
}

void VideoPresenter::Loop() {
  std::unique_lock guard(lock_);
  while (!quit_) {
    if (queue_.empty() || mode_ == Mode::Stopped || (mode_ == Mode::Paused && prerolled_ && steps_ == 0)) {
      wake_.wait(guard);
      continue;
    }
    if (mode_ == Mode::Paused) {
      Item item = std::move(queue_.front());
      queue_.pop_front();
      wake_.notify_all();
      const bool stepping = prerolled_;
      prerolled_ = true;
      if (item.endOfStream) {
        queue_.push_front(std::move(item)); // reported once running
        if (stepping) steps_ = 0;
        if (!stepping && events_.firstPicture) {
          guard.unlock();
          events_.firstPicture(); // nothing more will come: the pause is complete
          guard.lock();
        }
        wake_.wait(guard);
        continue;
      }
      guard.unlock();
      if (events_.show) events_.show(std::move(item.frame));
      if (!stepping && events_.firstPicture) events_.firstPicture();
      guard.lock();
      if (stepping && steps_ > 0 && --steps_ == 0) {
        guard.unlock();
        if (events_.stepComplete) events_.stepComplete();
        guard.lock();
      }
      continue;
    }
    // Running.
    Item &front = queue_.front();
    if (front.endOfStream) {
      queue_.pop_front();
      guard.unlock();
      if (events_.complete) events_.complete();
      guard.lock();
      continue;
    }
    media::StreamTime now;
    if (front.frame.hasTime && StreamNow(&now)) {
      if (now < front.frame.start && !(showNext_ && front.frame.start - now <= kPrerollWindow)) {
        // Until the picture is due on the clock (stream time runs at the rate); every
        // change of state, clock or rate wakes this thread, so the cap only bounds how
        // late a clock that jumps on its own is noticed.
        const double rate = rate_ > 0 ? rate_ : 1.0;
        const auto wait = std::min<std::chrono::microseconds>(
            std::chrono::microseconds(static_cast<long long>((front.frame.start - now).ticks() / 10 / rate) + 1),
            kClockPoll);
        wake_.wait_for(guard, wait);
        continue; // state, queue or clock may have changed
      }
      // Late: skip it when the next picture is already due as well.
      if (queue_.size() > 1 && !queue_[1].endOfStream && queue_[1].frame.hasTime && queue_[1].frame.start <= now) {
        queue_.pop_front();
        ++dropped_;
        wake_.notify_all();
        continue;
      }
    }
    VideoFrame frame = std::move(front.frame);
    queue_.pop_front();
    wake_.notify_all();
    prerolled_ = true;
    showNext_ = false;
    guard.unlock();
    if (events_.show) events_.show(std::move(frame));
    guard.lock();
  }
}

} // namespace render

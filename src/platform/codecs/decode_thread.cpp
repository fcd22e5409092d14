#include "codecs/decode_thread.h"

#include "com/log.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace codecs {
namespace {

constexpr auto kStopWait = std::chrono::seconds(2);

} // namespace

DecodeThread::DecodeThread(const char *name, Limits limits, Handlers handlers)
    : limits_(limits), handlers_(std::move(handlers)), name_(name) {
  thread_ = std::thread([this] { Loop(); });
  std::string shortName(name);
  shortName.resize(std::min<std::size_t>(shortName.size(), 15));
  pthread_setname_np(thread_.native_handle(), shortName.c_str());
}

DecodeThread::~DecodeThread() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
    ++generation_;
    DropQueued();
  }
  wake_.notify_all();
  space_.notify_all();
  room_.notify_all();
  thread_.join();
}

void DecodeThread::NotifyRoom() {
  // A pusher held back goes on once an eighth of the queue is free again, not at every
  // item taken: it then queues a run of samples at a time. With more than one pusher
  // (or one whose sample is not known), any may go on.
  if (pushWaiters_ > 0 && (pushWaiters_ > 1 || !waiting_ || Fits(*waiting_, true))) room_.notify_all();
}

void DecodeThread::Release(Item &item) {
  if (item.sample) item.sample->Release();
  item.sample = nullptr;
}

void DecodeThread::DropQueued() {
  for (Item &item : queue_) Release(item);
  queue_.clear();
  bytes_ = 0;
}

media::StreamTime DecodeThread::Span() const {
  // From both ends: a timed sample comes every few packs, so neither search goes far
  // (the queue may hold thousands, and this runs at every push).
  auto first = std::find_if(queue_.begin(), queue_.end(), [](const Item &i) { return i.hasTime; });
  if (first == queue_.end()) return media::StreamTime();
  auto last = std::find_if(queue_.rbegin(), queue_.rend(), [](const Item &i) { return i.hasTime; });
  return last->start - first->start;
}

bool DecodeThread::Fits(const Item &item, bool roomy) const {
  if (queue_.empty()) return true; // one oversized sample still goes through
  const std::size_t count = roomy ? limits_.count - limits_.count / 8 : limits_.count;
  const std::size_t bytes = roomy ? limits_.bytes - limits_.bytes / 8 : limits_.bytes;
  if (queue_.size() + 1 > count || bytes_ + item.bytes > bytes) return false;
  if (!item.hasTime) return true;
  const media::StreamTime span = roomy ? limits_.span - limits_.span / 8 : limits_.span;
  for (const Item &queued : queue_)
    if (queued.hasTime) return item.start - queued.start <= span;
  return true;
}

void DecodeThread::Enqueue(Item item) {
  bytes_ += item.bytes;
  queue_.push_back(item);
  peaks_.bytes = std::max(peaks_.bytes, bytes_);
  peaks_.count = std::max(peaks_.count, queue_.size());
  peaks_.span = std::max(peaks_.span, Span());
  wake_.notify_all();
}

HRESULT DecodeThread::Push(IMediaSample *sample) {
  if (!sample) return E_POINTER;
  Item item{Kind::Sample};
  const LONG length = sample->GetActualDataLength();
  item.bytes = length > 0 ? static_cast<std::size_t>(length) : 0;
  REFERENCE_TIME start = 0, stop = 0;
  item.hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
  item.start = media::StreamTime(start);
  std::unique_lock guard(lock_);
  const std::uint64_t generation = generation_;
  ++pushWaiters_;
  waiting_ = &item;
  room_.wait(guard, [&] { return quit_ || flushing_ || generation_ != generation || Fits(item); });
  if (waiting_ == &item) waiting_ = nullptr;
  --pushWaiters_;
  if (quit_ || flushing_ || generation_ != generation) return S_FALSE;
  item.generation = generation;
  sample->AddRef();
  item.sample = sample;
  Enqueue(item);
  return S_OK;
}

void DecodeThread::PushEnd() {
  std::lock_guard guard(lock_);
  if (quit_ || flushing_) return;
  Enqueue(Item{Kind::End, nullptr, generation_});
}

HRESULT DecodeThread::Drain() {
  std::unique_lock guard(lock_);
  if (quit_ || flushing_) return S_FALSE;
  const std::uint64_t generation = generation_;
  Item item{Kind::Drain, nullptr, generation};
  item.ticket = nextTicket_++;
  Enqueue(item);
  space_.wait(guard, [&] { return quit_ || generation_ != generation || doneTicket_ >= item.ticket; });
  return doneTicket_ >= item.ticket ? S_OK : S_FALSE;
}

void DecodeThread::BeginFlush() {
  {
    std::lock_guard guard(lock_);
    flushing_ = true;
    ++generation_;
    DropQueued();
  }
  space_.notify_all();
  room_.notify_all();
}

void DecodeThread::EndFlush() {
  // Downstream is flushing too, so a stale item in hand is released promptly.
  std::unique_lock guard(lock_);
  space_.wait(guard, [&] { return quit_ || !busy_ || handling_ == generation_; });
  flushing_ = false;
}

bool DecodeThread::Stop() {
  std::unique_lock guard(lock_);
  ++generation_;
  DropQueued();
  space_.notify_all();
  room_.notify_all();
  if (std::this_thread::get_id() == thread_.get_id()) return false;
  // Bounded, so that a hand-off that is never refused cannot hang the stop.
  if (space_.wait_for(guard, kStopWait, [&] { return quit_ || !busy_ || handling_ == generation_; })) return true;
  qCWarning(lcDecode, "%s: still busy with a sample from before the stop", name_.c_str());
  return false;
}

bool DecodeThread::Stale() {
  std::lock_guard guard(lock_);
  return handling_ != generation_;
}

std::uint64_t DecodeThread::Generation() {
  std::lock_guard guard(lock_);
  return generation_;
}

DecodeThread::Peaks DecodeThread::HighWater() {
  std::lock_guard guard(lock_);
  return peaks_;
}

void DecodeThread::ResetPeaks() {
  std::lock_guard guard(lock_);
  peaks_ = Peaks{};
}

void DecodeThread::Loop() {
  std::unique_lock guard(lock_);
  for (;;) {
    wake_.wait(guard, [&] { return quit_ || !queue_.empty(); });
    if (quit_) return;
    Item item = queue_.front();
    queue_.pop_front();
    bytes_ -= item.bytes;
    busy_ = true;
    handling_ = item.generation;
    space_.notify_all();
    NotifyRoom();
    guard.unlock();
    if (item.generation == Generation()) {
      switch (item.kind) {
      case Kind::Sample:
        if (handlers_.sample) handlers_.sample(item.sample);
        break;
      case Kind::Drain:
        if (handlers_.drain) handlers_.drain();
        break;
      case Kind::End:
        if (handlers_.end) handlers_.end();
        break;
      }
    }
    Release(item);
    guard.lock();
    busy_ = false;
    if (item.kind == Kind::Drain) doneTicket_ = std::max(doneTicket_, item.ticket);
    space_.notify_all();
    NotifyRoom();
  }
}

} // namespace codecs

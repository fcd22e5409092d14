// A decoder's own thread, fed by a bounded queue of compressed samples.
//
// The upstream streaming thread (the navigator's) pushes samples and end-of-stream
// marks and returns at once while there is room; it blocks only while the queue is
// full, in bytes, in count or in the time its stamped samples span. The thread hands
// each item to the decoder callbacks in order.
//
// Generations: every flush or stop bumps the generation. Items queued before it are
// dropped; an item that the thread is handling when it happens is "stale", and the
// decoder checks Stale() before handing output on, so nothing of an older generation
// goes downstream. EndFlush waits until the thread has let go of a stale item, so that
// after it returns the decoder may be reset safely.
//
// Threads: Push, PushEnd, Drain, BeginFlush and EndFlush come from the upstream
// streaming thread (Drain also from the navigator's command path, which is the same
// thread); Stop from the graph's thread; the callbacks run on this object's thread.
#pragma once

#include "com/media_time.h"
#include "com/unknown.h"
#include "dshow/strmif.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace codecs {

class DecodeThread {
public:
  struct Limits {
    std::size_t bytes;       // compressed bytes waiting
    std::size_t count;       // samples waiting
    media::StreamTime span;  // first to last stamped sample waiting
  };
  struct Handlers {
    std::function<void(IMediaSample *)> sample;
    std::function<void()> drain; // decode and hand on everything held
    std::function<void()> end;   // the same, then end of stream downstream
  };
  struct Peaks {
    std::size_t bytes = 0, count = 0;
    media::StreamTime span;
  };

  DecodeThread(const char *name, Limits limits, Handlers handlers);
  ~DecodeThread();
  DecodeThread(const DecodeThread &) = delete;
  DecodeThread &operator=(const DecodeThread &) = delete;

  // Queues a sample (AddRef'd); blocks while full. S_FALSE when a flush or a stop
  // dropped it while it waited, or between BeginFlush and EndFlush.
  HRESULT Push(IMediaSample *sample);
  void PushEnd();
  // Returns once everything queued before it was decoded and handed on (S_OK), or
  // when a flush or stop cut it short (S_FALSE).
  HRESULT Drain();
  void BeginFlush();
  void EndFlush();
  // Drops what waits, marks what is being handled stale and waits (a bounded time) for
  // the thread to let go of it: a picture decoded from it and already past its Stale()
  // check would otherwise reach a renderer that has been paused again after the stop,
  // as the first picture of the new run. The graph stops the renderers before their
  // decoders, so a hand-off blocked downstream has been refused by then. False when the
  // thread was still busy with it at the end of the wait.
  bool Stop();

  // The decode thread: whether the item being handled belongs to an older generation.
  bool Stale();
  std::uint64_t Generation();
  // The most the queue held since the last ResetPeaks.
  Peaks HighWater();
  void ResetPeaks();
  const Limits &Bounds() const { return limits_; }

private:
  enum class Kind { Sample, Drain, End };
  struct Item {
    Kind kind;
    IMediaSample *sample = nullptr; // counted
    std::uint64_t generation = 0;
    std::size_t bytes = 0;
    bool hasTime = false;
    media::StreamTime start{};
    std::uint64_t ticket = 0;
  };

  void Loop();
  // Lock held. `roomy`: with an eighth of each bound to spare.
  bool Fits(const Item &item, bool roomy = false) const;
  media::StreamTime Span() const;    // lock held
  void Enqueue(Item item);           // lock held
  void DropQueued();                 // lock held
  void Release(Item &item);
  void NotifyRoom(); // lock held

  Limits limits_;
  Handlers handlers_;
  std::string name_;
  std::mutex lock_;
  std::condition_variable wake_;  // the thread: work or quit
  std::condition_variable space_; // done drains, flushes, stops
  // The pusher: its sample fits, or a flush, stop or quit. Apart from space_, so that a
  // pusher waiting on a full queue is woken when its sample fits, not at every item
  // the thread takes (tens of wake-ups for each picture).
  std::condition_variable room_;
  const Item *waiting_ = nullptr; // what a pusher waits to queue
  int pushWaiters_ = 0;
  std::deque<Item> queue_;
  std::size_t bytes_ = 0;
  std::uint64_t generation_ = 0;
  std::uint64_t handling_ = 0;    // generation of the item in hand
  bool busy_ = false, quit_ = false, flushing_ = false;
  std::uint64_t nextTicket_ = 1, doneTicket_ = 0;
  Peaks peaks_;
  std::thread thread_;
};

} // namespace codecs

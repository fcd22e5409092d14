// Samples reused in the order they were handed out, for a stream whose receiver lets go
// of them in that order (packets on their way to a decoder): only the oldest is looked
// at, so taking one costs the same however many are on their way. When the oldest is
// still held, or too small, a new sample is made, and kept while the ring is below its
// size. One thread at a time takes from a ring; any thread may let go of its samples.
#pragma once

#include "graph/media_sample.h"

#include <deque>

namespace graph {

class SampleRing {
public:
  // `keep`: the most samples held for reuse; `minSize`: the least buffer each one gets.
  SampleRing(std::size_t keep, LONG minSize) : keep_(keep), minSize_(minSize) {}
  // A sample holding a copy of `data` (actual length `size`), other properties cleared;
  // null when out of memory.
  ComPtr<MediaSample> Take(const void *data, LONG size);
  std::size_t Held() const { return ring_.size(); }
  long long Made() const { return made_; }

private:
  std::size_t keep_;
  LONG minSize_;
  std::deque<ComPtr<MediaSample>> ring_; // oldest first
  long long made_ = 0;
};

} // namespace graph

#include "graph/sample_ring.h"

#include <algorithm>
#include <cstring>

namespace graph {

ComPtr<MediaSample> SampleRing::Take(const void *data, LONG size) {
  size = std::max<LONG>(size, 0);
  ComPtr<MediaSample> s;
  if (!ring_.empty()) {
    MediaSample *oldest = ring_.front().Get();
    if (oldest->HeldOnlyByCaller() && oldest->GetSize() >= size) {
      s = std::move(ring_.front());
      ring_.pop_front();
      s->ResetProperties();
    }
  }
  if (!s) {
    s = MediaSample::Create(std::max(size, minSize_));
    if (!s) return s;
    ++made_;
  }
  if (data && size > 0) std::memcpy(s->Data(), data, static_cast<std::size_t>(size));
  s->SetActualDataLength(size);
  if (ring_.size() < keep_) ring_.push_back(s); // else the ring is full of samples on their way
  return s;
}

} // namespace graph

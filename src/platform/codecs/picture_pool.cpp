#include "codecs/picture_pool.h"

namespace codecs {
ComPtr<graph::MediaSample> PicturePool::Get(LONG size) {
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    graph::MediaSample *s = samples_[i].Get();
    if (!s->HeldOnlyByCaller()) continue;
    if (s->GetSize() != size) {
      // A format change: this one is of the old size.
      samples_.erase(samples_.begin() + static_cast<long>(i));
      --i;
      continue;
    }
    s->ResetProperties();
    return samples_[i];
  }
  ComPtr<graph::MediaSample> s = graph::MediaSample::Create(size);
  if (!s) return s;
  ++made_;
  if (samples_.size() < keep_) samples_.push_back(s);
  return s;
}

} // namespace codecs

// A small pool of picture samples reused from picture to picture: a sample is free
// again once nobody downstream holds it (the renderer's queue and the picture on the
// screen let go). When every sample is in use a new one is made, and kept while the
// pool is below its size. One thread at a time (the decoder's stream lock).
#pragma once

#include "graph/media_sample.h"

#include <vector>

namespace codecs {

class PicturePool {
public:
  explicit PicturePool(std::size_t keep = 10) : keep_(keep) {}
  // A sample of at least `size` bytes with its properties cleared; null when out of memory.
  ComPtr<graph::MediaSample> Get(LONG size);
  std::size_t Held() const { return samples_.size(); }
  long long Made() const { return made_; }

private:
  std::size_t keep_;
  std::vector<ComPtr<graph::MediaSample>> samples_;
  long long made_ = 0;
};

} // namespace codecs

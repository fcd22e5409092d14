#include "codecs/spu_assembler.h"

#include "codecs/ffmpeg_ptr.h"

namespace codecs {

std::optional<SpuUnit> SpuAssembler::Add(const uint8_t *data, std::size_t size, MaybeTime pts) {
  if (pts || buffer_.empty()) {
    buffer_.clear();
    expected_ = 0;
    pts_ = pts;
  }
  buffer_.insert(buffer_.end(), data, data + size);
  if (expected_ == 0 && buffer_.size() >= 2) {
    expected_ = static_cast<std::size_t>(buffer_[0]) << 8 | buffer_[1];
    if (expected_ < 4) { // not a unit: wait for the next one that starts with a time
      Reset();
      return std::nullopt;
    }
  }
  if (expected_ == 0 || buffer_.size() < expected_) return std::nullopt;
  SpuUnit unit{std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(expected_)), pts_};
  Reset();
  return unit;
}

void SpuAssembler::Reset() {
  buffer_.clear();
  expected_ = 0;
}

} // namespace codecs

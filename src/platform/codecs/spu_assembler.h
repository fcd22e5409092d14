// Collects subpicture packet payloads into whole units. A unit starts with its 16-bit
// big-endian length; the payload that starts a unit carries the unit's time.
#pragma once

#include "com/media_time.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace codecs {

using MaybeTime = media::MaybeStreamTime;

struct SpuUnit {
  std::vector<uint8_t> bytes;
  MaybeTime pts; // none when the starting packet had none
};

class SpuAssembler {
public:
  // Appends a payload; returns a unit when this payload completes one. A payload with a
  // time while a unit is incomplete drops the incomplete unit (lost packets).
  std::optional<SpuUnit> Add(const uint8_t *data, std::size_t size, MaybeTime pts);
  void Reset();

private:
  std::vector<uint8_t> buffer_;
  MaybeTime pts_;
  std::size_t expected_ = 0; // 0 while the length is not known yet
};

} // namespace codecs

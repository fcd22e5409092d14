// Collects subpicture packet payloads into whole units. A unit starts with its 16-bit
// big-endian length; the payload that starts a unit carries the unit's time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace codecs {

struct SpuUnit {
  std::vector<uint8_t> bytes;
  long long pts; // 100 ns; the "no time" value when the starting packet had none
};

class SpuAssembler {
public:
  // Appends a payload; returns a unit when this payload completes one. A payload with a
  // time while a unit is incomplete drops the incomplete unit (lost packets).
  std::optional<SpuUnit> Add(const uint8_t *data, std::size_t size, long long pts, bool hasPts);
  void Reset();

private:
  std::vector<uint8_t> buffer_;
  long long pts_ = 0;
  std::size_t expected_ = 0; // 0 while the length is not known yet
};

} // namespace codecs

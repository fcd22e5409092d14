// Reads the 16-bit frame code that the authored test discs draw into rows 0..15 of
// every picture (see tests/fixtures/make_discs.sh).
#pragma once

#include <cstdint>

namespace testmedia {

inline int Luma(const uint8_t *bgra) { return (bgra[0] * 29 + bgra[1] * 150 + bgra[2] * 77) >> 8; }

// `bgra` is an RGB32 picture of the disc's stored size (720 wide) or a copy scaled to
// `width` columns; -1 when the white/black markers are not where they belong.
inline int ReadFrameCode(const uint8_t *bgra, int stride, int width = 720, int row = 8) {
  const uint8_t *line = bgra + static_cast<long>(row) * stride;
  auto at = [&](int storedX) { return Luma(line + (storedX * width / 720) * 4); };
  if (at(660) < 128 || at(700) >= 128) return -1;
  int code = 0;
  for (int i = 0; i < 16; ++i) code = code * 2 + (at(40 * i + 20) >= 128 ? 1 : 0);
  return code;
}

} // namespace testmedia

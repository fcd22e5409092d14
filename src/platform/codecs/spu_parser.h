// Decodes one subpicture unit: its display commands (start, forced start, stop,
// colours, contrasts, area) and the run-length coded 2-bit picture of both fields.
#pragma once

#include "codecs/spu_assembler.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace codecs {

struct SpuPicture {
  int x = 0, y = 0, width = 0, height = 0; // in stored-picture pixels
  std::vector<uint8_t> pixels;              // width * height values 0..3
  uint8_t colour[4] = {0, 0, 0, 0};         // palette index for pixel values 0..3
  uint8_t contrast[4] = {0, 0, 0, 0};       // 0 (clear) .. 15 (opaque)
  MaybeTime start;                          // stream times; none: shows at once
  MaybeTime stop;                           // none: until the next unit
  bool forced = false;
};

// Nullopt for a damaged unit (offsets outside the unit, no display command).
std::optional<SpuPicture> ParseSpu(const SpuUnit &unit);

} // namespace codecs

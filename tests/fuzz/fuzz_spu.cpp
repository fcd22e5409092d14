// libFuzzer target: subpicture packets through the assembler, and every unit it gives
// (and the whole input as one unit) through the parser. A parsed picture must hold
// exactly width x height pixel values of 0..3.
#include "codecs/spu_assembler.h"
#include "codecs/spu_parser.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(const codecs::SpuUnit &unit) {
  std::optional<codecs::SpuPicture> pic = codecs::ParseSpu(unit);
  if (!pic) return;
  if (pic->width < 0 || pic->height < 0) std::abort();
  if (pic->pixels.size() != static_cast<std::size_t>(pic->width) * static_cast<std::size_t>(pic->height)) std::abort();
  for (uint8_t v : pic->pixels)
    if (v > 3) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Check(codecs::SpuUnit{std::vector<uint8_t>(data, data + size), media::StreamTime()});
  // Packets: a length byte (its top bit: the packet carries a time), then that many bytes.
  codecs::SpuAssembler assembler;
  size_t at = 0;
  long long pts = 0;
  while (at < size) {
    const uint8_t head = data[at++];
    const size_t n = std::min<size_t>(head & 0x7F, size - at);
    pts += 900000;
    const codecs::MaybeTime time = head & 0x80 ? codecs::MaybeTime(media::StreamTime(pts)) : std::nullopt;
    if (auto unit = assembler.Add(data + at, n, time)) Check(*unit);
    at += n;
  }
  return 0;
}

#include "dvd/scrambling.h"

namespace dvd {

bool PackScrambled(const BYTE *p, std::size_t size) {
  // Pack header (14 bytes, no stuffing on DVD), then the packet: start code, stream id,
  // length, and the flags byte whose bits 5-4 are the scrambling control.
  if (!p || size < 0x15) return false;
  if (p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0xBA) return false;
  if ((p[13] & 7) != 0 || p[14] != 0 || p[15] != 0 || p[16] != 1) return false;
  const BYTE id = p[17];
  const bool media = id == 0xBD || (id >= 0xC0 && id <= 0xEF);
  return media && (p[0x14] & 0xC0) == 0x80 && (p[0x14] & 0x30) != 0;
}

} // namespace dvd

// Scrambled packs: a pack whose first packet (video, audio or private stream) carries
// a non-zero PES scrambling control field was not unscrambled on its way from the disc
// (a CSS disc read without the decryption library).
#pragma once

#include "com/types.h"

#include <cstddef>

namespace dvd {

bool PackScrambled(const BYTE *pack, std::size_t size);

} // namespace dvd

// Language codes as discs store them (ISO 639, two letters) and the platform's
// language identifiers.
#pragma once

#include "com/types.h"

namespace dvd {

// Two-letter code packed as a disc stores it: first letter in the high byte.
constexpr WORD IsoCode(char a, char b) { return static_cast<WORD>((static_cast<unsigned char>(a) << 8) | static_cast<unsigned char>(b)); }

// The language identifier for a two-letter code (either case), e.g. "en" -> 0x0409;
// 0 when the code is unknown, empty (0) or "not specified" (0xFFFF).
DWORD LcidFromIsoCode(WORD code);

} // namespace dvd

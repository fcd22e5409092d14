// The navigator's two time records as the DVD events deliver them.
#pragma once

#include "dshow/dvd.h"

// Hours, minutes, seconds, frames: one byte each, in this memory order.
using tagDVD_HMSF_TIMECODE = DVD_HMSF_TIMECODE;

// The packed time code spread over nine bytes.
struct tagDVD_TIMECODE {
  BYTE Hours1;
  BYTE Hours10;
  BYTE Minutes1;
  BYTE Minutes10;
  BYTE Seconds1;
  BYTE Seconds10;
  BYTE Frames1;
  BYTE Frames10;
  BYTE FrameRateCode;
};
static_assert(sizeof(tagDVD_TIMECODE) == 9);
static_assert(sizeof(tagDVD_HMSF_TIMECODE) == 4);

// Bytes 0..3 of the value, lowest first: hours, minutes, seconds, frames.
constexpr tagDVD_HMSF_TIMECODE HmsfFromValue(DWORD v) {
  return {static_cast<BYTE>(v & 0xFF), static_cast<BYTE>((v >> 8) & 0xFF), static_cast<BYTE>((v >> 16) & 0xFF),
          static_cast<BYTE>((v >> 24) & 0xFF)};
}

// Nibble split: the seven nibbles from the top of the value, then bits 2-3, then bits 0-1.
constexpr tagDVD_TIMECODE TimeCodeFromValue(DWORD v) {
  return {static_cast<BYTE>((v >> 28) & 0xF), static_cast<BYTE>((v >> 24) & 0xF), static_cast<BYTE>((v >> 20) & 0xF),
          static_cast<BYTE>((v >> 16) & 0xF), static_cast<BYTE>((v >> 12) & 0xF), static_cast<BYTE>((v >> 8) & 0xF),
          static_cast<BYTE>((v >> 4) & 0xF),  static_cast<BYTE>((v >> 2) & 0x3),  static_cast<BYTE>(v & 0x3)};
}

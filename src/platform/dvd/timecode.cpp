#include "dvd/timecode.h"

#include <algorithm>

namespace dvd {

DVD_HMSF_TIMECODE TimecodeFrom90k(media::Ticks90k time, FrameRate rate) {
  constexpr LONGLONG kPerSecond = media::Ticks90k::kPerSecond;
  const LONGLONG ticks = std::max<LONGLONG>(0, time.ticks());
  const LONGLONG fps = static_cast<LONGLONG>(rate);
  LONGLONG seconds = ticks / kPerSecond;
  LONGLONG frames = (ticks % kPerSecond) * fps / kPerSecond;
  DVD_HMSF_TIMECODE tc{};
  LONGLONG hours = seconds / 3600;
  if (hours > 99) {
    tc.bHours = 99;
    tc.bMinutes = 59;
    tc.bSeconds = 59;
    tc.bFrames = static_cast<BYTE>(fps - 1);
    return tc;
  }
  tc.bHours = static_cast<BYTE>(hours);
  tc.bMinutes = static_cast<BYTE>(seconds / 60 % 60);
  tc.bSeconds = static_cast<BYTE>(seconds % 60);
  tc.bFrames = static_cast<BYTE>(frames);
  return tc;
}

media::Ticks90k TimecodeTo90k(const DVD_HMSF_TIMECODE &tc, FrameRate rate) {
  constexpr LONGLONG kPerSecond = media::Ticks90k::kPerSecond;
  LONGLONG seconds = tc.bHours * 3600LL + tc.bMinutes * 60LL + tc.bSeconds;
  return media::Ticks90k(seconds * kPerSecond + tc.bFrames * kPerSecond / static_cast<LONGLONG>(rate));
}

DWORD PackBcdTime(const DVD_HMSF_TIMECODE &tc, FrameRate rate) {
  auto units = [](BYTE v) { return static_cast<DWORD>(v % 10); };
  auto tens = [](BYTE v) { return static_cast<DWORD>(v / 10 % 10); };
  DWORD frameTens = tens(tc.bFrames) & 0x3;
  DWORD code = rate == FrameRate::Fps25 ? 1 : 3;
  return units(tc.bHours) << 28 | tens(tc.bHours) << 24 | units(tc.bMinutes) << 20 | tens(tc.bMinutes) << 16 |
         units(tc.bSeconds) << 12 | tens(tc.bSeconds) << 8 | units(tc.bFrames) << 4 | frameTens << 2 | code;
}

bool UnpackBcdTime(DWORD packed, DVD_HMSF_TIMECODE *tc, FrameRate *rate) {
  auto digit = [&](int shift) { return static_cast<int>((packed >> shift) & 0xF); };
  int d[8] = {digit(28), digit(24), digit(20), digit(16), digit(12), digit(8), digit(4),
              static_cast<int>((packed >> 2) & 0x3)};
  for (int v : d)
    if (v > 9) return false;
  switch (packed & 0x3) {
  case 1: *rate = FrameRate::Fps25; break;
  case 3: *rate = FrameRate::Fps30; break;
  default: return false;
  }
  tc->bHours = static_cast<BYTE>(d[1] * 10 + d[0]);
  tc->bMinutes = static_cast<BYTE>(d[3] * 10 + d[2]);
  tc->bSeconds = static_cast<BYTE>(d[5] * 10 + d[4]);
  tc->bFrames = static_cast<BYTE>(d[7] * 10 + d[6]);
  return true;
}

DWORD PackHmsf(const DVD_HMSF_TIMECODE &tc) {
  return static_cast<DWORD>(tc.bHours) | static_cast<DWORD>(tc.bMinutes) << 8 |
         static_cast<DWORD>(tc.bSeconds) << 16 | static_cast<DWORD>(tc.bFrames) << 24;
}

ULONG TimecodeFlags(FrameRate rate) { return rate == FrameRate::Fps25 ? DVD_TC_FLAG_25fps : DVD_TC_FLAG_30fps; }

} // namespace dvd

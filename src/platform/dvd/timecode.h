// Time codes that the navigator reports: hours, minutes, seconds and frames, packed for
// its time events.
#pragma once

#include "com/media_time.h"
#include "dshow/dvd.h"

namespace dvd {

// Frames per second as the disc counts them (NTSC discs count 30, PAL 25).
enum class FrameRate { Fps25 = 25, Fps30 = 30 };

// A time in a program chain as hours, minutes, seconds and frames (frames truncated).
// Negative times read as 0; hours stop at 99.
DVD_HMSF_TIMECODE TimecodeFrom90k(media::Ticks90k time, FrameRate rate);
media::Ticks90k TimecodeTo90k(const DVD_HMSF_TIMECODE &tc, FrameRate rate);

// BCD layout of the time events: bits 28-31 hour units, 24-27 hour tens, 20-23 minute
// units, 16-19 minute tens, 12-15 second units, 8-11 second tens, 4-7 frame units,
// 2-3 frame tens, 0-1 frame-rate code (25 fps = 1, 30 fps = 3).
DWORD PackBcdTime(const DVD_HMSF_TIMECODE &tc, FrameRate rate);
// The reverse; false when a digit is not a decimal digit or the rate code is unknown.
bool UnpackBcdTime(DWORD packed, DVD_HMSF_TIMECODE *tc, FrameRate *rate);

// Hours, minutes, seconds and frames from the lowest byte up (the memory layout of
// DVD_HMSF_TIMECODE).
DWORD PackHmsf(const DVD_HMSF_TIMECODE &tc);

// DVD_TC_FLAG_25fps or DVD_TC_FLAG_30fps.
ULONG TimecodeFlags(FrameRate rate);

} // namespace dvd

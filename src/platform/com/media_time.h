// The streaming path's times, each in its own unit so that none is mistaken for another:
//   StreamTime      100 ns ticks on the graph's stream timeline (a point or a span; the
//                   REFERENCE_TIME of the component interfaces underneath)
//   Ticks90k        a signed count of 90 kHz ticks (a span, or a position on a 90 kHz
//                   timeline that does not wrap, such as the time within a program chain)
//   Pts90k          a 33-bit 90 kHz presentation stamp of the disc's packets: it wraps at
//                   2^33, so stamps are compared the shorter way round the circle
//   SampleCount48k  a signed count of sample frames at 48 kHz
// Construction is explicit, the raw count comes out only through ticks()/value()/frames(),
// and a change of unit goes through the named conversions below. Every conversion that
// cannot be exact rounds to the nearest, halves away from zero; so 90 kHz -> 100 ns -> 90 kHz
// and 48 kHz -> 100 ns -> 48 kHz come back exactly (each 100 ns step is finer than either).
#pragma once

#include "com/types.h"

#include <compare>
#include <cstdint>
#include <optional>

namespace media {

namespace detail {
// n / d rounded to the nearest, halves away from zero (d > 0).
constexpr std::int64_t DivRound(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}
} // namespace detail

class StreamTime {
public:
  constexpr StreamTime() = default;
  constexpr explicit StreamTime(REFERENCE_TIME ticks) : ticks_(ticks) {}
  static constexpr StreamTime Milliseconds(std::int64_t ms) { return StreamTime(ms * 10000); }
  static constexpr StreamTime Seconds(std::int64_t s) { return StreamTime(s * 10000000); }

  constexpr REFERENCE_TIME ticks() const { return ticks_; }

  constexpr auto operator<=>(const StreamTime &) const = default;
  constexpr StreamTime operator-() const { return StreamTime(-ticks_); }
  constexpr StreamTime &operator+=(StreamTime d) { ticks_ += d.ticks_; return *this; }
  constexpr StreamTime &operator-=(StreamTime d) { ticks_ -= d.ticks_; return *this; }
  friend constexpr StreamTime operator+(StreamTime a, StreamTime b) { return StreamTime(a.ticks_ + b.ticks_); }
  friend constexpr StreamTime operator-(StreamTime a, StreamTime b) { return StreamTime(a.ticks_ - b.ticks_); }
  // A span scaled by a whole factor, or divided by one (truncated toward zero).
  friend constexpr StreamTime operator*(StreamTime a, std::int64_t k) { return StreamTime(a.ticks_ * k); }
  friend constexpr StreamTime operator*(std::int64_t k, StreamTime a) { return StreamTime(a.ticks_ * k); }
  friend constexpr StreamTime operator/(StreamTime a, std::int64_t k) { return StreamTime(a.ticks_ / k); }

private:
  REFERENCE_TIME ticks_ = 0;
};

class Ticks90k {
public:
  static constexpr std::int64_t kPerSecond = 90000;
  constexpr Ticks90k() = default;
  constexpr explicit Ticks90k(std::int64_t ticks) : ticks_(ticks) {}

  constexpr std::int64_t ticks() const { return ticks_; }

  constexpr auto operator<=>(const Ticks90k &) const = default;
  constexpr Ticks90k operator-() const { return Ticks90k(-ticks_); }
  constexpr Ticks90k &operator+=(Ticks90k d) { ticks_ += d.ticks_; return *this; }
  constexpr Ticks90k &operator-=(Ticks90k d) { ticks_ -= d.ticks_; return *this; }
  friend constexpr Ticks90k operator+(Ticks90k a, Ticks90k b) { return Ticks90k(a.ticks_ + b.ticks_); }
  friend constexpr Ticks90k operator-(Ticks90k a, Ticks90k b) { return Ticks90k(a.ticks_ - b.ticks_); }

private:
  std::int64_t ticks_ = 0;
};

class Pts90k {
public:
  static constexpr std::int64_t kWrap = std::int64_t{1} << 33;
  static constexpr std::int64_t kMask = kWrap - 1;

  constexpr Pts90k() = default;
  // Keeps the low 33 bits: a stamp read from a packet, or any count taken modulo 2^33.
  constexpr explicit Pts90k(std::int64_t value) : value_(value & kMask) {}

  constexpr std::int64_t value() const { return value_; } // 0 .. 2^33 - 1

  constexpr bool operator==(const Pts90k &) const = default;
  // a - b the shorter way round: in [-2^32, 2^32), so a stamp just past the wrap is a
  // little after one just before it.
  friend constexpr Ticks90k operator-(Pts90k a, Pts90k b) {
    std::int64_t d = (a.value_ - b.value_) & kMask;
    return Ticks90k(d >= kWrap / 2 ? d - kWrap : d);
  }
  friend constexpr Pts90k operator+(Pts90k a, Ticks90k d) { return Pts90k(a.value_ + d.ticks()); }
  friend constexpr Pts90k operator-(Pts90k a, Ticks90k d) { return Pts90k(a.value_ - d.ticks()); }
  // Ordering the shorter way round (there is no total order on a circle).
  friend constexpr bool Earlier(Pts90k a, Pts90k b) { return (a - b).ticks() < 0; }

  // This stamp on an unwrapped 90 kHz timeline: the position congruent to it modulo 2^33
  // that lies nearest `reference` (itself a position on that timeline).
  constexpr Ticks90k Unwrap(Ticks90k reference) const { return reference + (*this - Pts90k(reference.ticks())); }

private:
  std::int64_t value_ = 0;
};

class SampleCount48k {
public:
  static constexpr std::int64_t kPerSecond = 48000;
  constexpr SampleCount48k() = default;
  constexpr explicit SampleCount48k(std::int64_t frames) : frames_(frames) {}

  constexpr std::int64_t frames() const { return frames_; }

  constexpr auto operator<=>(const SampleCount48k &) const = default;
  constexpr SampleCount48k &operator+=(SampleCount48k d) { frames_ += d.frames_; return *this; }
  constexpr SampleCount48k &operator-=(SampleCount48k d) { frames_ -= d.frames_; return *this; }
  friend constexpr SampleCount48k operator+(SampleCount48k a, SampleCount48k b) { return SampleCount48k(a.frames_ + b.frames_); }
  friend constexpr SampleCount48k operator-(SampleCount48k a, SampleCount48k b) { return SampleCount48k(a.frames_ - b.frames_); }

private:
  std::int64_t frames_ = 0;
};

// A sample's stream time, or none (an unstamped sample).
using MaybeStreamTime = std::optional<StreamTime>;

// 90 kHz <-> 100 ns: one 90 kHz tick is 1000/9 = 111.1 ticks of 100 ns.
constexpr StreamTime ToStreamTime(Ticks90k t) { return StreamTime(detail::DivRound(t.ticks() * 1000, 9)); }
constexpr Ticks90k ToTicks90k(StreamTime t) { return Ticks90k(detail::DivRound(t.ticks() * 9, 1000)); }

// 48 kHz <-> 100 ns: one sample frame is 625/3 = 208.3 ticks of 100 ns.
constexpr StreamTime ToStreamTime(SampleCount48k n) { return StreamTime(detail::DivRound(n.frames() * 625, 3)); }
constexpr SampleCount48k ToSampleCount48k(StreamTime t) { return SampleCount48k(detail::DivRound(t.ticks() * 3, 625)); }

} // namespace media

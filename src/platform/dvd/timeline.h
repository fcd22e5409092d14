// The navigator's clocks: disc presentation times (90 kHz, restarting per cell) mapped
// onto one continuous stream timeline (100 ns, 0 = graph start), and the record of
// which VOBU is on screen when.
#pragma once

#include "com/media_time.h"
#include "com/types.h"

#include <deque>

namespace dvd {

class Timeline {
public:
  // A new VOBU [start, end) in disc time. One that continues the previous VOBU keeps
  // the mapping; any other starts a new one at the later of `now + margin` and the end
  // of what was already delivered. Returns the VOBU's start on the stream timeline.
  media::StreamTime OnVobu(media::Pts90k start, media::Pts90k end, media::StreamTime now, media::StreamTime margin);
  // Maps `start` to `at` (a jump to a precise point).
  void MapAt(media::Pts90k start, media::Pts90k end, media::StreamTime at);
  // Disc time to stream time with the current mapping (33-bit wrap aware).
  media::StreamTime ToStream(media::Pts90k pts) const;
  bool Mapped() const { return mapped_; }
  // After a flush nothing delivered is pending any more.
  void Break() {
    mapped_ = false;
    deliveredEnd_ = media::StreamTime();
  }
  media::StreamTime DeliveredEnd() const { return deliveredEnd_; }

private:
  bool mapped_ = false;
  media::Pts90k base_;          // disc time of the anchor
  media::StreamTime at_;        // stream time of the anchor
  media::Pts90k lastEnd_;
  media::StreamTime deliveredEnd_;
};

// Which VOBU is on screen at a stream time.
struct ShownVobu {
  media::StreamTime streamStart;
  media::Ticks90k time90k;     // program chain time at the VOBU start
  media::Ticks90k duration90k; // 0 in scans: the key frame stays
  bool backwards = false;
  DWORD sector = 0;         // the VOBU's navigation pack within the program chain
  int title = 0, chapter = 0, pgcn = 0, pgn = 0;
};

class ShownHistory {
public:
  void Push(const ShownVobu &v);
  void Clear() { entries_.clear(); }
  // The VOBU on screen at `now` (the earliest one known when none has started yet);
  // false when there is none. *time90k is the program chain time of the picture within
  // it, never before the VOBU's start nor past its end.
  bool At(media::StreamTime now, ShownVobu *vobu, media::Ticks90k *time90k) const;

private:
  std::deque<ShownVobu> entries_;
};

} // namespace dvd

#include "dvd/timeline.h"

#include <algorithm>

namespace dvd {
using media::Pts90k;
using media::StreamTime;
using media::Ticks90k;

StreamTime Timeline::OnVobu(Pts90k start, Pts90k end, StreamTime now, StreamTime margin) {
  if (!mapped_ || start != lastEnd_) {
    base_ = start;
    at_ = std::max(now + margin, deliveredEnd_);
    mapped_ = true;
  }
  lastEnd_ = end;
  deliveredEnd_ = std::max(deliveredEnd_, ToStream(end));
  return ToStream(start);
}

void Timeline::MapAt(Pts90k start, Pts90k end, StreamTime at) {
  base_ = start;
  at_ = at;
  mapped_ = true;
  lastEnd_ = end;
  deliveredEnd_ = std::max(at, ToStream(end));
}

StreamTime Timeline::ToStream(Pts90k pts) const { return at_ + media::ToStreamTime(pts - base_); }

void ShownHistory::Push(const ShownVobu &v) {
  // A VOBU mapped earlier than those before it replaces them (a jump back in stream time).
  while (!entries_.empty() && entries_.back().streamStart > v.streamStart) entries_.pop_back();
  entries_.push_back(v);
  while (entries_.size() > 256) entries_.pop_front();
}

bool ShownHistory::At(StreamTime now, ShownVobu *vobu, Ticks90k *time90k) const {
  if (entries_.empty()) return false;
  const ShownVobu *best = &entries_.front();
  for (const ShownVobu &e : entries_)
    if (e.streamStart <= now) best = &e;
  *vobu = *best;
  // A damaged VOBU may end before it starts: no time before its start comes of it.
  Ticks90k into = now > best->streamStart ? media::ToTicks90k(now - best->streamStart) : Ticks90k();
  into = std::clamp(into, Ticks90k(), std::max(best->duration90k, Ticks90k()));
  *time90k = best->time90k + into;
  return true;
}

} // namespace dvd

#include "dvd/timeline.h"

#include <algorithm>

namespace dvd {
namespace {
constexpr LONGLONG kWrap = 1LL << 33;

// The difference a - b of two 33-bit presentation times, taking the shorter way round.
LONGLONG PtsDelta(LONGLONG a, LONGLONG b) {
  LONGLONG d = (a - b) % kWrap;
  if (d > kWrap / 2) d -= kWrap;
  if (d < -kWrap / 2) d += kWrap;
  return d;
}
} // namespace

REFERENCE_TIME Timeline::OnVobu(DWORD start, DWORD end, REFERENCE_TIME now, REFERENCE_TIME margin) {
  if (!mapped_ || start != lastEnd_) {
    base_ = start;
    at_ = std::max(now + margin, deliveredEnd_);
    mapped_ = true;
  }
  lastEnd_ = end;
  deliveredEnd_ = std::max(deliveredEnd_, ToStream(end));
  return ToStream(start);
}

void Timeline::MapAt(DWORD start, DWORD end, REFERENCE_TIME at) {
  base_ = start;
  at_ = at;
  mapped_ = true;
  lastEnd_ = end;
  deliveredEnd_ = std::max(at, ToStream(end));
}

REFERENCE_TIME Timeline::ToStream(LONGLONG pts) const { return at_ + TicksToRef(PtsDelta(pts, base_)); }

void ShownHistory::Push(const ShownVobu &v) {
  // A VOBU mapped earlier than those before it replaces them (a jump back in stream time).
  while (!entries_.empty() && entries_.back().streamStart > v.streamStart) entries_.pop_back();
  entries_.push_back(v);
  while (entries_.size() > 256) entries_.pop_front();
}

bool ShownHistory::At(REFERENCE_TIME now, ShownVobu *vobu, LONGLONG *time90k) const {
  if (entries_.empty()) return false;
  const ShownVobu *best = &entries_.front();
  for (const ShownVobu &e : entries_)
    if (e.streamStart <= now) best = &e;
  *vobu = *best;
  LONGLONG into = now > best->streamStart ? RefToTicks(now - best->streamStart) : 0;
  into = std::min(into, best->duration90k);
  *time90k = best->time90k + into;
  return true;
}

} // namespace dvd

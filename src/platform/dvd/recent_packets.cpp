#include "dvd/recent_packets.h"

namespace dvd {

RecentPackets::Store *RecentPackets::StoreOf(StreamKind kind) {
  return kind == StreamKind::Audio ? &audio_ : kind == StreamKind::Subpicture ? &subpicture_ : nullptr;
}

const RecentPackets::Store *RecentPackets::StoreOf(StreamKind kind) const {
  return kind == StreamKind::Audio ? &audio_ : kind == StreamKind::Subpicture ? &subpicture_ : nullptr;
}

void RecentPackets::Keep(StreamKind kind, int id, const BYTE *data, std::size_t size, bool hasTime,
                         media::StreamTime start) {
  Store *s = StoreOf(kind);
  if (!s || !data || size == 0) return;
  KeptPacket p;
  p.id = id;
  p.hasTime = hasTime;
  p.start = start;
  p.payload.assign(data, data + size);
  s->packets.push_back(std::move(p));
  s->bytes += size;
  if (hasTime && (!s->stamped || start > s->newest)) {
    s->newest = start;
    s->stamped = true;
  }
  Trim(*s, kind == StreamKind::Audio ? kAudioSpan : kSubpictureSpan);
}

void RecentPackets::Trim(Store &s, media::StreamTime span) {
  auto dropFront = [&s] {
    s.bytes -= s.packets.front().payload.size();
    s.packets.pop_front();
  };
  while (s.packets.size() > 1 && s.bytes > kMaxBytes) dropFront();
  // Whole stretches go: a packet without a time belongs with the stamped one before it.
  while (s.packets.size() > 1 && s.packets.front().hasTime && s.newest - s.packets.front().start > span) {
    dropFront();
    while (s.packets.size() > 1 && !s.packets.front().hasTime) dropFront();
  }
}

void RecentPackets::Clear() {
  audio_ = Store{};
  subpicture_ = Store{};
}

std::vector<const KeptPacket *> RecentPackets::From(StreamKind kind, int id, media::StreamTime at) const {
  std::vector<const KeptPacket *> out;
  const Store *s = StoreOf(kind);
  if (!s) return out;
  std::size_t first = s->packets.size();
  for (std::size_t i = 0; i < s->packets.size(); ++i) {
    const KeptPacket &p = s->packets[i];
    if (p.id != id || !p.hasTime) continue;
    if (first == s->packets.size()) first = i; // the first stamped one
    if (p.start > at) break;
    first = i;
  }
  for (std::size_t i = first; i < s->packets.size(); ++i)
    if (s->packets[i].id == id) out.push_back(&s->packets[i]);
  return out;
}

std::size_t RecentPackets::Bytes(StreamKind kind) const {
  const Store *s = StoreOf(kind);
  return s ? s->bytes : 0;
}

bool RecentPackets::Oldest(StreamKind kind, media::StreamTime *start) const {
  const Store *s = StoreOf(kind);
  if (!s) return false;
  for (const KeptPacket &p : s->packets)
    if (p.hasTime) {
      *start = p.start;
      return true;
    }
  return false;
}

} // namespace dvd

// The sound and subpicture packets of every stream read lately, chosen or not, with
// their stream times. When the viewer chooses another sound track or subtitles, the
// new stream is handed on from the picture on screen out of this store instead of
// from the read position, which runs up to a second ahead: the choice is heard and
// seen at once, and a caption already under way shows.
//
// Navigator thread only.
#pragma once

#include "com/media_time.h"
#include "com/types.h"
#include "dvd/demux.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace dvd {

struct KeptPacket {
  int id = 0; // the number the engine chooses streams by (see NavEngine::StreamIdOf)
  bool hasTime = false;
  media::StreamTime start;
  std::vector<BYTE> payload;
};

class RecentPackets {
public:
  // How far back in stream time, behind the newest stamped packet, each kind is kept.
  // A caption may have started long before it ends; sound is only wanted from now on.
  static constexpr media::StreamTime kAudioSpan = media::StreamTime::Seconds(3);
  static constexpr media::StreamTime kSubpictureSpan = media::StreamTime::Seconds(15);
  static constexpr std::size_t kMaxBytes = 4 << 20; // per kind

  // Video and other kinds are ignored.
  void Keep(StreamKind kind, int id, const BYTE *data, std::size_t size, bool hasTime, media::StreamTime start);
  void Clear();

  // The packets of stream `id` from the one in effect at stream time `at` on: the last
  // stamped packet that starts at or before `at` (sound: the frame playing; subpictures:
  // the unit showing), or the first kept one when none is that early.
  std::vector<const KeptPacket *> From(StreamKind kind, int id, media::StreamTime at) const;

  std::size_t Bytes(StreamKind kind) const;
  // The earliest stamped time kept of a kind; false when none is.
  bool Oldest(StreamKind kind, media::StreamTime *start) const;

private:
  struct Store {
    std::deque<KeptPacket> packets;
    std::size_t bytes = 0;
    media::StreamTime newest;
    bool stamped = false;
  };
  Store *StoreOf(StreamKind kind);
  const Store *StoreOf(StreamKind kind) const;
  static void Trim(Store &s, media::StreamTime span);

  Store audio_, subpicture_;
};

} // namespace dvd

// The yardstick for the player's demultiplexing and decoding: a bare loop over the
// navigation library and FFmpeg's decoders, with nothing of the player in it. It plays
// a title from its start to its end (dvdnav_get_next_block, the library's events
// answered as it asks), takes the MPEG-2 video and the first AC-3 stream out of each
// 2048-byte pack with a minimal pack/PES parse and decodes both (parser, then
// send_packet/receive_frame), single-threaded, in the decoders' own output formats.
#pragma once

#include <string>

namespace bench {

struct BareResult {
  long long pictures = 0;    // pictures out of the video decoder
  long long audioFrames = 0; // sample frames out of the AC-3 decoder
  long long blocks = 0;      // 2048-byte blocks read
  std::string error;         // empty when the title was played to its end
};

// Plays title `title` of the volume at `disc` (the folder that holds VIDEO_TS).
BareResult RunBareLoop(const std::string &disc, int title = 1);

} // namespace bench

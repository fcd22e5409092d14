// Splitting one 2048-byte program-stream pack of a DVD into the payloads of its PES
// packets, per elementary stream.
#pragma once

#include "com/media_time.h"
#include "com/types.h"

#include <cstddef>

namespace dvd {

constexpr std::size_t kPackSize = 2048;

enum class StreamKind { Video, Audio, Subpicture, Navigation, Other };
enum class AudioCoding { None, Ac3, Mpeg, Lpcm, Dts };

struct LpcmParams {
  LONG sampleRate = 0;
  LONG channels = 0;
  LONG bitsPerSample = 0;
};

// One PES packet. `payload` points into the pack: the PES header is removed, and for
// private stream 1 also the sub-stream byte and the header that follows it (3 bytes
// for AC-3 and DTS, 6 bytes for LPCM).
struct PesPacket {
  StreamKind kind = StreamKind::Other;
  BYTE streamId = 0; // 0xE0.., 0xC0.., 0xBD, 0xBF...
  BYTE subId = 0;    // private stream 1 sub-stream (0x20.. subpicture, 0x80.. AC-3, 0x88.. DTS, 0xA0.. LPCM)
  int number = 0;    // stream number within its coding (MPEG audio 0..7, AC-3 0..7, subpicture 0..31)
  AudioCoding coding = AudioCoding::None;
  bool hasPts = false;
  media::Pts90k pts;
  const BYTE *payload = nullptr;
  std::size_t size = 0;
  LpcmParams lpcm;   // LPCM only
  bool startsKeyFrame = false; // video: holds a sequence header, group start or I-picture
};

// Parses one pack. Returns the number of packets written to `out` (at most maxOut), or
// -1 when the pack is not a well-formed MPEG-2 program-stream pack. Padding and the
// system header are skipped; navigation packets are reported with kind Navigation.
int DemuxPack(const BYTE *data, std::size_t size, PesPacket *out, int maxOut);

} // namespace dvd

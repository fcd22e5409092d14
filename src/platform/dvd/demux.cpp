#include "dvd/demux.h"

#include <cstring>

namespace dvd {
namespace {

// A PES header's 33-bit stamp, spread over five bytes between marker bits.
media::Pts90k ReadTimestamp(const BYTE *p) {
  return media::Pts90k((static_cast<LONGLONG>(p[0] & 0x0E) << 29) | (static_cast<LONGLONG>(p[1]) << 22) |
         (static_cast<LONGLONG>(p[2] & 0xFE) << 14) | (static_cast<LONGLONG>(p[3]) << 7) | (p[4] >> 1));
}

// Looks for a sequence header, a group start or an I-picture start code. Every video
// pack goes through here: the 0x01 of each start code is found with memchr, which
// goes through the pack many bytes at a time.
bool HasKeyFrameStart(const BYTE *p, std::size_t n) {
  if (n < 4) return false;
  const BYTE *end = p + n - 1; // the last byte a start code's value may be in
  for (const BYTE *one = p + 2; one < end; ++one) {
    one = static_cast<const BYTE *>(std::memchr(one, 1, static_cast<std::size_t>(end - one)));
    if (!one) return false;
    if (one[-1] != 0 || one[-2] != 0) continue;
    const std::size_t i = static_cast<std::size_t>(one - 2 - p);
    const BYTE code = p[i + 3];
    if (code == 0xB3 || code == 0xB8) return true;
    if (code == 0x00 && i + 5 < n && ((p[i + 5] >> 3) & 0x7) == 1) return true;
  }
  return false;
}

bool ParsePrivate1(PesPacket &pkt) {
  if (pkt.size < 1) return false;
  const BYTE sub = pkt.payload[0];
  pkt.subId = sub;
  std::size_t skip = 1;
  if (sub >= 0x20 && sub <= 0x3F) {
    pkt.kind = StreamKind::Subpicture;
    pkt.number = sub - 0x20;
  } else if (sub >= 0x80 && sub <= 0x87) {
    pkt.kind = StreamKind::Audio;
    pkt.coding = AudioCoding::Ac3;
    pkt.number = sub - 0x80;
    skip = 4;
  } else if (sub >= 0x88 && sub <= 0x8F) {
    pkt.kind = StreamKind::Audio;
    pkt.coding = AudioCoding::Dts;
    pkt.number = sub - 0x88;
    skip = 4;
  } else if (sub >= 0xA0 && sub <= 0xA7) {
    pkt.kind = StreamKind::Audio;
    pkt.coding = AudioCoding::Lpcm;
    pkt.number = sub - 0xA0;
    skip = 7;
    if (pkt.size < skip) return false;
    const BYTE info = pkt.payload[5];
    static const LONG kBits[4] = {16, 20, 24, 0};
    pkt.lpcm.bitsPerSample = kBits[info >> 6];
    pkt.lpcm.sampleRate = (info >> 4 & 0x3) == 1 ? 96000 : 48000;
    pkt.lpcm.channels = (info & 0x7) + 1;
    if (pkt.lpcm.bitsPerSample == 0 || (info >> 4 & 0x3) > 1) return false;
  } else {
    pkt.kind = StreamKind::Other;
  }
  if (pkt.size < skip) return false;
  pkt.payload += skip;
  pkt.size -= skip;
  return true;
}

} // namespace

int DemuxPack(const BYTE *data, std::size_t size, PesPacket *out, int maxOut) {
  if (!data || size < 14 || size > kPackSize) return -1;
  if (data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] != 0xBA) return -1;
  if ((data[4] & 0xC0) != 0x40) return -1; // MPEG-2 pack header only
  std::size_t pos = 14 + (data[13] & 0x07);
  int count = 0;
  while (pos + 6 <= size) {
    const BYTE *p = data + pos;
    if (p[0] != 0 || p[1] != 0 || p[2] != 1) return -1;
    const BYTE id = p[3];
    if (id < 0xB9) return -1;
    if (id == 0xB9) break; // program end
    const std::size_t length = static_cast<std::size_t>(p[4]) << 8 | p[5];
    const std::size_t end = pos + 6 + length;
    if (end > size) return -1;
    pos = end;
    if (id == 0xBA || id == 0xBB || id == 0xBE) continue; // pack, system header, padding
    PesPacket pkt;
    pkt.streamId = id;
    if (id == 0xBF) { // private stream 2: navigation data, no PES header extension
      pkt.kind = StreamKind::Navigation;
      pkt.payload = p + 6;
      pkt.size = length;
    } else {
      if (length < 3 || (p[6] & 0xC0) != 0x80) return -1;
      const BYTE flags = p[7];
      const std::size_t headerLength = p[8];
      if (3 + headerLength > length) return -1;
      const BYTE *ext = p + 9;
      const BYTE ptsDts = flags >> 6;
      if (ptsDts == 1) return -1;
      if (ptsDts >= 2) {
        if (headerLength < (ptsDts == 3 ? 10u : 5u)) return -1;
        pkt.hasPts = true;
        pkt.pts = ReadTimestamp(ext);
      }
      pkt.payload = ext + headerLength;
      pkt.size = length - 3 - headerLength;
      if (id >= 0xE0 && id <= 0xEF) {
        pkt.kind = StreamKind::Video;
        pkt.number = id - 0xE0;
        pkt.startsKeyFrame = HasKeyFrameStart(pkt.payload, pkt.size);
      } else if (id >= 0xC0 && id <= 0xDF) {
        pkt.kind = StreamKind::Audio;
        pkt.coding = AudioCoding::Mpeg;
        pkt.number = id - 0xC0;
      } else if (id == 0xBD) {
        if (!ParsePrivate1(pkt)) return -1;
      }
    }
    if (count < maxOut) out[count++] = pkt;
  }
  return count;
}

} // namespace dvd

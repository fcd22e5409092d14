#include "codecs/spu_parser.h"

#include "codecs/ffmpeg_ptr.h"

#include <set>

namespace codecs {
namespace {

unsigned Be16(const std::vector<uint8_t> &b, std::size_t at) { return static_cast<unsigned>(b[at]) << 8 | b[at + 1]; }

// Command delays count 1024 ticks of the 90 kHz clock.
media::StreamTime DelayToTime(unsigned delay) { return media::ToStreamTime(media::Ticks90k(std::int64_t{delay} * 1024)); }

class NibbleReader {
public:
  NibbleReader(const std::vector<uint8_t> &b, std::size_t begin, std::size_t end) : b_(b), pos_(begin * 2), end_(end * 2) {}
  bool AtEnd() const { return pos_ >= end_; }
  unsigned Next() {
    if (pos_ >= end_) return 0;
    uint8_t byte = b_[pos_ / 2];
    unsigned v = (pos_ & 1) ? (byte & 0x0F) : (byte >> 4);
    ++pos_;
    return v;
  }
  void AlignByte() { pos_ = (pos_ + 1) & ~std::size_t{1}; }

private:
  const std::vector<uint8_t> &b_;
  std::size_t pos_, end_;
};

// Decodes the lines of one field (every second line from `firstLine`).
void DecodeField(const std::vector<uint8_t> &b, std::size_t offset, std::size_t end, SpuPicture &pic, int firstLine) {
  if (offset >= end) return;
  NibbleReader r(b, offset, end);
  for (int y = firstLine; y < pic.height && !r.AtEnd(); y += 2) {
    uint8_t *row = pic.pixels.data() + static_cast<std::size_t>(y) * pic.width;
    int x = 0;
    while (x < pic.width && !r.AtEnd()) {
      unsigned v = 0;
      for (unsigned t = 1; v < t && t <= 0x40; t <<= 2) v = (v << 4) | r.Next();
      int run = v < 4 ? pic.width - x : static_cast<int>(v >> 2);
      if (run > pic.width - x) run = pic.width - x;
      std::fill(row + x, row + x + run, static_cast<uint8_t>(v & 3));
      x += run;
    }
    r.AlignByte();
  }
}

} // namespace

std::optional<SpuPicture> ParseSpu(const SpuUnit &unit) {
  const std::vector<uint8_t> &b = unit.bytes;
  if (b.size() < 4) return std::nullopt;
  const std::size_t size = b.size();
  const std::size_t control = Be16(b, 2);
  if (control + 4 > size) return std::nullopt;

  SpuPicture pic;
  bool haveStart = false, haveArea = false, haveOffsets = false;
  media::StreamTime startDelay;
  std::optional<media::StreamTime> stopDelay;
  std::size_t top = 0, bottom = 0;
  std::set<std::size_t> seen;
  std::size_t at = control;
  while (at + 4 <= size && seen.insert(at).second) {
    const media::StreamTime delay = DelayToTime(Be16(b, at));
    const std::size_t next = Be16(b, at + 2);
    std::size_t p = at + 4;
    bool end = false;
    while (p < size && !end) {
      switch (b[p++]) {
      case 0x00: pic.forced = true; [[fallthrough]];
      case 0x01:
        if (!haveStart) startDelay = delay;
        haveStart = true;
        break;
      case 0x02: stopDelay = delay; break;
      case 0x03:
        if (p + 2 > size) return std::nullopt;
        pic.colour[3] = b[p] >> 4; pic.colour[2] = b[p] & 0xF;
        pic.colour[1] = b[p + 1] >> 4; pic.colour[0] = b[p + 1] & 0xF;
        p += 2;
        break;
      case 0x04:
        if (p + 2 > size) return std::nullopt;
        pic.contrast[3] = b[p] >> 4; pic.contrast[2] = b[p] & 0xF;
        pic.contrast[1] = b[p + 1] >> 4; pic.contrast[0] = b[p + 1] & 0xF;
        p += 2;
        break;
      case 0x05: {
        if (p + 6 > size) return std::nullopt;
        int x1 = b[p] << 4 | b[p + 1] >> 4, x2 = (b[p + 1] & 0xF) << 8 | b[p + 2];
        int y1 = b[p + 3] << 4 | b[p + 4] >> 4, y2 = (b[p + 4] & 0xF) << 8 | b[p + 5];
        p += 6;
        if (x2 < x1 || y2 < y1) return std::nullopt;
        pic.x = x1; pic.y = y1; pic.width = x2 - x1 + 1; pic.height = y2 - y1 + 1;
        haveArea = true;
        break;
      }
      case 0x06:
        if (p + 4 > size) return std::nullopt;
        top = Be16(b, p); bottom = Be16(b, p + 2);
        p += 4;
        haveOffsets = true;
        break;
      case 0x07: { // colour and contrast changes inside the area: not used on DVD-Video menus here
        if (p + 2 > size) return std::nullopt;
        std::size_t len = Be16(b, p);
        if (len < 2) return std::nullopt;
        p += len;
        break;
      }
      case 0xFF: end = true; break;
      default: return std::nullopt; // unknown command: the rest cannot be trusted
      }
    }
    if (next == at) break;
    at = next;
  }
  if (!haveStart || !haveArea || !haveOffsets) return std::nullopt;

  pic.pixels.assign(static_cast<std::size_t>(pic.width) * pic.height, 0);
  DecodeField(b, top, control, pic, 0);
  DecodeField(b, bottom, control, pic, 1);
  if (unit.pts) {
    pic.start = *unit.pts + startDelay;
    if (stopDelay && *stopDelay > startDelay) pic.stop = *unit.pts + *stopDelay;
  }
  return pic;
}

} // namespace codecs

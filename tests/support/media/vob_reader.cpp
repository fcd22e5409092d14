#include "media/vob_reader.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <numeric>

namespace testmedia {
namespace {

StreamKind KindOf(int id, int *number) {
  *number = 0;
  if (id >= 0x1e0 && id <= 0x1ef) return StreamKind::Video;
  if (id >= 0x1c0 && id <= 0x1df) return *number = id - 0x1c0, StreamKind::Mpeg;
  if (id >= 0x80 && id <= 0x87) return *number = id - 0x80, StreamKind::Ac3;
  if (id >= 0x88 && id <= 0x8f) return *number = id - 0x88, StreamKind::Dts;
  if (id >= 0xa0 && id <= 0xa7) return *number = id - 0xa0, StreamKind::Lpcm;
  if (id >= 0x20 && id <= 0x3f) return *number = id - 0x20, StreamKind::Subpicture;
  return StreamKind::Other;
}

} // namespace

VobReader::VobReader() = default;
VobReader::~VobReader() { avformat_close_input(&fc_); }

bool VobReader::Open(const std::string &path, std::string *error) {
  avformat_close_input(&fc_);
  const AVInputFormat *ps = av_find_input_format("mpeg");
  if (avformat_open_input(&fc_, path.c_str(), ps, nullptr) < 0) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  fc_->flags |= AVFMT_FLAG_NOPARSE; // whole PES payloads, as the navigator sends them
  if (avformat_find_stream_info(fc_, nullptr) < 0) {
    if (error) *error = "no streams in " + path;
    return false;
  }
  for (unsigned i = 0; i < fc_->nb_streams; ++i) {
    AVStream *st = fc_->streams[i];
    if (st->codecpar->codec_id == AV_CODEC_ID_MPEG2VIDEO && info_.width == 0) {
      info_.width = st->codecpar->width;
      info_.height = st->codecpar->height;
      AVRational sar = st->codecpar->sample_aspect_ratio;
      long long ax = info_.width * static_cast<long long>(sar.num > 0 ? sar.num : 1);
      long long ay = info_.height * static_cast<long long>(sar.den > 0 ? sar.den : 1);
      long long g = std::gcd(ax, ay);
      info_.aspectX = static_cast<int>(ax / g);
      info_.aspectY = static_cast<int>(ay / g);
      AVRational fr = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
      if (fr.den) info_.framesPerSecondTimes1000 = static_cast<int>(1000LL * fr.num / fr.den);
    }
  }
  if (info_.width == 0) {
    if (error) *error = "no MPEG-2 video in " + path;
    return false;
  }
  Rewind();
  return true;
}

void VobReader::Rewind() {
  if (fc_) av_seek_frame(fc_, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
  haveNav_ = false;
  offset_ = 0;
  lastEnd_ = 0;
}

void VobReader::OnNav(const uint8_t *data, int size) {
  // PCI: sub-stream 0, then lbn(4) category(2) reserved(2) uop(4) vobu_s_ptm(4) vobu_e_ptm(4).
  if (size < 21 || data[0] != 0x00) return;
  auto be32 = [](const uint8_t *p) { return static_cast<long long>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; };
  const long long start = be32(data + 13), end = be32(data + 17);
  if (!haveNav_) offset_ = -start;
  else if (start + offset_ != lastEnd_) offset_ = lastEnd_ - start;
  haveNav_ = true;
  lastEnd_ = end + offset_;
}

bool VobReader::Next(VobPacket *packet) {
  if (!fc_) return false;
  AVPacket *p = av_packet_alloc();
  bool got = false;
  while (!got && av_read_frame(fc_, p) >= 0) {
    int number = 0;
    const int id = fc_->streams[p->stream_index]->id;
    StreamKind kind = KindOf(id, &number);
    if (id == 0x1bf) OnNav(p->data, p->size);
    if (kind != StreamKind::Other && haveNav_) {
      const uint8_t *data = p->data;
      int size = p->size;
      if (kind == StreamKind::Lpcm) { // the demuxer leaves the 3-byte LPCM header
        data += std::min(size, 3);
        size -= std::min(size, 3);
      }
      packet->kind = kind;
      packet->stream = number;
      packet->data.assign(data, data + size);
      packet->hasTime = p->pts != AV_NOPTS_VALUE;
      packet->time = packet->hasTime ? (p->pts + offset_) * 1000 / 9 : 0; // 90 kHz -> 100 ns
      got = true;
    }
    av_packet_unref(p);
  }
  av_packet_free(&p);
  return got;
}

} // namespace testmedia

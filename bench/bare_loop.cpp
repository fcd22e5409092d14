#include "bare_loop.h"

#include <cstdint> // before FFmpeg's headers, which want its constant macros

extern "C" {
#include <dvdnav/dvdnav.h>
#include <libavcodec/avcodec.h>
}

#include <cstring>

namespace bench {
namespace {

constexpr int kPack = 2048;

// One elementary stream: FFmpeg's parser cuts it into access units for the decoder.
struct Stream {
  AVCodecContext *ctx = nullptr;
  AVCodecParserContext *parser = nullptr;
  AVCodecID id = AV_CODEC_ID_NONE;
  AVPacket *packet = av_packet_alloc();
  AVFrame *frame = av_frame_alloc();
  long long frames = 0, samples = 0;

  bool Open(AVCodecID codec) {
    id = codec;
    const AVCodec *c = avcodec_find_decoder(codec);
    if (!c || !(ctx = avcodec_alloc_context3(c))) return false;
    ctx->pkt_timebase = AVRational{1, 90000};
    ctx->thread_count = 1; // as the player's decoders
    parser = av_parser_init(codec);
    return parser && avcodec_open2(ctx, c, nullptr) >= 0;
  }
  ~Stream() {
    av_parser_close(parser);
    avcodec_free_context(&ctx);
    av_packet_free(&packet);
    av_frame_free(&frame);
  }

  void Send(uint8_t *data, int size, int64_t pts) {
    packet->data = data;
    packet->size = size;
    packet->pts = pts;
    avcodec_send_packet(ctx, data ? packet : nullptr);
    while (avcodec_receive_frame(ctx, frame) == 0) {
      ++frames;
      samples += frame->nb_samples;
      av_frame_unref(frame);
    }
  }
  void Feed(const uint8_t *data, int size, int64_t pts) {
    while (size > 0) {
      uint8_t *out = nullptr;
      int outSize = 0;
      const int used = av_parser_parse2(parser, ctx, &out, &outSize, data, size, pts, AV_NOPTS_VALUE, 0);
      if (used < 0) return;
      pts = AV_NOPTS_VALUE;
      data += used;
      size -= used;
      if (outSize > 0) Send(out, outSize, parser->pts);
    }
  }
  // Everything held comes out: the parser's last unit, then the decoder's.
  void Drain() {
    uint8_t *out = nullptr;
    int outSize = 0;
    av_parser_parse2(parser, ctx, &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (outSize > 0) Send(out, outSize, parser->pts);
    Send(nullptr, 0, AV_NOPTS_VALUE);
    Reset();
  }
  void Reset() {
    avcodec_flush_buffers(ctx);
    av_parser_close(parser);
    parser = av_parser_init(id);
  }
};

int64_t Pts(const uint8_t *p) {
  return (int64_t(p[0] & 0x0E) << 29) | (int64_t(p[1]) << 22) | (int64_t(p[2] & 0xFE) << 14) |
         (int64_t(p[3]) << 7) | (p[4] >> 1);
}

// The video (0xE0) and AC-3 #0 (private stream 1, sub-stream 0x80) payloads of a pack.
void Demux(const uint8_t *p, Stream &video, Stream &audio) {
  if (p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0xBA || (p[4] & 0xC0) != 0x40) return;
  int pos = 14 + (p[13] & 7);
  while (pos + 9 <= kPack && p[pos] == 0 && p[pos + 1] == 0 && p[pos + 2] == 1) {
    const int id = p[pos + 3];
    const int end = pos + 6 + (p[pos + 4] << 8 | p[pos + 5]);
    if (end > kPack) return;
    if (id == 0xE0 || id == 0xBD) {
      const int payload = pos + 9 + p[pos + 8];
      const int64_t pts = (p[pos + 7] & 0x80) && payload >= pos + 14 ? Pts(p + pos + 9) : AV_NOPTS_VALUE;
      if (id == 0xE0 && payload < end) video.Feed(p + payload, end - payload, pts);
      else if (id == 0xBD && payload + 4 < end && p[payload] == 0x80)
        audio.Feed(p + payload + 4, end - payload - 4, pts); // sub-stream id, frame count, pointer
    }
    pos = end;
  }
}

} // namespace

BareResult RunBareLoop(const std::string &disc, int title) {
  BareResult r;
  dvdnav_t *nav = nullptr;
  if (dvdnav_open(&nav, disc.c_str()) != DVDNAV_STATUS_OK) {
    r.error = "dvdnav_open failed";
    return r;
  }
  dvdnav_set_readahead_flag(nav, 1);
  dvdnav_set_PGC_positioning_flag(nav, 1);
  Stream video, audio;
  if (!video.Open(AV_CODEC_ID_MPEG2VIDEO) || !audio.Open(AV_CODEC_ID_AC3)) {
    r.error = "no decoder";
    dvdnav_close(nav);
    return r;
  }
  if (dvdnav_title_play(nav, title) != DVDNAV_STATUS_OK) {
    r.error = dvdnav_err_to_string(nav);
    dvdnav_close(nav);
    return r;
  }
  // The library writes whole blocks; FFmpeg may read a little past a payload's end.
  alignas(64) uint8_t buf[kPack + AV_INPUT_BUFFER_PADDING_SIZE] = {};
  bool inTitle = false, done = false;
  auto InTitle = [&] {
    int32_t t = 0, part = 0;
    return dvdnav_is_domain_vts(nav) && dvdnav_current_title_info(nav, &t, &part) == DVDNAV_STATUS_OK && t == title;
  };
  while (!done) {
    int event = 0, len = 0;
    if (dvdnav_get_next_block(nav, buf, &event, &len) != DVDNAV_STATUS_OK) {
      r.error = dvdnav_err_to_string(nav);
      break;
    }
    switch (event) {
    case DVDNAV_BLOCK_OK:
      ++r.blocks;
      if (inTitle && len == kPack) Demux(buf, video, audio);
      break;
    case DVDNAV_VTS_CHANGE:
    case DVDNAV_CELL_CHANGE:
      if (InTitle()) inTitle = true;
      else done = inTitle; // the title is over
      break;
    case DVDNAV_STILL_FRAME:
      // The decoders hold the last pictures: out with them before the still.
      video.Drain();
      if (!InTitle()) done = true;
      else dvdnav_still_skip(nav);
      break;
    case DVDNAV_WAIT: dvdnav_wait_skip(nav); break;
    case DVDNAV_HOP_CHANNEL:
      video.Reset();
      audio.Reset();
      break;
    case DVDNAV_STOP: done = true; break;
    default: break; // NAV packets, highlights, stream and palette changes
    }
  }
  video.Drain();
  audio.Drain();
  r.pictures = video.frames;
  r.audioFrames = audio.samples;
  dvdnav_close(nav);
  return r;
}

} // namespace bench

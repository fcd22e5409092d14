// Owning pointers for the FFmpeg objects the decoders hold.
#pragma once

#include "codecs/ffmpeg_log.h"
#include "com/media_time.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace codecs {

struct CodecContextFree {
  void operator()(AVCodecContext *c) const {
    ForgetDecodeErrors(c);
    avcodec_free_context(&c);
  }
};
struct ParserFree {
  void operator()(AVCodecParserContext *p) const { av_parser_close(p); }
};
struct FrameFree {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct SwsFree {
  void operator()(SwsContext *s) const { sws_freeContext(s); }
};
struct SwrFree {
  void operator()(SwrContext *s) const { swr_free(&s); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;

// The codecs' stamps are stream times (every context's time base is 100 ns); FFmpeg's
// "no time" value stands for none only where a stamp goes into or comes out of it.
constexpr long long kNoTime = AV_NOPTS_VALUE;
using MaybeTime = media::MaybeStreamTime;
constexpr long long ToAvTime(MaybeTime t) { return t ? t->ticks() : kNoTime; }
constexpr MaybeTime FromAvTime(long long pts) {
  return pts == kNoTime ? std::nullopt : MaybeTime(media::StreamTime(pts));
}

// Feeds one packet of elementary-stream bytes through the parser and hands every
// complete access unit, with the time the parser found for it, to `unit`. The parser
// reads up to AV_INPUT_BUFFER_PADDING_SIZE bytes past its input, so it gets a
// zero-padded copy kept in `scratch`, never the caller's buffer. `pts` belongs to the
// first access unit that starts in this packet (none when none).
template <class Unit>
void ParsePacket(AVCodecParserContext *parser, AVCodecContext *ctx, std::vector<uint8_t> &scratch,
                 const uint8_t *data, std::size_t size, MaybeTime time, Unit &&unit) {
  long long pts = ToAvTime(time);
  scratch.assign(data, data + size);
  scratch.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  const uint8_t *next = scratch.data();
  while (size > 0) {
    uint8_t *out = nullptr;
    int outSize = 0;
    int used = av_parser_parse2(parser, ctx, &out, &outSize, next, static_cast<int>(size), pts, pts, 0);
    pts = kNoTime;
    if (used < 0) break;
    next += used;
    size -= static_cast<std::size_t>(used);
    if (outSize > 0) unit(out, outSize, FromAvTime(parser->pts));
  }
}

} // namespace codecs

// Owning pointers for the FFmpeg objects the decoders hold.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace codecs {

struct CodecContextFree {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
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

// 100-ns units; the value FFmpeg uses for "no time" marks an untimed packet here too.
constexpr long long kNoTime = AV_NOPTS_VALUE;

} // namespace codecs

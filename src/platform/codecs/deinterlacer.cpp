#include "codecs/deinterlacer.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/mathematics.h>
}

#include <cstdio>

namespace codecs {

Deinterlacer::~Deinterlacer() { Reset(); }

void Deinterlacer::Reset() {
  avfilter_graph_free(&graph_);
  source_ = sink_ = nullptr;
}

bool Deinterlacer::Open(const AVFrame *frame) {
  Reset();
  graph_ = avfilter_graph_alloc();
  if (!graph_) return false;
  graph_->nb_threads = 1; // the decoder's thread does the work
  const AVRational sar = frame->sample_aspect_ratio.num > 0 ? frame->sample_aspect_ratio : AVRational{1, 1};
  char args[160];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/10000000:pixel_aspect=%d/%d",
                frame->width, frame->height, frame->format, sar.num, sar.den);
  AVFilterContext *yadif = nullptr;
  if (avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", args, nullptr, graph_) < 0 ||
      avfilter_graph_create_filter(&yadif, avfilter_get_by_name("yadif"), "deinterlace",
                                   "mode=send_frame_nospatial:parity=auto:deint=interlaced", nullptr, graph_) < 0 ||
      avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph_) < 0 ||
      avfilter_link(source_, 0, yadif, 0) < 0 || avfilter_link(yadif, 0, sink_, 0) < 0 ||
      avfilter_graph_config(graph_, nullptr) < 0) {
    Reset();
    return false;
  }
  width_ = frame->width;
  height_ = frame->height;
  format_ = frame->format;
  return true;
}

bool Deinterlacer::Push(const AVFrame *frame, const Output &out) {
  if (graph_ && (frame->width != width_ || frame->height != height_ || frame->format != format_)) Drain(out);
  if (!graph_ && !Open(frame)) return false;
  // The source takes its own reference; the caller's frame stays as it is.
  if (av_buffersrc_add_frame_flags(source_, const_cast<AVFrame *>(frame), AV_BUFFERSRC_FLAG_KEEP_REF) < 0) {
    Reset();
    return false;
  }
  Pull(out);
  return true;
}

void Deinterlacer::Drain(const Output &out) {
  if (!graph_) return;
  if (av_buffersrc_add_frame_flags(source_, nullptr, 0) >= 0) Pull(out);
  Reset();
}

void Deinterlacer::Pull(const Output &out) {
  const AVRational base = av_buffersink_get_time_base(sink_); // the filter counts in fields
  while (av_buffersink_get_frame(sink_, out_.get()) >= 0) {
    if (out_->pts != AV_NOPTS_VALUE) out_->pts = av_rescale_q(out_->pts, base, AVRational{1, 10000000});
    out(out_.get());
    av_frame_unref(out_.get());
  }
}

} // namespace codecs

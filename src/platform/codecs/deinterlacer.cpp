#include "codecs/deinterlacer.h"

#include "codecs/filter_library.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <cstdio>

namespace codecs {

Deinterlacer::Library Deinterlacer::DefaultLibrary() { return FilterLibraryLoad::Shared(); }

Deinterlacer::~Deinterlacer() { Reset(); }

void Deinterlacer::Reset() {
  if (graph_) lib_->graph_free(&graph_);
  source_ = sink_ = nullptr;
}

bool Deinterlacer::Open(const AVFrame *frame) {
  Reset();
  if (!lib_ && !missing_) missing_ = library_.Poll(&lib_) == FilterLibraryLoad::State::Missing;
  if (!lib_) return false; // still loading, or missing
  graph_ = lib_->graph_alloc();
  if (!graph_) return false;
  graph_->nb_threads = 1; // the decoder's thread does the work
  const AVRational sar = frame->sample_aspect_ratio.num > 0 ? frame->sample_aspect_ratio : AVRational{1, 1};
  char args[160];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/10000000:pixel_aspect=%d/%d",
                frame->width, frame->height, frame->format, sar.num, sar.den);
  AVFilterContext *yadif = nullptr;
  if (lib_->graph_create_filter(&source_, lib_->get_by_name("buffer"), "in", args, nullptr, graph_) < 0 ||
      lib_->graph_create_filter(&yadif, lib_->get_by_name("yadif"), "deinterlace",
                                "mode=send_frame_nospatial:parity=auto:deint=interlaced", nullptr, graph_) < 0 ||
      lib_->graph_create_filter(&sink_, lib_->get_by_name("buffersink"), "out", nullptr, nullptr, graph_) < 0 ||
      lib_->link(source_, 0, yadif, 0) < 0 || lib_->link(yadif, 0, sink_, 0) < 0 ||
      lib_->graph_config(graph_, nullptr) < 0) {
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
  if (lib_->buffersrc_add_frame_flags(source_, const_cast<AVFrame *>(frame), AV_BUFFERSRC_FLAG_KEEP_REF) < 0) {
    Reset();
    return false;
  }
  Pull(out);
  return true;
}

void Deinterlacer::Drain(const Output &out) {
  if (!graph_) return;
  if (lib_->buffersrc_add_frame_flags(source_, nullptr, 0) >= 0) Pull(out);
  Reset();
}

void Deinterlacer::Pull(const Output &out) {
  const AVRational base = lib_->buffersink_get_time_base(sink_); // the filter counts in fields
  while (lib_->buffersink_get_frame(sink_, out_.get()) >= 0) {
    if (out_->pts != AV_NOPTS_VALUE) out_->pts = av_rescale_q(out_->pts, base, AVRational{1, 10000000});
    out(out_.get());
    av_frame_unref(out_.get());
  }
}

} // namespace codecs

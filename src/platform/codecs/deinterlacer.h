// Deinterlacing of decoded pictures with libavfilter's yadif, one picture out for each
// picture in: pictures the stream marks interlaced are deinterlaced, progressive (and
// film) pictures pass untouched. The filter looks one picture ahead, so a picture comes
// out when the next one goes in, or at Drain. Lines are taken from the other field
// wherever the pictures around do not move (no spatial check, which would also smooth
// away fine still detail), and at the end (Drain) the last picture is compared with
// itself, so a still stays sharp. Times in 100 ns go in and come out as they were.
// The library is loaded in the background from the first picture that needs it
// (FilterLibraryLoad); until it is there Push takes nothing, so those pictures pass as
// they are, and the first picture after it is the first one filtered. Without it no
// picture is wanted and all pass as they are.
// Not thread-safe: one streaming thread at a time.
#pragma once

#include "codecs/ffmpeg_ptr.h"

#include <functional>

struct AVFilterGraph;
struct AVFilterContext;

namespace codecs {

struct FilterLibrary;
class FilterLibraryLoad;

class Deinterlacer {
public:
  using Output = std::function<void(const AVFrame *)>;

  using Library = FilterLibraryLoad &;
  static Library DefaultLibrary(); // FilterLibraryLoad::Shared
  // `library` is polled (and so started) from the first picture to filter.
  explicit Deinterlacer(Library library = DefaultLibrary()) : library_(library) {}
  ~Deinterlacer();
  Deinterlacer(const Deinterlacer &) = delete;
  Deinterlacer &operator=(const Deinterlacer &) = delete;

  // Whether `frame` has to go through the filter: it is interlaced (and the library
  // was not found missing), or earlier pictures still wait there (the order must hold).
  bool Wants(const AVFrame *frame) const { return graph_ || (frame->interlaced_frame && !missing_); }
  // Filters `frame` (its pts is carried to the picture that comes out); calls `out`
  // for every picture ready. False when the filter cannot be set up or its library is
  // still loading (then nothing is held).
  bool Push(const AVFrame *frame, const Output &out);
  // Hands out what is held and ends the filter; the next Push starts a new one.
  void Drain(const Output &out);
  // Drops what is held.
  void Reset();
  bool Holding() const { return graph_ != nullptr; }

private:
  bool Open(const AVFrame *frame);
  void Pull(const Output &out);

  FilterLibraryLoad &library_;
  const FilterLibrary *lib_ = nullptr;
  bool missing_ = false;
  AVFilterGraph *graph_ = nullptr;
  AVFilterContext *source_ = nullptr, *sink_ = nullptr;
  FramePtr out_{av_frame_alloc()};
  int width_ = 0, height_ = 0, format_ = -1;
};

} // namespace codecs

// Deinterlacing of decoded pictures with libavfilter's yadif, one picture out for each
// picture in: pictures the stream marks interlaced are deinterlaced, progressive (and
// film) pictures pass untouched. The filter looks one picture ahead, so a picture comes
// out when the next one goes in, or at Drain. Lines are taken from the other field
// wherever the pictures around do not move (no spatial check, which would also smooth
// away fine still detail), and at the end (Drain) the last picture is compared with
// itself, so a still stays sharp. Times in 100 ns go in and come out as they were.
// The library is opened at the first picture that needs it (FilterLibrary); without it
// no picture is wanted and all pass as they are.
// Not thread-safe: one streaming thread at a time.
#pragma once

#include "codecs/ffmpeg_ptr.h"

#include <functional>

struct AVFilterGraph;
struct AVFilterContext;

namespace codecs {

struct FilterLibrary;

class Deinterlacer {
public:
  using Output = std::function<void(const AVFrame *)>;

  using Library = const FilterLibrary *(*)();
  static Library DefaultLibrary(); // FilterLibrary::Shared
  // `library` gives the library at the first picture to filter (null: none).
  explicit Deinterlacer(Library library = DefaultLibrary()) : library_(library) {}
  ~Deinterlacer();
  Deinterlacer(const Deinterlacer &) = delete;
  Deinterlacer &operator=(const Deinterlacer &) = delete;

  // Whether `frame` has to go through the filter: it is interlaced (and the library
  // was not found missing), or earlier pictures still wait there (the order must hold).
  bool Wants(const AVFrame *frame) const { return graph_ || (frame->interlaced_frame && !missing_); }
  // Filters `frame` (its pts is carried to the picture that comes out); calls `out`
  // for every picture ready. False when the filter cannot be set up (then nothing is held).
  bool Push(const AVFrame *frame, const Output &out);
  // Hands out what is held and ends the filter; the next Push starts a new one.
  void Drain(const Output &out);
  // Drops what is held.
  void Reset();
  bool Holding() const { return graph_ != nullptr; }

private:
  bool Open(const AVFrame *frame);
  void Pull(const Output &out);

  Library library_;
  const FilterLibrary *lib_ = nullptr;
  bool missing_ = false;
  AVFilterGraph *graph_ = nullptr;
  AVFilterContext *source_ = nullptr, *sink_ = nullptr;
  FramePtr out_{av_frame_alloc()};
  int width_ = 0, height_ = 0, format_ = -1;
};

} // namespace codecs

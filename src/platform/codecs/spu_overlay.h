// What the subpicture stream shows over the video: the decoded units with their display
// times, the palette, the display switch and the button highlight. Thread-safe: the
// subpicture pin, the video pin and the navigator's calls meet here.
#pragma once

#include "codecs/spu_parser.h"
#include "graph/dvd_stream.h"

#include <cstdint>
#include <deque>
#include <mutex>

namespace codecs {

class SubpictureOverlay {
public:
  SubpictureOverlay();

  // 16 entries 0x00YYCrCb.
  void SetPalette(const DWORD entries[16]);
  void SetHighlight(const DvdHighlight &highlight);
  void SetDisplay(bool on);
  void Add(SpuPicture picture);
  // Forgets every unit (a discontinuity); palette, display and highlight stay.
  void Flush();

  // Whether Apply would draw anything at `time`.
  bool Shows(MaybeTime time);

  // Draws what shows at `time` (none: the newest unit) over an RGB32 picture. Returns
  // true when something was drawn.
  bool Apply(uint8_t *rgb, int stride, int width, int height, MaybeTime time);

  // The same over a 4:2:0 picture (planes Y, U = Cb, V = Cr): luma per pixel, each
  // chroma sample with the mean cover of its four pixels.
  bool ApplyYuv(uint8_t *const planes[3], const int strides[3], int width, int height, MaybeTime time);

  // 0x00YYCrCb -> 0x00RRGGBB (studio-range BT.601).
  static uint32_t YCrCbToRgb(uint32_t entry);

private:
  // The unit that shows at `time` if any is drawn (forced, display on or a highlight).
  const SpuPicture *Showing(MaybeTime time);

  std::mutex lock_;
  std::deque<SpuPicture> pictures_; // by start time
  uint32_t rgb_[16];
  uint32_t ycc_[16]; // the palette as the disc gives it
  DvdHighlight highlight_{};
  bool display_ = true;
};

} // namespace codecs

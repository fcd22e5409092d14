#include "codecs/spu_overlay.h"

#include "codecs/ffmpeg_ptr.h"

#include <algorithm>
#include <cmath>

namespace codecs {
namespace {

constexpr std::size_t kMaxPending = 32;

uint8_t Clamp(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

} // namespace

SubpictureOverlay::SubpictureOverlay() {
  // Until the navigator sends the disc's palette: a grey ramp.
  for (int i = 0; i < 16; ++i) {
    rgb_[i] = static_cast<uint32_t>(i * 17) * 0x010101u;
    ycc_[i] = static_cast<uint32_t>(16 + i * 219 / 15) << 16 | 0x8080u;
  }
}

uint32_t SubpictureOverlay::YCrCbToRgb(uint32_t entry) {
  const double y = 1.164 * ((entry >> 16 & 0xFF) - 16.0);
  const double cr = (entry >> 8 & 0xFF) - 128.0;
  const double cb = (entry & 0xFF) - 128.0;
  const uint8_t r = Clamp(y + 1.596 * cr);
  const uint8_t g = Clamp(y - 0.813 * cr - 0.391 * cb);
  const uint8_t b = Clamp(y + 2.018 * cb);
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

void SubpictureOverlay::SetPalette(const DWORD entries[16]) {
  std::lock_guard guard(lock_);
  for (int i = 0; i < 16; ++i) {
    rgb_[i] = YCrCbToRgb(entries[i]);
    ycc_[i] = entries[i] & 0xFFFFFFu;
  }
}

void SubpictureOverlay::SetHighlight(const DvdHighlight &highlight) {
  std::lock_guard guard(lock_);
  highlight_ = highlight;
}

void SubpictureOverlay::SetDisplay(bool on) {
  std::lock_guard guard(lock_);
  display_ = on;
}

void SubpictureOverlay::Add(SpuPicture picture) {
  std::lock_guard guard(lock_);
  auto later = [](const SpuPicture &a, const SpuPicture &b) { return a.start < b.start; };
  if (!picture.start) {
    pictures_.clear(); // an untimed unit replaces what shows now
    pictures_.push_back(std::move(picture));
    return;
  }
  pictures_.insert(std::upper_bound(pictures_.begin(), pictures_.end(), picture, later), std::move(picture));
  while (pictures_.size() > kMaxPending) pictures_.pop_front();
}

void SubpictureOverlay::Flush() {
  std::lock_guard guard(lock_);
  pictures_.clear();
}

const SpuPicture *SubpictureOverlay::Showing(MaybeTime time) {
  if (pictures_.empty()) return nullptr;
  if (!time) return &pictures_.back();
  const media::StreamTime now = *time;
  // Units that a later, already started unit replaced are done.
  while (pictures_.size() > 1 && pictures_[1].start && *pictures_[1].start <= now) pictures_.pop_front();
  const SpuPicture &p = pictures_.front();
  if (p.start && *p.start > now) return nullptr;
  if (p.stop && now >= *p.stop) return nullptr;
  return &p;
}

bool SubpictureOverlay::Shows(MaybeTime time) {
  std::lock_guard guard(lock_);
  const SpuPicture *p = Showing(time);
  return p && (p->forced || display_ || highlight_.visible != FALSE);
}

bool SubpictureOverlay::Apply(uint8_t *rgb, int stride, int width, int height, MaybeTime time) {
  std::lock_guard guard(lock_);
  const SpuPicture *p = Showing(time);
  if (!p) return false;
  const bool highlight = highlight_.visible != FALSE;
  if (!p->forced && !display_ && !highlight) return false;

  uint32_t colour[2][4];
  int alpha[2][4]; // 0..255
  for (int i = 0; i < 4; ++i) {
    colour[0][i] = rgb_[p->colour[i] & 0xF];
    alpha[0][i] = p->contrast[i] * 17;
    colour[1][i] = rgb_[highlight_.colour[i] & 0xF];
    alpha[1][i] = (highlight_.contrast[i] & 0xF) * 17;
  }
  const RECT &h = highlight_.area;
  const int y0 = std::max(p->y, 0), y1 = std::min(p->y + p->height, height);
  const int x0 = std::max(p->x, 0), x1 = std::min(p->x + p->width, width);
  bool drawn = false;
  for (int y = y0; y < y1; ++y) {
    const uint8_t *src = p->pixels.data() + static_cast<std::size_t>(y - p->y) * p->width;
    uint8_t *dst = rgb + static_cast<std::size_t>(y) * stride;
    const bool rowInHighlight = highlight && y >= h.top && y < h.bottom;
    for (int x = x0; x < x1; ++x) {
      const int v = src[x - p->x];
      const int set = rowInHighlight && x >= h.left && x < h.right ? 1 : 0;
      const int a = alpha[set][v];
      if (a == 0) continue;
      const uint32_t c = colour[set][v];
      uint8_t *px = dst + x * 4;
      px[0] = static_cast<uint8_t>((px[0] * (255 - a) + (c & 0xFF) * a + 127) / 255);
      px[1] = static_cast<uint8_t>((px[1] * (255 - a) + (c >> 8 & 0xFF) * a + 127) / 255);
      px[2] = static_cast<uint8_t>((px[2] * (255 - a) + (c >> 16 & 0xFF) * a + 127) / 255);
      drawn = true;
    }
  }
  return drawn;
}

bool SubpictureOverlay::ApplyYuv(uint8_t *const planes[3], const int strides[3], int width, int height,
                                 MaybeTime time) {
  std::lock_guard guard(lock_);
  const SpuPicture *p = Showing(time);
  if (!p) return false;
  const bool highlight = highlight_.visible != FALSE;
  if (!p->forced && !display_ && !highlight) return false;

  uint32_t colour[2][4]; // 0x00YYCrCb
  int alpha[2][4];       // 0..255
  for (int i = 0; i < 4; ++i) {
    colour[0][i] = ycc_[p->colour[i] & 0xF];
    alpha[0][i] = p->contrast[i] * 17;
    colour[1][i] = ycc_[highlight_.colour[i] & 0xF];
    alpha[1][i] = (highlight_.contrast[i] & 0xF) * 17;
  }
  const RECT &h = highlight_.area;
  // The cover of one pixel: its colour and alpha, alpha 0 outside the unit.
  auto cover = [&](int x, int y, uint32_t *c) {
    if (x < p->x || y < p->y || x >= p->x + p->width || y >= p->y + p->height) return 0;
    const int v = p->pixels[static_cast<std::size_t>(y - p->y) * p->width + (x - p->x)];
    const int set = highlight && y >= h.top && y < h.bottom && x >= h.left && x < h.right ? 1 : 0;
    *c = colour[set][v];
    return alpha[set][v];
  };
  const int y0 = std::max(p->y, 0), y1 = std::min(p->y + p->height, height);
  const int x0 = std::max(p->x, 0), x1 = std::min(p->x + p->width, width);
  bool drawn = false;
  for (int y = y0; y < y1; ++y) {
    uint8_t *luma = planes[0] + static_cast<std::size_t>(y) * strides[0];
    for (int x = x0; x < x1; ++x) {
      uint32_t c = 0;
      const int a = cover(x, y, &c);
      if (a == 0) continue;
      luma[x] = static_cast<uint8_t>((luma[x] * (255 - a) + (c >> 16 & 0xFF) * a + 127) / 255);
      drawn = true;
    }
  }
  if (!drawn) return false;
  // Each chroma sample takes the mean cover of its four pixels.
  for (int cy = y0 / 2; cy < (y1 + 1) / 2 && cy < height / 2; ++cy) {
    uint8_t *u = planes[1] + static_cast<std::size_t>(cy) * strides[1];
    uint8_t *v = planes[2] + static_cast<std::size_t>(cy) * strides[2];
    for (int cx = x0 / 2; cx < (x1 + 1) / 2 && cx < width / 2; ++cx) {
      int sumA = 0, sumCb = 0, sumCr = 0;
      for (int k = 0; k < 4; ++k) {
        uint32_t c = 0;
        const int a = cover(cx * 2 + (k & 1), cy * 2 + (k >> 1), &c);
        sumA += a;
        sumCb += static_cast<int>(c & 0xFF) * a;
        sumCr += static_cast<int>(c >> 8 & 0xFF) * a;
      }
      if (sumA == 0) continue;
      const int a = sumA / 4; // 0..255
      u[cx] = static_cast<uint8_t>((u[cx] * (255 - a) * 4 + sumCb + 510) / 1020);
      v[cx] = static_cast<uint8_t>((v[cx] * (255 - a) * 4 + sumCr + 510) / 1020);
    }
  }
  return true;
}

} // namespace codecs

// How far the sound of a player is from its picture, measured outside the player:
// the centre pixel of the screen's top-left 720 x 576 area read off the X server
// about every millisecond, and the sound server's sink monitor recorded, both on
// the steady clock. For each white picture (black before) the nearest beep start
// is taken; prints every offset and the median (positive: the beep comes after
// the picture). The start (up to half a second after the first beep) is left out: the
// player's window is appearing then.
//   av_offset <seconds> [x y]      (PULSE_SERVER and DISPLAY name what to watch;
//                                   AV_OFFSET_TRACE=1 also prints every time seen)
#include "sound/sound_server.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using testsound::Clock;

int main(int argc, char **argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  const int x = argc > 3 ? std::atoi(argv[2]) : 360, y = argc > 3 ? std::atoi(argv[3]) : 300;
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "av_offset: no X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  testsound::MonitorRecorder recorder;
  const Clock::time_point begun = Clock::now();
  std::vector<Clock::time_point> white;
  bool bright = false;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    xcb_get_image_reply_t *img = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(x), static_cast<int16_t>(y), 1, 1, ~0u),
        nullptr);
    const auto at = Clock::now();
    if (!img) break;
    const uint8_t *px = xcb_get_image_data(img);
    const int luma = (px[0] * 29 + px[1] * 150 + px[2] * 77) >> 8;
    free(img);
    if (!bright && luma > 200) white.push_back(at);
    if (luma > 200) bright = true;
    else if (luma < 60) bright = false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  xcb_disconnect(c);
  const std::vector<Clock::time_point> beeps = recorder.Onsets();
  if (std::getenv("AV_OFFSET_TRACE")) {
    for (Clock::time_point w : white) std::printf("w %.3f ", std::chrono::duration<double>(w - begun).count());
    std::printf("\n");
    for (Clock::time_point b : beeps) std::printf("b %.3f ", std::chrono::duration<double>(b - begun).count());
    std::printf("\n");
  }
  std::vector<double> offsets;
  // The start is left out: every white picture up to half a second after the first
  // beep. Players show their first picture late, as their window appears (mpv too, by
  // about a quarter of a second), and before it the screen may flash white.
  if (!beeps.empty()) {
    const Clock::time_point settled = beeps.front() + std::chrono::milliseconds(500);
    white.erase(white.begin(), std::find_if(white.begin(), white.end(), [&](Clock::time_point w) { return w > settled; }));
  }
  for (Clock::time_point w : white) {
    double best = 1e9;
    for (Clock::time_point b : beeps) {
      const double d = std::chrono::duration<double, std::milli>(b - w).count();
      if (std::abs(d) < std::abs(best)) best = d;
    }
    if (std::abs(best) < 400) {
      offsets.push_back(best);
      std::printf("%+.1f ", best);
    }
  }
  std::printf("\n%zu white pictures, %zu beeps, %zu pairs\n", white.size(), beeps.size(), offsets.size());
  if (offsets.empty()) return 1;
  std::vector<double> sorted = offsets;
  std::sort(sorted.begin(), sorted.end());
  std::printf("median %+.1f ms (%+.1f to %+.1f)\n", sorted[sorted.size() / 2], sorted.front(), sorted.back());
  return 0;
}

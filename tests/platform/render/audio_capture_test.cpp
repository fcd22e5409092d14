// Sound of a title captured through SDL's disk driver: the 440 Hz tone plays; volume
// and balance are exact sample gains; -10000 is silence; without any usable device
// the silent output still drives the clock.
#include "media/playback.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

struct Sound {
  std::vector<float> left, right;
};

// Plays the PAL title's sound for `ms` with the given volume and balance and returns
// what the output device got.
Sound Play(LONG volume, LONG balance, int ms, const char *driver = "disk") {
  char path[] = "/tmp/qdvd-sound-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  setenv("SDL_AUDIODRIVER", driver, 1);
  setenv("SDL_DISKAUDIOFILE", path, 1);
  unsetenv("SDL_DISKAUDIODELAY"); // real-time pace
  {
    Playback p;
    EXPECT_TRUE(p.Build(FixturePath("pal_wide/VIDEO_TS/VTS_01_1.VOB"), CLSID_VideoRenderer, true,
                        testmedia::StreamKind::Ac3, false))
        << p.error;
    ComPtr<IBasicAudio> audio;
    EXPECT_TRUE(SUCCEEDED(p.graph.As(&audio)));
    EXPECT_EQ(audio->put_Volume(volume), S_OK);
    EXPECT_EQ(audio->put_Balance(balance), S_OK);
    EXPECT_TRUE(SUCCEEDED(p.control->Run()));
    QTest::qWait(ms);
    p.control->Stop();
  } // the renderer closes the device: the file is complete
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  Sound s;
  std::ifstream in(path, std::ios::binary);
  float frame[2];
  while (in.read(reinterpret_cast<char *>(frame), sizeof frame)) {
    s.left.push_back(frame[0]);
    s.right.push_back(frame[1]);
  }
  std::remove(path);
  return s;
}

// Half a second from 0.3 s after the sound starts.
std::vector<float> Middle(const std::vector<float> &ch, const std::vector<float> &reference) {
  std::size_t start = 0;
  while (start < reference.size() && std::fabs(reference[start]) < 0.01f) ++start;
  start += 14400;
  if (start + 24000 > ch.size()) return {};
  return std::vector<float>(ch.begin() + static_cast<long>(start), ch.begin() + static_cast<long>(start + 24000));
}

double RmsDb(const std::vector<float> &v) {
  double sum = 0;
  for (float x : v) sum += static_cast<double>(x) * x;
  return v.empty() ? -999 : 10 * std::log10(sum / v.size());
}

double ToneShare(const std::vector<float> &v, double freq) {
  const double w = 2 * M_PI * freq / 48000, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  for (float x : v) {
    const double s = x + c * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += static_cast<double>(x) * x;
  }
  return energy > 0 ? 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (v.size() * energy) : 0;
}

} // namespace

TEST(AudioCapture, ToneVolumeBalanceAndSilence) {
  Sound full = Play(0, 0, 1300);
  std::vector<float> l = Middle(full.left, full.left), r = Middle(full.right, full.left);
  ASSERT_FALSE(l.empty()) << "no sound captured (" << full.left.size() << " frames)";
  EXPECT_GT(ToneShare(l, 440), 0.95);
  EXPECT_GT(ToneShare(r, 440), 0.95);
  EXPECT_NEAR(RmsDb(l), -15.0, 0.5); // a -12 dBFS peak sine

  Sound quiet = Play(-995, 0, 1300);
  std::vector<float> ql = Middle(quiet.left, quiet.left), qr = Middle(quiet.right, quiet.left);
  ASSERT_FALSE(ql.empty());
  EXPECT_NEAR(RmsDb(ql) - RmsDb(l), -9.95, 0.1);
  EXPECT_NEAR(RmsDb(qr) - RmsDb(r), -9.95, 0.1);

  std::printf("full %.3f dB, volume -995: %.3f dB below, 440 Hz share %.3f\n", RmsDb(l), RmsDb(l) - RmsDb(ql),
              ToneShare(l, 440));
  Sound leftDown = Play(0, 1000, 1300); // positive balance: left 10 dB down
  std::vector<float> bl = Middle(leftDown.left, leftDown.right), br = Middle(leftDown.right, leftDown.right);
  ASSERT_FALSE(br.empty());
  EXPECT_NEAR(RmsDb(bl) - RmsDb(l), -10.0, 0.1);
  EXPECT_NEAR(RmsDb(br) - RmsDb(r), 0.0, 0.1);

  Sound silent = Play(-10000, 0, 800);
  ASSERT_GT(silent.left.size(), 24000u);
  for (std::size_t i = 0; i < silent.left.size(); ++i) {
    ASSERT_EQ(silent.left[i], 0.0f) << i;
    ASSERT_EQ(silent.right[i], 0.0f) << i;
  }
}

TEST(AudioCapture, WithoutADevicePlaybackGoesOnSilently) {
  // No driver by that name: opening fails, the silent output takes over.
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  Playback p;
  ASSERT_TRUE(p.Build(FixturePath("pal_wide/VIDEO_TS/VTS_01_1.VOB"))) << p.error;
  int shown = 0;
  p.Probe()->SetPresentedCallback([&](const render::PresentedFrame &) { ++shown; });
  ComPtr<IReferenceClock> clock;
  p.audioRenderer.As(&clock);
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  REFERENCE_TIME t0 = 0, t1 = 0;
  clock->GetTime(&t0);
  QTest::qWait(1000);
  clock->GetTime(&t1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_GT(t1 - t0, 5000000); // the clock ran (loosely: about 10000000)
  EXPECT_GT(shown, 10);
}

// Sound through a private sound server (a null sink, recorded at its monitor): each
// beep of the beep disc reaches the sink with its white picture, also after a jump;
// the volume acts on what reaches the sink; the server killed while playing leaves the
// picture moving on the silent clock, and once it is back the beeps come back by
// themselves, in step again; a server that only starts after playback began is found
// and heard the same way.
#include "media/playback.h"

#include "media/frame_code.h"
#include "render/audio_renderer.h"
#include "sound/sound_server.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

using testsound::Clock;

struct Picture {
  int code;
  Clock::time_point at;
};

class ServerOutput : public ::testing::Test {
protected:
  void SetUp() override {
    if (!testsound::SoundServer::Available()) GTEST_SKIP() << "no PulseAudio server installed";
    ASSERT_TRUE(server.Start()) << server.Error();
    unsetenv("SDL_AUDIODRIVER"); // the player's own choice: the sound server first
    recorder = std::make_unique<testsound::MonitorRecorder>();
    ASSERT_TRUE(WaitUntil([&] { return recorder->Frames() > 48000 / 5; }, 10000)) << "the monitor records nothing";
  }
  void TearDown() override {
    recorder.reset();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  static bool WaitUntil(const std::function<bool()> &done, int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (Clock::now() > deadline) return false;
      QTest::qWait(10);
    }
    return true;
  }

  void Record(Playback &p) {
    p.Probe()->SetPresentedCallback([this](const render::PresentedFrame &f) {
      const QImage img = f.Image();
      const int code = testmedia::ReadFrameCode(img.constBits(), static_cast<int>(img.bytesPerLine()));
      std::lock_guard guard(lock);
      pictures.push_back({code, Clock::now()});
    });
  }

  std::vector<Picture> WhitePictures() {
    std::lock_guard guard(lock);
    std::vector<Picture> white;
    for (std::size_t i = 0; i < pictures.size(); ++i)
      if (pictures[i].code >= 0 && pictures[i].code % 25 == 0 && (i == 0 || pictures[i - 1].code != pictures[i].code))
        white.push_back(pictures[i]);
    return white;
  }

  // Milliseconds from each white picture to the nearest beep (none within 0.4 s:
  // left out).
  struct Offset {
    int code;
    Clock::time_point at;
    double ms;
  };
  std::vector<Offset> Offsets() {
    std::vector<Offset> out;
    const std::vector<Clock::time_point> beeps = recorder->Onsets();
    for (const Picture &w : WhitePictures()) {
      double best = 1e9;
      for (Clock::time_point b : beeps) {
        const double d = std::chrono::duration<double, std::milli>(b - w.at).count();
        if (std::abs(d) < std::abs(best)) best = d;
      }
      if (std::abs(best) < 400) out.push_back({w.code, w.at, best});
    }
    return out;
  }

  // Milliseconds from each beep heard after beep number `first` to its white picture
  // (the nearest one within 0.4 s), once `n` beeps are matched or `ms` have passed.
  // The beep at `first`, the first one heard after the server came, is left out: the
  // sound may have come back in its middle, and the output is still measuring what the
  // new server holds. A beep is only counted once its picture has been shown too.
  std::vector<double> BeepsWithTheirPictures(std::size_t first, std::size_t n, int ms) {
    std::vector<double> out;
    WaitUntil(
        [&] {
          out.clear();
          const std::vector<Clock::time_point> beeps = recorder->Onsets();
          const std::vector<Picture> white = WhitePictures();
          for (std::size_t i = first + 1; i < beeps.size(); ++i) {
            double best = 1e9;
            for (const Picture &w : white) {
              const double d = std::chrono::duration<double, std::milli>(beeps[i] - w.at).count();
              if (std::abs(d) < std::abs(best)) best = d;
            }
            if (std::abs(best) < 400) out.push_back(best);
          }
          return out.size() >= n;
        },
        ms);
    return out;
  }

  static double Median(std::vector<double> v) {
    if (v.empty()) return 1e9;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }

  static std::string Beep() { return FixturePath("beep/VIDEO_TS/VTS_01_1.VOB"); }

  testsound::SoundServer server;
  std::unique_ptr<testsound::MonitorRecorder> recorder;
  std::mutex lock;
  std::vector<Picture> pictures;
};

} // namespace

TEST_F(ServerOutput, BeepsReachTheSinkWithTheirPicturesAlsoAfterAJump) {
  Playback p;
  ASSERT_TRUE(p.Build(Beep())) << p.error;
  // At 9 s of source time the source flushes and starts the title again half a second
  // later, as a chapter skip does. The source reads up to a few seconds ahead of the
  // picture on screen (the packet queues), so the jump is seen some seconds earlier.
  p.source->JumpAt(90000000, 5000000);
  Record(p);
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  ASSERT_TRUE(static_cast<render::AudioRenderer *>(p.audioRenderer.Get())->HasDevice()) << "no device";
  ASSERT_TRUE(p.WaitFor(EC_COMPLETE, 40000)) << "no end of stream";
  p.control->Stop();

  const std::vector<Offset> offsets = Offsets();
  std::printf("%zu white pictures, %zu beeps heard\n", WhitePictures().size(), recorder->Onsets().size());
  std::vector<double> before, after;
  int jumpAt = -1;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    if (i > 0 && offsets[i].code < offsets[i - 1].code) jumpAt = static_cast<int>(i);
    (jumpAt < 0 ? before : after).push_back(offsets[i].ms);
    std::printf("%s picture %3d: beep %+6.1f ms\n", jumpAt < 0 ? "before" : "after ", offsets[i].code, offsets[i].ms);
  }
  ASSERT_GE(jumpAt, 0) << "no jump seen";
  ASSERT_GE(before.size(), 4u) << "beeps missing before the jump";
  ASSERT_GE(after.size(), 10u) << "beeps missing after the jump";
  // The beeps are with their pictures: within 10 ms in the middle, and steady (a
  // loaded machine shows a picture a few ms late now and then). The first second
  // after the start and after the jump may settle.
  EXPECT_NEAR(Median(before), 0.0, 10.0);
  EXPECT_NEAR(Median(after), 0.0, 10.0);
  for (std::size_t i = 1; i < before.size(); ++i) EXPECT_NEAR(before[i], 0.0, 20.0) << "picture " << offsets[i].code;
  for (std::size_t i = 1; i < after.size(); ++i)
    EXPECT_NEAR(after[i], 0.0, 20.0) << "picture " << offsets[static_cast<std::size_t>(jumpAt) + i].code;
  std::printf("median beep after its picture: %+.1f ms before the jump, %+.1f ms after\n", Median(before),
              Median(after));
}

TEST_F(ServerOutput, PlaybackOutlivesTheServerAndTheSoundComesBack) {
  Playback p;
  ASSERT_TRUE(p.Build(Beep())) << p.error;
  Record(p);
  auto *renderer = static_cast<render::AudioRenderer *>(p.audioRenderer.Get());
  ComPtr<IReferenceClock> clock;
  p.audioRenderer.As(&clock);
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  ASSERT_TRUE(renderer->HasDevice());
  ASSERT_TRUE(WaitUntil([&] { return !recorder->Onsets().empty(); }, 5000)) << "no beep at the start";

  server.Kill();
  ASSERT_TRUE(WaitUntil([&] { return !renderer->HasDevice(); }, 3000)) << "the lost device was not noticed";
  // The picture and the clock go on without the server.
  std::size_t shown = 0;
  REFERENCE_TIME t0 = 0, t1 = 0;
  {
    std::lock_guard guard(lock);
    shown = pictures.size();
  }
  clock->GetTime(&t0);
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::lock_guard guard(lock);
        return pictures.size() >= shown + 15;
      },
      3000))
      << "the picture stopped with the server";
  clock->GetTime(&t1);
  EXPECT_GT(t1 - t0, 3000000);

  ASSERT_TRUE(server.Start()) << server.Error();
  const auto back = Clock::now();
  const std::size_t beepsBefore = recorder->Onsets().size();
  ASSERT_TRUE(WaitUntil([&] { return recorder->Onsets().size() >= beepsBefore + 2; }, 6000))
      << "no sound within 6 s of the server's return";
  const double seconds = std::chrono::duration<double>(recorder->Onsets()[beepsBefore] - back).count();
  EXPECT_TRUE(renderer->HasDevice());
  EXPECT_LT(seconds, 5.0) << "the sound came back late";
  // In step again: the next beeps are heard with their pictures.
  const std::vector<double> again = BeepsWithTheirPictures(beepsBefore, 4, 8000);
  ASSERT_GE(again.size(), 4u) << "beeps heard after the return without their pictures";
  EXPECT_NEAR(Median(again), 0.0, 10.0);
  std::printf("sound back %.2f s after the server; then beeps %+.1f ms after their pictures\n", seconds,
              Median(again));
  p.control->Stop();
}

TEST_F(ServerOutput, AServerThatStartsAfterThePlayerIsHeardWhenItComes) {
  // No server when playback starts: the picture plays on the silent clock, and the
  // sound server that starts later is found by itself and heard in step.
  server.Kill();
  Playback p;
  ASSERT_TRUE(p.Build(Beep())) << p.error;
  Record(p);
  auto *renderer = static_cast<render::AudioRenderer *>(p.audioRenderer.Get());
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::lock_guard guard(lock);
        return pictures.size() >= 25;
      },
      5000))
      << "no picture without a sound server";
  if (renderer->HasDevice()) GTEST_SKIP() << "a sound device other than the server was opened";

  ASSERT_TRUE(server.Start()) << server.Error();
  const auto back = Clock::now();
  const std::size_t beepsBefore = recorder->Onsets().size();
  ASSERT_TRUE(WaitUntil([&] { return recorder->Onsets().size() >= beepsBefore + 3; }, 8000))
      << "no sound within 8 s of the server's start";
  const double seconds = std::chrono::duration<double>(recorder->Onsets()[beepsBefore] - back).count();
  EXPECT_TRUE(renderer->HasDevice());
  EXPECT_LT(seconds, 6.0) << "the sound came late";
  const std::vector<double> heard = BeepsWithTheirPictures(beepsBefore, 4, 8000);
  ASSERT_GE(heard.size(), 4u) << "beeps heard without their pictures";
  EXPECT_NEAR(Median(heard), 0.0, 10.0);
  std::printf("a server started during playback: heard %.2f s after it, beeps %+.1f ms after their pictures\n",
              seconds, Median(heard));
  p.control->Stop();
}

TEST_F(ServerOutput, TheVolumeActsOnWhatReachesTheSink) {
  Playback p;
  ASSERT_TRUE(p.Build(Beep())) << p.error;
  ComPtr<IBasicAudio> audio;
  ASSERT_TRUE(SUCCEEDED(p.graph.As(&audio)));
  ASSERT_EQ(audio->put_Volume(-600), S_OK);
  ASSERT_TRUE(SUCCEEDED(p.control->Run()));
  auto beeps = [&](std::size_t n) {
    const std::size_t from = recorder->Onsets().size();
    return WaitUntil([&] { return recorder->Onsets().size() >= from + n; }, 4000);
  };
  recorder->TakePeak();
  ASSERT_TRUE(beeps(2)) << "no beeps";
  const double quiet = 20 * std::log10(recorder->TakePeak() / 0.5);
  ASSERT_EQ(audio->put_Volume(0), S_OK);
  ASSERT_TRUE(beeps(1)); // the sound buffered at -6 dB plays out
  recorder->TakePeak();
  ASSERT_TRUE(beeps(2));
  const double full = 20 * std::log10(recorder->TakePeak() / 0.5);
  p.control->Stop();
  EXPECT_NEAR(quiet, -6.0, 0.3);
  EXPECT_NEAR(full, 0.0, 0.3);
  std::printf("beep peaks at the sink: %.2f dB at volume -600, %.2f dB at 0\n", quiet, full);
}

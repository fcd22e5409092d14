// The audio renderer's buffer: sound placed at its stream time, late sound dropped,
// gains, pause, a blocked writer released by Stop, and the few blocks that may wait.
#include "render/audio_sink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

using namespace render;

namespace {

constexpr REFERENCE_TIME kMs = 10000;

std::vector<float> Ramp(int frames) {
  std::vector<float> v(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) v[2 * i] = v[2 * i + 1] = static_cast<float>(i + 1) / 100000.0f;
  return v;
}

std::vector<float> Pull(AudioSink &sink, int frames, REFERENCE_TIME when) {
  std::vector<float> out(static_cast<std::size_t>(frames) * 2, -1.0f);
  sink.Fill(out.data(), frames, media::StreamTime(when));
  return out;
}

// Polls `done` until it holds or two seconds have passed.
bool Eventually(const std::function<bool()> &done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

} // namespace

TEST(AudioSink, PlacesSoundAtItsStreamTimeAndDropsWhatIsLate) {
  AudioSink sink;
  sink.Pause();
  std::vector<float> ramp = Ramp(2000);
  ASSERT_TRUE(sink.Write(ramp.data(), 2000, media::StreamTime(10 * kMs))); // belongs 480 frames after stream 0
  sink.Run(media::StreamTime(1000 * kMs));
  std::vector<float> out = Pull(sink, 1024, 1000 * kMs);
  EXPECT_EQ(out[2 * 479], 0.0f);
  EXPECT_FLOAT_EQ(out[2 * 480], ramp[0]);
  EXPECT_FLOAT_EQ(out[2 * 1023 + 1], ramp[2 * 543 + 1]);
  // The device comes back 20 ms late: the frames that belonged there are gone.
  out = Pull(sink, 100, 1000 * kMs + 1024 * 10000000LL / kAudioRate + 20 * kMs);
  EXPECT_FLOAT_EQ(out[0], ramp[2 * (544 + 960)]);
}

TEST(AudioSink, PausedTakesNothingAndRunContinues) {
  AudioSink sink;
  sink.Pause();
  std::vector<float> ramp = Ramp(1000);
  ASSERT_TRUE(sink.Write(ramp.data(), 1000, media::StreamTime(0)));
  std::vector<float> out = Pull(sink, 500, 0);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  sink.Run(media::StreamTime(0));
  out = Pull(sink, 500, 0);
  EXPECT_FLOAT_EQ(out[0], ramp[0]);
}

TEST(AudioSink, VolumeAndBalanceAreSampleGains) {
  EXPECT_NEAR(20 * std::log10(AudioSink::GainOf(-995)), -9.95, 1e-4);
  EXPECT_EQ(AudioSink::GainOf(-10000), 0.0f);
  EXPECT_EQ(AudioSink::GainOf(0), 1.0f);

  AudioSink sink;
  std::vector<float> ones(2000, 1.0f);
  sink.Run(media::StreamTime(0));
  sink.SetVolume(-995);
  ASSERT_TRUE(sink.Write(ones.data(), 1000, media::StreamTime(0)));
  std::vector<float> out = Pull(sink, 10, 0);
  EXPECT_NEAR(20 * std::log10(out[0]), -9.95, 1e-3);
  EXPECT_NEAR(20 * std::log10(out[1]), -9.95, 1e-3);
  // Once sound is heard a change slides in over the ramp; the frames after it carry
  // the exact gains.
  constexpr int kAfter = AudioSink::kGainRampFrames;
  long long at = 10;
  auto next = [&] {
    out = Pull(sink, kAfter + 10, at * 10000000LL / kAudioRate);
    at += kAfter + 10;
  };
  sink.SetVolume(0);
  sink.SetBalance(2000); // left 20 dB down
  next();
  EXPECT_NEAR(20 * std::log10(out[2 * kAfter]), -20.0, 1e-3);
  EXPECT_EQ(out[2 * kAfter + 1], 1.0f);
  sink.SetBalance(-10000); // right silent
  next();
  EXPECT_EQ(out[2 * kAfter], 1.0f);
  EXPECT_EQ(out[2 * kAfter + 1], 0.0f);
  sink.SetBalance(0);
  sink.SetVolume(-10000);
  next();
  for (int i = 2 * kAfter; i < 2 * (kAfter + 10); ++i) EXPECT_EQ(out[i], 0.0f);
}

// A gain change while sound is heard: no frame-to-frame jump larger than the ramp
// allows, the new gain reached within the ramp, and nothing dropped or inserted.
TEST(AudioSink, AGainChangeWhileHeardSlidesWithoutAStep) {
  AudioSink sink;
  std::vector<float> ones(2 * 4000, 1.0f);
  sink.Run(media::StreamTime(0));
  ASSERT_TRUE(sink.Write(ones.data(), 4000, media::StreamTime(0)));
  std::vector<float> out = Pull(sink, 1000, 0);
  EXPECT_EQ(out[2 * 999], 1.0f);
  sink.SetVolume(-10000); // mute in the middle of the sound
  out = Pull(sink, 1000, 1000 * 10000000LL / kAudioRate);
  const float largestStep = 1.5f / AudioSink::kGainRampFrames;
  float previous = 1.0f;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_LE(std::fabs(out[2 * i] - previous), largestStep) << "frame " << i;
    ASSERT_EQ(out[2 * i], out[2 * i + 1]);
    previous = out[2 * i];
  }
  EXPECT_LT(out[0], 1.0f);                               // the change is heard at once
  EXPECT_EQ(out[2 * (AudioSink::kGainRampFrames - 1)], 0.0f); // and complete within 5 ms
  sink.SetVolume(0); // and back up, again without a step
  out = Pull(sink, 1000, 2000 * 10000000LL / kAudioRate);
  EXPECT_GT(out[0], 0.0f);
  EXPECT_LE(out[0], largestStep);
  EXPECT_EQ(out[2 * AudioSink::kGainRampFrames], 1.0f);
  // After a stop nothing sounds: a change applies at once to the next sound.
  sink.Stop();
  sink.SetVolume(-995);
  sink.Run(media::StreamTime(0));
  ASSERT_TRUE(sink.Write(ones.data(), 100, media::StreamTime(0)));
  out = Pull(sink, 10, 0);
  EXPECT_NEAR(20 * std::log10(out[0]), -9.95, 1e-3);
}

TEST(AudioSink, StopAndFlushReleaseABlockedWriter) {
  for (bool flush : {false, true}) {
    AudioSink sink;
    sink.Pause();
    std::vector<float> second(kAudioRate * 2, 0.5f);
    ASSERT_TRUE(sink.Write(second.data(), kAudioRate, media::StreamTime(0))); // full now
    bool result = true;
    std::thread writer([&] { result = sink.Write(second.data(), 100, media::StreamTime(10000000)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (flush) sink.BeginFlush();
    else sink.Stop();
    writer.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(sink.HasData());
  }
}

TEST(AudioSink, ReportsTheEndOnceTheSoundPlayedOut) {
  int ends = 0;
  AudioSink sink([&] { ++ends; });
  sink.Run(media::StreamTime(0));
  std::vector<float> ramp = Ramp(100);
  ASSERT_TRUE(sink.Write(ramp.data(), 100, media::StreamTime(0)));
  sink.EndOfStream();
  Pull(sink, 50, 0);
  EXPECT_EQ(ends, 0);
  Pull(sink, 100, 50 * 10000000LL / kAudioRate);
  Pull(sink, 100, 150 * 10000000LL / kAudioRate);
  EXPECT_EQ(ends, 1);
}

TEST(AudioSink, AStalledDeviceHoldsTheDecoderAtNineBlocks) {
  constexpr int kBlock = 1536; // one AC-3 block
  static_assert(AudioSink::kCapacity == 9 * kBlock);
  AudioSink sink;
  sink.Run(media::StreamTime(0)); // running, but the device takes nothing yet
  const std::vector<float> block(kBlock * 2, 0.25f);
  std::atomic<int> written{0};
  std::thread decoder([&] {
    for (int i = 0; i < 40; ++i) {
      if (!sink.Write(block.data(), kBlock, media::StreamTime(static_cast<REFERENCE_TIME>(i) * kBlock * 10000000 / kAudioRate))) return;
      ++written;
    }
  });
  // Never more than nine blocks wait; once the device has taken half of them the
  // decoder fills the buffer up again (a few blocks per wake-up, not one per pull).
  ASSERT_TRUE(Eventually([&] { return written.load() >= 9; }));
  for (int taken = 0; taken < 20;) {
    std::vector<float> out = Pull(sink, kBlock, static_cast<REFERENCE_TIME>(taken) * kBlock * 10000000 / kAudioRate);
    EXPECT_EQ(out[0], 0.25f);
    ++taken;
    EXPECT_LE(written.load(), taken + 9);
    EXPECT_LE(sink.PeakBuffered(), AudioSink::kCapacity);
    if (taken % 5 == 0)
      ASSERT_TRUE(Eventually([&] { return written.load() >= taken + 9; })) << "not refilled after " << taken << " taken";
  }
  sink.Stop();
  decoder.join();
  EXPECT_EQ(sink.PeakBuffered(), AudioSink::kCapacity);
  EXPECT_EQ(sink.LateFrames(), 0);
}

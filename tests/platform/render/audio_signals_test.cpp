// Opening the sound device leaves the session's end signals to the program: the sound
// library installs no handlers of its own for them.
#include "render/audio_output.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Silence : render::AudioOutput::Source {
  void Fill(float *out, int frames, media::StreamTime) override {
    for (int i = 0; i < frames * render::kAudioChannels; ++i) out[i] = 0;
  }
};

void (*Disposition(int signo))(int) {
  struct sigaction now {};
  sigaction(signo, nullptr, &now);
  return now.sa_handler;
}

TEST(AudioOutputSignals, OpeningTheDeviceInstallsNoSignalHandlers) {
  ASSERT_EQ(Disposition(SIGINT), SIG_DFL);
  ASSERT_EQ(Disposition(SIGTERM), SIG_DFL);
  Silence source;
  render::AudioOutput output(&source);
  output.Start();
  ASSERT_TRUE(output.HasDevice()) << output.DeviceError(); // the dummy driver opens
  EXPECT_EQ(Disposition(SIGINT), SIG_DFL);
  EXPECT_EQ(Disposition(SIGTERM), SIG_DFL);
  output.Close();
}

} // namespace

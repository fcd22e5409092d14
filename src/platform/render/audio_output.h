// Sound output at 48 kHz stereo float: an SDL device whose callback pulls from a
// source, or, when no device opens (no card, no sound server), a silent thread that
// pulls at the same pace and throws the sound away, so that playback and the clock
// go on. The clock follows the frames the output has taken: between two pulls it is
// interpolated with the monotonic clock, and it never runs backwards.
#pragma once

#include "com/types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace render {

constexpr int kAudioRate = 48000;
constexpr int kAudioChannels = 2;

class AudioOutput {
public:
  // Called on the output's thread: fill `frames` interleaved stereo frames that are
  // heard from clock time `when` (100 ns) on.
  struct Source {
    virtual void Fill(float *out, int frames, REFERENCE_TIME when) = 0;

  protected:
    ~Source() = default;
  };

  explicit AudioOutput(Source *source);
  ~AudioOutput();
  AudioOutput(const AudioOutput &) = delete;
  AudioOutput &operator=(const AudioOutput &) = delete;

  // Opens the device (or the silent thread) once; later calls do nothing.
  void Start();
  // Closes it; the clock goes on with the monotonic clock.
  void Close();
  bool HasDevice() const { return device_ != 0; }
  // Why the device did not open (empty when it did or was not tried).
  std::string DeviceError() const;

  // 100-ns units, monotonic.
  REFERENCE_TIME Now();

private:
  static void Callback(void *self, uint8_t *stream, int bytes);
  void Pull(float *out, int frames);
  void SilentLoop();
  REFERENCE_TIME Monotonic() const;

  Source *source_;
  uint32_t device_ = 0; // SDL_AudioDeviceID
  bool sdlInit_ = false;
  std::string error_;

  mutable std::mutex lock_;             // clock state
  REFERENCE_TIME base_ = 0;             // clock time of device frame 0
  long long consumed_ = 0;              // frames pulled so far
  std::chrono::steady_clock::time_point lastPull_{};
  int lastFrames_ = 0;                  // size of the last pull
  REFERENCE_TIME lastTime_ = 0;         // last time handed out
  bool started_ = false;

  std::thread silent_;
  std::mutex silentLock_;
  std::condition_variable silentWake_;
  bool silentStop_ = false;
};

} // namespace render

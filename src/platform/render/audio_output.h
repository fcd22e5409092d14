// Sound output at 48 kHz stereo float: an SDL device whose callback pulls from a
// source, or, when no device opens (no card, no sound server), a silent thread that
// pulls at the same pace and throws the sound away, so that playback and the clock
// go on. Devices are tried in order: the desktop's sound server, then ALSA
// (SDL_AUDIODRIVER, when set, names the only drivers tried). A device that goes away
// while playing (the server ends or restarts) is replaced by the silent thread and
// opened again by itself once it can be.
//
// The clock follows the sound that reaches the device: the frames the output has
// taken, less the output's latency (what the device and the server still hold),
// measured again while playing. Between two pulls it is interpolated with the
// monotonic clock, and it never runs backwards.
#pragma once

#include "com/media_time.h"
#include "com/types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace render {

constexpr int kAudioRate = 48000;
constexpr int kAudioChannels = 2;

class ServerLatency;

class AudioOutput {
public:
  // Called on the output's thread: fill `frames` interleaved stereo frames that are
  // heard from clock time `when` on.
  struct Source {
    virtual void Fill(float *out, int frames, media::StreamTime when) = 0;

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
  // Why the device did not open or went away (empty while one plays).
  std::string DeviceError() const;
  // The SDL driver of the open device; empty on the silent output.
  std::string Driver() const;
  // The output latency the clock takes off.
  media::StreamTime Latency() const;

  // The clock: monotonic.
  media::StreamTime Now();

private:
  static void Callback(void *self, uint8_t *stream, int bytes);
  void Pull(float *out, int frames);
  bool OpenDevice(const std::vector<std::string> &drivers);
  void CloseDevice();
  void StartSilent();
  void StopSilent();
  void SilentLoop();
  void Supervise();
  void MeasureLatency();
  // A new output takes over: its first frame is heard `latency` after the current
  // clock time.
  void Rebase(media::StreamTime latency);
  media::StreamTime Monotonic() const;
  media::StreamTime InterpolatedLocked() const;

  Source *source_;
  std::atomic<uint32_t> device_{0}; // SDL_AudioDeviceID
  int deviceFrames_ = 0;            // the device's buffer
  mutable std::mutex infoLock_;
  std::string error_, driver_;

  mutable std::mutex lock_;             // clock state
  media::StreamTime base_;              // clock time the output's frame 0 is heard
  media::SampleCount48k consumed_;      // frames pulled so far
  std::chrono::steady_clock::time_point lastPull_{};
  int lastFrames_ = 0;                  // size of the last pull
  media::StreamTime latency_;           // what the output holds: taken off the clock
  media::StreamTime lastTime_;          // last time handed out
  bool started_ = false;

  std::thread silent_;
  std::mutex silentLock_;
  std::condition_variable silentWake_;
  bool silentStop_ = false;

  // Watches the device, measures its latency, replaces and reopens it.
  std::thread supervisor_;
  std::mutex superLock_;
  std::condition_variable superWake_;
  bool superStop_ = false;
  std::string lostDriver_; // the driver of a device that went away, to reopen
  std::unique_ptr<ServerLatency> server_;
  long long serverSerial_ = 0;
  std::chrono::steady_clock::time_point serverRetry_{};
  std::deque<media::StreamTime> measured_;
};

} // namespace render

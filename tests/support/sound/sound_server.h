// A private PulseAudio server for a test: one null sink "qdvd" (48 kHz float
// stereo) in its own runtime directory, no sound card needed, root or not. Start()
// points this process at it (PULSE_SERVER); Kill() ends it as a crash would and
// Start() brings it back on the same socket.
//
// MonitorRecorder records the sink's monitor and notes, on the steady clock, when
// each beep starts (a loud stretch after at least 0.3 s of quiet). It reconnects
// by itself when the server comes back.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace testsound {

using Clock = std::chrono::steady_clock;

class SoundServer {
public:
  SoundServer();
  ~SoundServer();
  static bool Available(); // the server program is installed
  bool Start(int timeoutMs = 10000);
  void Kill();
  const std::string &Error() const { return error_; }

private:
  std::string dir_, socket_, error_;
  pid_t pid_ = -1;
};

class MonitorRecorder {
public:
  MonitorRecorder();
  ~MonitorRecorder();
  std::vector<Clock::time_point> Onsets();
  long long Frames() const { return frames_; } // recorded so far
  bool Connected() const { return connected_; }
  // The loudest sample since the last call.
  float TakePeak() { return peak_.exchange(0); }

private:
  void Loop();
  std::atomic<bool> stop_{false}, connected_{false};
  std::atomic<long long> frames_{0};
  std::atomic<float> peak_{0};
  std::mutex lock_;
  std::vector<Clock::time_point> onsets_;
  std::thread thread_;
};

} // namespace testsound

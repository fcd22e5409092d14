#include "sound/sound_server.h"

#include <pulse/simple.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsound {
namespace {

bool Answers(const std::string &path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

} // namespace

SoundServer::SoundServer() {
  char dir[] = "/tmp/qdvd-pulse-XXXXXX";
  if (mkdtemp(dir)) dir_ = dir;
  socket_ = dir_ + "/native";
}

SoundServer::~SoundServer() {
  Kill();
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

bool SoundServer::Available() { return std::system("command -v pulseaudio >/dev/null 2>&1") == 0; }

bool SoundServer::Start(int timeoutMs) {
  if (pid_ > 0) return true;
  if (dir_.empty()) {
    error_ = "no temporary directory";
    return false;
  }
  const std::string unixArg = "module-native-protocol-unix auth-anonymous=1 socket=" + socket_;
  const pid_t pid = fork();
  if (pid < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    // Its own home and runtime directory: nothing of a desktop session is touched.
    setenv("HOME", dir_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--enable-memfd=no",
           "--log-level=error", "--log-target=stderr", "-L",
           "module-null-sink sink_name=qdvd rate=48000 format=float32le channels=2", "-L", unixArg.c_str(),
           static_cast<char *>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline) {
    if (Answers(socket_)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = "the server ended at once";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  error_ = "the server did not answer";
  Kill();
  return false;
}

void SoundServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

MonitorRecorder::MonitorRecorder() : thread_([this] { Loop(); }) {}

MonitorRecorder::~MonitorRecorder() {
  stop_ = true;
  thread_.join();
}

std::vector<Clock::time_point> MonitorRecorder::Onsets() {
  std::lock_guard guard(lock_);
  return onsets_;
}

void MonitorRecorder::Loop() {
  constexpr int kRate = 48000, kChunk = 240; // 5 ms reads
  const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 2};
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.fragsize = kChunk * 8;
  std::vector<float> chunk(kChunk * 2);
  while (!stop_) {
    int err = 0;
    pa_simple *rec = pa_simple_new(nullptr, "monitor", PA_STREAM_RECORD, "qdvd.monitor", "capture", &format, nullptr,
                                   &attr, &err);
    if (!rec) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the server is away: try again
      continue;
    }
    connected_ = true;
    long long quiet = 0;
    while (!stop_) {
      if (pa_simple_read(rec, chunk.data(), chunk.size() * sizeof(float), &err) < 0) break;
      const auto now = Clock::now();
      const pa_usec_t latency = pa_simple_get_latency(rec, &err);
      // The chunk's last frame entered the monitor `latency` ago.
      const auto end = now - std::chrono::microseconds(latency);
      for (int i = 0; i < kChunk; ++i) {
        const float x = std::fabs(chunk[2 * i]);
        if (x > peak_) peak_ = x;
        const bool loud = x >= 0.05f;
        if (loud && quiet >= kRate * 3 / 10) {
          std::lock_guard guard(lock_);
          onsets_.push_back(end - std::chrono::microseconds((kChunk - 1 - i) * 1000000LL / kRate));
        }
        quiet = loud ? 0 : quiet + 1;
      }
      frames_ += kChunk;
    }
    connected_ = false;
    pa_simple_free(rec);
  }
}

} // namespace testsound

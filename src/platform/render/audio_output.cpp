#include "render/audio_output.h"

#include "render/server_latency.h"
#include "com/log.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace render {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDeviceFrames = 1024; // about 21 ms per pull
constexpr auto kSilentPeriod = std::chrono::milliseconds(10);
constexpr auto kWatchPeriod = std::chrono::milliseconds(100);
constexpr auto kReopenPeriod = std::chrono::seconds(1);     // after a device went away
constexpr auto kRetryPeriod = std::chrono::seconds(4);      // when none ever opened
constexpr auto kServerRetry = std::chrono::seconds(1);
constexpr std::size_t kMeasureWindow = 5;                  // median of the last measurements
constexpr media::StreamTime kLatencyStep = media::StreamTime::Milliseconds(1); // smaller changes are noise
constexpr media::StreamTime kLatencyLimit = media::StreamTime::Seconds(1);     // beyond it, not believed

media::StreamTime FramesToTime(long long frames) { return media::ToStreamTime(media::SampleCount48k(frames)); }

// SDL's audio driver is one for the process: it is chosen, and changed, only while no
// device is open.
std::mutex gSdlLock;
int gOpenDevices = 0;
bool gSdlReady = false;

std::vector<std::string> PreferredDrivers() {
  std::vector<std::string> names;
  const char *env = std::getenv("SDL_AUDIODRIVER");
  if (!env || !*env) return {"pulseaudio", "alsa"};
  std::string list(env);
  std::size_t at = 0;
  while (at <= list.size()) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    if (comma > at) names.push_back(list.substr(at, comma - at));
    at = comma + 1;
  }
  return names;
}

bool IsSoundServer(const std::string &driver) { return strcasecmp(driver.c_str(), "pulseaudio") == 0; }

// The latency a device has before (or without) a measurement: what SDL tells of its
// buffers. ALSA holds two periods of the device's buffer size; a driver writing to a
// file or nowhere holds nothing.
media::StreamTime DriverLatency(const std::string &driver, int frames) {
  if (IsSoundServer(driver)) return FramesToTime(frames);
  if (strcasecmp(driver.c_str(), "alsa") == 0) return FramesToTime(2LL * frames);
  return media::StreamTime();
}

} // namespace

AudioOutput::AudioOutput(Source *source) : source_(source) {}

AudioOutput::~AudioOutput() { Close(); }

media::StreamTime AudioOutput::Monotonic() const {
  using namespace std::chrono;
  return media::StreamTime(duration_cast<nanoseconds>(Clock::now().time_since_epoch()).count() / 100);
}

void AudioOutput::Start() {
  {
    std::lock_guard guard(lock_);
    if (started_) return;
    started_ = true;
    latency_ = media::StreamTime();
    base_ = std::max(Monotonic(), lastTime_);
    consumed_ = media::SampleCount48k();
    lastFrames_ = 0;
    lastPull_ = Clock::now();
  }
  lostDriver_.clear();
  measured_.clear();
  if (OpenDevice(PreferredDrivers())) {
    std::string driver = Driver();
    Rebase(DriverLatency(driver, deviceFrames_));
    SDL_PauseAudioDevice(device_, 0);
  } else {
    qCWarning(lcAudio, "no sound device (%s): playing on silently", DeviceError().c_str());
    StartSilent();
  }
  superStop_ = false;
  supervisor_ = std::thread([this] { Supervise(); });
}

void AudioOutput::Close() {
  if (supervisor_.joinable()) {
    {
      std::lock_guard guard(superLock_);
      superStop_ = true;
    }
    superWake_.notify_all();
    supervisor_.join();
  }
  server_.reset();
  CloseDevice();
  StopSilent();
  std::lock_guard guard(lock_);
  started_ = false;
  latency_ = media::StreamTime();
}

bool AudioOutput::OpenDevice(const std::vector<std::string> &drivers) {
  SDL_AudioSpec want{}, have{};
  want.freq = kAudioRate;
  want.format = AUDIO_F32SYS;
  want.channels = kAudioChannels;
  want.samples = kDeviceFrames;
  want.callback = &AudioOutput::Callback;
  want.userdata = this;
  std::string errors;
  auto failed = [&](const std::string &driver, const char *what) {
    if (!errors.empty()) errors += "; ";
    errors += driver + ": " + what;
  };
  std::lock_guard sdl(gSdlLock);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // the program handles its own end
  SDL_AudioDeviceID id = 0;
  for (const std::string &driver : drivers) {
    const char *current = gSdlReady ? SDL_GetCurrentAudioDriver() : nullptr;
    if (!current || strcasecmp(current, driver.c_str()) != 0) {
      if (gOpenDevices > 0) { // another output plays through the current driver
        failed(driver, "another driver is in use");
        continue;
      }
      if (gSdlReady) SDL_AudioQuit();
      gSdlReady = SDL_AudioInit(driver.c_str()) == 0;
      if (!gSdlReady) {
        failed(driver, SDL_GetError());
        continue;
      }
    }
    id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id != 0) break;
    failed(driver, SDL_GetError());
  }
  if (id == 0) {
    if (gOpenDevices == 0 && gSdlReady) {
      SDL_AudioQuit();
      gSdlReady = false;
    }
    std::lock_guard info(infoLock_);
    error_ = errors.empty() ? "no audio driver" : errors;
    driver_.clear();
    return false;
  }
  ++gOpenDevices;
  deviceFrames_ = have.samples;
  {
    std::lock_guard info(infoLock_);
    error_.clear();
    driver_ = SDL_GetCurrentAudioDriver();
  }
  device_ = id;
  return true;
}

void AudioOutput::CloseDevice() {
  const uint32_t id = device_.exchange(0);
  if (id == 0) return;
  std::lock_guard sdl(gSdlLock);
  SDL_CloseAudioDevice(id); // waits for a running callback
  if (--gOpenDevices == 0 && gSdlReady) {
    SDL_AudioQuit();
    gSdlReady = false;
  }
  std::lock_guard info(infoLock_);
  driver_.clear();
}

void AudioOutput::StartSilent() {
  std::lock_guard guard(silentLock_);
  silentStop_ = false;
  silent_ = std::thread([this] { SilentLoop(); });
}

void AudioOutput::StopSilent() {
  if (!silent_.joinable()) return;
  {
    std::lock_guard guard(silentLock_);
    silentStop_ = true;
  }
  silentWake_.notify_all();
  silent_.join();
}

std::string AudioOutput::DeviceError() const {
  std::lock_guard info(infoLock_);
  return error_;
}

std::string AudioOutput::Driver() const {
  std::lock_guard info(infoLock_);
  return driver_;
}

media::StreamTime AudioOutput::Latency() const {
  std::lock_guard guard(lock_);
  return latency_;
}

media::StreamTime AudioOutput::InterpolatedLocked() const {
  using namespace std::chrono;
  const media::StreamTime pulled = base_ + media::ToStreamTime(consumed_);
  // The last pull's frames are heard from `pulled - its length` on: interpolate inside
  // it, less what the output still holds before them.
  const media::StreamTime span = FramesToTime(lastFrames_);
  const media::StreamTime since(duration_cast<nanoseconds>(Clock::now() - lastPull_).count() / 100);
  return pulled - span + std::min(since, span) - latency_;
}

media::StreamTime AudioOutput::Now() {
  std::lock_guard guard(lock_);
  media::StreamTime t = started_ ? InterpolatedLocked() : Monotonic();
  t = std::max(t, lastTime_);
  lastTime_ = t;
  return t;
}

void AudioOutput::Rebase(media::StreamTime latency) {
  std::lock_guard guard(lock_);
  const media::StreamTime now = std::max(InterpolatedLocked(), lastTime_);
  qCDebug(lcAudio, "output rebased at clock %.1f ms, latency %.1f ms", now.ticks() / 1e4, latency.ticks() / 1e4);
  latency_ = latency;
  base_ = now + latency;
  consumed_ = media::SampleCount48k();
  lastFrames_ = 0;
  lastPull_ = Clock::now();
}

void AudioOutput::Callback(void *self, uint8_t *stream, int bytes) {
  static_cast<AudioOutput *>(self)->Pull(reinterpret_cast<float *>(stream),
                                         bytes / static_cast<int>(sizeof(float) * kAudioChannels));
}

void AudioOutput::Pull(float *out, int frames) {
  media::StreamTime when;
  {
    std::lock_guard guard(lock_);
    when = base_ + media::ToStreamTime(consumed_);
    consumed_ += media::SampleCount48k(frames);
    lastFrames_ = frames;
    lastPull_ = Clock::now();
  }
  source_->Fill(out, frames, when);
}

void AudioOutput::SilentLoop() {
  std::vector<float> scratch;
  const auto begin = Clock::now();
  long long pulled = 0;
  std::unique_lock guard(silentLock_);
  while (!silentStop_) {
    silentWake_.wait_for(guard, kSilentPeriod, [this] { return silentStop_; });
    if (silentStop_) break;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin).count();
    const long long due = elapsed * kAudioRate / 1000000;
    const int frames = static_cast<int>(std::min<long long>(due - pulled, kAudioRate));
    if (frames <= 0) continue;
    pulled += frames;
    scratch.assign(static_cast<std::size_t>(frames) * kAudioChannels, 0.0f);
    guard.unlock();
    Pull(scratch.data(), frames);
    guard.lock();
  }
}

void AudioOutput::MeasureLatency() {
  if (!IsSoundServer(Driver())) return;
  const auto now = Clock::now();
  if (!server_ || !server_->Connected()) {
    if (now < serverRetry_) return;
    serverRetry_ = now + kServerRetry;
    server_ = std::make_unique<ServerLatency>();
    serverSerial_ = 0;
    if (!server_->Connect()) return;
  }
  long long serial = 0;
  const media::MaybeStreamTime latest = server_->Latest(&serial);
  if (!latest || serial == serverSerial_) return;
  const media::StreamTime measured = *latest;
  serverSerial_ = serial;
  {
    // Only while the sound flows: a server that does not take the sound yet (a sink
    // waking up) reports what it will hold, not what it holds.
    std::lock_guard guard(lock_);
    if (lastFrames_ == 0 || now - lastPull_ > std::chrono::milliseconds(3 * 1000 * kDeviceFrames / kAudioRate))
      return;
  }
  if (measured > kLatencyLimit) return;
  measured_.push_back(measured);
  if (measured_.size() > kMeasureWindow) measured_.pop_front();
  std::vector<media::StreamTime> sorted(measured_.begin(), measured_.end());
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
  const media::StreamTime median = sorted[sorted.size() / 2];
  std::lock_guard guard(lock_);
  if (std::abs((median - latency_).ticks()) >= kLatencyStep.ticks()) {
    latency_ = median;
    qCDebug(lcAudio, "output latency %.1f ms (last measured %.1f ms)", median.ticks() / 1e4, measured.ticks() / 1e4);
  }
}

void AudioOutput::Supervise() {
  auto retryAt = Clock::now() + kRetryPeriod;
  std::unique_lock guard(superLock_);
  while (!superStop_) {
    superWake_.wait_for(guard, kWatchPeriod, [this] { return superStop_; });
    if (superStop_) break;
    guard.unlock();
    if (device_ != 0) {
      if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
        // The device went away (the server ended, the card was unplugged): the
        // silent output keeps the clock going until it can be opened again.
        lostDriver_ = Driver();
        qCWarning(lcAudio, "the sound device of %s went away: playing on silently",
                  lostDriver_.c_str());
        CloseDevice();
        server_.reset();
        measured_.clear();
        Rebase(media::StreamTime());
        StartSilent();
        std::lock_guard info(infoLock_);
        error_ = lostDriver_ + ": the device went away";
        retryAt = Clock::now() + kReopenPeriod;
      } else {
        MeasureLatency();
      }
    } else if (Clock::now() >= retryAt) {
      // A lost device comes back through its own driver only: a sound server that
      // restarts needs the card that ALSA would otherwise take. Without any device
      // so far, a sound server started later is looked for.
      const bool lost = !lostDriver_.empty();
      std::vector<std::string> drivers = PreferredDrivers();
      if (lost) drivers = {lostDriver_};
      else if (!std::getenv("SDL_AUDIODRIVER")) drivers.resize(1);
      if (OpenDevice(drivers)) {
        StopSilent();
        Rebase(DriverLatency(Driver(), deviceFrames_));
        SDL_PauseAudioDevice(device_, 0);
        lostDriver_.clear();
      } else {
        if (lost) {
          std::lock_guard info(infoLock_);
          error_ = lostDriver_ + ": the device went away";
        }
        retryAt = Clock::now() + (lost ? kReopenPeriod : kRetryPeriod);
      }
    }
    guard.lock();
  }
}

} // namespace render

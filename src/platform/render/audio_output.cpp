#include "render/audio_output.h"

#include <SDL.h>

#include <algorithm>

namespace render {
namespace {

constexpr int kDeviceFrames = 1024;     // about 21 ms per pull
constexpr auto kSilentPeriod = std::chrono::milliseconds(10);

} // namespace

AudioOutput::AudioOutput(Source *source) : source_(source) {}

AudioOutput::~AudioOutput() { Close(); }

REFERENCE_TIME AudioOutput::Monotonic() const {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count() / 100;
}

void AudioOutput::Start() {
  {
    std::lock_guard guard(lock_);
    if (started_) return;
    started_ = true;
    base_ = std::max(Monotonic(), lastTime_);
    consumed_ = 0;
    lastFrames_ = 0;
    lastPull_ = std::chrono::steady_clock::now();
  }
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // the program handles its own end
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    sdlInit_ = true;
    SDL_AudioSpec want{}, have{};
    want.freq = kAudioRate;
    want.format = AUDIO_F32SYS;
    want.channels = kAudioChannels;
    want.samples = kDeviceFrames;
    want.callback = &AudioOutput::Callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) error_ = SDL_GetError();
  } else {
    error_ = SDL_GetError();
  }
  if (device_ != 0) {
    SDL_PauseAudioDevice(device_, 0);
    return;
  }
  if (sdlInit_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlInit_ = false;
  }
  silentStop_ = false;
  silent_ = std::thread([this] { SilentLoop(); });
}

void AudioOutput::Close() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_); // waits for a running callback
    device_ = 0;
  }
  if (sdlInit_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlInit_ = false;
  }
  if (silent_.joinable()) {
    {
      std::lock_guard guard(silentLock_);
      silentStop_ = true;
    }
    silentWake_.notify_all();
    silent_.join();
  }
  std::lock_guard guard(lock_);
  started_ = false;
}

std::string AudioOutput::DeviceError() const { return error_; }

REFERENCE_TIME AudioOutput::Now() {
  std::lock_guard guard(lock_);
  REFERENCE_TIME t;
  if (!started_) {
    t = Monotonic();
  } else {
    using namespace std::chrono;
    const REFERENCE_TIME pulled = base_ + consumed_ * 10000000LL / kAudioRate;
    // The last pull's frames play from `pulled - its length` on: interpolate inside it.
    const REFERENCE_TIME span = lastFrames_ * 10000000LL / kAudioRate;
    const REFERENCE_TIME since = duration_cast<nanoseconds>(steady_clock::now() - lastPull_).count() / 100;
    t = pulled - span + std::min(since, span);
  }
  t = std::max(t, lastTime_);
  lastTime_ = t;
  return t;
}

void AudioOutput::Callback(void *self, uint8_t *stream, int bytes) {
  static_cast<AudioOutput *>(self)->Pull(reinterpret_cast<float *>(stream),
                                         bytes / static_cast<int>(sizeof(float) * kAudioChannels));
}

void AudioOutput::Pull(float *out, int frames) {
  REFERENCE_TIME when;
  {
    std::lock_guard guard(lock_);
    when = base_ + consumed_ * 10000000LL / kAudioRate;
    consumed_ += frames;
    lastFrames_ = frames;
    lastPull_ = std::chrono::steady_clock::now();
  }
  source_->Fill(out, frames, when);
}

void AudioOutput::SilentLoop() {
  using clock = std::chrono::steady_clock;
  std::vector<float> scratch;
  const auto begin = clock::now();
  long long pulled = 0;
  std::unique_lock guard(silentLock_);
  while (!silentStop_) {
    silentWake_.wait_for(guard, kSilentPeriod, [this] { return silentStop_; });
    if (silentStop_) break;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - begin).count();
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

} // namespace render

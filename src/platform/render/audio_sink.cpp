#include "render/audio_sink.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace render {
namespace {

constexpr long long kTolerance = kAudioRate / 1000; // 1 ms counts as continuous

media::StreamTime FramesToTime(long long frames) { return media::ToStreamTime(media::SampleCount48k(frames)); }
long long TimeToFrames(media::StreamTime t) { return media::ToSampleCount48k(t).frames(); }

} // namespace

AudioSink::AudioSink(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {}

float AudioSink::GainOf(long hundredthsOfDb) {
  if (hundredthsOfDb <= -10000) return 0.0f;
  if (hundredthsOfDb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

long long AudioSink::BufferedFrames() const {
  long long n = 0;
  for (const Chunk &c : chunks_) n += static_cast<long long>(c.samples.size() / kAudioChannels - c.offset);
  return n;
}

bool AudioSink::Write(const float *samples, int frames, media::StreamTime start) {
  if (frames <= 0) return true;
  std::unique_lock guard(lock_);
  long long buffered = 0;
  ++writers_;
  space_.wait(guard, [&] {
    buffered = BufferedFrames();
    return flushing_ || stopped_ || buffered == 0 || buffered + frames <= kCapacity;
  });
  --writers_;
  if (flushing_ || stopped_) return false;
  chunks_.push_back(Chunk{std::vector<float>(samples, samples + static_cast<std::size_t>(frames) * kAudioChannels), start});
  peak_ = std::max(peak_, buffered + frames);
  return true;
}

void AudioSink::EndOfStream() {
  std::lock_guard guard(lock_);
  eos_ = true;
  endSent_ = false;
}

void AudioSink::BeginFlush() {
  std::lock_guard guard(lock_);
  flushing_ = true;
  heard_ = false;
  chunks_.clear();
  eos_ = false;
  space_.notify_all();
}

void AudioSink::EndFlush() {
  std::lock_guard guard(lock_);
  flushing_ = false;
}

void AudioSink::Run(media::StreamTime start) {
  std::lock_guard guard(lock_);
  runStart_ = start;
  running_ = true;
  stopped_ = false;
}

void AudioSink::Pause() {
  std::lock_guard guard(lock_);
  running_ = false;
  stopped_ = false;
}

void AudioSink::Stop() {
  std::lock_guard guard(lock_);
  running_ = false;
  stopped_ = true;
  heard_ = false;
  chunks_.clear();
  eos_ = false;
  space_.notify_all();
}

void AudioSink::SetVolume(long volume) {
  std::lock_guard guard(lock_);
  volume_ = volume;
  UpdateGains();
}

void AudioSink::SetBalance(long balance) {
  std::lock_guard guard(lock_);
  balance_ = balance;
  UpdateGains();
}

void AudioSink::UpdateGains() {
  // A positive balance attenuates the left side, a negative one the right side.
  left_ = volume_ <= -10000 ? 0.0f : GainOf(volume_ + std::min(0L, -balance_));
  right_ = volume_ <= -10000 ? 0.0f : GainOf(volume_ + std::min(0L, balance_));
  if (heard_) {
    rampLeft_ = kGainRampFrames;
  } else { // nothing sounds yet: nothing to slide from
    heardLeft_ = left_;
    heardRight_ = right_;
    rampLeft_ = 0;
  }
}

bool AudioSink::HasData() {
  std::lock_guard guard(lock_);
  return !chunks_.empty() || eos_;
}

long long AudioSink::LateFrames() {
  std::lock_guard guard(lock_);
  return late_;
}

long long AudioSink::PeakBuffered() {
  std::lock_guard guard(lock_);
  return peak_;
}

media::StreamTime AudioSink::BufferedUntil() {
  std::lock_guard guard(lock_);
  if (chunks_.empty()) return media::StreamTime();
  const Chunk &c = chunks_.back();
  return c.start + FramesToTime(static_cast<long long>(c.samples.size() / kAudioChannels));
}

void AudioSink::Fill(float *out, int frames, media::StreamTime when) {
  std::memset(out, 0, sizeof(float) * static_cast<std::size_t>(frames) * kAudioChannels);
  bool ended = false;
  {
    std::lock_guard guard(lock_);
    if (!running_) return;
    const media::StreamTime streamAt = when - runStart_;
    int written = 0;
    while (written < frames && !chunks_.empty()) {
      Chunk &c = chunks_.front();
      const long long left = static_cast<long long>(c.samples.size() / kAudioChannels - c.offset);
      // Where the chunk's next frame belongs, counted from this pull's first frame.
      const long long due = TimeToFrames(c.start - streamAt) + static_cast<long long>(c.offset);
      long long ahead = due - written;
      if (ahead > kTolerance) { // the sound belongs later: silence until then
        written += static_cast<int>(std::min<long long>(ahead, frames - written));
        continue;
      }
      if (ahead < -kTolerance) { // late: drop what has passed
        const long long drop = std::min(-ahead, left);
        late_ += drop;
        c.offset += static_cast<std::size_t>(drop);
        if (c.offset * kAudioChannels >= c.samples.size()) chunks_.pop_front();
        continue;
      }
      const int n = static_cast<int>(std::min<long long>(left, frames - written));
      const float *src = c.samples.data() + c.offset * kAudioChannels;
      float *dst = out + static_cast<std::size_t>(written) * kAudioChannels;
      for (int i = 0; i < n; ++i) {
        if (rampLeft_ > 0) {
          heardLeft_ += (left_ - heardLeft_) / static_cast<float>(rampLeft_);
          heardRight_ += (right_ - heardRight_) / static_cast<float>(rampLeft_);
          if (--rampLeft_ == 0) {
            heardLeft_ = left_;
            heardRight_ = right_;
          }
        }
        dst[2 * i] = src[2 * i] * heardLeft_;
        dst[2 * i + 1] = src[2 * i + 1] * heardRight_;
      }
      if (n > 0) heard_ = true;
      written += n;
      c.offset += static_cast<std::size_t>(n);
      if (c.offset * kAudioChannels >= c.samples.size()) chunks_.pop_front();
    }
    // A blocked writer is woken once half the buffer is free, so that it writes a few
    // blocks at a time instead of waking at every pull.
    if (writers_ > 0 && BufferedFrames() <= kCapacity / 2) space_.notify_all();
    if (chunks_.empty() && eos_ && !endSent_) {
      endSent_ = true;
      ended = true;
    }
  }
  if (ended && onEnd_) onEnd_();
}

} // namespace render

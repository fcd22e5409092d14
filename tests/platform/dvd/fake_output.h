// A NavOutput that records what the engine sends, with a clock that can run faster
// than the wall clock.
#pragma once

#include "dshow/evcode.h"
#include "dvd/engine.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

struct RecordedEvent {
  LONG code;
  LONG_PTR p1, p2;
  double wall; // seconds since the output was made
};

class FakeOutput : public dvd::NavOutput {
public:
  explicit FakeOutput(double clockSpeed = 1.0) : speed_(clockSpeed), t0_(std::chrono::steady_clock::now()) {}

  void DeliverSample(dvd::StreamKind kind, const BYTE *, std::size_t size, const dvd::SampleInfo &info) override {
    std::lock_guard g(m_);
    int k = kind == dvd::StreamKind::Video ? 0 : kind == dvd::StreamKind::Audio ? 1 : 2;
    samples[k]++;
    bytes[k] += size;
    if (info.newFormat) formats.push_back(*info.newFormat);
    if (info.discontinuity) discontinuities[k]++;
    if (k > 0)
      streamSamples[k].push_back({Wall(), info.hasTime, info.start.ticks(), info.discontinuity != false,
                                  info.newFormat ? info.newFormat->coding : dvd::AudioCoding::None});
    if (info.hasTime && k == 0) {
      lastVideoTime = info.start.ticks();
      videoStarts.push_back({events.size(), flushes, info.start.ticks()});
    }
  }
  void Flush() override {
    std::lock_guard g(m_);
    flushes++;
  }
  void FlushStream(dvd::StreamKind kind) override {
    std::lock_guard g(m_);
    int k = kind == dvd::StreamKind::Video ? 0 : kind == dvd::StreamKind::Audio ? 1 : 2;
    streamFlushes[k]++;
    streamFlushWall[k] = Wall();
  }
  void EndOfStream() override {
    std::lock_guard g(m_);
    endOfStreams++;
  }
  void Drain() override {
    std::function<void()> hook;
    {
      std::lock_guard g(m_);
      drains++;
      hook = std::exchange(onDrain, nullptr);
    }
    if (hook) hook(); // once, on the navigator thread, while the decoders "drain"
  }
  std::function<void()> onDrain;
  // Every sound and subpicture sample (index 1 and 2), as it came.
  struct StreamSample {
    double wall;
    bool hasTime;
    REFERENCE_TIME start;
    bool discontinuity;
    dvd::AudioCoding newCoding; // None: no new format
  };
  std::vector<StreamSample> streamSamples[3];
  // Timed video samples: the events and flushes recorded before each, and its time.
  struct VideoStart {
    std::size_t events;
    int flushes;
    REFERENCE_TIME start;
  };
  std::vector<VideoStart> videoStarts;
  void SetScanMode(bool scanning) override {
    std::lock_guard g(m_);
    scanMode = scanning;
  }
  void SetPalette(const DWORD *) override {
    std::lock_guard g(m_);
    palettes++;
  }
  void SetHighlight(const DvdHighlight &h) override {
    std::lock_guard g(m_);
    highlights.push_back(h);
  }
  void SetSubpictureDisplay(bool on) override {
    std::lock_guard g(m_);
    display = on;
  }
  void Notify(LONG code, LONG_PTR p1, LONG_PTR p2) override {
    std::lock_guard g(m_);
    events.push_back({code, p1, p2, Wall()});
    cv_.notify_all();
  }
  bool Now(media::StreamTime *now) override {
    *now = media::StreamTime(static_cast<REFERENCE_TIME>(Wall() * speed_ * 1e7));
    return true;
  }
  // The same in plain ticks, for the tests' own arithmetic.
  bool Now(REFERENCE_TIME *now) {
    media::StreamTime t;
    Now(&t);
    *now = t.ticks();
    return true;
  }

  double Wall() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
  }

  // Waits for an event after index `from` that matches; returns its index or -1.
  int WaitFor(LONG code, std::function<bool(const RecordedEvent &)> match = nullptr, int from = 0,
              double seconds = 10) {
    std::unique_lock g(m_);
    int found = -1;
    cv_.wait_for(g, std::chrono::duration<double>(seconds), [&] {
      for (std::size_t i = static_cast<std::size_t>(from); i < events.size(); ++i)
        if (events[i].code == code && (!match || match(events[i]))) return (found = static_cast<int>(i)), true;
      return false;
    });
    return found;
  }
  int EventCount() {
    std::lock_guard g(m_);
    return static_cast<int>(events.size());
  }
  std::vector<RecordedEvent> Events() {
    std::lock_guard g(m_);
    return events;
  }

  std::mutex m_;
  std::condition_variable cv_;
  std::vector<RecordedEvent> events;
  std::vector<DvdHighlight> highlights;
  std::vector<dvd::StreamFormat> formats;
  long samples[3] = {}, bytes[3] = {}, discontinuities[3] = {};
  int flushes = 0, endOfStreams = 0, drains = 0, palettes = 0;
  int streamFlushes[3] = {};
  double streamFlushWall[3] = {};
  bool scanMode = false, display = false;
  REFERENCE_TIME lastVideoTime = 0;

private:
  double speed_;
  std::chrono::steady_clock::time_point t0_;
};

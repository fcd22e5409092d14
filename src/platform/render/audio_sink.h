// The audio renderer's buffer: timed chunks of 48 kHz stereo float written by the
// streaming thread and pulled by the output at the clock times they belong to
// (stream time = clock time - run start). Late sound is dropped, a gap before the
// next chunk is filled with silence, and while not running nothing is taken.
// Volume and balance are applied as sample gains here.
#pragma once

#include "render/audio_output.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace render {

class AudioSink : public AudioOutput::Source {
public:
  // `onEnd` is called (on the output's thread, no lock held) when the sound after an
  // end of stream has been played out.
  explicit AudioSink(std::function<void()> onEnd = {});

  // What may wait here: about nine blocks of decoded sound (AC-3's 1536 frames each,
  // 288 ms). The mux skew waits in the decoder's compressed queue, not here.
  static constexpr long long kCapacity = 9 * 1536;
  // Streaming thread. Blocks while the chunk would take the buffer past kCapacity (a
  // chunk larger than that goes in alone); false when the wait was ended by
  // Flush/Stop (the data is dropped).
  bool Write(const float *samples, int frames, media::StreamTime start);
  void EndOfStream();
  // Drops everything and releases a blocked Write; BeginFlush..EndFlush refuses data.
  void BeginFlush();
  void EndFlush();

  void Run(media::StreamTime start); // clock time of stream time 0
  void Pause();
  void Stop();                    // drops everything and refuses data until Pause/Run

  // Hundredths of a decibel: -10000..0; balance -10000 (right silent)..10000 (left silent).
  // A change reaches the next frame handed to the device; while sound is being heard the
  // gains slide to their new values over kGainRampFrames, so that the step does not click.
  static constexpr int kGainRampFrames = 240; // 5 ms
  void SetVolume(long volume);
  void SetBalance(long balance);
  static float GainOf(long hundredthsOfDb);

  bool HasData();                 // something buffered, or end of stream reached
  long long LateFrames();         // frames dropped because they came after their time
  media::StreamTime BufferedUntil(); // stream time after the last buffered frame
  long long PeakBuffered();       // the most frames that ever waited at once

  void Fill(float *out, int frames, media::StreamTime when) override;

private:
  struct Chunk {
    std::vector<float> samples;
    media::StreamTime start;
    std::size_t offset = 0; // frames taken
  };
  long long BufferedFrames() const;
  void UpdateGains();

  std::function<void()> onEnd_;
  std::mutex lock_;
  std::condition_variable space_;
  std::deque<Chunk> chunks_;
  bool running_ = false, flushing_ = false, stopped_ = true, eos_ = false, endSent_ = false;
  media::StreamTime runStart_;
  long volume_ = 0, balance_ = 0;
  long long late_ = 0;
  long long peak_ = 0;
  int writers_ = 0; // Writes waiting for room
  float left_ = 1, right_ = 1;            // the gains asked for
  float heardLeft_ = 1, heardRight_ = 1;  // the gains of the last frame handed out
  int rampLeft_ = 0;                      // frames until the heard gains reach the asked ones
  bool heard_ = false;                    // sound handed out since the last stop or flush
};

} // namespace render

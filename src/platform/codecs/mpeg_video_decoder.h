// MPEG-2 elementary-stream decoding: a parser that cuts the byte stream into pictures
// and the decoder behind it. Stream times follow each picture through
// the decoder's reordering; pictures without a time continue from the previous one.
// Interlaced pictures come out deinterlaced (Deinterlacer), except while scanning.
// Not thread-safe: one streaming thread at a time.
#pragma once

#include "codecs/deinterlacer.h"
#include "codecs/ffmpeg_ptr.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace codecs {

struct DecodedPicture {
  const AVFrame *frame;  // YUV as decoded; valid during the callback only
  MaybeTime start;            // presentation time
  media::StreamTime duration; // repeat fields included
  int aspectX, aspectY;  // display aspect of the whole picture
};

class MpegVideoDecoder {
public:
  using Output = std::function<void(const DecodedPicture &)>;

  // `filterLibrary`: where the deinterlacer gets its library (Deinterlacer).
  explicit MpegVideoDecoder(Output output, Deinterlacer::Library filterLibrary = Deinterlacer::DefaultLibrary());
  // False when the codec is not available (the filter reports it).
  bool Open();

  // Feeds bytes of the elementary stream; `pts` is the time of the access unit that
  // starts in this data (none when none). Calls the output for every picture done.
  void Decode(const uint8_t *data, std::size_t size, MaybeTime pts);
  // Hands out everything still held (the parser's last picture, reordered pictures)
  // and resets the decoder so that decoding resumes at the next sequence header.
  void Drain();
  // Drops everything held (a discontinuity) without output.
  void Flush();
  // Key frames only while scanning.
  void SetScanMode(bool scanning);
  // Frame duration used before the stream tells its own.
  void SetDefaultFrameDuration(media::StreamTime duration) { defaultDuration_ = duration; }

private:
  void SendPacket(const uint8_t *data, int size, MaybeTime pts);
  void ReceiveAll();
  media::StreamTime FrameDuration(const AVFrame *f) const;
  // Hands out a picture of `frame` with the times and aspect noted for it.
  void Emit(const AVFrame *frame, const DecodedPicture &noted);
  void EmitFiltered(const AVFrame *frame);

  Output output_;
  std::vector<uint8_t> padded_; // FFmpeg reads a little past the data it is given
  CodecContextPtr ctx_;
  ParserPtr parser_;
  PacketPtr packet_;
  FramePtr frame_;
  MaybeTime nextTime_;
  media::StreamTime defaultDuration_ = media::StreamTime::Milliseconds(40);
  bool scanning_ = false;
  Deinterlacer deinterlacer_;
  std::deque<DecodedPicture> inFilter_; // what was noted for the pictures the filter holds
};

} // namespace codecs

// Reads an authored disc's VOB file with libavformat and hands out the payloads of its
// PES packets the way the DVD navigator hands them to the decoders: headers and
// sub-stream bytes removed, times in 100-ns units on a timeline that starts at the
// first NAV packet's start time and continues across cells (as the navigator keeps it
// continuous): each NAV packet's VOBU start that does not follow the previous VOBU's
// end shifts the times after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;

namespace testmedia {

enum class StreamKind { Video, Ac3, Mpeg, Lpcm, Dts, Subpicture, Other };

struct VobPacket {
  StreamKind kind = StreamKind::Other;
  int stream = 0;              // number within the kind (AC-3 0x81 -> 1, subpicture 0x21 -> 1)
  std::vector<uint8_t> data;
  bool hasTime = false;
  long long time = 0;          // 100 ns from the start of the file
};

struct VobInfo {
  int width = 0, height = 0;
  int aspectX = 4, aspectY = 3;
  int framesPerSecondTimes1000 = 0;
};

class VobReader {
public:
  VobReader();
  ~VobReader();
  VobReader(const VobReader &) = delete;
  VobReader &operator=(const VobReader &) = delete;

  // False with a message when the file cannot be read as an MPEG program stream.
  bool Open(const std::string &path, std::string *error);
  const VobInfo &Info() const { return info_; }
  // False at the end of the file.
  bool Next(VobPacket *packet);
  // Back to the first packet.
  void Rewind();

private:
  AVFormatContext *fc_ = nullptr;
  VobInfo info_;
  void OnNav(const uint8_t *data, int size);

  bool haveNav_ = false;
  long long offset_ = 0;  // 90 kHz, added to packet times
  long long lastEnd_ = 0; // the previous VOBU's end on the continuous timeline
};

} // namespace testmedia

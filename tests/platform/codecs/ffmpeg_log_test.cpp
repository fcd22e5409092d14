// FFmpeg's messages reach the qdvd.decode category, whole lines only, warnings by
// default and the rest when debug lines are on; a decoder's errors are counted for
// its stream.
#include "codecs/ffmpeg_log.h"
#include "codecs/mpeg_video_decoder.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include <fstream>
#include <iterator>

namespace {

TEST(FfmpegLog, LibraryLinesArriveWholeInTheDecodeCategory) {
  codecs::RouteFfmpegLog();
  ScopedLogCapture log;
  av_log(nullptr, AV_LOG_ERROR, "concealing %d DC, %d AC errors\n", 180, 12);
  av_log(nullptr, AV_LOG_WARNING, "a line given ");
  av_log(nullptr, AV_LOG_WARNING, "in %d pieces\n", 2);
  av_log(nullptr, AV_LOG_INFO, "an informational line\n");
  const QStringList warnings = log.Texts("qdvd.decode", QtWarningMsg);
  EXPECT_EQ(warnings, QStringList({"ffmpeg: concealing 180 DC, 12 AC errors", "ffmpeg: a line given in 2 pieces"}));
  EXPECT_TRUE(log.Texts("qdvd.decode", QtDebugMsg).isEmpty()) << "debug lines are off by default";
}

TEST(FfmpegLog, InformationalLinesShowWhenDebugLinesAreOn) {
  codecs::RouteFfmpegLog();
  ScopedLogCapture log("qdvd.decode.debug=true");
  av_log(nullptr, AV_LOG_INFO, "an informational line\n");
  av_log(nullptr, AV_LOG_TRACE, "too fine to route\n");
  EXPECT_EQ(log.Texts("qdvd.decode", QtDebugMsg), QStringList({"ffmpeg: an informational line"}));
}

// A damaged picture stream: the decoder's complaints name its stream and are counted.
TEST(FfmpegLog, ADecodersErrorsAreCountedForItsStream) {
  codecs::RouteFfmpegLog();
  std::ifstream in(QDVD_VIDEO_SEED, std::ios::binary);
  std::vector<uint8_t> seed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(seed.size(), 1000u) << QDVD_VIDEO_SEED;
  // The seed is a kind byte and 16-bit framed packets; damage every packet's middle.
  std::vector<std::vector<uint8_t>> packets;
  for (std::size_t at = 1; at + 2 <= seed.size();) {
    const std::size_t n = std::min<std::size_t>(seed[at] << 8 | seed[at + 1], seed.size() - at - 2);
    packets.emplace_back(seed.begin() + at + 2, seed.begin() + at + 2 + n);
    at += 2 + n;
  }
  ScopedLogCapture log("qdvd.decode.debug=true");
  int pictures = 0;
  {
    codecs::MpegVideoDecoder video([&](const codecs::DecodedPicture &) { ++pictures; });
    ASSERT_TRUE(video.Open());
    long long pts = 0;
    for (std::vector<uint8_t> &p : packets) {
      for (std::size_t i = p.size() / 3; i < p.size() * 2 / 3; ++i) p[i] ^= 0x5A;
      video.Decode(p.data(), p.size(), media::StreamTime(pts += 333667));
    }
    video.Drain();
  }
  const QStringList warnings = log.Texts("qdvd.decode", QtWarningMsg);
  ASSERT_FALSE(warnings.isEmpty()) << "the damage went unreported";
  EXPECT_TRUE(warnings[0].startsWith("mpeg2video video stream: ")) << warnings[0].toStdString();
  const QStringList debug = log.Texts("qdvd.decode", QtDebugMsg);
  EXPECT_TRUE(debug.contains("mpeg2video video stream: 1 decode errors so far")) << debug.join('\n').toStdString();
  EXPECT_TRUE(debug.filter("decode errors in all").size() == 1) << "the total is not told as the decoder goes";
}

} // namespace

// The decoding cores on the authored discs' VOB files: pictures, their times and
// frame codes; audio tone and times; LPCM.
#include "codecs/audio_decoder.h"
#include "codecs/mpeg_video_decoder.h"
#include "codecs/rgb_converter.h"
#include "media/frame_code.h"
#include "media/vob_reader.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace codecs;
using testmedia::StreamKind;

namespace {

struct Picture {
  bool key;
  int code;
  long long start;
  int aspectX, aspectY;
};

MaybeTime TimeOf(const testmedia::VobPacket &p) { return p.hasTime ? MaybeTime(media::StreamTime(p.time)) : std::nullopt; }

std::vector<Picture> DecodeVideo(const std::string &vob, bool scan = false, bool drain = true) {
  std::vector<Picture> out;
  RgbConverter rgb;
  std::vector<uint8_t> buffer;
  MpegVideoDecoder dec([&](const DecodedPicture &p) {
    buffer.resize(static_cast<std::size_t>(p.frame->width) * p.frame->height * 4);
    EXPECT_TRUE(rgb.Convert(p.frame, buffer.data(), p.frame->width * 4));
    out.push_back({p.frame->pict_type == AV_PICTURE_TYPE_I, testmedia::ReadFrameCode(buffer.data(), p.frame->width * 4), ToAvTime(p.start), p.aspectX, p.aspectY});
  });
  EXPECT_TRUE(dec.Open());
  dec.SetScanMode(scan);
  testmedia::VobReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(vob, &error)) << error;
  testmedia::VobPacket packet;
  while (reader.Next(&packet))
    if (packet.kind == StreamKind::Video)
      dec.Decode(packet.data.data(), packet.data.size(), TimeOf(packet));
  if (drain) dec.Drain();
  return out;
}

std::string TitleVob(const char *disc) { return FixturePath(std::string(disc) + "/VIDEO_TS/VTS_01_1.VOB"); }

} // namespace

TEST(MpegVideoDecoder, DecodesEveryPictureInOrderWithItsTime) {
  // NTSC title 1 (360 frames) and title 2 (180 frames) share the title set's VOB.
  std::vector<Picture> pics = DecodeVideo(TitleVob("ntsc_menu"));
  ASSERT_EQ(pics.size(), 540u);
  const long long frame = 10000000LL * 1001 / 30000;
  for (std::size_t i = 0; i < 360; ++i) {
    ASSERT_EQ(pics[i].code, static_cast<int>(i)) << "picture " << i;
    EXPECT_EQ(pics[i].aspectX, 4);
    EXPECT_EQ(pics[i].aspectY, 3);
    EXPECT_NEAR(static_cast<double>(pics[i].start - pics[0].start), static_cast<double>(i * frame), 2000.0) << i;
  }
  for (std::size_t i = 360; i < 540; ++i) ASSERT_EQ(pics[i].code, static_cast<int>(i - 360));
  // The reader's timeline runs on into the second title.
  EXPECT_NEAR(static_cast<double>(pics[539].start - pics[0].start), 539.0 * frame, 2000.0);
}

TEST(MpegVideoDecoder, DrainHandsOutTheLastPictures) {
  std::vector<Picture> kept = DecodeVideo(TitleVob("pal_wide"), false, false);
  std::vector<Picture> all = DecodeVideo(TitleVob("pal_wide"));
  ASSERT_EQ(all.size(), 150u);
  EXPECT_LT(kept.size(), all.size());
  EXPECT_EQ(all.back().code, 149);
  EXPECT_EQ(all.back().aspectX, 16);
  EXPECT_EQ(all.back().aspectY, 9);
}

TEST(MpegVideoDecoder, ScanModeDecodesKeyFramesOnly) {
  std::vector<Picture> all = DecodeVideo(TitleVob("pal_wide"));
  std::vector<Picture> pics = DecodeVideo(TitleVob("pal_wide"), true);
  std::vector<int> keys;
  for (const Picture &p : all)
    if (p.key) keys.push_back(p.code);
  ASSERT_GE(keys.size(), 8u);
  ASSERT_EQ(pics.size(), keys.size());
  for (std::size_t i = 0; i < pics.size(); ++i) {
    EXPECT_TRUE(pics[i].key);
    EXPECT_EQ(pics[i].code, keys[i]);
  }
}

TEST(MpegVideoDecoder, GarbageGivesNoPictureAndNoCrash) {
  int count = 0;
  MpegVideoDecoder dec([&](const DecodedPicture &) { ++count; });
  ASSERT_TRUE(dec.Open());
  std::vector<uint8_t> junk(50000);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 7919 >> 3);
  junk[100] = 0; junk[101] = 0; junk[102] = 1; junk[103] = 0xB3; // a bogus sequence header
  dec.Decode(junk.data(), junk.size(), media::StreamTime());
  dec.Drain();
  EXPECT_EQ(count, 0);
}

namespace {

// Goertzel power of `freq` relative to the signal's power, over one channel of the
// 0.1-s window that starts at frame `from`.
double ToneShareAt(const std::vector<float> &stereo, int channel, double freq, std::size_t from) {
  const std::size_t n = std::min<std::size_t>(4800, stereo.size() / 2 - from);
  const double w = 2 * M_PI * freq / kOutputRate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = stereo[2 * (from + i) + channel];
    const double s = x + c * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += x * x;
  }
  const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
  return energy > 0 ? 2 * power / (n * energy) : 0;
}

// The smallest share over 0.1-s windows every second (the tone must be everywhere).
double ToneShare(const std::vector<float> &stereo, int channel, double freq) {
  double least = 1;
  for (std::size_t from = 2400; from + 4800 <= stereo.size() / 2; from += 48000)
    least = std::min(least, ToneShareAt(stereo, channel, freq, from));
  return least;
}

struct AudioRun {
  std::vector<float> samples;
  std::vector<long long> starts;
  std::vector<int> frames;
};

AudioRun DecodeAudio(StreamKind kind, AudioCoding coding) {
  AudioRun run;
  AudioDecoder dec([&](const float *s, int frames, media::StreamTime start) {
    run.samples.insert(run.samples.end(), s, s + frames * 2);
    run.starts.push_back(start.ticks());
    run.frames.push_back(frames);
  });
  EXPECT_TRUE(dec.Open(coding));
  testmedia::VobReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(TitleVob("ntsc_menu"), &error)) << error;
  testmedia::VobPacket p;
  while (reader.Next(&p))
    if (p.kind == kind && p.stream == 0) dec.Decode(p.data.data(), p.data.size(), TimeOf(p));
  dec.Drain();
  return run;
}

} // namespace

TEST(AudioDecoder, Ac3AndMpegGiveTheirTonesWithContinuousTimes) {
  for (auto [kind, coding, freq] : {std::tuple{StreamKind::Ac3, AudioCoding::Ac3, 440.0},
                                    std::tuple{StreamKind::Mpeg, AudioCoding::Mpeg, 880.0}}) {
    AudioRun run = DecodeAudio(kind, coding);
    // Both titles: about 12 + 6 seconds.
    ASSERT_GT(run.samples.size(), 2u * 48000 * 17);
    EXPECT_GT(ToneShare(run.samples, 0, freq), 0.9) << freq;
    EXPECT_GT(ToneShare(run.samples, 1, freq), 0.9) << freq;
    // Frames follow each other; the disc's audio ends a little before each cell's
    // pictures, so the next cell's audio starts after a short gap (never an overlap).
    int gaps = 0;
    for (std::size_t i = 1; i < run.starts.size(); ++i) {
      long long expected = run.starts[i - 1] + run.frames[i - 1] * 10000000LL / kOutputRate;
      EXPECT_GE(run.starts[i], expected - 20000) << i;
      EXPECT_LT(run.starts[i], expected + 2000000) << i;
      if (run.starts[i] > expected + 20000) ++gaps;
    }
    EXPECT_LE(gaps, 4); // 5 cells
  }
}

TEST(AudioDecoder, LpcmSixteenAndTwentyFourBitsAtOutputFormat) {
  for (int bits : {16, 24}) {
    std::vector<float> got;
    long long first = -1;
    AudioDecoder dec([&](const float *s, int frames, media::StreamTime start) {
      if (first < 0) first = start.ticks();
      got.insert(got.end(), s, s + frames * 2);
    });
    ASSERT_TRUE(dec.Open(AudioCoding::Lpcm, 48000, 2, bits));
    // 0.5 s of a 1 kHz sine at half scale on the left, silence on the right, sent in
    // packets that cut the sample groups anywhere.
    std::vector<uint8_t> stream;
    const int frames = 24000;
    for (int i = 0; i < frames; i += 2) {
      int32_t v[2][2];
      for (int k = 0; k < 2; ++k) {
        v[k][0] = static_cast<int32_t>(std::lround(0.5 * std::sin(2 * M_PI * 1000 * (i + k) / 48000.0) * 8388607));
        v[k][1] = 0;
      }
      if (bits == 16) {
        for (int k = 0; k < 2; ++k)
          for (int c = 0; c < 2; ++c) {
            int16_t s = static_cast<int16_t>(v[k][c] >> 8);
            stream.push_back(static_cast<uint8_t>(s >> 8));
            stream.push_back(static_cast<uint8_t>(s));
          }
      } else { // DVD 24-bit: the upper 16 bits of two samples per channel, then their low bytes
        for (int k = 0; k < 2; ++k)
          for (int c = 0; c < 2; ++c) {
            stream.push_back(static_cast<uint8_t>(v[k][c] >> 16));
            stream.push_back(static_cast<uint8_t>(v[k][c] >> 8));
          }
        for (int k = 0; k < 2; ++k)
          for (int c = 0; c < 2; ++c) stream.push_back(static_cast<uint8_t>(v[k][c]));
      }
    }
    for (std::size_t at = 0; at < stream.size(); at += 2001) {
      std::size_t n = std::min<std::size_t>(2001, stream.size() - at);
      dec.Decode(stream.data() + at, n, at == 0 ? MaybeTime(media::StreamTime(1000000)) : std::nullopt);
    }
    dec.Drain();
    EXPECT_EQ(first, 1000000);
    ASSERT_GE(got.size(), 2u * (frames - 16)) << bits;
    double peak = 0, right = 0;
    for (std::size_t i = 0; i < got.size() / 2; ++i) {
      peak = std::max(peak, static_cast<double>(std::fabs(got[2 * i])));
      right = std::max(right, static_cast<double>(std::fabs(got[2 * i + 1])));
    }
    EXPECT_NEAR(peak, 0.5, 0.01) << bits;
    EXPECT_LT(right, 0.001) << bits;
    EXPECT_GT(ToneShare(got, 0, 1000), 0.95) << bits;
  }
}

TEST(AudioDecoder, RefusesLpcmParametersTheDiscCannotHave) {
  AudioDecoder dec([](const float *, int, media::StreamTime) {});
  EXPECT_FALSE(dec.Open(AudioCoding::Lpcm, 44100, 2, 16));
  EXPECT_FALSE(dec.Open(AudioCoding::Lpcm, 48000, 9, 16));
  EXPECT_FALSE(dec.Open(AudioCoding::Lpcm, 48000, 2, 12));
  EXPECT_TRUE(dec.Open(AudioCoding::Lpcm, 96000, 6, 20));
}

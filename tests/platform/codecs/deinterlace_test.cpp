// Deinterlacing: the interlaced authored title (a bar that moves between the two fields
// of each picture) comes out of the video decoder without combing, in order and with its
// times; the progressive title comes out exactly as a bare decode gives it; a still
// interlaced picture with fine line detail stays as sharp as it was. The filter library
// is loaded in the background only when an interlaced picture comes; until it is there,
// and for good without it, pictures pass as decoded.
#include "codecs/deinterlacer.h"
#include "codecs/filter_library.h"
#include "codecs/mpeg_video_decoder.h"
#include "media/vob_reader.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using namespace codecs;
using testmedia::StreamKind;

namespace {

struct Luma {
  int code = -1;
  long long start = 0;
  bool interlaced = false;
  int width = 0, height = 0;
  std::vector<uint8_t> y;
};

Luma Copy(const AVFrame *f) {
  Luma l;
  l.width = f->width;
  l.height = f->height;
  l.interlaced = f->interlaced_frame;
  l.y.resize(static_cast<std::size_t>(f->width) * f->height);
  for (int r = 0; r < f->height; ++r)
    std::memcpy(&l.y[static_cast<std::size_t>(r) * f->width], f->data[0] + static_cast<long>(r) * f->linesize[0],
                static_cast<std::size_t>(f->width));
  const uint8_t *line = &l.y[8L * f->width];
  if (line[660] >= 128 && line[700] < 128) {
    l.code = 0;
    for (int i = 0; i < 16; ++i) l.code = l.code * 2 + (line[40 * i + 20] >= 128 ? 1 : 0);
  }
  return l;
}

template <class Feed> void ForEachVideoPacket(const std::string &vob, Feed feed) {
  testmedia::VobReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(vob, &error)) << error;
  testmedia::VobPacket packet;
  while (reader.Next(&packet))
    if (packet.kind == StreamKind::Video) feed(packet);
}

// The player's decoder; `between` runs after each packet.
std::vector<Luma> Decode(const std::string &vob, Deinterlacer::Library library = Deinterlacer::DefaultLibrary(),
                         const std::function<void(const std::vector<Luma> &)> &between = {}) {
  std::vector<Luma> out;
  MpegVideoDecoder dec(
      [&](const DecodedPicture &p) {
        out.push_back(Copy(p.frame));
        out.back().start = ToAvTime(p.start);
      },
      library);
  EXPECT_TRUE(dec.Open());
  ForEachVideoPacket(vob, [&](const testmedia::VobPacket &p) {
    dec.Decode(p.data.data(), p.data.size(), p.hasTime ? MaybeTime(media::StreamTime(p.time)) : std::nullopt);
    if (between) between(out);
  });
  dec.Drain();
  return out;
}

// Waits (up to a deadline) until `load` is over; false if it is not.
bool LoadOver(FilterLibraryLoad &load) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const FilterLibrary *lib = nullptr;
  while (load.Poll(&lib) == FilterLibraryLoad::State::Loading) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// The player's library, loaded before a test that wants pictures filtered.
bool SharedLibraryReady() {
  const FilterLibrary *lib = nullptr;
  return LoadOver(FilterLibraryLoad::Shared()) &&
         FilterLibraryLoad::Shared().Poll(&lib) == FilterLibraryLoad::State::Ready;
}

// libavcodec alone, pictures as decoded.
std::vector<Luma> BareDecode(const std::string &vob) {
  std::vector<Luma> out;
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  ParserPtr parser(av_parser_init(AV_CODEC_ID_MPEG2VIDEO));
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  ctx->thread_count = 1;
  EXPECT_EQ(avcodec_open2(ctx.get(), codec, nullptr), 0);
  auto receive = [&] {
    while (avcodec_receive_frame(ctx.get(), frame.get()) == 0) {
      out.push_back(Copy(frame.get()));
      av_frame_unref(frame.get());
    }
  };
  auto parse = [&](const uint8_t *data, int size) {
    do {
      uint8_t *unit = nullptr;
      int unitSize = 0;
      const int used = av_parser_parse2(parser.get(), ctx.get(), &unit, &unitSize, data, size, AV_NOPTS_VALUE,
                                        AV_NOPTS_VALUE, 0);
      data += used;
      size -= used;
      if (unitSize > 0) {
        packet->data = unit;
        packet->size = unitSize;
        avcodec_send_packet(ctx.get(), packet.get());
        receive();
      }
      if (used == 0 && unitSize == 0) break;
    } while (size > 0);
  };
  ForEachVideoPacket(vob, [&](const testmedia::VobPacket &p) {
    std::vector<uint8_t> padded(p.data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(padded.data(), p.data.data(), p.data.size());
    parse(padded.data(), static_cast<int>(p.data.size()));
  });
  parse(nullptr, 0);
  avcodec_send_packet(ctx.get(), nullptr);
  receive();
  return out;
}

// Pixels below the frame code that stand out from both lines around them the same
// way: one field's line between two lines of the other field showing something else.
int Combed(const Luma &l) {
  int n = 0;
  for (int r = 20; r + 1 < l.height; ++r)
    for (int x = 0; x < l.width; ++x) {
      const int p = l.y[static_cast<std::size_t>(r) * l.width + x];
      const int a = l.y[static_cast<std::size_t>(r - 1) * l.width + x] - p;
      const int b = l.y[static_cast<std::size_t>(r + 1) * l.width + x] - p;
      if ((a > 48 && b > 48) || (a < -48 && b < -48)) ++n;
    }
  return n;
}

std::string TitleVob(const char *disc) { return FixturePath(std::string(disc) + "/VIDEO_TS/VTS_01_1.VOB"); }

bool FilterLibraryInMemory() {
  void *handle = dlopen(FilterLibrary::File(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

// A load that waits until released (or a deadline, then `timedOut`).
struct HeldBack {
  std::mutex m;
  std::condition_variable cv;
  bool released = false, timedOut = false;
  int opened = 0;

  FilterLibraryLoad::Opener Opener() {
    return [this] {
      std::unique_lock lock(m);
      ++opened;
      timedOut = !cv.wait_for(lock, std::chrono::seconds(20), [&] { return released; });
      return FilterLibrary::Shared();
    };
  }
  void Release() {
    std::lock_guard lock(m);
    released = true;
    cv.notify_all();
  }
};

} // namespace

TEST(Deinterlacing, AnInterlacedTitleComesOutWithoutCombingInOrderAndOnTime) {
  ASSERT_TRUE(SharedLibraryReady());
  const std::vector<Luma> bare = BareDecode(TitleVob("interlaced"));
  const std::vector<Luma> ours = Decode(TitleVob("interlaced"));
  ASSERT_EQ(bare.size(), 50u);
  ASSERT_EQ(ours.size(), bare.size()) << "one picture out for each picture in";
  int moving = 0;
  for (std::size_t i = 0; i < bare.size(); ++i) {
    ASSERT_TRUE(bare[i].interlaced) << "the authored title is interlaced, picture " << i;
    EXPECT_EQ(ours[i].code, static_cast<int>(i)) << "picture " << i;
    if (i > 0) {
      EXPECT_NEAR(static_cast<double>(ours[i].start - ours[i - 1].start), 400000.0, 2000.0) << i;
    }
    // Each field shows the bar 8 px apart: both of its edges comb, on every line pair,
    // until the bar has left the picture (about picture 42).
    if (Combed(bare[i]) < 2000) continue;
    ++moving;
    EXPECT_LT(Combed(ours[i]), Combed(bare[i]) / 50) << "picture " << i << " is still combed";
  }
  EXPECT_GE(moving, 35) << "too few decoded pictures show the combing to remove";
}

TEST(Deinterlacing, AProgressiveTitleComesOutUntouched) {
  const std::vector<Luma> bare = BareDecode(TitleVob("pal_wide"));
  const std::vector<Luma> ours = Decode(TitleVob("pal_wide"));
  ASSERT_EQ(bare.size(), 150u);
  ASSERT_EQ(ours.size(), bare.size());
  for (std::size_t i = 0; i < bare.size(); ++i) {
    ASSERT_FALSE(bare[i].interlaced) << "the authored title is progressive, picture " << i;
    ASSERT_EQ(ours[i].y, bare[i].y) << "picture " << i << " was changed";
  }
}

TEST(Deinterlacing, AStillInterlacedPictureStaysSharpAndProgressiveOnesKeepTheirPlace) {
  ASSERT_TRUE(SharedLibraryReady());
  // Fine horizontal lines (what a sharp still menu has): alternate rows white and black.
  FramePtr still(av_frame_alloc());
  still->format = AV_PIX_FMT_YUV420P;
  still->width = 64;
  still->height = 32;
  ASSERT_EQ(av_frame_get_buffer(still.get(), 0), 0);
  for (int r = 0; r < 32; ++r) std::memset(still->data[0] + r * still->linesize[0], r % 2 ? 16 : 235, 64);
  for (int p = 1; p < 3; ++p)
    for (int r = 0; r < 16; ++r) std::memset(still->data[p] + r * still->linesize[p], 128, 32);
  still->interlaced_frame = 1;
  still->top_field_first = 1;
  auto same = [&](const AVFrame *f) {
    for (int r = 0; r < 32; ++r)
      if (std::memcmp(f->data[0] + r * f->linesize[0], still->data[0] + r * still->linesize[0], 64) != 0) return false;
    return true;
  };

  for (int repeats : {1, 3}) { // one picture then a still, and a picture shown a few times
    Deinterlacer d;
    std::vector<long long> out;
    auto collect = [&](const AVFrame *f) {
      out.push_back(f->pts);
      EXPECT_TRUE(same(f)) << "a still interlaced picture lost its detail (" << repeats << " in)";
    };
    for (int i = 0; i < repeats; ++i) {
      still->pts = i;
      ASSERT_TRUE(d.Push(still.get(), collect));
    }
    d.Drain(collect);
    EXPECT_EQ(out.size(), static_cast<std::size_t>(repeats));
    for (int i = 0; i < static_cast<int>(out.size()); ++i) EXPECT_EQ(out[i], i);
    EXPECT_FALSE(d.Holding());
  }

  // A progressive picture after interlaced ones waits its turn and comes out as it went in.
  Deinterlacer d;
  std::vector<long long> order;
  auto collect = [&](const AVFrame *f) {
    order.push_back(f->pts);
    if (f->pts == 2) {
      EXPECT_TRUE(same(f)) << "the progressive picture was changed";
    }
  };
  for (int i = 0; i < 3; ++i) {
    still->pts = i;
    still->interlaced_frame = i < 2;
    EXPECT_EQ(d.Wants(still.get()), true);
    ASSERT_TRUE(d.Push(still.get(), collect));
  }
  d.Drain(collect);
  EXPECT_EQ(order, (std::vector<long long>{0, 1, 2}));
  still->interlaced_frame = 0;
  EXPECT_FALSE(d.Wants(still.get())) << "with nothing held a progressive picture needs no filter";
}

// Death tests run before all others, so the library is not in memory yet; the child
// process keeps what it opens to itself.
TEST(DeinterlacingDeathTest, TheFilterLibraryIsOpenedAtTheFirstInterlacedPictureOnly) {
  GTEST_FLAG_SET(death_test_style, "fast"); // a re-run would lose the offscreen set-up
  EXPECT_EXIT(
      {
        if (FilterLibraryInMemory()) std::_Exit(1);
        Decode(TitleVob("pal_wide"));
        if (FilterLibraryInMemory()) std::_Exit(2);
        if (FilterLibraryLoad::Shared().Started()) std::_Exit(2);
        const std::vector<Luma> bare = BareDecode(TitleVob("interlaced"));
        Decode(TitleVob("interlaced"));
        if (!SharedLibraryReady() || !FilterLibraryInMemory()) std::_Exit(3);
        const std::vector<Luma> ours = Decode(TitleVob("interlaced"));
        if (ours.size() != bare.size() || Combed(ours[10]) * 50 > Combed(bare[10])) std::_Exit(4);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "")
      << "1: loaded at start, 2: loaded by a progressive title, 3: not loaded by an interlaced one, 4: not "
         "deinterlaced";
}

TEST(Deinterlacing, WithoutTheFilterLibraryInterlacedPicturesPassAsDecoded) {
  int opened = 0;
  FilterLibraryLoad none([&]() -> const FilterLibrary * {
    ++opened;
    return nullptr;
  });
  const std::vector<Luma> bare = BareDecode(TitleVob("interlaced"));
  // The first picture starts the load; once it has failed, the rest pass as decoded too.
  const std::vector<Luma> ours = Decode(TitleVob("interlaced"), none, [&](const std::vector<Luma> &out) {
    if (out.size() == 1) {
      ASSERT_TRUE(LoadOver(none));
    }
  });
  EXPECT_EQ(opened, 1) << "tried again";
  ASSERT_EQ(ours.size(), bare.size());
  for (std::size_t i = 0; i < bare.size(); ++i) {
    ASSERT_EQ(ours[i].y, bare[i].y) << "picture " << i;
    ASSERT_EQ(ours[i].code, static_cast<int>(i));
  }

  std::string error;
  FilterLibrary lib;
  EXPECT_FALSE(FilterLibrary::Load("libqdvd-no-such-library.so.1", &lib, &error));
  EXPECT_FALSE(error.empty());
  // A library that is there but is not the filter library.
  const std::string other = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
  EXPECT_FALSE(FilterLibrary::Load(other.c_str(), &lib, &error));
  EXPECT_EQ(error, "no avfilter_version");
  EXPECT_EQ(lib.graph_alloc, nullptr) << "a refused library left functions behind";
}

TEST(Deinterlacing, WhileTheLibraryLoadsPicturesPassAsDecodedThenTheNextOnesAreFiltered) {
  const std::vector<Luma> bare = BareDecode(TitleVob("interlaced"));
  ASSERT_EQ(bare.size(), 50u);
  HeldBack held;
  FilterLibraryLoad load(held.Opener());
  // A second decoder on the same load, while it is held: no second load.
  const std::vector<Luma> first = Decode(TitleVob("interlaced"), load);
  ASSERT_TRUE(load.Started());
  std::size_t readyAt = 0; // pictures out when the library was there
  const std::vector<Luma> ours = Decode(TitleVob("interlaced"), load, [&](const std::vector<Luma> &out) {
    if (readyAt || out.size() < 12) return;
    held.Release();
    ASSERT_TRUE(LoadOver(load));
    readyAt = out.size();
  });
  EXPECT_FALSE(held.timedOut) << "the decoder waited for the load";
  EXPECT_EQ(held.opened, 1) << "a second load";
  EXPECT_EQ(first.size(), bare.size());
  for (std::size_t i = 0; i < first.size() && i < bare.size(); ++i)
    ASSERT_EQ(first[i].y, bare[i].y) << "picture " << i << " of a title decoded while loading";
  ASSERT_GE(readyAt, 12u);
  ASSERT_LT(readyAt, 35u);
  ASSERT_EQ(ours.size(), bare.size()) << "a picture lost or repeated at the switch";
  int filtered = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    EXPECT_EQ(ours[i].code, static_cast<int>(i)) << "picture " << i;
    if (i > 0) {
      EXPECT_NEAR(static_cast<double>(ours[i].start - ours[i - 1].start), 400000.0, 2000.0) << i;
    }
    if (i < readyAt) {
      EXPECT_EQ(ours[i].y, bare[i].y) << "picture " << i << " before the library was there";
    } else if (Combed(bare[i]) >= 2000) {
      ++filtered;
      EXPECT_LT(Combed(ours[i]), Combed(bare[i]) / 50) << "picture " << i << " is still combed";
    }
  }
  EXPECT_GE(filtered, 10);
}

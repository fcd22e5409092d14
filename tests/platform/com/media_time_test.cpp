#include "com/media_time.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <type_traits>

using media::Pts90k;
using media::SampleCount48k;
using media::StreamTime;
using media::Ticks90k;

namespace {

constexpr std::int64_t kTop = Pts90k::kWrap - 1; // 0x1FFFFFFFF

TEST(MediaTime, StampDifferencesTakeTheShorterWayRoundTheWrap) {
  EXPECT_EQ((Pts90k(0) - Pts90k(kTop)).ticks(), 1);
  EXPECT_EQ((Pts90k(kTop) - Pts90k(0)).ticks(), -1);
  EXPECT_EQ((Pts90k(100) - Pts90k(kTop - 99)).ticks(), 200);
  EXPECT_EQ((Pts90k(3600) - Pts90k(90000)).ticks(), -86400); // an ordinary step back
  EXPECT_TRUE(Earlier(Pts90k(kTop), Pts90k(5)));
  EXPECT_FALSE(Earlier(Pts90k(5), Pts90k(kTop)));
  EXPECT_FALSE(Earlier(Pts90k(7), Pts90k(7)));
  // Half the circle apart is one step short of the far side, either way round.
  EXPECT_EQ((Pts90k(Pts90k::kWrap / 2) - Pts90k(0)).ticks(), -Pts90k::kWrap / 2);
  EXPECT_EQ((Pts90k(Pts90k::kWrap / 2 - 1) - Pts90k(0)).ticks(), Pts90k::kWrap / 2 - 1);
}

TEST(MediaTime, StampsKeepThirtyThreeBitsAndWrapWhenMoved) {
  EXPECT_EQ(Pts90k(Pts90k::kWrap + 5).value(), 5);
  EXPECT_EQ(Pts90k(-1).value(), kTop);
  EXPECT_EQ((Pts90k(kTop) + Ticks90k(3)).value(), 2);
  EXPECT_EQ((Pts90k(2) - Ticks90k(3)).value(), kTop);
  EXPECT_EQ(Pts90k(0x3FFFFFFFFLL), Pts90k(kTop));
}

TEST(MediaTime, UnwrapFindsTheStampNearestItsReference) {
  // Just past the wrap while the reference sits just before it: carries on upwards.
  EXPECT_EQ(Pts90k(10).Unwrap(Ticks90k(kTop - 10)).ticks(), Pts90k::kWrap + 10);
  // Just before the wrap while the reference is already past it: a little behind.
  EXPECT_EQ(Pts90k(kTop).Unwrap(Ticks90k(Pts90k::kWrap + 4)).ticks(), kTop);
  // Several wraps in, and before the start of the timeline.
  EXPECT_EQ(Pts90k(1000).Unwrap(Ticks90k(3 * Pts90k::kWrap)).ticks(), 3 * Pts90k::kWrap + 1000);
  EXPECT_EQ(Pts90k(kTop).Unwrap(Ticks90k(0)).ticks(), -1);
}

TEST(MediaTime, NinetyKilohertzRoundTripsThroughStreamTime) {
  for (std::int64_t t : std::initializer_list<std::int64_t>{0, 1LL, 2LL, 4LL, 5LL, 8LL, 89999LL, 90001LL, kTop, -1LL, -5LL, -90001LL}) {
    const StreamTime s = media::ToStreamTime(Ticks90k(t));
    EXPECT_EQ(media::ToTicks90k(s).ticks(), t) << t;
  }
  EXPECT_EQ(media::ToStreamTime(Ticks90k(90000)), StreamTime::Seconds(1));
  EXPECT_EQ(media::ToStreamTime(Ticks90k(1)).ticks(), 111);  // 111.1
  EXPECT_EQ(media::ToStreamTime(Ticks90k(5)).ticks(), 556);  // 555.6
  EXPECT_EQ(media::ToStreamTime(Ticks90k(-5)).ticks(), -556); // symmetric about zero
  EXPECT_EQ(media::ToTicks90k(StreamTime(55)).ticks(), 0);   // 0.495
  EXPECT_EQ(media::ToTicks90k(StreamTime(56)).ticks(), 1);   // 0.504
  EXPECT_EQ(media::ToTicks90k(StreamTime(-56)).ticks(), -1);
  EXPECT_EQ(media::ToTicks90k(StreamTime(1000)).ticks(), 9);
}

TEST(MediaTime, SampleFramesRoundTripThroughStreamTime) {
  for (std::int64_t n : std::initializer_list<std::int64_t>{0, 1LL, 2LL, 3LL, 1535LL, 1536LL, 47999LL, 48001LL, 48000LL * 3600 * 5, -1LL, -1536LL}) {
    EXPECT_EQ(media::ToSampleCount48k(media::ToStreamTime(SampleCount48k(n))).frames(), n) << n;
  }
  EXPECT_EQ(media::ToStreamTime(SampleCount48k(48000)), StreamTime::Seconds(1));
  EXPECT_EQ(media::ToStreamTime(SampleCount48k(1536)), StreamTime::Milliseconds(32));
  EXPECT_EQ(media::ToStreamTime(SampleCount48k(1)).ticks(), 208);  // 208.3
  EXPECT_EQ(media::ToStreamTime(SampleCount48k(2)).ticks(), 417);  // 416.7
  EXPECT_EQ(media::ToStreamTime(SampleCount48k(-2)).ticks(), -417);
  EXPECT_EQ(media::ToSampleCount48k(StreamTime(104)).frames(), 0); // 0.499
  EXPECT_EQ(media::ToSampleCount48k(StreamTime(105)).frames(), 1); // 0.504
  EXPECT_EQ(media::ToSampleCount48k(StreamTime::Milliseconds(-1)).frames(), -48);
}

TEST(MediaTime, StreamTimeArithmeticKeepsItsSign) {
  const StreamTime a = StreamTime::Milliseconds(40), b = StreamTime::Milliseconds(100);
  EXPECT_EQ((a - b).ticks(), -600000);
  EXPECT_LT(a - b, StreamTime());
  EXPECT_EQ(-(a - b), StreamTime::Milliseconds(60));
  EXPECT_EQ((b - a) / 4, StreamTime::Milliseconds(15));
  EXPECT_EQ(3 * a, StreamTime::Milliseconds(120));
  StreamTime c = a;
  c -= b;
  c += StreamTime::Seconds(1);
  EXPECT_EQ(c, StreamTime::Milliseconds(940));
  EXPECT_EQ((SampleCount48k(10) - SampleCount48k(25)).frames(), -15);
  EXPECT_EQ((Ticks90k(10) - Ticks90k(25)).ticks(), -15);
}

// Nothing converts silently: not to an integer, not from one, not across units.
static_assert(!std::is_convertible_v<StreamTime, REFERENCE_TIME>);
static_assert(!std::is_convertible_v<REFERENCE_TIME, StreamTime>);
static_assert(!std::is_convertible_v<std::int64_t, Pts90k>);
static_assert(!std::is_convertible_v<Pts90k, std::int64_t>);
static_assert(!std::is_convertible_v<Ticks90k, StreamTime>);
static_assert(!std::is_convertible_v<SampleCount48k, StreamTime>);
static_assert(!std::is_convertible_v<StreamTime, SampleCount48k>);
static_assert(media::ToStreamTime(Ticks90k(9)).ticks() == 1000);

} // namespace

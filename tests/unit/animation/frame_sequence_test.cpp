#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "animation/frame_sequence.h"

namespace {

// The count is the first k whose time is not before `to`, whatever the
// rounding of the estimate from (to - from) * fps.
TEST(FrameSequence, CountIsTheFirstFrameNotBeforeTheEnd) {
    std::mt19937 random(13);
    std::uniform_real_distribution<double> start(-50.0, 50.0);
    std::uniform_real_distribution<double> length(1e-3, 30.0);
    std::uniform_real_distribution<double> rate(0.01, 1000.0);
    for (int i = 0; i < 5000; ++i) {
        const double from = i % 3 == 0 ? std::round(start(random)) : start(random);
        const double fps = i % 2 == 0 ? std::round(rate(random)) + 1.0 : rate(random);
        // Ends that fall on a frame time, where off-by-one mistakes live.
        const double to = i % 4 == 0 ? from + std::round(length(random) * fps) / fps : from + length(random);
        const FrameSequence sequence{from, to, fps};
        const std::int64_t n = sequence.count(1000000);
        ASSERT_GE(n, 1) << from << " " << to << " " << fps;
        EXPECT_LT(sequence.secondsAt(n - 1), to) << from << " " << to << " " << fps;
        EXPECT_FALSE(sequence.secondsAt(n) < to) << from << " " << to << " " << fps;
    }
}

TEST(FrameSequence, WholeSecondsAtWholeRates) {
    EXPECT_EQ((FrameSequence{0.0, 1.0, 10.0}.count(100)), 10);
    EXPECT_EQ((FrameSequence{0.0, 1.0000001, 10.0}.count(100)), 11);
    EXPECT_EQ((FrameSequence{2.0, 2.5, 4.0}.count(100)), 2);
    EXPECT_EQ((FrameSequence{0.0, 1e-9, 1000.0}.count(100)), 1);
    EXPECT_EQ((FrameSequence{1.0, 1.0, 10.0}.count(100)), 0);
    EXPECT_EQ((FrameSequence{1.0, 0.0, 10.0}.count(100)), 0);
}

TEST(FrameSequence, MoreThanTheLimitSaysSoWithoutCounting) {
    EXPECT_EQ((FrameSequence{0.0, 1000.0, 1000.0}.count(1000000)), 1000000);
    EXPECT_EQ((FrameSequence{0.0, 1000.0 + 1e-9, 1000.0}.count(1000000)), 1000001);
    EXPECT_EQ((FrameSequence{-3e38, 3e38, 1000.0}.count(1000000)), 1000001);
}

TEST(FrameSequence, TimesAreWorkedOutInDoubleThenNarrowed) {
    // 1/3 s steps from 0.1: summed in float the third frame would differ in its last bit.
    const FrameSequence sequence{0.1, 10.0, 3.0};
    for (std::int64_t k = 0; k < 30; ++k) {
        EXPECT_EQ(sequence.time(k), static_cast<float>(0.1 + static_cast<double>(k) / 3.0)) << k;
    }
    EXPECT_EQ((FrameSequence{16777216.0, 16777218.0, 2.0}.time(1)), 16777216.0f);  // 2^24 + 0.5 rounds to even
}

}  // namespace

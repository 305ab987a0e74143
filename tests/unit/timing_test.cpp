#include <gtest/gtest.h>

#include <ctime>

#include "timing/clock.h"
#include "timing/stopwatch.h"
#include "timing/wall_clock.h"

namespace {

TEST(Stopwatch, ReadingsStartNearZeroAndNeverDecrease) {
    const Stopwatch watch;
    double previous = watch.elapsed();
    EXPECT_GE(previous, 0.0);
    EXPECT_LT(previous, 1.0);
    for (int i = 0; i < 1000; ++i) {
        const double now = watch.elapsed();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(Clock, TicksBecomeSecondsExactly) {
    EXPECT_EQ(ticksToSeconds(3000000, 1000000), 3.0);
    EXPECT_EQ(ticksToSeconds(0, 1000000), 0.0);
    EXPECT_EQ(ticksToSeconds(1, 4), 0.25);
    const double earlier = nowSeconds();
    EXPECT_LE(earlier, nowSeconds());
}

TEST(WallClock, DateTextLosesOnlyItsNewline) {
    EXPECT_EQ(withoutTrailingNewline("Tue Dec  8 18:34:51 2026\n"), "Tue Dec  8 18:34:51 2026");
    EXPECT_EQ(withoutTrailingNewline("Tue Dec  8 18:34:51 2026"), "Tue Dec  8 18:34:51 2026");
    EXPECT_EQ(withoutTrailingNewline(""), "");
    EXPECT_EQ(withoutTrailingNewline("\n"), "");

    const std::string now = currentDateTimeText();
    ASSERT_EQ(now.size(), 24u);  // "Www Mmm dd hh:mm:ss yyyy"
    EXPECT_NE(now.back(), '\n');
    const std::time_t t = std::time(nullptr);
    EXPECT_EQ(now.substr(20), std::to_string(1900 + std::localtime(&t)->tm_year));
}

TEST(WallClock, SecondsSince1970AreTheSystemsIn64Bits) {
    static_assert(sizeof(currentTimeSeconds()) == 8, "32 bits run out in January 2038");
    const std::int64_t now = currentTimeSeconds();
    EXPECT_GT(now, 1700000000);  // after November 2023
    EXPECT_LE(static_cast<std::int64_t>(std::time(nullptr)) - now, 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "animation/progress_line.h"

namespace {

// What was drawn, read back from a scratch file.
std::string drawn(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(ProgressLine, SaysDoneRateAndTimeLeft) {
    EXPECT_EQ(ProgressLine::describe(0, 95, 0.0), "0/95 frames");
    EXPECT_EQ(ProgressLine::describe(30, 95, 2.0), "30/95 frames, 15.0 frames/s, 4 s left");
    EXPECT_EQ(ProgressLine::describe(95, 95, 9.5), "95/95 frames, 10.0 frames/s, 0 s left");
    EXPECT_EQ(ProgressLine::describe(1, 1000000, 0.25), "1/1000000 frames, 4.0 frames/s, 69 h 26 min left");
}

TEST(ProgressLine, DurationsInUnitsToRead) {
    EXPECT_EQ(describeDuration(0.4), "0 s");
    EXPECT_EQ(describeDuration(59.4), "59 s");
    EXPECT_EQ(describeDuration(59.6), "1 min 00 s");
    EXPECT_EQ(describeDuration(125.0), "2 min 05 s");
    EXPECT_EQ(describeDuration(3725.0), "1 h 02 min");
}

TEST(ProgressLine, RedrawsAtMostTenTimesASecondInPlace) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ProgressLine line(file, 100, 10.0);
    for (int k = 1; k <= 50; ++k) line.update(k, 10.0 + k * 0.01);  // half a second, 50 frames
    const std::string text = drawn(file);
    std::size_t redraws = 0;
    for (char c : text) redraws += c == '\r';
    EXPECT_GE(redraws, 4u) << text;
    EXPECT_LE(redraws, 5u) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    std::fclose(file);
}

TEST(ProgressLine, TheLastLineCoversTheProgressAndEndsTheLine) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ProgressLine line(file, 100, 0.0);
    line.update(99, 100.0);
    line.finish("done");
    const std::string text = drawn(file);
    const std::size_t last = text.rfind('\r');
    ASSERT_NE(last, std::string::npos);
    const std::string closing = text.substr(last + 1);
    EXPECT_EQ(closing.substr(0, 5), "done ") << "the longer line before was not blanked";
    EXPECT_EQ(closing.find_first_not_of(' ', 4), closing.size() - 1);
    EXPECT_EQ(closing.back(), '\n');
    std::fclose(file);
}

}  // namespace

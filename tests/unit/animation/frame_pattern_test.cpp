#include <gtest/gtest.h>

#include <cstdio>

#include "animation/frame_pattern.h"

namespace {

// The names printf would make from the same pattern: the test may hand it
// to printf, as the pattern has been checked.
std::string printfName(const char* pattern, long long k) {
    std::string format(pattern);
    std::size_t at = 0;
    while ((at = format.find('%', at)) != std::string::npos && format[at + 1] == '%') at += 2;
    format.insert(format.find_first_of("diu", at), "ll");
    char name[256];
    std::snprintf(name, sizeof name, format.c_str(), k);
    return name;
}

TEST(FramePattern, NamesAsPrintfWouldMakeThem) {
    const char* patterns[] = {"f%d.png",      "out/frame-%05d.png", "%i",         "%u.png",     "a%-4db.png",
                              "%.3d.png",     "%8.3d",              "%05.2d.png", "100%%-%03d", "%-06d|",
                              "%%%d%%.png",   "%.0d.png",           "%0d.png",    "%99d"};
    const long long frames[] = {0, 1, 7, 42, 999, 12345, 999999};
    for (const char* text : patterns) {
        const std::optional<FramePattern> pattern = FramePattern::parse(text);
        ASSERT_TRUE(pattern.has_value()) << text;
        for (long long k : frames) EXPECT_EQ(pattern->name(k), printfName(text, k)) << text << " " << k;
    }
}

TEST(FramePattern, ExactlyOneIntegerFieldAndNothingElse) {
    const char* rejected[] = {"frame.png", "",        "%%d.png",  "%d-%d.png", "%s.png", "%x.png",  "%ld.png",
                              "%lld.png",  "%5.2f",   "%*d.png",  "%.*d",      "%n",     "%d%",     "frame%",
                              "%+d.png",   "% d.png", "%#d.png",  "%100d",     "%.100d", "%'d.png", "%1$d.png",
                              "%c.png",    "%p",      "%d%s.png", "%%%"};
    for (const char* text : rejected) EXPECT_FALSE(FramePattern::parse(text).has_value()) << text;
}

}  // namespace

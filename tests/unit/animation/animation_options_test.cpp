#include <gtest/gtest.h>

#include <vector>

#include "animation/animation_options.h"

namespace {

struct Parsed {
    bool ok;
    AnimationOptions options;
    std::string why;
};

Parsed parse(const std::vector<const char*>& args) {
    std::vector<const char*> argv{"render-animation"};
    argv.insert(argv.end(), args.begin(), args.end());
    Parsed parsed{};
    parsed.ok = parseAnimationOptions(static_cast<int>(argv.size()), argv.data(), 3, parsed.options, parsed.why);
    return parsed;
}

TEST(AnimationOptions, ASequenceOfNumberedPngs) {
    const Parsed p = parse({"--to", "2", "--out", "d/f-%04d.png", "--fps", "24", "--from", "0.5"});
    ASSERT_TRUE(p.ok) << p.why;
    EXPECT_EQ(p.options.range.first, 0);
    EXPECT_EQ(p.options.range.last, 36);
    EXPECT_EQ(p.options.pattern->name(7), "d/f-0007.png");
    EXPECT_EQ(p.options.jobs, 3);
    EXPECT_FALSE(p.options.quiet);
}

TEST(AnimationOptions, OneWebpAndTheOtherSwitches) {
    const Parsed p = parse({"--from", "0", "--to", "6.2832", "--fps", "15", "--out", "a/Turn.WebP", "--jobs", "2",
                            "--quiet"});
    ASSERT_TRUE(p.ok) << p.why;
    EXPECT_FALSE(p.options.pattern.has_value());
    EXPECT_EQ(p.options.webpPath, "a/Turn.WebP");
    EXPECT_EQ(p.options.jobs, 2);
    EXPECT_TRUE(p.options.quiet);
}

TEST(AnimationOptions, ASliceInsideTheSequence) {
    const Parsed first = parse({"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "0:1"});
    ASSERT_TRUE(first.ok) << first.why;
    EXPECT_EQ(first.options.range.first, 0);
    EXPECT_EQ(first.options.range.last, 1);
    const Parsed last = parse({"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "3:10"});
    ASSERT_TRUE(last.ok) << last.why;
    EXPECT_EQ(last.options.range.first, 3);
    EXPECT_EQ(last.options.range.last, 10);
}

TEST(AnimationOptions, BadInputIsRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--from", "0", "--to", "1", "--fps", "10"},
        {"--from", "0", "--to", "1", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--verbose"},
        {"--from", "0", "--from", "0", "--to", "1", "--fps", "10", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--quiet", "--quiet"},
        {"--from", "x", "--to", "1", "--fps", "10", "--out", "%d"},
        {"--from", "0", "--to", "1s", "--fps", "10", "--out", "%d"},
        {"--from", "nan", "--to", "1", "--fps", "10", "--out", "%d"},
        {"--from", "0", "--to", "inf", "--fps", "10", "--out", "%d"},
        {"--from", "0", "--to", "1e300", "--fps", "10", "--out", "%d"},
        {"--from", "1", "--to", "1", "--fps", "10", "--out", "%d"},
        {"--from", "2", "--to", "1", "--fps", "10", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "0", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "-5", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "1000.001", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "nan", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "ten", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "frame.png"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d-%d.png"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%s.png"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", ""},
        {"--from", "0", "--to", "1000.5", "--fps", "1000", "--out", "%d"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "5:11"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "10:11"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "4:4"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "5:2"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "-1:2"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "2"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--frames", "1:2x"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "a.webp", "--frames", "0:5"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--jobs", "0"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--jobs", "257"},
        {"--from", "0", "--to", "1", "--fps", "10", "--out", "%d", "--jobs", "two"},
    };
    for (const auto& args : bad) {
        const Parsed p = parse(args);
        std::string line;
        for (const char* arg : args) line += std::string(arg) + " ";
        EXPECT_FALSE(p.ok) << line;
        EXPECT_FALSE(p.why.empty()) << line;
    }
}

TEST(AnimationOptions, TheFrameLimitIsAMillion) {
    EXPECT_TRUE(parse({"--from", "0", "--to", "1000", "--fps", "1000", "--out", "%d"}).ok);
    EXPECT_FALSE(parse({"--from", "0", "--to", "1000.0001", "--fps", "1000", "--out", "%d"}).ok);
}

}  // namespace

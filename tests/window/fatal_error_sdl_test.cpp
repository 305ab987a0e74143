#include <gtest/gtest.h>

#include <cstdlib>

#include "bmpwindow/bmp_window.h"

namespace {

// A POSIX parent sees only the low 8 bits of the exit code.
#if defined(_WIN32)
constexpr int SEEN_EXIT_CODE = FATAL_EXIT_CODE;
#else
constexpr int SEEN_EXIT_CODE = FATAL_EXIT_CODE & 0xFF;
#endif

// With no display to show it on, the box gives way at once and only stderr remains.
void withoutDisplay() {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
}

TEST(FatalErrorDeathTest, ShowsTheMessageUnderErrorAndExitsWith666) {
    EXPECT_EXIT((withoutDisplay(), fatalError("out of pixels")), ::testing::ExitedWithCode(SEEN_EXIT_CODE),
                "Error: out of pixels");
}

TEST(FatalErrorDeathTest, UsesTheGivenCaption) {
    EXPECT_EXIT((withoutDisplay(), fatalError("no scene", "Ray tracer")), ::testing::ExitedWithCode(SEEN_EXIT_CODE),
                "Ray tracer: no scene");
}

}  // namespace

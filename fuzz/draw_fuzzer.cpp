// The drawing library against arbitrary calls: a canvas size from the input
// (empty, 1 x 1, odd, long and thin, or a side at the int32 limit with no
// pixels), then calls with any floats and ints on a MemoryCanvas, on a
// SurfaceCanvas and on a raw PixelSurface. The last two draw into pixel
// memory framed by guard words. After every call the guards must be intact
// and the call must have taken little processor time: the work of a call is
// bounded by the surface's size, which is small here.
#include <fuzzer/FuzzedDataProvider.h>

#include <time.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "bmpwindow/memory_canvas.h"
#include "bmpwindow/pixel_surface.h"
#include "bmpwindow/surface_canvas.h"

namespace {

constexpr std::int32_t INT_LO = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t INT_HI = std::numeric_limits<std::int32_t>::max();
constexpr std::uint32_t GUARD = 0xA5C3F00Du;
constexpr std::size_t GUARD_WORDS = 16;
// Far above what any call on these small surfaces needs, even under the
// sanitizers; a walk along a side of 2^31 takes seconds. Processor time of
// this thread, so a busy machine does not trip it.
constexpr double CALL_LIMIT_SECONDS = 0.1;

[[noreturn]] void failure(const char* what, int call) {
    std::fprintf(stderr, "draw_fuzzer: %s after call %d\n", what, call);
    std::abort();
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Pixel memory with guard words before and after it.
class GuardedMemory {
public:
    explicit GuardedMemory(std::size_t pixels) : words_(pixels + 2 * GUARD_WORDS, GUARD) {
        std::fill(words_.begin() + GUARD_WORDS, words_.end() - GUARD_WORDS, 0u);
    }
    std::uint32_t* pixels() { return words_.data() + GUARD_WORDS; }
    bool intact() const {
        const auto isGuard = [](std::uint32_t w) { return w == GUARD; };
        return std::all_of(words_.begin(), words_.begin() + GUARD_WORDS, isGuard) &&
               std::all_of(words_.end() - GUARD_WORDS, words_.end(), isGuard);
    }

private:
    std::vector<std::uint32_t> words_;
};

class GuardedCanvas final : public SurfaceCanvas {
public:
    GuardedCanvas(std::uint32_t* pixels, std::int32_t w, std::int32_t h)
        : SurfaceCanvas(nullptr), surface_(pixels, w, h) {
        setSurface(&surface_);
    }
    void drawText(const Point2&, const std::string&, const Vector3&) override {}

private:
    PixelSurface surface_;
};

struct Size {
    std::int32_t w, h;
};

Size pickSize(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: return {0, 0};
        case 1: return {1, 1};
        case 2: return {in.ConsumeIntegralInRange(1, 33) * 2 + 1, in.ConsumeIntegralInRange(1, 33) * 2 + 1};
        case 3: return {in.ConsumeIntegralInRange(1, 4096), in.ConsumeIntegralInRange(1, 2)};
        case 4: return {in.ConsumeIntegralInRange(1, 2), in.ConsumeIntegralInRange(1, 4096)};
        // No pixels, one side at the limit or beyond: nothing may be walked.
        case 5: return {in.PickValueInArray({INT_HI, 0, INT_LO, -1}), in.PickValueInArray({0, -1, INT_LO})};
        case 6: return {in.PickValueInArray({0, -1, INT_LO}), in.PickValueInArray({INT_HI, 1, 0})};
        default: return {in.ConsumeIntegralInRange(0, 70), in.ConsumeIntegralInRange(0, 70)};
    }
}

float pickFloat(FuzzedDataProvider& in, Size size) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return in.PickValueInArray({std::numeric_limits<float>::quiet_NaN(), inf, -inf, -0.0f, 0.0f,
                                        std::numeric_limits<float>::denorm_min(),
                                        -std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
                                        std::numeric_limits<float>::lowest(), 2147483520.0f, -2147483648.0f,
                                        2147483648.0f, 0.1f, 0.05f, -0.5f, 1e-30f, 1e30f});
        case 1: return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
        case 2: return static_cast<float>(in.PickValueInArray({size.w, size.h})) - in.PickValueInArray({0.0f, 1.0f, 1.1f, 1.05f});
        default: {
            const float reach = static_cast<float>(std::clamp(std::max(size.w, size.h), 1, 1 << 20));
            return in.ConsumeFloatingPointInRange(-2.0f * reach, 2.0f * reach);
        }
    }
}

std::int32_t pickInt(FuzzedDataProvider& in, Size size) {
    const auto lessOne = [](std::int32_t v) { return v == INT_LO ? v : v - 1; };
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: return in.PickValueInArray({INT_LO, INT_HI, INT_LO + 1, INT_HI - 1, 0, -1, 1, size.w, size.h,
                                            lessOne(size.w), lessOne(size.h)});
        case 1: return in.ConsumeIntegral<std::int32_t>();
        default: return in.ConsumeIntegralInRange(-80, 4200);
    }
}

Point2 pickPoint(FuzzedDataProvider& in, Size size) {
    const float x = pickFloat(in, size);
    return Point2(x, pickFloat(in, size));
}

Vector3 pickColour(FuzzedDataProvider& in, Size size) {
    const float x = pickFloat(in, size);
    const float y = pickFloat(in, size);
    return Vector3(x, y, pickFloat(in, size));
}

void callCanvas(FuzzedDataProvider& in, Canvas& canvas, Size size) {
    switch (in.ConsumeIntegralInRange(0, 10)) {
        case 0: {
            const std::int32_t x = pickInt(in, size), y = pickInt(in, size);
            const auto rgb = in.ConsumeIntegral<std::uint32_t>();
            canvas.setPixelRgb(x, y, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
            break;
        }
        case 1: {
            const std::int32_t x = pickInt(in, size), y = pickInt(in, size);
            canvas.setPixel(x, y, pickColour(in, size));
            break;
        }
        case 2: {
            const Point2 p = pickPoint(in, size);
            canvas.plot(p, pickColour(in, size));
            break;
        }
        case 3:
        case 4: {
            const Point2 p = pickPoint(in, size);
            const std::int32_t w = pickInt(in, size), h = pickInt(in, size);
            const Vector3 colour = pickColour(in, size);
            if (in.ConsumeBool()) {
                canvas.fillRect(p, w, h, colour);
            } else {
                canvas.Canvas::fillRect(p, w, h, colour);
            }
            break;
        }
        case 5: canvas.clear(); break;
        case 6:
        case 7: {
            const Point2 a = pickPoint(in, size), b = pickPoint(in, size);
            canvas.drawLine(a, b, pickColour(in, size));
            break;
        }
        case 8:
        case 9: {
            const Point2 a = pickPoint(in, size), b = pickPoint(in, size);
            canvas.drawClippedLine(a, b, pickColour(in, size));
            break;
        }
        default:
            canvas.beginFrame();
            canvas.endFrame();
            break;
    }
}

void callSurface(FuzzedDataProvider& in, PixelSurface& surface, Size size) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            const std::int32_t x = pickInt(in, size), y = pickInt(in, size);
            surface.setPixel(x, y, in.ConsumeIntegral<std::uint32_t>());
            break;
        }
        case 1: {
            // The unchecked store is the caller's promise: keep it.
            if (surface.empty()) break;
            const auto x = in.ConsumeIntegralInRange<std::int32_t>(0, surface.width() - 1);
            const auto y = in.ConsumeIntegralInRange<std::int32_t>(0, surface.height() - 1);
            surface.setPixelUnchecked(x, y, in.ConsumeIntegral<std::uint32_t>());
            break;
        }
        case 2: {
            const std::int32_t x0 = pickInt(in, size), y0 = pickInt(in, size);
            const std::int32_t x1 = pickInt(in, size), y1 = pickInt(in, size);
            surface.drawLine(x0, y0, x1, y1, in.ConsumeIntegral<std::uint32_t>());
            break;
        }
        case 3: surface.fill(in.ConsumeIntegral<std::uint32_t>()); break;
        default: {
            const Point2 p = pickPoint(in, size);
            const std::int32_t w = pickInt(in, size), h = pickInt(in, size);
            surface.fillRect(p, w, h, pickColour(in, size));
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    FuzzedDataProvider in(data, length);
    const Size size = pickSize(in);
    const std::size_t area =
        size.w > 0 && size.h > 0 ? static_cast<std::size_t>(size.w) * static_cast<std::size_t>(size.h) : 0;

    MemoryCanvas memoryCanvas(size.w, size.h);
    GuardedMemory canvasMemory(area);
    GuardedCanvas guardedCanvas(canvasMemory.pixels(), size.w, size.h);
    GuardedMemory surfaceMemory(area);
    // A surface of no pixels may have no memory at all.
    PixelSurface surface(area == 0 && in.ConsumeBool() ? nullptr : surfaceMemory.pixels(), size.w, size.h);

    for (int call = 0; call < 64 && in.remaining_bytes() > 0; ++call) {
        const double start = threadSeconds();
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0: callCanvas(in, memoryCanvas, size); break;
            case 1: callCanvas(in, guardedCanvas, size); break;
            default: callSurface(in, surface, size); break;
        }
        if (threadSeconds() - start > CALL_LIMIT_SECONDS) failure("a call took too long", call);
        if (!canvasMemory.intact()) failure("a guard word of the canvas changed", call);
        if (!surfaceMemory.intact()) failure("a guard word of the surface changed", call);
    }
    return 0;
}

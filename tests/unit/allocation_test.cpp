#include <gtest/gtest.h>

#include "app/demo_scene.h"
#include "app/frame_renderer.h"
#include "bmpwindow/memory_canvas.h"

#ifndef RT_NO_ALLOCATION_COUNT

#include <cstdlib>
#include <new>

namespace {
std::size_t allocations = 0;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(FrameAllocations, TracingAFrameAllocatesNothing) {
    buildScene();
    MemoryCanvas canvas(FRAME_SIZE, FRAME_SIZE);
    const std::size_t before = allocations;
    renderFrameAt(canvas, 1.0f);
    renderFrameAt(canvas, 7.5f);
    const std::size_t during = allocations - before;
    destroyScene();
    EXPECT_EQ(during, 0u);
    EXPECT_GT(before, 0u);  // the counter does see the scene being built
}

}  // namespace

#endif

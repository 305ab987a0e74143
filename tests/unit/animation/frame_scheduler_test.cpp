#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "animation/frame_scheduler.h"

namespace {

// What the workers did, seen from all threads at once.
struct Record {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    int factories = 0;
    int inFlight = 0;  // started by a worker and not yet through the sink
    int mostInFlight = 0;
};

// Marks each frame with its number in the top-left pixel, after a random pause.
FrameWorkFactory markingWork(Record& record) {
    return [&record]() -> FrameWork {
        {
            const std::lock_guard lock(record.mutex);
            ++record.factories;
        }
        auto random = std::make_shared<std::mt19937>(static_cast<unsigned>(record.factories));
        return [&record, random](std::int64_t k, FrameSlot& slot) {
            {
                const std::lock_guard lock(record.mutex);
                record.threads.insert(std::this_thread::get_id());
                record.mostInFlight = std::max(record.mostInFlight, ++record.inFlight);
            }
            std::this_thread::sleep_for(std::chrono::microseconds((*random)() % 3000));
            slot.canvas.setPixelRgb(0, 0, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8), 0);
        };
    };
}

ScheduleOptions options(int jobs, const std::atomic<bool>* stop = nullptr) {
    ScheduleOptions opts;
    opts.jobs = jobs;
    opts.width = 2;
    opts.height = 2;
    opts.stop = stop;
    return opts;
}

TEST(FrameScheduler, EveryFrameOnceInOrderWithBoundedFramesInFlight) {
    for (int jobs : {1, 2, 4}) {
        Record record;
        std::vector<std::int64_t> seen;
        const FrameSink sink = [&](std::int64_t k, FrameSlot& slot) {
            seen.push_back(k);
            EXPECT_EQ(slot.canvas.pixel(0, 0), static_cast<std::uint32_t>(k & 0xFFFF)) << "frame " << k;
            const std::lock_guard lock(record.mutex);
            --record.inFlight;
            return true;
        };
        EXPECT_EQ(renderFrames({5, 205}, options(jobs), markingWork(record), sink), ScheduleEnd::done);
        std::vector<std::int64_t> expected(200);
        for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = 5 + static_cast<std::int64_t>(i);
        EXPECT_EQ(seen, expected) << jobs << " jobs";
        EXPECT_EQ(record.factories, jobs);
        EXPECT_EQ(static_cast<int>(record.threads.size()), jobs);
        EXPECT_LE(record.mostInFlight, 2 * jobs);
    }
}

TEST(FrameScheduler, ASinkThatFailsStopsTheRun) {
    Record record;
    std::int64_t last = -1;
    const FrameSink sink = [&](std::int64_t k, FrameSlot&) {
        last = k;
        return k < 10;
    };
    EXPECT_EQ(renderFrames({0, 1000}, options(3), markingWork(record), sink), ScheduleEnd::sinkFailed);
    EXPECT_EQ(last, 10);
}

TEST(FrameScheduler, TheStopFlagEndsTheRunBetweenFrames) {
    Record record;
    std::atomic<bool> stop{false};
    std::int64_t delivered = 0;
    const FrameSink sink = [&](std::int64_t k, FrameSlot&) {
        delivered = k + 1;
        if (k == 20) stop.store(true);
        return true;
    };
    EXPECT_EQ(renderFrames({0, 100000}, options(2, &stop), markingWork(record), sink), ScheduleEnd::stopped);
    EXPECT_EQ(delivered, 21);

    // Set before the start: no frame at all.
    delivered = 0;
    EXPECT_EQ(renderFrames({0, 10}, options(2, &stop), markingWork(record), sink), ScheduleEnd::stopped);
    EXPECT_EQ(delivered, 0);
}

TEST(FrameScheduler, MoreWorkersThanFrames) {
    Record record;
    int delivered = 0;
    const FrameSink sink = [&](std::int64_t, FrameSlot&) { return ++delivered > 0; };
    EXPECT_EQ(renderFrames({7, 8}, options(8), markingWork(record), sink), ScheduleEnd::done);
    EXPECT_EQ(delivered, 1);
}

}  // namespace

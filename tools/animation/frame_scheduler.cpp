#include "animation/frame_scheduler.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Frame k lives in slot k mod n; a worker may start frame k only once the
// sink has taken frame k - n, which bounds the frames in flight.
class Schedule {
public:
    Schedule(FrameRange range, const ScheduleOptions& opts) : range_(range), next_(range.first), taken_(range.first) {
        const auto n = static_cast<std::size_t>(opts.jobs) * static_cast<std::size_t>(opts.slotsPerJob);
        for (std::size_t i = 0; i < n; ++i) slots_.push_back(std::make_unique<FrameSlot>(opts.width, opts.height));
        ready_.assign(n, false);
    }

    void work(const FrameWork& make) {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return cancelled_ || next_ >= range_.last || next_ < taken_ + slotCount(); });
            if (cancelled_ || next_ >= range_.last) return;
            const std::int64_t k = next_++;
            lock.unlock();
            make(k, slot(k));
            lock.lock();
            ready_[index(k)] = true;
            changed_.notify_all();
        }
    }

    // Frame k, or null when stop was set first.
    FrameSlot* await(std::int64_t k, const std::atomic<bool>* stop) {
        std::unique_lock lock(mutex_);
        // The stop flag cannot wake a wait, so look at it a few times a second.
        for (;;) {
            if (stop != nullptr && stop->load()) return nullptr;
            if (ready_[index(k)]) break;
            changed_.wait_for(lock, std::chrono::milliseconds(20));
        }
        return &slot(k);
    }

    void release(std::int64_t k) {
        const std::lock_guard lock(mutex_);
        ready_[index(k)] = false;
        taken_ = k + 1;
        changed_.notify_all();
    }

    void cancel() {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        changed_.notify_all();
    }

private:
    std::int64_t slotCount() const { return static_cast<std::int64_t>(slots_.size()); }
    std::size_t index(std::int64_t k) const { return static_cast<std::size_t>((k - range_.first) % slotCount()); }
    FrameSlot& slot(std::int64_t k) { return *slots_[index(k)]; }

    const FrameRange range_;
    std::vector<std::unique_ptr<FrameSlot>> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> ready_;   // guarded by mutex_, as are the three below
    std::int64_t next_;         // the next frame a worker starts
    std::int64_t taken_;        // every frame before it has been through the sink
    bool cancelled_ = false;
};

}  // namespace

ScheduleEnd renderFrames(FrameRange range, const ScheduleOptions& opts, const FrameWorkFactory& makeWork,
                         const FrameSink& sink) {
    Schedule schedule(range, opts);
    std::vector<std::thread> workers;
    for (int i = 0; i < opts.jobs; ++i) {
        workers.emplace_back([&schedule, &makeWork] { schedule.work(makeWork()); });
    }
    ScheduleEnd end = ScheduleEnd::done;
    for (std::int64_t k = range.first; k < range.last && end == ScheduleEnd::done; ++k) {
        FrameSlot* slot = schedule.await(k, opts.stop);
        if (slot == nullptr) {
            end = ScheduleEnd::stopped;
        } else {
            if (!sink(k, *slot)) end = ScheduleEnd::sinkFailed;
            schedule.release(k);
        }
    }
    schedule.cancel();
    for (std::thread& worker : workers) worker.join();
    return end;
}

#include "animation/interrupt.h"

#include <csignal>
#include <cstdlib>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onInterrupt(int) {
    interrupted.store(true);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

void catchInterrupt() { std::signal(SIGINT, onInterrupt); }

const std::atomic<bool>& interruptFlag() { return interrupted; }

void exitInterrupted() {
    std::signal(SIGINT, SIG_DFL);
#ifndef _WIN32
    std::raise(SIGINT);
#endif
    std::_Exit(130);
}

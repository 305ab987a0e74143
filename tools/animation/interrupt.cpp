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

void catchInterrupt() {
    // A batch job started with Ctrl-C ignored stays that way.
    if (std::signal(SIGINT, onInterrupt) == SIG_IGN) std::signal(SIGINT, SIG_IGN);
}

const std::atomic<bool>& interruptFlag() { return interrupted; }

void exitInterrupted() {
    std::signal(SIGINT, SIG_DFL);
#ifndef _WIN32
    std::raise(SIGINT);
#endif
    std::_Exit(130);
}

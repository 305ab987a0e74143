// The interrupt flag: Ctrl-C noted, for the work to stop at its next look.
#pragma once

#include <atomic>

// Sets the flag on SIGINT instead of ending the process, so that no file is
// left half written; a second Ctrl-C ends it at once.
void catchInterrupt();
const std::atomic<bool>& interruptFlag();

// Ends the process as an interrupt would have (on POSIX by the signal itself,
// so that a shell or a batch system sees it as one).
[[noreturn]] void exitInterrupted();

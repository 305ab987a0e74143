#pragma once

// Until the quit request: take at most one pending event without waiting,
// hand it to the window procedure, then call frame, whether or not an event came.
// The pass that takes the quit request calls no frame.
void runMessageLoop(void (*frame)());

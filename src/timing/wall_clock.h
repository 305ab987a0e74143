// The wall clock: the local date and time as text, and seconds since 1970.
#pragma once

#include <cstdint>
#include <string>

// The local date and time as asctime writes it, without the newline; empty
// when the local time cannot be worked out.
std::string currentDateTimeText();

// Seconds since 1970-01-01 UTC. 64 bits: 32 run out in January 2038.
std::int64_t currentTimeSeconds();

// asctime's text without its final newline.
std::string withoutTrailingNewline(std::string text);

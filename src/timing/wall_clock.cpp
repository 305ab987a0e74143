#include "timing/wall_clock.h"

#include <ctime>

std::string withoutTrailingNewline(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::string currentDateTimeText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return {};
    const char* text = std::asctime(local);
    return text == nullptr ? std::string() : withoutTrailingNewline(text);
}

std::int64_t currentTimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

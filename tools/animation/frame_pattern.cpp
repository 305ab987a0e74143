#include "animation/frame_pattern.h"

namespace {

// Up to two digits: wider fields than that name no real file.
bool readNumber(std::string_view text, std::size_t& at, int& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (at - start == 2) return false;
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return true;
}

}  // namespace

std::optional<FramePattern> FramePattern::parse(std::string_view text) {
    FramePattern pattern;
    pattern.text_ = std::string(text);
    bool field = false;
    for (std::size_t at = 0; at < text.size();) {
        std::string& literal = field ? pattern.after_ : pattern.before_;
        if (text[at] != '%') {
            literal += text[at++];
            continue;
        }
        ++at;
        if (at < text.size() && text[at] == '%') {
            literal += '%';
            ++at;
            continue;
        }
        if (field) return std::nullopt;
        for (; at < text.size() && (text[at] == '-' || text[at] == '0'); ++at) {
            (text[at] == '-' ? pattern.leftAlign_ : pattern.zeroPad_) = true;
        }
        if (!readNumber(text, at, pattern.width_)) return std::nullopt;
        if (at < text.size() && text[at] == '.') {
            ++at;
            if (!readNumber(text, at, pattern.precision_)) return std::nullopt;
        }
        if (at >= text.size() || (text[at] != 'd' && text[at] != 'i' && text[at] != 'u')) return std::nullopt;
        ++at;
        field = true;
    }
    if (!field) return std::nullopt;
    return pattern;
}

std::string FramePattern::name(std::int64_t frame) const {
    // printf's rules for a number that is never negative: the precision is
    // the least number of digits and turns zero padding off; the width is
    // filled with spaces, zeros, or spaces on the right.
    std::string digits = precision_ == 0 && frame == 0 ? "" : std::to_string(frame);
    if (precision_ > 0 && digits.size() < static_cast<std::size_t>(precision_)) {
        digits.insert(0, static_cast<std::size_t>(precision_) - digits.size(), '0');
    }
    const std::size_t fill = static_cast<std::size_t>(width_) > digits.size() ? width_ - digits.size() : 0;
    if (leftAlign_) return before_ + digits + std::string(fill, ' ') + after_;
    const char pad = zeroPad_ && precision_ < 0 ? '0' : ' ';
    return before_ + std::string(fill, pad) + digits + after_;
}

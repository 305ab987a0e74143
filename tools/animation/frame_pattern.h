// FramePattern: a printf-style file name with one integer field for the frame number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A checked name pattern such as "out/frame-%05d.png": literal text, "%%" for
// a percent sign, and exactly one conversion %[-0][width][.precision]d, i or u.
// Names are made here, never by handing the user's text to printf.
class FramePattern {
public:
    // Nothing when the text has no integer field, more than one, or any other conversion.
    static std::optional<FramePattern> parse(std::string_view text);

    std::string name(std::int64_t frame) const;
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::string before_;
    std::string after_;
    bool leftAlign_ = false;
    bool zeroPad_ = false;
    int width_ = 0;
    int precision_ = -1;
};

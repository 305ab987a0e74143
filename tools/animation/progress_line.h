// ProgressLine: one line on a terminal with the frames done, the rate and the time left.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Redrawn in place at most ten times a second. Times are seconds on any
// clock that only goes forward, given by the caller so that tests can set them.
class ProgressLine {
public:
    // Draws nothing when out is null.
    ProgressLine(std::FILE* out, std::int64_t total, double startSeconds);

    void update(std::int64_t done, double nowSeconds);
    // Replaces the line with the closing message.
    void finish(const std::string& message);
    // Ends the line where it stands, for a message below it.
    void breakLine();

    // "12/95 frames, 14.3 frames/s, 6 s left"
    static std::string describe(std::int64_t done, std::int64_t total, double elapsedSeconds);

private:
    void draw(const std::string& text);

    std::FILE* out_;
    std::int64_t total_;
    double start_;
    double lastDrawn_ = -1.0;
    std::size_t drawnLength_ = 0;
};

// "7 s", "2 min 05 s", "1 h 02 min"
std::string describeDuration(double seconds);

// Whether stderr is a terminal, where a line redrawn in place makes sense.
bool stderrIsTerminal();

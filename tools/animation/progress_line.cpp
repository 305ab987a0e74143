#include "animation/progress_line.h"

#include <cmath>

#ifdef _WIN32
#include <io.h>
#define RT_ISATTY _isatty
#define RT_FILENO _fileno
#else
#include <unistd.h>
#define RT_ISATTY isatty
#define RT_FILENO fileno
#endif

namespace {

constexpr double redrawInterval = 0.1;

std::string format(const char* pattern, double a, double b = 0.0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

}  // namespace

std::string describeDuration(double seconds) {
    const double whole = std::round(seconds);
    if (whole < 60.0) return format("%.0f s", whole);
    if (whole < 3600.0) return format("%.0f min %02.0f s", std::floor(whole / 60.0), std::fmod(whole, 60.0));
    return format("%.0f h %02.0f min", std::floor(whole / 3600.0), std::floor(std::fmod(whole, 3600.0) / 60.0));
}

std::string ProgressLine::describe(std::int64_t done, std::int64_t total, double elapsedSeconds) {
    std::string text = std::to_string(done) + "/" + std::to_string(total) + " frames";
    if (done == 0 || elapsedSeconds <= 0.0) return text;
    const double rate = static_cast<double>(done) / elapsedSeconds;
    text += format(", %.1f frames/s", rate);
    return text + ", " + describeDuration(static_cast<double>(total - done) / rate) + " left";
}

ProgressLine::ProgressLine(std::FILE* out, std::int64_t total, double startSeconds)
    : out_(out), total_(total), start_(startSeconds) {}

void ProgressLine::update(std::int64_t done, double nowSeconds) {
    if (out_ == nullptr) return;
    if (lastDrawn_ >= 0.0 && nowSeconds - lastDrawn_ < redrawInterval) return;
    lastDrawn_ = nowSeconds;
    draw(describe(done, total_, nowSeconds - start_));
}

void ProgressLine::finish(const std::string& message) {
    if (out_ == nullptr) return;
    draw(message);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void ProgressLine::breakLine() {
    if (out_ == nullptr || drawnLength_ == 0) return;
    std::fputc('\n', out_);
    drawnLength_ = 0;
}

void ProgressLine::draw(const std::string& text) {
    // Spaces over what is left of a longer line before it; no terminal codes,
    // which not every console reads.
    const std::size_t blank = drawnLength_ > text.size() ? drawnLength_ - text.size() : 0;
    std::fprintf(out_, "\r%s%*s", text.c_str(), static_cast<int>(blank), "");
    std::fflush(out_);
    drawnLength_ = text.size();
}

bool stderrIsTerminal() { return RT_ISATTY(RT_FILENO(stderr)) != 0; }

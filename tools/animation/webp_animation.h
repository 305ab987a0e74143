// WebpAnimation: frames into one lossless animated WebP that loops forever.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PixelSurface;

// Frame k is shown from round(k * 1000 / fps) ms, so that the frames keep
// the rate even where 1000 / fps is not a whole number of milliseconds.
class WebpAnimation {
public:
    WebpAnimation(std::int32_t width, std::int32_t height, double fps);
    ~WebpAnimation();
    WebpAnimation(const WebpAnimation&) = delete;
    WebpAnimation& operator=(const WebpAnimation&) = delete;

    // False, with libwebp's reason in error, when the encoder fails.
    bool add(const PixelSurface& frame, std::string& error);
    // The whole file, once every frame is in.
    bool finish(std::vector<unsigned char>& bytes, std::string& error);

private:
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    double fps_;
    std::int64_t frames_ = 0;
};

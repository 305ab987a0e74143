#include "animation/webp_animation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cmath>

#include "bmpwindow/pixel_surface.h"

struct WebpAnimation::Encoder {
    WebPAnimEncoder* encoder = nullptr;
    WebPConfig config{};
    ~Encoder() { WebPAnimEncoderDelete(encoder); }
};

namespace {

int timestampMs(std::int64_t k, double fps) {
    return static_cast<int>(std::llround(static_cast<double>(k) * 1000.0 / fps));
}

std::string encoderError(WebPAnimEncoder* encoder) {
    const char* text = encoder != nullptr ? WebPAnimEncoderGetError(encoder) : nullptr;
    return std::string("WebP encoding: ") + (text != nullptr && *text != '\0' ? text : "failed");
}

}  // namespace

WebpAnimation::WebpAnimation(std::int32_t width, std::int32_t height, double fps)
    : encoder_(std::make_unique<Encoder>()), fps_(fps) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    options.anim_params.loop_count = 0;  // for ever
    options.allow_mixed = 0;             // every frame lossless
    encoder_->encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfigInit(&encoder_->config);
    WebPConfigLosslessPreset(&encoder_->config, 6);
}

WebpAnimation::~WebpAnimation() = default;

bool WebpAnimation::add(const PixelSurface& frame, std::string& error) {
    if (encoder_->encoder == nullptr) {
        error = encoderError(nullptr);
        return false;
    }
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = frame.width();
    picture.height = frame.height();
    if (!WebPPictureAlloc(&picture)) {
        error = "WebP encoding: out of memory";
        return false;
    }
    // The surface's words are already red, green, blue from bit 16 down; only alpha is missing.
    for (std::int32_t y = 0; y < frame.height(); ++y) {
        const std::uint32_t* row = frame.pixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width());
        std::uint32_t* out = picture.argb + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.argb_stride);
        for (std::int32_t x = 0; x < frame.width(); ++x) out[x] = row[x] | 0xFF000000u;
    }
    const bool added = WebPAnimEncoderAdd(encoder_->encoder, &picture, timestampMs(frames_, fps_), &encoder_->config) != 0;
    WebPPictureFree(&picture);
    if (!added) {
        error = encoderError(encoder_->encoder);
        return false;
    }
    ++frames_;
    return true;
}

bool WebpAnimation::finish(std::vector<unsigned char>& bytes, std::string& error) {
    WebPData data;
    WebPDataInit(&data);
    // The closing timestamp gives the last frame its time on screen.
    if (encoder_->encoder == nullptr ||
        !WebPAnimEncoderAdd(encoder_->encoder, nullptr, timestampMs(frames_, fps_), nullptr) ||
        !WebPAnimEncoderAssemble(encoder_->encoder, &data)) {
        error = encoderError(encoder_->encoder);
        return false;
    }
    bytes.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return true;
}

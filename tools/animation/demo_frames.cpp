#include "animation/demo_frames.h"

#include <memory>

#include "app/demo_animation.h"
#include "png/png_image.h"

FrameWorkFactory demoFrameWork(const FrameSequence& sequence, bool asPng) {
    return [sequence, asPng]() -> FrameWork {
        auto demo = std::make_shared<DemoAnimation>();
        return [sequence, asPng, demo](std::int64_t k, FrameSlot& slot) {
            demo->renderAt(slot.canvas, sequence.time(k));
            slot.error.clear();
            if (asPng && !encodePng(slot.canvas.surface(), slot.encoded, slot.error)) slot.encoded.clear();
        };
    };
}

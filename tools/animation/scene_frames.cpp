#include "animation/scene_frames.h"

#include <memory>

#include "png/png_image.h"
#include "scenefile/scene_animation.h"

FrameWorkFactory sceneFrameWork(const SceneFile& scene, const FrameSequence& sequence, bool asPng) {
    auto shared = std::make_shared<const SceneFile>(scene);
    return [shared, sequence, asPng]() -> FrameWork {
        auto animation = std::make_shared<SceneAnimation>(*shared);
        return [sequence, asPng, animation](std::int64_t k, FrameSlot& slot) {
            animation->renderAt(slot.canvas, sequence.time(k));
            slot.error.clear();
            if (asPng && !encodePng(slot.canvas.surface(), slot.encoded, slot.error)) slot.encoded.clear();
        };
    };
}

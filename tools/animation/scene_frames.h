// sceneFrameWork: a scene file's frames, as render-animation's workers make them.
#pragma once

#include "animation/frame_scheduler.h"
#include "animation/frame_sequence.h"
#include "scenefile/scene_file.h"

// As demoFrameWork, with a SceneAnimation of the file's scene for each worker.
FrameWorkFactory sceneFrameWork(const SceneFile& scene, const FrameSequence& sequence, bool asPng);

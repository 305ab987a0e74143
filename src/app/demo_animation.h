// DemoAnimation: a copy of the demo of its own, to render its frames off screen,
// one copy per thread.
#pragma once

#include <memory>

class Canvas;

// Owns its own demo scene and everything a frame needs, sharing nothing
// with the program's scene or with other copies, so that copies on several
// threads render side by side.
class DemoAnimation {
public:
    DemoAnimation();
    ~DemoAnimation();
    DemoAnimation(const DemoAnimation&) = delete;
    DemoAnimation& operator=(const DemoAnimation&) = delete;

    // The frame at time t: bit for bit what renderFrameAt(canvas, t) draws.
    void renderAt(Canvas& canvas, float t);

private:
    struct State;
    std::unique_ptr<State> state_;
};

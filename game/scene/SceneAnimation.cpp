#include "game/scene/SceneAnimation.h"

#include <cmath>

namespace {

// One update lasts 17 ms; the clock counts thousandths of a frame.
constexpr float kStepMs = 17.0f;
constexpr float kClockPerFrame = 1000.0f;

}  // namespace

void SceneAnimation::SetFramesPerSecond(float fps) {
    step = fps * kStepMs;
    if (!std::isfinite(step) || step < 0) step = 0;
}

void SceneAnimation::Advance() {
    if (!(step > 0)) return;
    clock += step;
    if (!std::isfinite(clock)) {
        clock = 0;
        return;
    }
    if (clock < kClockPerFrame) return;
    const double whole = std::floor(static_cast<double>(clock) / kClockPerFrame);
    clock = std::fmod(clock, kClockPerFrame);
    if (frames.empty()) return;
    const double count = static_cast<double>(frames.size());
    frame = static_cast<int32_t>(std::fmod(static_cast<double>(frame) + std::fmod(whole, count), count));
}

SceneAnimationFrame* SceneAnimation::CurrentFrame() const {
    if (frame < 0 || static_cast<size_t>(frame) >= frames.size()) return nullptr;
    return frames[static_cast<size_t>(frame)].Get();
}

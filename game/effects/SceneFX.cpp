#include "game/effects/SceneFX.h"

#include <algorithm>
#include <cmath>

#include "platform/GLState.h"
#include "platform/os/Random.h"

const ClassRecord SceneFX::kClassRecord = {"SceneFX", nullptr, &SceneFX::Create};

halvo::RefObj* SceneFX::Create() { return new SceneFX; }

void SceneFX::Init(SceneObject* target, const SceneImageSet& images, Vec2 at, float lifetime) {
    object = target;
    // Assigned in place, so that a reused effect keeps its capacity.
    frames.assign(images.begin(), images.end());
    progress = 0;
    frame = 0;
    rate = lifetime == 0 ? 0.0f : 1.0f / lifetime;
    // A negative or non-finite lifetime would never finish.
    if (!(rate > 0) || !std::isfinite(rate)) rate = 0;
    position = at;
}

void SceneFX::InitWithImage(SceneObject* target, GLImage* image, Vec2 at, float lifetime) {
    SceneImageSet one;
    if (image) one.push_back(image);
    Init(target, one, at, lifetime);
}

void SceneFX::Advance(double, double stepMs) {
    progress += static_cast<float>(stepMs / 1000.0) * rate;
    if (progress >= 1) {
        progress = 1;
        rate = 0;
    }
}

void SceneFX::Draw(const Matrix4& matrix) {
    GLImage* image = CurrentImage();
    if (!image) return;
    image->position = position;
    image->matrixDirty = true;
    image->Draw(matrix);
}

GLImage* SceneFX::CurrentImage() const { return frame < frames.size() ? frames[frame].Get() : nullptr; }

void SceneFX::DrawScaled(const Matrix4& matrix, float scale, float alpha) {
    GLImage* image = CurrentImage();
    if (!image) return;
    image->scale = {scale, scale};
    const float clamped = std::clamp(alpha, 0.0f, 255.0f);
    GLState::SetColor({255, 255, 255, static_cast<uint8_t>(TruncateToInt(clamped))});
    SceneFX::Draw(matrix);
}

float RandomFraction() { return static_cast<float>(os::Rand()) / static_cast<float>(os::kRandMax); }

uint32_t RandomFrame(size_t count) {
    return count == 0 ? 0 : static_cast<uint32_t>(static_cast<size_t>(os::Rand()) % count);
}

#pragma once
// A texture strip: a sequence of pictures that a scene shows in a loop at a
// fixed number of frames per second, advanced once per 17 ms step.

#include <string>
#include <vector>

#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class SceneAnimationFrame : public halvo::RefObj {
public:
    std::string label;
    std::string file;
    Vec2 position;
    Vec2 size;
    halvo::AutoRef<GLImage> image;
};

class SceneAnimation : public halvo::RefObj {
public:
    // A clock step (fps x 17, per-mille frames per update) that is not
    // finite or is negative leaves the strip still.
    void SetFramesPerSecond(float fps);
    // One 17 ms step: whole thousands of the clock advance the frame at once,
    // so a huge step cannot spin and the frame stays inside the strip.
    void Advance();
    // Null for a strip without frames.
    SceneAnimationFrame* CurrentFrame() const;

    std::string label;
    std::string folder;
    float clock = 0;
    float step = 0;
    int32_t frame = 0;
    halvo::AutoRefVector<SceneAnimationFrame> frames;
};

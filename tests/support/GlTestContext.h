#pragma once
// A hidden window with an OpenGL 2.1 compatibility context for pixel tests.
// Creation failure is a test failure: tests assert on Create, never skip.

#include <string>

#include "platform/Math.h"

struct SDL_Window;

class GlTestContext {
public:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 128;

    GlTestContext() = default;
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;
    ~GlTestContext();

    // False with the reason in `error` when no display or context is available.
    bool Create(std::string* error);

    // Maps design units onto window pixels of a width x height viewport:
    // origin top-left, y downward.
    static Matrix4 PixelProjection(int width, int height);

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
};

#include "support/GlTestContext.h"

#include "platform/GLState.h"

#include <SDL.h>

bool GlTestContext::Create(std::string* error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("SDL video: ") + SDL_GetError();
        return false;
    }
    // The video layer and the GL library stay loaded for the rest of the
    // test process: unloading the driver would turn its own allocations into
    // leaks from an unknown module that no suppression can name.
    static const bool libraryPinned = SDL_GL_LoadLibrary(nullptr) == 0;
    if (!libraryPinned) {
        *error = std::string("GL library: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    window_ = SDL_CreateWindow("tavrin-gl-test", 0, 0, kWidth, kHeight,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) {
        *error = std::string("window: ") + SDL_GetError();
        return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        *error = std::string("GL context: ") + SDL_GetError();
        return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    GLState::UseApi(nullptr);
    return true;
}

GlTestContext::~GlTestContext() {
    GLState::SetContextAlive(false);
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    context_ = nullptr;
    window_ = nullptr;
}

Matrix4 GlTestContext::PixelProjection(int width, int height) {
    Matrix4 projection;
    projection.m[0] = 2.0f / static_cast<float>(width);
    projection.m[5] = -2.0f / static_cast<float>(height);
    projection.m[10] = -1;
    projection.m[12] = -1;
    projection.m[13] = 1;
    return projection;
}

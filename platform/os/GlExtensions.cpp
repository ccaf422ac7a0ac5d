#include "platform/os/GlExtensions.h"

#include <SDL.h>

GlCompressedTexImage2DProc GlCompressedTexImage2D() {
    static GlCompressedTexImage2DProc proc = nullptr;
    if (!proc && SDL_GL_GetCurrentContext())
        proc = reinterpret_cast<GlCompressedTexImage2DProc>(
            SDL_GL_GetProcAddress("glCompressedTexImage2D"));
    return proc;
}

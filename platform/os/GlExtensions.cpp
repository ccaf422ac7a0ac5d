#include "platform/os/GlExtensions.h"

#include <SDL.h>

namespace os {

CompressedTexImage2DFn GetCompressedTexImage2D() {
    static CompressedTexImage2DFn cached = nullptr;
    if (!cached && SDL_GL_GetCurrentContext())
        cached = reinterpret_cast<CompressedTexImage2DFn>(
            SDL_GL_GetProcAddress("glCompressedTexImage2D"));
    return cached;
}

}  // namespace os

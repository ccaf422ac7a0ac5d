#pragma once
// OpenGL entry points beyond 1.1, looked up through SDL once a context is
// current.

#include <cstdint>

using GlCompressedTexImage2DProc = void (*)(uint32_t target, int32_t level,
                                            uint32_t internalFormat, int32_t width,
                                            int32_t height, int32_t border, int32_t imageSize,
                                            const void* data);

// glCompressedTexImage2D of the current context, or null when the driver has
// none (or no context exists yet; the lookup is then tried again next time).
GlCompressedTexImage2DProc GlCompressedTexImage2D();

#pragma once
// OpenGL entry points beyond version 1.1, fetched from the current context.

#include <GL/gl.h>

namespace os {

using CompressedTexImage2DFn = void (*)(GLenum target, GLint level, GLenum internalFormat,
                                        GLsizei width, GLsizei height, GLint border,
                                        GLsizei imageSize, const void* data);

// glCompressedTexImage2D of the current context, or null when there is no
// context yet or the driver lacks it. Looked up once a context has answered.
CompressedTexImage2DFn GetCompressedTexImage2D();

}  // namespace os

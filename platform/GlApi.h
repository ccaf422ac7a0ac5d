#pragma once
// The OpenGL calls the engine makes, behind one small interface so that the
// render-state cache and the image code can run against a recording stand-in
// (tests, fuzzing) as well as the real driver.

#include <cstdint>

class GlApi {
public:
    virtual ~GlApi() = default;

    virtual void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void Clear(uint32_t mask) = 0;
    virtual void ClearColor(float r, float g, float b, float a) = 0;
    virtual void Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) = 0;
    virtual void Enable(uint32_t cap) = 0;
    virtual void Disable(uint32_t cap) = 0;
    virtual void BlendFunc(uint32_t source, uint32_t destination) = 0;
    virtual void MatrixMode(uint32_t mode) = 0;
    virtual void LoadMatrixf(const float* matrix) = 0;
    virtual void ClipPlane(uint32_t plane, const double* equation) = 0;

    virtual void EnableClientState(uint32_t array) = 0;
    virtual void DisableClientState(uint32_t array) = 0;
    virtual void VertexPointer(int32_t size, uint32_t type, int32_t stride, const void* data) = 0;
    virtual void NormalPointer(uint32_t type, int32_t stride, const void* data) = 0;
    virtual void ColorPointer(int32_t size, uint32_t type, int32_t stride, const void* data) = 0;
    virtual void TexCoordPointer(int32_t size, uint32_t type, int32_t stride, const void* data) = 0;
    virtual void DrawElements(uint32_t mode, int32_t count, uint32_t type, const void* indices) = 0;

    // One new texture name (0 when none could be made).
    virtual uint32_t GenTexture() = 0;
    virtual void BindTexture(uint32_t target, uint32_t texture) = 0;
    virtual void TexParameteri(uint32_t target, uint32_t name, int32_t value) = 0;
    virtual void TexImage2D(uint32_t target, int32_t level, int32_t internalFormat, int32_t width,
                            int32_t height, int32_t border, uint32_t format, uint32_t type,
                            const void* pixels) = 0;
    virtual void CompressedTexImage2D(uint32_t target, int32_t level, uint32_t internalFormat,
                                      int32_t width, int32_t height, int32_t border,
                                      int32_t imageSize, const void* data) = 0;
    virtual void DeleteTexture(uint32_t texture) = 0;
    // GL_MAX_TEXTURE_SIZE of the current context; 0 without one.
    virtual int32_t MaxTextureSize() = 0;

    // The driver of the current context.
    static GlApi& System();
    // Swallows every call: what drawing talks to while no context is alive.
    static GlApi& Null();
};

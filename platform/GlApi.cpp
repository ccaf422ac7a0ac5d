#include "platform/GlApi.h"

#include "platform/os/GlExtensions.h"

#include <GL/gl.h>

namespace {

class SystemGlApi final : public GlApi {
public:
    void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) override {
        glViewport(x, y, width, height);
    }
    void Clear(uint32_t mask) override { glClear(mask); }
    void ClearColor(float r, float g, float b, float a) override { glClearColor(r, g, b, a); }
    void Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) override { glColor4ub(r, g, b, a); }
    void Enable(uint32_t cap) override { glEnable(cap); }
    void Disable(uint32_t cap) override { glDisable(cap); }
    void BlendFunc(uint32_t source, uint32_t destination) override {
        glBlendFunc(source, destination);
    }
    void MatrixMode(uint32_t mode) override { glMatrixMode(mode); }
    void LoadMatrixf(const float* matrix) override { glLoadMatrixf(matrix); }
    void ClipPlane(uint32_t plane, const double* equation) override { glClipPlane(plane, equation); }

    void EnableClientState(uint32_t array) override { glEnableClientState(array); }
    void DisableClientState(uint32_t array) override { glDisableClientState(array); }
    void VertexPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override {
        glVertexPointer(size, type, stride, data);
    }
    void NormalPointer(uint32_t type, int32_t stride, const void* data) override {
        glNormalPointer(type, stride, data);
    }
    void ColorPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override {
        glColorPointer(size, type, stride, data);
    }
    void TexCoordPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override {
        glTexCoordPointer(size, type, stride, data);
    }
    void DrawElements(uint32_t mode, int32_t count, uint32_t type, const void* indices) override {
        glDrawElements(mode, count, type, indices);
    }

    uint32_t GenTexture() override {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }
    void BindTexture(uint32_t target, uint32_t texture) override { glBindTexture(target, texture); }
    void TexParameteri(uint32_t target, uint32_t name, int32_t value) override {
        glTexParameteri(target, name, value);
    }
    void TexImage2D(uint32_t target, int32_t level, int32_t internalFormat, int32_t width,
                    int32_t height, int32_t border, uint32_t format, uint32_t type,
                    const void* pixels) override {
        glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    }
    void CompressedTexImage2D(uint32_t target, int32_t level, uint32_t internalFormat,
                              int32_t width, int32_t height, int32_t border, int32_t imageSize,
                              const void* data) override {
        // Without the entry point the tile stays an empty texture, as with
        // any other upload the driver refuses.
        if (auto upload = os::GetCompressedTexImage2D())
            upload(target, level, internalFormat, width, height, border, imageSize, data);
    }
    void DeleteTexture(uint32_t texture) override {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
    }
    int32_t MaxTextureSize() override {
        GLint size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
        return size;
    }
};

class NullGlApi final : public GlApi {
public:
    void Viewport(int32_t, int32_t, int32_t, int32_t) override {}
    void Clear(uint32_t) override {}
    void ClearColor(float, float, float, float) override {}
    void Color4ub(uint8_t, uint8_t, uint8_t, uint8_t) override {}
    void Enable(uint32_t) override {}
    void Disable(uint32_t) override {}
    void BlendFunc(uint32_t, uint32_t) override {}
    void MatrixMode(uint32_t) override {}
    void LoadMatrixf(const float*) override {}
    void ClipPlane(uint32_t, const double*) override {}
    void EnableClientState(uint32_t) override {}
    void DisableClientState(uint32_t) override {}
    void VertexPointer(int32_t, uint32_t, int32_t, const void*) override {}
    void NormalPointer(uint32_t, int32_t, const void*) override {}
    void ColorPointer(int32_t, uint32_t, int32_t, const void*) override {}
    void TexCoordPointer(int32_t, uint32_t, int32_t, const void*) override {}
    void DrawElements(uint32_t, int32_t, uint32_t, const void*) override {}
    uint32_t GenTexture() override { return 0; }
    void BindTexture(uint32_t, uint32_t) override {}
    void TexParameteri(uint32_t, uint32_t, int32_t) override {}
    void TexImage2D(uint32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t,
                    const void*) override {}
    void CompressedTexImage2D(uint32_t, int32_t, uint32_t, int32_t, int32_t, int32_t, int32_t,
                              const void*) override {}
    void DeleteTexture(uint32_t) override {}
    int32_t MaxTextureSize() override { return 0; }
};

}  // namespace

GlApi& GlApi::System() {
    static SystemGlApi api;
    return api;
}

GlApi& GlApi::Null() {
    static NullGlApi api;
    return api;
}

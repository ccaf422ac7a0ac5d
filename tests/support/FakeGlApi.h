#pragma once
// A stand-in for the OpenGL driver that records every call as one line of
// text ("Enable(0xde1)") and keeps copies of uploaded texture data, reading
// exactly the bytes a real driver would read (so sanitizers see over-reads).

#include "platform/GlApi.h"

#include <cstdint>
#include <string>
#include <vector>

class FakeGlApi final : public GlApi {
public:
    struct Upload {
        uint32_t texture;  // bound when the upload came
        int32_t width, height;
        uint32_t internalFormat;
        bool compressed;
        std::vector<uint8_t> data;
    };

    std::vector<std::string> calls;
    std::vector<Upload> uploads;
    uint32_t nextTexture = 1;
    int32_t maxTextureSize = 4096;
    uint32_t boundTexture = 0;

    void Clear() {
        calls.clear();
        uploads.clear();
    }
    // How many recorded calls start with `prefix`.
    size_t Count(const std::string& prefix) const;

    void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void Clear(uint32_t mask) override;
    void ClearColor(float r, float g, float b, float a) override;
    void Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) override;
    void Enable(uint32_t cap) override;
    void Disable(uint32_t cap) override;
    void BlendFunc(uint32_t source, uint32_t destination) override;
    void MatrixMode(uint32_t mode) override;
    void LoadMatrixf(const float* matrix) override;
    void ClipPlane(uint32_t plane, const double* equation) override;
    void EnableClientState(uint32_t array) override;
    void DisableClientState(uint32_t array) override;
    void VertexPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override;
    void NormalPointer(uint32_t type, int32_t stride, const void* data) override;
    void ColorPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override;
    void TexCoordPointer(int32_t size, uint32_t type, int32_t stride, const void* data) override;
    void DrawElements(uint32_t mode, int32_t count, uint32_t type, const void* indices) override;
    uint32_t GenTexture() override;
    void BindTexture(uint32_t target, uint32_t texture) override;
    void TexParameteri(uint32_t target, uint32_t name, int32_t value) override;
    void TexImage2D(uint32_t target, int32_t level, int32_t internalFormat, int32_t width,
                    int32_t height, int32_t border, uint32_t format, uint32_t type,
                    const void* pixels) override;
    void CompressedTexImage2D(uint32_t target, int32_t level, uint32_t internalFormat,
                              int32_t width, int32_t height, int32_t border, int32_t imageSize,
                              const void* data) override;
    void DeleteTexture(uint32_t texture) override;
    int32_t MaxTextureSize() override;

private:
    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

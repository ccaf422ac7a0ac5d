#pragma once
// A GlApi that forwards every call to the system driver and counts the draw
// calls and texture binds that reach it.

#include <cstdint>

#include "platform/GlApi.h"

class CountingGlApi : public GlApi {
public:
    uint64_t draws = 0;
    uint64_t binds = 0;

    void Viewport(int32_t x, int32_t y, int32_t w, int32_t h) override { gl_.Viewport(x, y, w, h); }
    void Clear(uint32_t mask) override { gl_.Clear(mask); }
    void ClearColor(float r, float g, float b, float a) override { gl_.ClearColor(r, g, b, a); }
    void Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) override { gl_.Color4ub(r, g, b, a); }
    void Enable(uint32_t cap) override { gl_.Enable(cap); }
    void Disable(uint32_t cap) override { gl_.Disable(cap); }
    void BlendFunc(uint32_t s, uint32_t d) override { gl_.BlendFunc(s, d); }
    void MatrixMode(uint32_t mode) override { gl_.MatrixMode(mode); }
    void LoadMatrixf(const float* m) override { gl_.LoadMatrixf(m); }
    void ClipPlane(uint32_t plane, const double* e) override { gl_.ClipPlane(plane, e); }
    void EnableClientState(uint32_t a) override { gl_.EnableClientState(a); }
    void DisableClientState(uint32_t a) override { gl_.DisableClientState(a); }
    void VertexPointer(int32_t s, uint32_t t, int32_t st, const void* d) override { gl_.VertexPointer(s, t, st, d); }
    void NormalPointer(uint32_t t, int32_t st, const void* d) override { gl_.NormalPointer(t, st, d); }
    void ColorPointer(int32_t s, uint32_t t, int32_t st, const void* d) override { gl_.ColorPointer(s, t, st, d); }
    void TexCoordPointer(int32_t s, uint32_t t, int32_t st, const void* d) override {
        gl_.TexCoordPointer(s, t, st, d);
    }
    void DrawElements(uint32_t mode, int32_t count, uint32_t type, const void* indices) override {
        ++draws;
        gl_.DrawElements(mode, count, type, indices);
    }
    uint32_t GenTexture() override { return gl_.GenTexture(); }
    void BindTexture(uint32_t target, uint32_t texture) override {
        ++binds;
        gl_.BindTexture(target, texture);
    }
    void TexParameteri(uint32_t target, uint32_t name, int32_t value) override {
        gl_.TexParameteri(target, name, value);
    }
    void TexImage2D(uint32_t target, int32_t level, int32_t internalFormat, int32_t w, int32_t h, int32_t border,
                    uint32_t format, uint32_t type, const void* pixels) override {
        gl_.TexImage2D(target, level, internalFormat, w, h, border, format, type, pixels);
    }
    void CompressedTexImage2D(uint32_t target, int32_t level, uint32_t internalFormat, int32_t w, int32_t h,
                              int32_t border, int32_t size, const void* data) override {
        gl_.CompressedTexImage2D(target, level, internalFormat, w, h, border, size, data);
    }
    void DeleteTexture(uint32_t texture) override { gl_.DeleteTexture(texture); }
    int32_t MaxTextureSize() override { return gl_.MaxTextureSize(); }

private:
    GlApi& gl_ = GlApi::System();
};

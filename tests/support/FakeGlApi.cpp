#include "support/FakeGlApi.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>

size_t FakeGlApi::Count(const std::string& prefix) const {
    size_t n = 0;
    for (const std::string& call : calls) n += call.rfind(prefix, 0) == 0;
    return n;
}

void FakeGlApi::Record(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    calls.emplace_back(line);
}

void FakeGlApi::Viewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    Record("Viewport(%d,%d,%d,%d)", x, y, width, height);
}
void FakeGlApi::Clear(uint32_t mask) { Record("Clear(0x%x)", mask); }
void FakeGlApi::ClearColor(float r, float g, float b, float a) {
    Record("ClearColor(%g,%g,%g,%g)", r, g, b, a);
}
void FakeGlApi::Color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    Record("Color4ub(%d,%d,%d,%d)", r, g, b, a);
}
void FakeGlApi::Enable(uint32_t cap) { Record("Enable(%#x)", cap); }
void FakeGlApi::Disable(uint32_t cap) { Record("Disable(%#x)", cap); }
void FakeGlApi::BlendFunc(uint32_t s, uint32_t d) { Record("BlendFunc(%#x,%#x)", s, d); }
void FakeGlApi::MatrixMode(uint32_t mode) { Record("MatrixMode(%#x)", mode); }
void FakeGlApi::LoadMatrixf(const float* m) {
    Record("LoadMatrixf(%g,%g,%g,%g,%g,%g)", m[0], m[5], m[10], m[12], m[13], m[14]);
}
void FakeGlApi::ClipPlane(uint32_t plane, const double* e) {
    Record("ClipPlane(%#x,%g,%g,%g,%g)", plane, e[0], e[1], e[2], e[3]);
}
void FakeGlApi::EnableClientState(uint32_t array) { Record("EnableClientState(%#x)", array); }
void FakeGlApi::DisableClientState(uint32_t array) { Record("DisableClientState(%#x)", array); }
void FakeGlApi::VertexPointer(int32_t size, uint32_t type, int32_t stride, const void* data) {
    Record("VertexPointer(%d,%#x,%d,%p)", size, type, stride, data);
}
void FakeGlApi::NormalPointer(uint32_t type, int32_t stride, const void* data) {
    Record("NormalPointer(%#x,%d,%p)", type, stride, data);
}
void FakeGlApi::ColorPointer(int32_t size, uint32_t type, int32_t stride, const void* data) {
    Record("ColorPointer(%d,%#x,%d,%p)", size, type, stride, data);
}
void FakeGlApi::TexCoordPointer(int32_t size, uint32_t type, int32_t stride, const void* data) {
    Record("TexCoordPointer(%d,%#x,%d,%p)", size, type, stride, data);
}
void FakeGlApi::DrawElements(uint32_t mode, int32_t count, uint32_t type, const void* indices) {
    Record("DrawElements(%#x,%d,%#x,%p)", mode, count, type, indices);
}
uint32_t FakeGlApi::GenTexture() {
    Record("GenTexture() = %u", nextTexture);
    return nextTexture++;
}
void FakeGlApi::BindTexture(uint32_t target, uint32_t texture) {
    Record("BindTexture(%#x,%u)", target, texture);
    boundTexture = texture;
}
void FakeGlApi::TexParameteri(uint32_t target, uint32_t name, int32_t value) {
    Record("TexParameteri(%#x,%#x,%#x)", target, name, static_cast<unsigned>(value));
}
void FakeGlApi::TexImage2D(uint32_t, int32_t, int32_t internalFormat, int32_t width,
                           int32_t height, int32_t, uint32_t format, uint32_t,
                           const void* pixels) {
    Record("TexImage2D(%#x,%d,%d,%#x)", static_cast<unsigned>(internalFormat), width, height,
           format);
    const size_t texel = format == GL_ALPHA ? 1 : 4;
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height) * texel;
    uploads.push_back({boundTexture, width, height, static_cast<uint32_t>(internalFormat), false,
                       std::vector<uint8_t>(bytes, bytes + n)});
}
void FakeGlApi::CompressedTexImage2D(uint32_t, int32_t, uint32_t internalFormat, int32_t width,
                                     int32_t height, int32_t, int32_t imageSize,
                                     const void* data) {
    Record("CompressedTexImage2D(%#x,%d,%d,%d)", internalFormat, width, height, imageSize);
    const auto* bytes = static_cast<const uint8_t*>(data);
    uploads.push_back({boundTexture, width, height, internalFormat, true,
                       std::vector<uint8_t>(bytes, bytes + imageSize)});
}
void FakeGlApi::DeleteTexture(uint32_t texture) { Record("DeleteTexture(%u)", texture); }
int32_t FakeGlApi::MaxTextureSize() { return maxTextureSize; }

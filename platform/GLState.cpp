#include "platform/GLState.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

GlApi*& ActiveApi() {
    static GlApi* api = &GlApi::System();
    return api;
}

uint8_t Scaled(uint8_t channel, uint8_t factor) {
    return static_cast<uint8_t>(channel * factor / 255);
}

void SendColor(const GLStateMirror& mirror) {
    const Color& c = mirror.color;
    const uint8_t f = mirror.globalAlpha;
    GLState::Gl().Color4ub(Scaled(c.r, f), Scaled(c.g, f), Scaled(c.b, f), c.a);
}

void LoadMatrix(uint32_t mode, const Matrix4& matrix) {
    GlApi& gl = GLState::Gl();
    gl.MatrixMode(mode);
    gl.LoadMatrixf(matrix.m);
}

uint32_t TexCoordOffset(uint32_t flags) {
    uint32_t offset = 12;
    if (flags & GLState::kNormals) offset += 12;
    if (flags & GLState::kColors) offset += 4;
    return offset;
}

void SwitchClientState(uint32_t bit, uint32_t was, uint32_t now, uint32_t array) {
    if ((now & bit) && !(was & bit)) GLState::Gl().EnableClientState(array);
    if (!(now & bit) && (was & bit)) GLState::Gl().DisableClientState(array);
}

void PointArrays(uint32_t flags, uint32_t stride, const void* data) {
    GlApi& gl = GLState::Gl();
    const auto* bytes = static_cast<const uint8_t*>(data);
    const auto s = static_cast<int32_t>(stride);
    gl.VertexPointer(3, GL_FLOAT, s, bytes);
    if (flags & GLState::kNormals) gl.NormalPointer(GL_FLOAT, s, bytes + 12);
    if (flags & GLState::kColors)
        gl.ColorPointer(4, GL_UNSIGNED_BYTE, s, bytes + ((flags & GLState::kNormals) ? 24 : 12));
    if (flags & GLState::kTexCoords) gl.TexCoordPointer(2, GL_FLOAT, s, bytes + TexCoordOffset(flags));
}

void TurnArraysOff(GLStateMirror& mirror) {
    GlApi& gl = GLState::Gl();
    gl.DisableClientState(GL_VERTEX_ARRAY);
    if (mirror.arrayFlags & GLState::kNormals) gl.DisableClientState(GL_NORMAL_ARRAY);
    if (mirror.arrayFlags & GLState::kColors) gl.DisableClientState(GL_COLOR_ARRAY);
    if (mirror.arrayFlags & GLState::kTexCoords) gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    mirror.arrayFlags = 0;
    mirror.arrayStride = 0;
    mirror.arrayData = nullptr;
}

}  // namespace

GLStateMirror& GLState::Mirror() {
    static GLStateMirror mirror;
    return mirror;
}

void GLState::UseApi(GlApi* api) { ActiveApi() = api ? api : &GlApi::System(); }

GlApi& GLState::Gl() { return Mirror().contextAlive ? *ActiveApi() : GlApi::Null(); }

void GLState::SetContextAlive(bool alive) { Mirror().contextAlive = alive; }

void GLState::Reset() {
    GLStateMirror& mirror = Mirror();
    mirror.contextAlive = true;
    GlApi& gl = Gl();
    mirror.clearColor = Color::Black;
    gl.ClearColor(0, 0, 0, 1);
    mirror.globalAlpha = 0;
    mirror.color = Color::Black;
    gl.Color4ub(0, 0, 0, 255);
    gl.Disable(GL_LIGHTING);
    mirror.texturing = false;
    gl.Disable(GL_TEXTURE_2D);
    mirror.boundTexture = 0;
    mirror.blending = false;
    gl.Disable(GL_BLEND);
    mirror.blendSource = GL_SRC_ALPHA;
    mirror.blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    mirror.projection = Matrix4::Identity();
    LoadMatrix(GL_PROJECTION, mirror.projection);
    mirror.modelview = Matrix4::Identity();
    LoadMatrix(GL_MODELVIEW, mirror.modelview);
    mirror.arrayFlags = 0;
    mirror.arrayStride = 0;
    mirror.arrayData = nullptr;
}

void GLState::SetClearColor() {
    GLStateMirror& mirror = Mirror();
    if (mirror.clearColor == Color::Black) return;
    const Color c = Color::Black;
    Gl().ClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f);
    mirror.clearColor = c;
}

void GLState::SetAlpha(int32_t fadeLevel) {
    const int64_t factor = std::clamp<int64_t>(255 - static_cast<int64_t>(fadeLevel), 0, 255);
    GLStateMirror& mirror = Mirror();
    if (factor == mirror.globalAlpha) return;
    mirror.globalAlpha = static_cast<uint8_t>(factor);
    SendColor(mirror);
}

void GLState::SetColor(Color color) {
    GLStateMirror& mirror = Mirror();
    if (color == mirror.color) return;
    mirror.color = color;
    SendColor(mirror);
}

void GLState::EnableBlend() { SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); }

void GLState::SetBlendFunc(uint32_t source, uint32_t destination) {
    GLStateMirror& mirror = Mirror();
    if (!mirror.blending) {
        Gl().Enable(GL_BLEND);
        mirror.blending = true;
    }
    if (mirror.blendSource == source && mirror.blendDestination == destination) return;
    Gl().BlendFunc(source, destination);
    mirror.blendSource = source;
    mirror.blendDestination = destination;
}

void GLState::DisableBlend() {
    GLStateMirror& mirror = Mirror();
    if (!mirror.blending) return;
    Gl().Disable(GL_BLEND);
    mirror.blending = false;
}

void GLState::BindTexture(uint32_t texture) {
    GLStateMirror& mirror = Mirror();
    if (!mirror.texturing) {
        Gl().Enable(GL_TEXTURE_2D);
        mirror.texturing = true;
    }
    if (mirror.boundTexture == texture) return;
    Gl().BindTexture(GL_TEXTURE_2D, texture);
    mirror.boundTexture = texture;
}

void GLState::DisableTexturing() {
    GLStateMirror& mirror = Mirror();
    if (!mirror.texturing) return;
    Gl().Disable(GL_TEXTURE_2D);
    mirror.texturing = false;
}

void GLState::DeleteTexture(uint32_t texture) {
    GLStateMirror& mirror = Mirror();
    if (texture == 0 || !mirror.contextAlive) return;
    if (mirror.boundTexture == texture) {
        Gl().BindTexture(GL_TEXTURE_2D, 0);
        mirror.boundTexture = 0;
    }
    Gl().DeleteTexture(texture);
}

void GLState::SetModelview(const Matrix4& matrix) {
    GLStateMirror& mirror = Mirror();
    if (Matrix4::Equals(matrix, mirror.modelview)) return;
    LoadMatrix(GL_MODELVIEW, matrix);
    mirror.modelview = matrix;
}

void GLState::SetProjection(const Matrix4& matrix) {
    GLStateMirror& mirror = Mirror();
    if (Matrix4::Equals(matrix, mirror.projection)) return;
    LoadMatrix(GL_PROJECTION, matrix);
    mirror.projection = matrix;
}

void GLState::ResetClipPlanes() {
    GLStateMirror& mirror = Mirror();
    for (int i = 0; i < kClipPlaneCount; ++i) {
        Gl().Disable(GL_CLIP_PLANE0 + i);
        std::fill(mirror.clipPlanes[i], mirror.clipPlanes[i] + 4, 0.0f);
    }
}

void GLState::SetClipPlane(int32_t index, float a, float b, float c, float d) {
    if (index < 0 || index >= kClipPlaneCount) return;
    float* plane = Mirror().clipPlanes[index];
    if (plane[0] == a && plane[1] == b && plane[2] == c && plane[3] == d) return;
    const uint32_t name = GL_CLIP_PLANE0 + static_cast<uint32_t>(index);
    const float lengthSquared = a * a + b * b + c * c + d * d;
    if (lengthSquared < 0.1f) {
        Gl().Disable(name);
        std::fill(plane, plane + 4, 0.0f);
        return;
    }
    Gl().Enable(name);
    const double equation[4] = {a, b, c, d};
    Gl().ClipPlane(name, equation);
    plane[0] = a, plane[1] = b, plane[2] = c, plane[3] = d;
}

void GLState::SetVertexArrays(uint32_t flags, uint32_t stride, const void* data) {
    GLStateMirror& mirror = Mirror();
    if (!data && !mirror.arrayData) return;
    if (flags == mirror.arrayFlags && stride == mirror.arrayStride && data == mirror.arrayData)
        return;
    if (!data) return TurnArraysOff(mirror);
    if (!mirror.arrayData) Gl().EnableClientState(GL_VERTEX_ARRAY);
    SwitchClientState(kNormals, mirror.arrayFlags, flags, GL_NORMAL_ARRAY);
    SwitchClientState(kColors, mirror.arrayFlags, flags, GL_COLOR_ARRAY);
    SwitchClientState(kTexCoords, mirror.arrayFlags, flags, GL_TEXTURE_COORD_ARRAY);
    // Pointers are given again on any change: an array that was just enabled
    // must not keep the pointer of its last use, which may be freed memory.
    PointArrays(flags, stride, data);
    mirror.arrayFlags = flags;
    mirror.arrayStride = stride;
    mirror.arrayData = data;
}

void GLState::DrawTexturedQuad(uint32_t texture, const uint8_t* indices) {
    BindTexture(texture);
    Gl().DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, indices);
}

void GLState::DrawRect(Vec2 p0, Vec2 p1) {
    const float vertices[12] = {p1.x, p1.y, 0, p1.x, p0.y, 0, p0.x, p0.y, 0, p0.x, p1.y, 0};
    static const uint8_t kIndices[6] = {0, 1, 2, 0, 3, 2};
    DisableTexturing();
    SetVertexArrays(0, 12, vertices);
    Gl().DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, kIndices);
}

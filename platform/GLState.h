#pragma once
// The one mirror of fixed-function OpenGL state. Every state change in the
// program compares with the mirror first and calls OpenGL only on a change,
// so the mirror must always equal the real state: code that changes state
// itself must update the mirror the same way.

#include "platform/Color.h"
#include "platform/GlApi.h"
#include "platform/Math.h"

#include <cstdint>

struct GLStateMirror {
    Color clearColor = Color::Black;
    // Brightness 0..255 applied to red, green and blue of every colour sent.
    uint8_t globalAlpha = 0;
    // The colour last requested, before the global alpha is applied.
    Color color = Color::Black;
    bool texturing = false;
    uint32_t boundTexture = 0;
    bool blending = false;
    uint32_t blendSource = 0x302;       // GL_SRC_ALPHA
    uint32_t blendDestination = 0x303;  // GL_ONE_MINUS_SRC_ALPHA
    Matrix4 projection;
    Matrix4 modelview;
    // All four zero: the plane is disabled.
    float clipPlanes[6][4] = {};
    uint32_t arrayFlags = 0;
    uint32_t arrayStride = 0;
    const void* arrayData = nullptr;
    // Set by Reset, cleared by the window layer before the context goes away;
    // while clear, nothing reaches OpenGL (textures released during static
    // destruction must not touch a dead context).
    bool contextAlive = false;
};

class GLState {
public:
    // Interleaved vertex layout bits for SetVertexArrays.
    static constexpr uint32_t kNormals = 1;
    static constexpr uint32_t kColors = 2;
    static constexpr uint32_t kTexCoords = 4;
    static constexpr int kClipPlaneCount = 6;

    static GLStateMirror& Mirror();

    // The calls go to `api` from now on; null returns to the system driver.
    static void UseApi(GlApi* api);
    // The active driver while the context is alive, else one that does nothing.
    static GlApi& Gl();
    static void SetContextAlive(bool alive);

    // Sends the whole start state and marks the context alive.
    static void Reset();
    static void SetClearColor();
    static void SetAlpha(int32_t fadeLevel);
    static void SetColor(Color color);
    static void EnableBlend();
    static void SetBlendFunc(uint32_t source, uint32_t destination);
    static void DisableBlend();
    static void BindTexture(uint32_t texture);
    static void DisableTexturing();
    // Unbinds the texture first when the mirror lists it as bound.
    static void DeleteTexture(uint32_t texture);
    static void SetModelview(const Matrix4& matrix);
    static void SetProjection(const Matrix4& matrix);
    static void ResetClipPlanes();
    static void SetClipPlane(int32_t index, float a, float b, float c, float d);
    static void SetVertexArrays(uint32_t flags, uint32_t stride, const void* data);
    static void DrawTexturedQuad(uint32_t texture, const uint8_t* indices);
    static void DrawRect(Vec2 p0, Vec2 p1);
};

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/FakeGlFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

std::string Hex(const char* name, unsigned value) {
    char text[64];
    std::snprintf(text, sizeof text, "%s(%#x)", name, value);
    return text;
}

class GLStateTest : public FakeGlFixture {
protected:
    void SetUp() override {
        FakeGlFixture::SetUp();
        GLState::ResetClipPlanes();
        gl.Clear();
    }
};

TEST_F(GLStateTest, ResetSendsTheWholeStartStateInOrder) {
    GLState::SetColor({1, 2, 3, 4});
    GLState::BindTexture(9);
    gl.Clear();
    GLState::Reset();
    const Calls expected = {
        "ClearColor(0,0,0,1)",
        "Color4ub(0,0,0,255)",
        Hex("Disable", GL_LIGHTING),
        Hex("Disable", GL_TEXTURE_2D),
        Hex("Disable", GL_BLEND),
        "BlendFunc(0x302,0x303)",
        Hex("MatrixMode", GL_PROJECTION),
        "LoadMatrixf(1,1,1,0,0,0)",
        Hex("MatrixMode", GL_MODELVIEW),
        "LoadMatrixf(1,1,1,0,0,0)",
    };
    EXPECT_EQ(gl.calls, expected);
    EXPECT_EQ(GLState::Mirror().boundTexture, 0u);
    EXPECT_FALSE(GLState::Mirror().texturing);
}

TEST_F(GLStateTest, FadeLevelIsClampedAndRepeatsAreSilent) {
    GLState::SetAlpha(-5);
    EXPECT_EQ(GLState::Mirror().globalAlpha, 255);
    EXPECT_EQ(gl.calls, Calls{"Color4ub(0,0,0,255)"});
    GLState::SetAlpha(INT_MIN);
    GLState::SetAlpha(0);
    EXPECT_EQ(gl.calls.size(), 1u);

    GLState::SetAlpha(300);
    EXPECT_EQ(GLState::Mirror().globalAlpha, 0);
    GLState::SetAlpha(INT_MAX);
    EXPECT_EQ(gl.calls.size(), 2u);
}

TEST_F(GLStateTest, ColourIsScaledByTheFadeAndSentOnlyOnChange) {
    GLState::SetAlpha(128);  // brightness 127
    gl.Clear();
    GLState::SetColor({255, 128, 10, 77});
    EXPECT_EQ(gl.calls, Calls{"Color4ub(127,63,4,77)"});  // alpha is never darkened
    GLState::SetColor({255, 128, 10, 77});
    EXPECT_EQ(gl.calls.size(), 1u);

    // A fade change re-sends the colour by itself; asking for the same
    // colour afterwards stays silent.
    GLState::SetAlpha(0);
    ASSERT_FALSE(gl.calls.empty());
    EXPECT_EQ(gl.calls.back(), "Color4ub(255,128,10,77)");
    GLState::SetColor({255, 128, 10, 77});
    EXPECT_EQ(gl.calls.size(), 2u);
    EXPECT_EQ(GLState::Mirror().color, (Color{255, 128, 10, 77}));
}

TEST_F(GLStateTest, ClearColourIsSentOnlyWhenTheMirrorDiffers) {
    GLState::SetClearColor();
    EXPECT_TRUE(gl.calls.empty());
    GLState::Mirror().clearColor = Color::White;
    GLState::SetClearColor();
    EXPECT_EQ(gl.calls, Calls{"ClearColor(0,0,0,1)"});
    EXPECT_EQ(GLState::Mirror().clearColor, Color::Black);
}

TEST_F(GLStateTest, BlendingAndTexturingSwitchOnlyOnChange) {
    GLState::EnableBlend();
    GLState::EnableBlend();
    EXPECT_EQ(gl.calls, Calls{Hex("Enable", GL_BLEND)});
    GLState::SetBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    GLState::SetBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    GLState::EnableBlend();
    GLState::DisableBlend();
    GLState::DisableBlend();
    const Calls blend = {Hex("Enable", GL_BLEND), "BlendFunc(0x302,0x304)",
                         "BlendFunc(0x302,0x303)", Hex("Disable", GL_BLEND)};
    EXPECT_EQ(gl.calls, blend);

    gl.Clear();
    GLState::BindTexture(4);
    GLState::BindTexture(4);
    GLState::DisableTexturing();
    GLState::DisableTexturing();
    const Calls texture = {Hex("Enable", GL_TEXTURE_2D), "BindTexture(0xde1,4)",
                           Hex("Disable", GL_TEXTURE_2D)};
    EXPECT_EQ(gl.calls, texture);
}

TEST_F(GLStateTest, DeletingTheBoundTextureUnbindsItFirst) {
    GLState::BindTexture(7);
    gl.Clear();
    GLState::DeleteTexture(3);
    EXPECT_EQ(gl.calls, Calls{"DeleteTexture(3)"});
    GLState::DeleteTexture(7);
    EXPECT_EQ(gl.calls, (Calls{"DeleteTexture(3)", "BindTexture(0xde1,0)", "DeleteTexture(7)"}));
    EXPECT_EQ(GLState::Mirror().boundTexture, 0u);
}

TEST_F(GLStateTest, MatricesCompareBitwise) {
    Matrix4 m;
    m.m[12] = 0.0f;
    GLState::SetModelview(m);
    GLState::SetProjection(m);
    EXPECT_TRUE(gl.calls.empty());

    m.m[12] = -0.0f;
    GLState::SetModelview(m);
    GLState::SetProjection(m);
    const Calls expected = {Hex("MatrixMode", GL_MODELVIEW), "LoadMatrixf(1,1,1,-0,0,0)",
                            Hex("MatrixMode", GL_PROJECTION), "LoadMatrixf(1,1,1,-0,0,0)"};
    EXPECT_EQ(gl.calls, expected);
    EXPECT_FALSE(Matrix4::Equals(m, Matrix4::Identity()));

    // Equal NaN bit patterns are equal: no reload.
    m.m[3] = std::nanf("");
    GLState::SetModelview(m);
    gl.Clear();
    GLState::SetModelview(m);
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(GLStateTest, ClipPlanes) {
    // Squared length below 0.1 switches the plane off.
    GLState::SetClipPlane(2, 0.1f, 0.1f, 0.1f, 0.1f);
    EXPECT_EQ(gl.calls, Calls{Hex("Disable", GL_CLIP_PLANE2)});
    EXPECT_EQ(GLState::Mirror().clipPlanes[2][0], 0.0f);

    gl.Clear();
    GLState::SetClipPlane(0, 0, 0, 0, 0);
    GLState::SetClipPlane(1, 1, 0, 0, -5);
    GLState::SetClipPlane(1, 1, 0, 0, -5);
    const Calls set = {Hex("Enable", GL_CLIP_PLANE1), "ClipPlane(0x3001,1,0,0,-5)"};
    EXPECT_EQ(gl.calls, set);

    gl.Clear();
    GLState::SetClipPlane(6, 1, 0, 0, 0);
    GLState::SetClipPlane(-1, 1, 0, 0, 0);
    EXPECT_TRUE(gl.calls.empty());

    GLState::SetClipPlane(3, std::nanf(""), 0, 0, 0);
    EXPECT_EQ(gl.Count(Hex("Enable", GL_CLIP_PLANE3)), 1u);

    gl.Clear();
    GLState::ResetClipPlanes();
    EXPECT_EQ(gl.calls.size(), 6u);
    EXPECT_EQ(GLState::Mirror().clipPlanes[1][3], 0.0f);
}

TEST_F(GLStateTest, VertexArrays) {
    alignas(4) uint8_t vertices[80] = {};
    char pointer[32], tex[64], normal[64], colour[64];
    std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(vertices));

    GLState::SetVertexArrays(0, 0, nullptr);
    GLState::SetVertexArrays(4, 20, nullptr);
    EXPECT_TRUE(gl.calls.empty());

    GLState::SetVertexArrays(4, 20, vertices);
    std::snprintf(tex, sizeof tex, "TexCoordPointer(2,0x1406,20,%p)",
                  static_cast<void*>(vertices + 12));
    const Calls on = {Hex("EnableClientState", GL_VERTEX_ARRAY),
                      Hex("EnableClientState", GL_TEXTURE_COORD_ARRAY),
                      std::string("VertexPointer(3,0x1406,20,") + pointer + ")", tex};
    EXPECT_EQ(gl.calls, on);
    gl.Clear();
    GLState::SetVertexArrays(4, 20, vertices);
    EXPECT_TRUE(gl.calls.empty());

    // 4 -> 0, same data: the texture-coordinate array is the only client
    // state that changes.
    GLState::SetVertexArrays(0, 20, vertices);
    EXPECT_EQ(gl.Count("EnableClientState") + gl.Count("DisableClientState"), 1u);
    EXPECT_EQ(gl.Count(Hex("DisableClientState", GL_TEXTURE_COORD_ARRAY)), 1u);

    // 0 -> 4, same data and stride: the re-enabled array must get its
    // pointer again, not keep the one of its last use.
    gl.Clear();
    GLState::SetVertexArrays(4, 20, vertices);
    EXPECT_EQ(gl.Count(Hex("EnableClientState", GL_TEXTURE_COORD_ARRAY)), 1u);
    EXPECT_EQ(gl.Count(tex), 1u);

    gl.Clear();
    GLState::SetVertexArrays(7, 40, vertices);
    std::snprintf(normal, sizeof normal, "NormalPointer(0x1406,40,%p)",
                  static_cast<void*>(vertices + 12));
    std::snprintf(colour, sizeof colour, "ColorPointer(4,0x1401,40,%p)",
                  static_cast<void*>(vertices + 24));
    std::snprintf(tex, sizeof tex, "TexCoordPointer(2,0x1406,40,%p)",
                  static_cast<void*>(vertices + 28));
    EXPECT_EQ(gl.Count(normal), 1u);
    EXPECT_EQ(gl.Count(colour), 1u);
    EXPECT_EQ(gl.Count(tex), 1u);

    gl.Clear();
    GLState::SetVertexArrays(7, 40, nullptr);
    EXPECT_EQ(gl.Count("DisableClientState"), 4u);
    EXPECT_EQ(GLState::Mirror().arrayData, nullptr);
    EXPECT_EQ(GLState::Mirror().arrayFlags, 0u);
}

TEST_F(GLStateTest, DrawRectIsAnUntexturedQuad) {
    GLState::BindTexture(3);
    gl.Clear();
    GLState::DrawRect({1, 2}, {3, 4});
    ASSERT_FALSE(gl.calls.empty());
    EXPECT_EQ(gl.calls.front(), Hex("Disable", GL_TEXTURE_2D));
    EXPECT_EQ(gl.Count("VertexPointer(3,0x1406,12,"), 1u);
    EXPECT_EQ(gl.Count("TexCoordPointer"), 0u);
    EXPECT_EQ(gl.calls.back().rfind("DrawElements(0x4,6,0x1401,", 0), 0u);
    EXPECT_EQ(GLState::Mirror().arrayFlags, 0u);
    EXPECT_EQ(GLState::Mirror().arrayStride, 12u);
}

TEST_F(GLStateTest, NothingReachesOpenGlOnceTheContextIsGone) {
    halvo::AutoRef<GLImage> image(new GLImage);
    const uint8_t pixels[4 * 4 * 4] = {};
    ASSERT_TRUE(image->CreateFromPixels(pixels, {4, 4}));
    GLState::BindTexture(image->Tiles()[0]->texture);
    gl.Clear();

    GLState::SetContextAlive(false);
    GLState::SetAlpha(10);
    GLState::SetColor({1, 2, 3, 4});
    GLState::EnableBlend();
    GLState::SetClipPlane(0, 1, 0, 0, 0);
    GLState::SetVertexArrays(4, 20, pixels);
    GLState::DrawRect({0, 0}, {1, 1});
    image->Draw(Matrix4::Identity());
    image.Reset();  // releases the tile's texture
    GLState::DeleteTexture(5);
    EXPECT_TRUE(gl.calls.empty()) << gl.calls.front();
}

}  // namespace

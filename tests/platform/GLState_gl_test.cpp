#include "platform/GLState.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

class MirrorMatchesOpenGl : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        GLState::ResetClipPlanes();
        for (uint32_t& t : textures) t = GlApi::System().GenTexture();
    }
    void TearDown() override {
        for (uint32_t t : textures) GLState::DeleteTexture(t);
    }

    float Random(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    Matrix4 RandomMatrix() {
        Matrix4 m;
        if (Pick(3) == 0) return m;  // identity now and then, for the clip planes
        for (float& v : m.m) v = Random(-4, 4);
        return m;
    }

    void Step() {
        switch (Pick(14)) {
            case 0: GLState::SetColor({uint8_t(Pick(256)), uint8_t(Pick(256)), uint8_t(Pick(256)), uint8_t(Pick(256))}); break;
            case 1: GLState::SetAlpha(Pick(400) - 70); break;
            case 2: GLState::EnableBlend(); break;
            case 3: GLState::SetBlendFunc(GL_SRC_ALPHA, Pick(2) ? GL_DST_ALPHA : GL_ONE); break;
            case 4: GLState::DisableBlend(); break;
            case 5: GLState::BindTexture(textures[Pick(3)]); break;
            case 6: GLState::DisableTexturing(); break;
            case 7: GLState::SetModelview(RandomMatrix()); break;
            case 8: GLState::SetProjection(RandomMatrix()); break;
            case 9: {
                const int plane = Pick(6);
                const float scale = Pick(3) == 0 ? 0.1f : 1.0f;  // sometimes below the cut-off
                GLState::SetClipPlane(plane, Random(-1, 1) * scale, Random(-1, 1) * scale,
                                      Random(-1, 1) * scale, Random(-1, 1) * scale);
                setUnderIdentity[plane] = GLState::Mirror().modelview.IsIdentity();
                break;
            }
            case 10: GLState::ResetClipPlanes(); break;
            case 11: {
                static const uint32_t kFlags[] = {0, 1, 2, 4, 5, 6, 7};
                GLState::SetVertexArrays(kFlags[Pick(7)], Pick(2) ? 40 : 48,
                                         Pick(4) == 0 ? nullptr : vertices + Pick(2) * 4);
                break;
            }
            case 12: GLState::DeleteTexture(textures[Pick(3)]); break;
            case 13: GLState::SetClearColor(); break;
        }
    }

    void ExpectMatrix(GLenum which, const Matrix4& mirror) {
        float m[16];
        glGetFloatv(which, m);
        EXPECT_EQ(std::memcmp(m, mirror.m, sizeof m), 0) << std::hex << which;
    }

    void Compare() {
        const GLStateMirror& s = GLState::Mirror();
        float v[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
        EXPECT_FLOAT_EQ(v[3], s.clearColor.a / 255.0f);
        glGetFloatv(GL_CURRENT_COLOR, v);
        const int a = s.globalAlpha;
        EXPECT_NEAR(v[0] * 255, s.color.r * a / 255, 0.01);
        EXPECT_NEAR(v[1] * 255, s.color.g * a / 255, 0.01);
        EXPECT_NEAR(v[2] * 255, s.color.b * a / 255, 0.01);
        EXPECT_NEAR(v[3] * 255, s.color.a, 0.01);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, s.texturing);
        EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, s.blending);
        GLint i = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &i);
        EXPECT_EQ(uint32_t(i), s.boundTexture);
        glGetIntegerv(GL_BLEND_SRC, &i);
        EXPECT_EQ(uint32_t(i), s.blendSource);
        glGetIntegerv(GL_BLEND_DST, &i);
        EXPECT_EQ(uint32_t(i), s.blendDestination);
        ExpectMatrix(GL_PROJECTION_MATRIX, s.projection);
        ExpectMatrix(GL_MODELVIEW_MATRIX, s.modelview);
        for (int p = 0; p < 6; ++p) {
            const float* e = s.clipPlanes[p];
            const bool on = e[0] != 0 || e[1] != 0 || e[2] != 0 || e[3] != 0;
            EXPECT_EQ(glIsEnabled(GL_CLIP_PLANE0 + p) == GL_TRUE, on) << "plane " << p;
            if (!on || !setUnderIdentity[p]) continue;
            double eq[4];
            glGetClipPlane(GL_CLIP_PLANE0 + p, eq);
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(eq[k], e[k], 1e-6) << "plane " << p;
        }
        const bool arrays = s.arrayData != nullptr;
        EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY) == GL_TRUE, arrays);
        EXPECT_EQ(glIsEnabled(GL_NORMAL_ARRAY) == GL_TRUE, arrays && (s.arrayFlags & 1));
        EXPECT_EQ(glIsEnabled(GL_COLOR_ARRAY) == GL_TRUE, arrays && (s.arrayFlags & 2));
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_COORD_ARRAY) == GL_TRUE, arrays && (s.arrayFlags & 4));
        if (!arrays) return;
        void* pointer = nullptr;
        glGetPointerv(GL_VERTEX_ARRAY_POINTER, &pointer);
        EXPECT_EQ(pointer, s.arrayData);
        glGetIntegerv(GL_VERTEX_ARRAY_STRIDE, &i);
        EXPECT_EQ(uint32_t(i), s.arrayStride);
        if (s.arrayFlags & 4) {
            glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &pointer);
            const uint32_t offset = 12 + ((s.arrayFlags & 1) ? 12 : 0) + ((s.arrayFlags & 2) ? 4 : 0);
            EXPECT_EQ(pointer, static_cast<const uint8_t*>(s.arrayData) + offset);
        }
    }

    GlTestContext context;
    std::mt19937 rng{20240611};
    uint32_t textures[3] = {};
    bool setUnderIdentity[6] = {};
    alignas(8) uint8_t vertices[512] = {};
};

TEST_F(MirrorMatchesOpenGl, AfterRandomSequencesOfOperations) {
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        for (int step = 0; step < 12; ++step) Step();
        Compare();
        if (HasFailure()) break;
    }
}

}  // namespace

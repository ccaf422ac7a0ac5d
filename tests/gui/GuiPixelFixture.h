#pragma once
// Pixel tests of GUI drawing: a hidden GL window whose design units are its
// pixels (origin top-left, y downward), cleared to black, read back by point.

#include "gui/GuiTestSupport.h"
#include "platform/GLState.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <ostream>

namespace testsupport {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};

class GuiPixelFixture : public GuiFixture {
protected:
    static constexpr int W = GlTestContext::kWidth;
    static constexpr int H = GlTestContext::kHeight;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        GLState::ResetClipPlanes();
        glViewport(0, 0, W, H);
        glClear(GL_COLOR_BUFFER_BIT);
        GLState::SetProjection(GlTestContext::PixelProjection(W, H));
        GLState::SetAlpha(0);
    }
    static Rgb At(int x, int y) {
        glFinish();
        uint8_t p[4] = {};
        glReadPixels(x, H - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }
    GlTestContext context;
};

}  // namespace testsupport

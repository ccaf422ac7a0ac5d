// Containers the data tool writes, drawn by a real driver: the picture stands
// the right way up, every tile in its place, in each tile format.

#include "PictureTestSupport.h"

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/GlTestContext.h"
#include "tools/datawriters/CbsiEncoder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;
// Larger than one texture, so the picture is cut into four tiles.
constexpr int kSide = 1100;
constexpr float kScale = 0.1f;

struct Rgb {
    int r, g, b;
};

// Quadrants: red top-left, green top-right (half transparent when asked),
// blue bottom-left, white bottom-right.
Picture Quadrants(uint8_t topRightAlpha) {
    Picture p;
    p.width = p.height = kSide;
    p.pixels.resize(static_cast<size_t>(kSide) * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool right = x >= kSide / 2, bottom = y >= kSide / 2;
            uint8_t bgra[4] = {0, 0, 0, 255};
            if (!right && !bottom) bgra[2] = 255;
            if (right && !bottom) bgra[1] = 255, bgra[3] = topRightAlpha;
            if (!right && bottom) bgra[0] = 255;
            if (right && bottom) bgra[0] = bgra[1] = bgra[2] = 255;
            std::memcpy(&p.pixels[(static_cast<size_t>(y) * kSide + x) * 4], bgra, 4);
        }
    }
    return p;
}

class EncodedPixels : public ::testing::TestWithParam<CbsiFormat> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        glViewport(0, 0, W, H);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        GLState::SetProjection(GlTestContext::PixelProjection(W, H));
        GLState::SetAlpha(0);
        GLState::SetColor(Color::White);
    }
    void TearDown() override { image.Reset(); }

    static Rgb At(int x, int y) {
        glFinish();
        uint8_t p[4] = {};
        glReadPixels(x, H - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    GlTestContext context;
    halvo::AutoRef<GLImage> image{new GLImage};
};

#define EXPECT_RGB(actual, R, G, B, what)                   \
    do {                                                    \
        const Rgb got = (actual);                           \
        EXPECT_NEAR(got.r, (R), 12) << (what) << " red";    \
        EXPECT_NEAR(got.g, (G), 12) << (what) << " green";  \
        EXPECT_NEAR(got.b, (B), 12) << (what) << " blue";   \
    } while (0)

TEST_P(EncodedPixels, QuadrantsStandWhereThePictureHasThem) {
    const bool withAlpha = GetParam() == CbsiFormat::kDxt5 || GetParam() == CbsiFormat::kRgba;
    std::vector<uint8_t> file;
    ASSERT_EQ(CbsiEncoder::Encode(Quadrants(withAlpha ? 0 : 255), GetParam(), file), nullptr);
    ASSERT_TRUE(image->LoadFromMemory(file.data(), file.size()));
    ASSERT_EQ(image->Tiles().size(), 4u);
    GLState::EnableBlend();
    image->anchor = {0, 0};
    image->scale = {kScale, kScale};
    image->matrixDirty = true;
    image->Draw(Matrix4::Identity());
    EXPECT_RGB(At(20, 20), 255, 0, 0, "top left");
    if (withAlpha) {
        EXPECT_RGB(At(90, 20), 0, 0, 0, "transparent top right");
    } else {
        EXPECT_RGB(At(90, 20), 0, 255, 0, "top right");
    }
    EXPECT_RGB(At(20, 90), 0, 0, 255, "bottom left");
    EXPECT_RGB(At(90, 90), 255, 255, 255, "bottom right");
    // Past the first tile's edge (1016 pixels in): the second tiles.
    EXPECT_RGB(At(105, 105), 255, 255, 255, "last tile");
    EXPECT_RGB(At(115, 115), 0, 0, 0, "outside the picture");
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedPixels,
                         ::testing::Values(CbsiFormat::kRgba, CbsiFormat::kDxt1, CbsiFormat::kDxt5),
                         [](const ::testing::TestParamInfo<CbsiFormat>& info) {
                             return info.param == CbsiFormat::kRgba   ? "Rgba"
                                    : info.param == CbsiFormat::kDxt1 ? "Dxt1"
                                                                      : "Dxt5";
                         });

}  // namespace

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/CbsiWriter.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;

struct Rgb {
    int r, g, b;
};

class ImagePixels : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        glViewport(0, 0, W, H);
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
    void Place(Vec2 anchor, Vec2 position) {
        image->anchor = anchor;
        image->position = position;
        image->matrixDirty = true;
        image->Draw(Matrix4::Identity());
    }
    static std::vector<uint8_t> Solid(Point2i size, uint8_t b, uint8_t g, uint8_t r) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < size.x * size.y; ++i) pixels.insert(pixels.end(), {b, g, r, 255});
        return pixels;
    }

    GlTestContext context;
    halvo::AutoRef<GLImage> image{new GLImage};
};

#define EXPECT_RGB(actual, R, G, B, tolerance)          \
    do {                                                \
        const Rgb got = (actual);                       \
        EXPECT_NEAR(got.r, (R), (tolerance)) << "red";   \
        EXPECT_NEAR(got.g, (G), (tolerance)) << "green"; \
        EXPECT_NEAR(got.b, (B), (tolerance)) << "blue";  \
    } while (0)

TEST_F(ImagePixels, PixelsAreBlueGreenRedAlphaInMemory) {
    const auto pixels = Solid({10, 10}, 0x10, 0x80, 0xF0);
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {10, 10}));
    Place({0, 0}, {20, 20});
    EXPECT_RGB(At(25, 25), 0xF0, 0x80, 0x10, 0);
}

TEST_F(ImagePixels, TilesMeetWithoutSeams) {
    // Even sizes: an odd one puts the picture half a pixel off the grid.
    const Point2i size{60, 46};  // 3 x 2 tiles of up to 26 x 26 content
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x)
            pixels.insert(pixels.end(), {100, uint8_t(y * 5), uint8_t(x * 4), 255});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), size));
    ASSERT_GT(image->Tiles().size(), 1u);
    Place({0, 0}, {10, 10});

    glFinish();
    std::vector<uint8_t> frame(W * H * 4);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    int wrong = 0;
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x) {
            const uint8_t* p = &frame[((H - 1 - (y + 10)) * W + x + 10) * 4];
            wrong += std::abs(p[0] - x * 4) > 1 || std::abs(p[1] - y * 5) > 1 || p[2] != 100;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_RGB(At(9, 30), 0, 0, 0, 0);
    EXPECT_RGB(At(70, 30), 0, 0, 0, 0);
    EXPECT_RGB(At(30, 56), 0, 0, 0, 0);
}

TEST_F(ImagePixels, AnchorPlacesTheCornerOrTheCentre) {
    const auto pixels = Solid({8, 8}, 255, 255, 255);
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {8, 8}));
    Place({0, 0}, {64, 64});
    EXPECT_RGB(At(64, 64), 255, 255, 255, 0);
    EXPECT_RGB(At(71, 71), 255, 255, 255, 0);
    EXPECT_RGB(At(63, 63), 0, 0, 0, 0);
    EXPECT_RGB(At(72, 72), 0, 0, 0, 0);

    glClear(GL_COLOR_BUFFER_BIT);
    Place({0.5f, 0.5f}, {64, 64});
    EXPECT_RGB(At(60, 60), 255, 255, 255, 0);
    EXPECT_RGB(At(67, 67), 255, 255, 255, 0);
    EXPECT_RGB(At(59, 59), 0, 0, 0, 0);
    EXPECT_RGB(At(68, 68), 0, 0, 0, 0);
}

TEST_F(ImagePixels, CompressedTilesDraw) {
    // One DXT1 block: colour 0 pure red (565), every index 0.
    CbsiWriter w;
    w.Header("DXT1", 4, 4, 1).Tile({0, 0, 4, 4, 4, 4, 0}, {0x00, 0xF8, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(image->LoadFromMemory(w.bytes.data(), w.bytes.size()));
    ASSERT_EQ(image->Tiles().size(), 1u);
    Place({0, 0}, {30, 30});
    EXPECT_RGB(At(31, 31), 255, 0, 0, 0);
    EXPECT_RGB(At(34, 34), 0, 0, 0, 0);
}

TEST_F(ImagePixels, FadeDarkensTheImage) {
    const auto pixels = Solid({4, 4}, 200, 200, 200);
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {4, 4}));
    GLState::SetAlpha(128);
    Place({0, 0}, {10, 10});
    EXPECT_RGB(At(11, 11), 100, 100, 100, 2);
}

}  // namespace

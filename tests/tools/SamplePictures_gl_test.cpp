// The committed sample pictures, drawn as the game draws them, stand the way
// their drawing scripts meant them, whatever route the pixels took from the
// drawing program through the data tool: a scene background cut into several
// compressed tiles, a transparent mini-game piece.

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/GlTestContext.h"
#include "support/SourceFiles.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;

struct Rgb {
    int r, g, b;
};

// A point of the picture, in its own pixels, and what must show there.
struct Probe {
    const char* what;
    int x, y;
    std::function<bool(Rgb)> holds;
};

struct Sample {
    const char* file;
    std::vector<Probe> probes;
};

bool SkyBlue(Rgb p) { return p.b > 200 && p.b > p.r + 30; }
bool Grass(Rgb p) { return p.g > 120 && p.g > p.r + 30 && p.g > p.b + 30; }
bool RoofRed(Rgb p) { return p.r > 140 && p.g < 100 && p.b < 100; }
bool PipeDark(Rgb p) { return p.r < 60 && p.g < 60 && p.b < 60; }
bool Uncovered(Rgb p) { return p.r > 240 && p.g < 16 && p.b > 240; }  // the magenta cleared screen

const Sample kSamples[] = {
    {"data/Data/Shared/Scenes/garden/garden.cbi",
     {{"sky", 960, 30, SkyBlue}, {"roof", 1570, 300, RoofRed}, {"lawn", 960, 1060, Grass}}},
    // A quarter ring from the top side's middle to the right side's middle.
    {"data/Data/Shared/MiniGames/Rohre/bend.cbi",
     {{"ring at the top", 48, 3, PipeDark}, {"nothing at the bottom", 48, 92, Uncovered}}},
};

class SamplePicturePixels : public ::testing::TestWithParam<Sample> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        glViewport(0, 0, W, H);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        Matrix4 projection;
        projection.m[0] = 2.0f / W;
        projection.m[5] = -2.0f / H;
        projection.m[10] = -1;
        projection.m[12] = -1;
        projection.m[13] = 1;
        GLState::SetProjection(projection);
        GLState::SetAlpha(0);
        GLState::SetColor(Color::White);
        GLState::EnableBlend();
    }
    void TearDown() override { image.Reset(); }

    static Rgb At(int x, int y) {
        uint8_t p[4] = {};
        glReadPixels(x, H - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    GlTestContext context;
    halvo::AutoRef<GLImage> image{new GLImage};
};

TEST_P(SamplePicturePixels, StandsTheWayItWasDrawn) {
    const Sample& sample = GetParam();
    const std::string bytes = testsupport::ReadWholeFile(testsupport::SourceFolder(sample.file));
    ASSERT_TRUE(image->LoadFromMemory(bytes.data(), bytes.size())) << sample.file;
    // The whole picture, shrunk into the window from its top-left corner.
    const float scale = static_cast<float>(W) / static_cast<float>(std::max(image->size.x, image->size.y));
    image->anchor = {0, 0};
    image->scale = {scale, scale};
    image->matrixDirty = true;
    image->Draw(Matrix4::Identity());
    glFinish();
    for (const Probe& probe : sample.probes) {
        const Rgb p = At(static_cast<int>(probe.x * scale), static_cast<int>(probe.y * scale));
        EXPECT_TRUE(probe.holds(p)) << sample.file << ": no " << probe.what << " at (" << probe.x << ", "
                                    << probe.y << "), but " << p.r << " " << p.g << " " << p.b;
    }
}

INSTANTIATE_TEST_SUITE_P(Committed, SamplePicturePixels, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                             return info.index == 0 ? "SceneBackground" : "MiniGamePiece";
                         });

}  // namespace

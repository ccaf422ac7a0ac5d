#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/FakeGlFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class GLImageTest : public FakeGlFixture {
protected:
    void TearDown() override {
        image.Reset();
        FakeGlFixture::TearDown();
    }
    // Pixel (x, y) is B = x, G = y, R = x + y, A = 255 (low bytes).
    static std::vector<uint8_t> Gradient(Point2i size) {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < size.y; ++y)
            for (int x = 0; x < size.x; ++x)
                pixels.insert(pixels.end(), {uint8_t(x), uint8_t(y), uint8_t(x + y), 255});
        return pixels;
    }
    struct TileShape {
        Point2i offset, content;
        int side;
    };
    std::vector<TileShape> Shapes() const {
        std::vector<TileShape> shapes;
        for (const auto& tile : image->Tiles())
            shapes.push_back({tile->offset, tile->contentSize, tile->textureSize.x});
        return shapes;
    }

    halvo::AutoRef<GLImage> image{new GLImage};
};


TEST_F(GLImageTest, HundredByFiftyIsAGridOf32TexturesCutFromTheRightAndBottom) {
    const auto pixels = Gradient({100, 50});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {100, 50}));
    EXPECT_EQ(image->minTextureSize, 32);
    EXPECT_EQ(image->format, kFormatRGBA);
    const auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 8u);
    const int xs[] = {78, 78, 52, 52, 26, 26, 0, 0};
    const int ys[] = {26, 0, 26, 0, 26, 0, 26, 0};
    for (size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shapes[i].side, 32);
        EXPECT_EQ(shapes[i].offset.x, xs[i] - 50);
        EXPECT_EQ(shapes[i].offset.y, ys[i] - 25);
        EXPECT_EQ(shapes[i].content.x, xs[i] == 78 ? 22 : 26);
        EXPECT_EQ(shapes[i].content.y, ys[i] == 26 ? 24 : 26);
    }

    // First tile: content 22 x 24 at (28, 1), 3 texels of border.
    const auto& v = image->Vertices();
    ASSERT_EQ(v.size(), 32u);
    const float t = 1.0f / 32;
    EXPECT_FLOAT_EQ(v[0].x, 28); EXPECT_FLOAT_EQ(v[0].y, 1);
    EXPECT_FLOAT_EQ(v[0].u, 3 * t); EXPECT_FLOAT_EQ(v[0].v, 3 * t);
    EXPECT_FLOAT_EQ(v[1].x, 50); EXPECT_FLOAT_EQ(v[1].u, 25 * t);
    EXPECT_FLOAT_EQ(v[2].y, 25); EXPECT_FLOAT_EQ(v[2].v, 27 * t);
    EXPECT_FLOAT_EQ(v[3].x, 28); EXPECT_FLOAT_EQ(v[3].y, 25);
    const std::vector<uint16_t> firstIndices(image->Indices().begin(), image->Indices().begin() + 12);
    EXPECT_EQ(firstIndices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
}

TEST_F(GLImageTest, TileTexelsRepeatTheEdgesIntoTheBorder) {
    const auto pixels = Gradient({100, 50});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {100, 50}));
    ASSERT_EQ(gl.uploads.size(), 8u);
    auto texel = [&](size_t tile, int i, int j) {
        const uint8_t* p = gl.uploads[tile].data.data() + (j * 32 + i) * 4;
        return std::vector<int>{p[0], p[1]};  // (column, row) of the source pixel
    };
    // Last tile: content at (0, 0).
    EXPECT_EQ(texel(7, 0, 0), (std::vector<int>{0, 0}));
    EXPECT_EQ(texel(7, 3, 3), (std::vector<int>{0, 0}));
    EXPECT_EQ(texel(7, 4, 3), (std::vector<int>{1, 0}));
    EXPECT_EQ(texel(7, 31, 31), (std::vector<int>{28, 28}));
    // First tile: content at (78, 26); the right and bottom edges repeat.
    EXPECT_EQ(texel(0, 3, 3), (std::vector<int>{78, 26}));
    EXPECT_EQ(texel(0, 31, 31), (std::vector<int>{99, 49}));
    EXPECT_EQ(texel(0, 0, 0), (std::vector<int>{75, 23}));
    EXPECT_EQ(gl.uploads[0].internalFormat, uint32_t(GL_RGBA));
}

TEST_F(GLImageTest, TenByTenIsOneSixteenTexelTexture) {
    const auto pixels = Gradient({10, 10});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {10, 10}));
    EXPECT_EQ(image->minTextureSize, 16);
    const auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].side, 16);
    EXPECT_EQ(shapes[0].content, (Point2i{10, 10}));
    EXPECT_EQ(shapes[0].offset, (Point2i{-5, -5}));
    EXPECT_FLOAT_EQ(image->Vertices()[2].u, 13.0f / 16);
}

TEST_F(GLImageTest, ThreeThousandByTwentyIsARowOfColumns) {
    const auto pixels = Gradient({3000, 20});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {3000, 20}));
    const auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 116u);
    EXPECT_EQ(shapes.front().offset, (Point2i{2990 - 1500, -10}));
    EXPECT_EQ(shapes.front().content, (Point2i{10, 20}));
    for (size_t i = 1; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].side, 32);
        EXPECT_EQ(shapes[i].content, (Point2i{26, 20}));
        EXPECT_EQ(shapes[i].offset.x, int(2990 - 26 * i) - 1500);
    }
}

TEST_F(GLImageTest, EmptySizesMakeNoTiles) {
    for (Point2i size : {Point2i{0, 0}, Point2i{0, 5}, Point2i{5, 0}, Point2i{-3, 4}}) {
        const uint8_t pixel[4] = {};
        EXPECT_TRUE(image->CreateFromPixels(pixel, size));
        EXPECT_TRUE(image->Tiles().empty());
        EXPECT_TRUE(image->Vertices().empty());
        EXPECT_EQ(image->size, size);
        EXPECT_EQ(image->format, kFormatRGBA);
    }
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(GLImageTest, PicturesNeedingMoreTilesThanIndicesAllowAreRefused) {
    const Point2i size{26 * int(GLImage::kMaxTiles) + 1, 1};
    std::vector<uint8_t> pixels(size_t(size.x) * 4);
    EXPECT_FALSE(image->CreateFromPixels(pixels.data(), size));
    EXPECT_TRUE(image->Tiles().empty());
    EXPECT_EQ(gl.Count("GenTexture"), 0u);
}

TEST_F(GLImageTest, ANewTextureIsBoundEvenWhenTheMirrorAlreadyNamesIt) {
    GLState::Mirror().boundTexture = gl.nextTexture;  // stale entry
    const auto pixels = Gradient({4, 4});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {4, 4}));
    EXPECT_EQ(gl.Count("BindTexture(0xde1,1)"), 1u);
    ASSERT_EQ(gl.uploads.size(), 1u);
    EXPECT_EQ(gl.uploads[0].texture, 1u);
    EXPECT_FALSE(GLState::Mirror().texturing);
}

TEST_F(GLImageTest, AddSubImageRefusesFormatsItCannotUploadAndShortData) {
    const std::vector<uint8_t> data(64 * 4);
    EXPECT_EQ(image->AddSubImage(data.data(), 256, kFormatPVR2, {8, 8}, {0, 0}, {8, 8}, 0), nullptr);
    EXPECT_EQ(image->AddSubImage(data.data(), 255, kFormatRGBA, {8, 8}, {0, 0}, {8, 8}, 0), nullptr);
    EXPECT_EQ(gl.Count("DeleteTexture"), 2u);  // the names made were given back
    EXPECT_TRUE(gl.uploads.empty());
    ASSERT_NE(image->AddSubImage(data.data(), 256, kFormatRGB, {8, 8}, {0, 0}, {8, 8}, 0), nullptr);
    ASSERT_FALSE(gl.uploads.empty());
    EXPECT_EQ(gl.uploads.back().internalFormat, uint32_t(GL_RGB));
    ASSERT_NE(image->AddSubImage(data.data(), 32, kFormatDXT3, {8, 4}, {0, 0}, {8, 4}, 0), nullptr);
    ASSERT_FALSE(gl.calls.empty());
    EXPECT_EQ(gl.calls.back(), "CompressedTexImage2D(0x83f2,8,4,32)");
}

TEST_F(GLImageTest, ClearGivesTheTexturesBackAndUnbindsTheBoundOne) {
    const auto pixels = Gradient({4, 4});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {4, 4}));
    const uint32_t texture = image->Tiles()[0]->texture;
    GLState::BindTexture(texture);
    gl.Clear();
    image->Clear();
    EXPECT_EQ(gl.calls, (std::vector<std::string>{"BindTexture(0xde1,0)",
                                                  "DeleteTexture(" + std::to_string(texture) + ")"}));
    EXPECT_EQ(image->size, (Point2i{4, 4}));
}

// Row vector times matrix, as OpenGL applies the loaded matrix.
Vec2 Apply(const Matrix4& m, Vec2 v) {
    return {v.x * m.m[0] + v.y * m.m[4] + m.m[12], v.x * m.m[1] + v.y * m.m[5] + m.m[13]};
}

TEST_F(GLImageTest, PlacementMatrix) {
    image->size = {40, 20};
    image->UpdateMatrix();
    EXPECT_TRUE(image->IsMatrixIdentity());

    image->anchor = {0, 0};
    image->matrixDirty = true;
    image->UpdateMatrix();
    EXPECT_FALSE(image->IsMatrixIdentity());
    // The top-left corner (-20, -10) lands on the position (the origin).
    Vec2 p = Apply(image->ModelMatrix(), {-20, -10});
    EXPECT_FLOAT_EQ(p.x, 0);
    EXPECT_FLOAT_EQ(p.y, 0);

    // position + rotation(scale x (v - pivot))
    image->scale = {2, 3};
    image->rotation = Quaternion::FromAngleZ(float(M_PI) / 2);
    image->position = {100, 50};
    image->matrixDirty = true;
    image->UpdateMatrix();
    p = Apply(image->ModelMatrix(), {-19, -10});  // one pixel right of the corner
    const Vec2 scaled{2, 0};
    const float c = std::cos(float(M_PI) / 2), s = std::sin(float(M_PI) / 2);
    const Vec2 r{scaled.x * c - scaled.y * s, scaled.x * s + scaled.y * c};
    EXPECT_NEAR(p.x, 100 + r.x, 1e-4);
    EXPECT_NEAR(p.y, 50 + r.y, 1e-4);
}

TEST_F(GLImageTest, DrawLoadsTheCombinedMatrixAndDrawsEveryTileInOrder) {
    image->Draw(Matrix4::Identity());
    EXPECT_TRUE(gl.calls.empty());

    const auto pixels = Gradient({40, 10});
    ASSERT_TRUE(image->CreateFromPixels(pixels.data(), {40, 10}));
    ASSERT_EQ(image->Tiles().size(), 2u);
    Matrix4 parent;
    parent.m[12] = 5000;  // far off any screen: still drawn, still loaded
    image->anchor = {0, 0};
    image->matrixDirty = true;
    gl.Clear();
    image->Draw(parent);

    Matrix4 expected;
    expected.m[12] = 5000 + 20;
    expected.m[13] = 5;
    EXPECT_TRUE(Matrix4::Equals(GLState::Mirror().modelview, expected));
    EXPECT_EQ(gl.calls[0], "MatrixMode(0x1700)");
    EXPECT_EQ(GLState::Mirror().arrayFlags, GLState::kTexCoords);
    EXPECT_EQ(GLState::Mirror().arrayStride, 20u);
    EXPECT_EQ(GLState::Mirror().arrayData, image->Vertices().data());
    std::vector<std::string> draws;
    for (const std::string& call : gl.calls)
        if (call.rfind("BindTexture", 0) == 0 || call.rfind("DrawElements", 0) == 0)
            draws.push_back(call);
    char first[64], second[64];
    std::snprintf(first, sizeof first, "DrawElements(0x4,6,0x1403,%p)",
                  static_cast<const void*>(image->Indices().data()));
    std::snprintf(second, sizeof second, "DrawElements(0x4,6,0x1403,%p)",
                  static_cast<const void*>(image->Indices().data() + 6));
    const std::vector<std::string> expectedDraws = {
        "BindTexture(0xde1," + std::to_string(image->Tiles()[0]->texture) + ")", first,
        "BindTexture(0xde1," + std::to_string(image->Tiles()[1]->texture) + ")", second};
    EXPECT_EQ(draws, expectedDraws);

    // Neutral placement: the parent itself is loaded.
    image->anchor = {0.5f, 0.5f};
    image->matrixDirty = true;
    image->Draw(parent);
    EXPECT_TRUE(Matrix4::Equals(GLState::Mirror().modelview, parent));
}

}  // namespace

// Pictures through the data tool's reader and encoder, then read back by the
// engine's own image loader against the recording driver.

#include "PictureTestSupport.h"

#include "platform/GLImage.h"
#include "support/FakeGlFixture.h"
#include "tools/datawriters/CbsiEncoder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace datatooltest;

constexpr int kB = CbsiEncoder::kBorder;

class CbsiEncoderTest : public FakeGlFixture {
protected:
    void TearDown() override {
        image.Reset();
        FakeGlFixture::TearDown();
    }
    // Encodes and loads; the container's bytes stay in `file`.
    void EncodeAndLoad(const Picture& picture, CbsiFormat format) {
        ASSERT_EQ(CbsiEncoder::Encode(picture, format, file), nullptr);
        ASSERT_TRUE(image->LoadFromMemory(file.data(), file.size()));
    }
    // B G R A of texel (i, j) of the first upload.
    std::vector<uint8_t> Texel(int i, int j) const {
        const auto& up = gl.uploads.at(0);
        const uint8_t* t = up.data.data() + (static_cast<size_t>(j) * up.width + i) * 4;
        return {t[0], t[1], t[2], t[3]};
    }

    std::vector<uint8_t> file;
    halvo::AutoRef<GLImage> image{new GLImage};
};

TEST_F(CbsiEncoderTest, TopLeftTgaIsReadTheRightWayUp) {
    const int w = 5, h = 3;
    Picture picture;
    const std::string tga = Tga(w, h, 32, 0x28, PatternRows(w, h, true));
    ASSERT_EQ(ReadTgaPicture(tga.data(), tga.size(), picture), nullptr);
    EncodeAndLoad(picture, CbsiFormat::kRgba);

    EXPECT_EQ(image->size, (Point2i{w, h}));
    ASSERT_EQ(image->Tiles().size(), 1u);
    EXPECT_EQ(image->Tiles()[0]->contentSize, (Point2i{w, h}));
    // The first texel row of the content is the picture's top row, and the
    // quad's first vertex (the smallest y, the top) samples it.
    EXPECT_EQ(Texel(kB, kB), PatternPixel(0, 0));
    EXPECT_EQ(Texel(kB + w - 1, kB), PatternPixel(w - 1, 0));
    EXPECT_EQ(Texel(kB, kB + h - 1), PatternPixel(0, h - 1));
    const ImageVertex& topLeft = image->Vertices()[0];
    EXPECT_FLOAT_EQ(topLeft.y, -1);  // height 3: half is 1
    EXPECT_FLOAT_EQ(topLeft.v, static_cast<float>(kB) / gl.uploads[0].height);
    // The border repeats the edge texels outward.
    EXPECT_EQ(Texel(0, 0), PatternPixel(0, 0));
    EXPECT_EQ(Texel(kB + w + 1, kB + h + 1), PatternPixel(w - 1, h - 1));
}

TEST_F(CbsiEncoderTest, EveryOriginGivesTheSamePicture) {
    const int w = 4, h = 3;
    Picture topLeft, bottomLeft, rightToLeft;
    const std::string a = Tga(w, h, 32, 0x28, PatternRows(w, h, true));
    const std::string b = Tga(w, h, 32, 0x08, PatternRows(w, h, false));
    std::vector<uint8_t> mirrored = PatternRows(w, h, true);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(mirrored.data() + y * w * 4);
        std::reverse(row, row + w);
    }
    const std::string c = Tga(w, h, 32, 0x38, mirrored);
    ASSERT_EQ(ReadTgaPicture(a.data(), a.size(), topLeft), nullptr);
    ASSERT_EQ(ReadTgaPicture(b.data(), b.size(), bottomLeft), nullptr);
    ASSERT_EQ(ReadTgaPicture(c.data(), c.size(), rightToLeft), nullptr);
    EXPECT_EQ(bottomLeft.pixels, topLeft.pixels);
    EXPECT_EQ(rightToLeft.pixels, topLeft.pixels);
}

TEST_F(CbsiEncoderTest, TwentyFourBitGreyAndUndeclaredAlphaBecomeOpaque) {
    Picture picture;
    const std::string rgb = Tga(1, 1, 24, 0x20, {1, 2, 3});
    ASSERT_EQ(ReadTgaPicture(rgb.data(), rgb.size(), picture), nullptr);
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{1, 2, 3, 255}));
    const std::string grey = Tga(2, 1, 8, 0x20, {7, 9}, 3);
    ASSERT_EQ(ReadTgaPicture(grey.data(), grey.size(), picture), nullptr);
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{7, 7, 7, 255, 9, 9, 9, 255}));
    // 32 bits but no alpha bits declared: the fourth byte is padding.
    const std::string padded = Tga(1, 1, 32, 0x20, {4, 5, 6, 0});
    ASSERT_EQ(ReadTgaPicture(padded.data(), padded.size(), picture), nullptr);
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{4, 5, 6, 255}));
    EXPECT_FALSE(picture.HasTransparency());
}

TEST_F(CbsiEncoderTest, RefusesWhatItCannotRead) {
    struct Damage {
        const char* what;
        std::string file;
    } damages[] = {
        {"short header", std::string(10, '\0')},
        {"colour-mapped", Tga(1, 1, 8, 0x20, {0}, 1)},
        {"run-length coded", Tga(1, 1, 32, 0x20, {0, 0, 0, 0}, 10)},
        {"8-bit colour", Tga(1, 1, 8, 0x20, {0}, 2)},
        {"16 bits", Tga(1, 1, 16, 0x20, {0, 0})},
        {"cut short", Tga(2, 2, 32, 0x20, {1, 2, 3, 4})},
        {"empty size", Tga(0, 3, 32, 0x20, {})},
    };
    for (const Damage& damage : damages) {
        Picture picture;
        picture.width = 9;
        EXPECT_NE(ReadTgaPicture(damage.file.data(), damage.file.size(), picture), nullptr)
            << damage.what;
        EXPECT_EQ(picture.width, 0) << damage.what;
        EXPECT_TRUE(picture.pixels.empty()) << damage.what;
    }
    Picture picture;
    const uint8_t rgba[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_NE(ReadRawPicture(rgba, 8, 3, 1, picture), nullptr);
    EXPECT_NE(ReadRawPicture(rgba, 8, 0, 2, picture), nullptr);
    ASSERT_EQ(ReadRawPicture(rgba, 8, 2, 1, picture), nullptr);
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
    std::vector<uint8_t> out{1};
    EXPECT_NE(CbsiEncoder::Encode(Picture{}, CbsiFormat::kRgba, out), nullptr);
    EXPECT_TRUE(out.empty());
}

TEST_F(CbsiEncoderTest, TilesCoverEveryPixelOncePowerOfTwoSized) {
    for (int extent : {1, 7, 8, 9, 120, 1016, 1017, 1080, 1920, 5000}) {
        int covered = 0;
        for (const auto& span : CbsiEncoder::Cut(extent)) {
            EXPECT_EQ(span.start, covered) << extent;
            EXPECT_GT(span.content, 0) << extent;
            EXPECT_LE(span.content + 2 * kB, span.side) << extent;
            EXPECT_EQ(span.side & (span.side - 1), 0) << extent;
            EXPECT_GE(span.side, CbsiEncoder::kMinTextureSide) << extent;
            EXPECT_LE(span.side, CbsiEncoder::kMaxTextureSide) << extent;
            covered += span.content;
        }
        EXPECT_EQ(covered, extent);
    }
    EXPECT_EQ(CbsiEncoder::Cut(1016).size(), 1u);
    EXPECT_EQ(CbsiEncoder::Cut(1920).size(), 2u);
}

TEST_F(CbsiEncoderTest, DesignSizedBackgroundLoadsAsCompressedTiles) {
    EncodeAndLoad(SolidPicture(1920, 1080, 40, 120, 60, 255), CbsiFormat::kAuto);
    EXPECT_EQ(image->format, kFormatDXT1);
    EXPECT_EQ(image->size, (Point2i{1920, 1080}));
    ASSERT_EQ(image->Tiles().size(), 4u);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const ImageVertex& v : image->Vertices()) {
        minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
    }
    EXPECT_FLOAT_EQ(minX, -960);
    EXPECT_FLOAT_EQ(maxX, 960);
    EXPECT_FLOAT_EQ(minY, -540);
    EXPECT_FLOAT_EQ(maxY, 540);
    for (const auto& upload : gl.uploads) {
        EXPECT_TRUE(upload.compressed);
        EXPECT_EQ(upload.data.size(), static_cast<size_t>(upload.width) * upload.height / 2);
    }
    // Well under the 8 MB an uncompressed copy would take.
    EXPECT_LT(file.size(), 1300u * 1024u);
}

TEST_F(CbsiEncoderTest, AutomaticFormatKeepsTransparencyOnlyWhereThereIsSome) {
    EncodeAndLoad(SolidPicture(8, 8, 1, 2, 3, 128), CbsiFormat::kAuto);
    EXPECT_EQ(image->format, kFormatDXT5);
    EncodeAndLoad(SolidPicture(8, 8, 1, 2, 3, 255), CbsiFormat::kRgb);
    EXPECT_EQ(image->format, kFormatRGB);
    EXPECT_EQ(*CbsiEncoder::FormatByName("dxt5"), CbsiFormat::kDxt5);
    EXPECT_EQ(CbsiEncoder::FormatByName("png"), nullptr);
}

}  // namespace

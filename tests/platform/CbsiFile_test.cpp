#include "platform/FileManager.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/TgaFile.h"
#include "support/GlobalDataRoot.h"
#include "support/CbsiWriter.h"
#include "support/FakeGlFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kNotCbsi = "File is not a CBSI";
constexpr const char* kBadVersion = "Unsupported Version of CBSI";
constexpr const char* kUnknownFormat = "Unknown Format in CBSI";
constexpr const char* kCannotAdd = "Cannot add Subimage in CBSI";

class CbsiTest : public FakeGlFixture {
protected:
    void TearDown() override {
        image.Reset();
        FakeGlFixture::TearDown();
    }
    bool Load(const std::vector<uint8_t>& bytes) {
        // A copy of exactly the file's size, so that any read past its end
        // is caught by the address sanitizer.
        file.assign(bytes.begin(), bytes.end());
        return image->LoadFromMemory(file.data(), file.size());
    }
    std::string Error(const std::vector<uint8_t>& bytes) {
        file.assign(bytes.begin(), bytes.end());
        MemoryByteSource source(file.data(), file.size());
        const char* error = image->ReadCBSI(source);
        return error ? error : "";
    }
    void ExpectEmptyFailure() {
        EXPECT_TRUE(image->Tiles().empty());
        EXPECT_TRUE(image->Vertices().empty());
        EXPECT_EQ(image->size, (Point2i{0, 0}));
        EXPECT_EQ(image->format, kFormatNone);
    }

    std::vector<uint8_t> file;
    halvo::AutoRef<GLImage> image{new GLImage};
};

CbsiTileFields Square(uint32_t side, uint32_t x = 0, uint32_t y = 0) {
    return {x, y, side, side, side, side, 0};
}

TEST_F(CbsiTest, ZeroTilesLoadsTheStatedSizeAndDrawsNothing) {
    EXPECT_TRUE(Load(CbsiWriter().Header("RGBA", 300, 200, 0).bytes));
    EXPECT_EQ(image->size, (Point2i{300, 200}));
    EXPECT_EQ(image->format, kFormatRGBA);
    EXPECT_TRUE(Load(CbsiWriter().Header("DXT5", 3, 2, -4).bytes));
    image->Draw(Matrix4::Identity());
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(CbsiTest, TilesUploadTheirTexelsAtOffsetsFromTheImageCentre) {
    CbsiWriter w;
    w.Header("RGBA", 5, 5, 2);
    w.Tile(Square(4), CbsiWriter::SolidTexels(4, 1, 2, 3, 4));
    w.Tile({4, 0, 1, 8, 1, 5, 0}, CbsiWriter::SolidTexels(1, 9, 9, 9, 9));  // too small: 1x8 needs 32
    EXPECT_EQ(Error(w.bytes), kCannotAdd);

    gl.Clear();
    CbsiWriter good;
    good.Header("RGBA", 5, 5, 2);
    good.Tile(Square(4), CbsiWriter::SolidTexels(4, 1, 2, 3, 4));
    good.Tile({4, 0, 1, 8, 1, 5, 2}, std::vector<uint8_t>(32, 7));
    ASSERT_TRUE(Load(good.bytes));
    ASSERT_EQ(image->Tiles().size(), 2u);
    // Width 5: half is 2, so the tile at x = 0 starts at -2.
    EXPECT_EQ(image->Tiles()[0]->offset, (Point2i{-2, -2}));
    EXPECT_EQ(image->Tiles()[1]->offset, (Point2i{2, -2}));
    EXPECT_FLOAT_EQ(image->Vertices()[0].x, -2);
    EXPECT_FLOAT_EQ(image->Vertices()[4].u, 2.0f / 1);  // border kept as given
    ASSERT_EQ(gl.uploads.size(), 2u);
    EXPECT_EQ(gl.uploads[0].data, CbsiWriter::SolidTexels(4, 1, 2, 3, 4));
    EXPECT_EQ(gl.uploads[1].height, 8);
}

TEST_F(CbsiTest, MaskIsFoundOnlyAtFourByteSteps) {
    const std::vector<uint8_t> rows = {0x81, 0x01, 0xFF, 0x00, 0x12, 0x34};  // width 9: stride 2
    ASSERT_TRUE(Load(CbsiWriter().Header("RGBA", 9, 3, 0).Raw("junkJUNK").Mask(rows).bytes));
    EXPECT_EQ(image->MaskStride(), 2);
    EXPECT_EQ(image->Mask(), rows);

    ASSERT_TRUE(Load(CbsiWriter().Header("RGBA", 9, 3, 0).Raw("ab").Mask(rows).Raw("xy").bytes));
    EXPECT_TRUE(image->Mask().empty());
}

TEST_F(CbsiTest, MaskLargerThanTheFileOrCutShortIsDropped) {
    // 0xFFFFFFFF x 0xFFFFFFFF would overflow 32 bits; there is no mask.
    ASSERT_TRUE(Load(CbsiWriter().Header("RGBA", 0xFFFFFFFF, 0xFFFFFFFF, 0).Mask({1, 2, 3, 4}).bytes));
    EXPECT_TRUE(image->Mask().empty());
    ASSERT_TRUE(Load(CbsiWriter().Header("RGBA", 16, 4, 0).Mask({1, 2, 3, 4, 5}).bytes));
    EXPECT_TRUE(image->Mask().empty());

    image->size = {16, 4};
    MemoryByteSource shortMask("\1\2\3", 3);
    EXPECT_FALSE(image->ReadMask(shortMask));
}

// A stream that promises more than it delivers.
class StallingSource final : public ByteSource {
public:
    size_t Read(void* out, size_t count) override {
        const size_t n = std::min<size_t>(count, 3);
        std::memset(out, 0xFF, n);
        return n;
    }
    uint64_t BytesLeft() const override { return 100; }
};

TEST_F(CbsiTest, MaskRowsAStreamFailsToDeliverReadAsZero) {
    image->size = {16, 4};
    StallingSource source;
    EXPECT_FALSE(image->ReadMask(source));
    const std::vector<uint8_t> expected = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(image->Mask(), expected);
}

TEST_F(CbsiTest, EachHeaderErrorHasItsText) {
    EXPECT_EQ(Error(CbsiWriter().Header("RGBA", 4, 4, 0, "CBSX").bytes), kNotCbsi);
    EXPECT_EQ(Error(CbsiWriter().Raw("CB").bytes), kNotCbsi);
    EXPECT_EQ(Error(CbsiWriter().Header("RGBA", 4, 4, 0, "CBSI", 0x10001).bytes), kBadVersion);
    EXPECT_EQ(Error(CbsiWriter().Raw("CBSI").bytes), kBadVersion);
    EXPECT_EQ(Error(CbsiWriter().Header("RGBX", 4, 4, 0).bytes), kUnknownFormat);
    EXPECT_EQ(Error(CbsiWriter().Raw("CBSI").U32(0x10002).Raw("RG").bytes), kUnknownFormat);
    // Ending anywhere after the format field.
    EXPECT_EQ(Error(CbsiWriter().Raw("CBSI").U32(0x10002).Raw("RGBA").U32(4).bytes), kCannotAdd);
}

TEST_F(CbsiTest, PvrcFilesLoadOnlyWithoutTiles) {
    EXPECT_TRUE(Load(CbsiWriter().Header("PVR2", 8, 8, 0).bytes));
    EXPECT_EQ(image->format, kFormatPVR2);
    CbsiWriter w;
    w.Header("PVR2", 8, 8, 1).Tile(Square(8), std::vector<uint8_t>(16));
    EXPECT_EQ(Error(w.bytes), kCannotAdd);
    EXPECT_TRUE(gl.uploads.empty());
}

TEST_F(CbsiTest, CompressedTilesUploadExactlyTheBlocksTheyNeed) {
    CbsiWriter w;
    w.Header("DXT1", 6, 2, 2);
    w.Tile({0, 0, 4, 4, 4, 2, 0}, std::vector<uint8_t>(8, 0x11));
    w.Tile({4, 0, 2, 2, 2, 2, 0}, std::vector<uint8_t>(20, 0x22));  // more than one block
    ASSERT_TRUE(Load(w.bytes));
    ASSERT_EQ(gl.uploads.size(), 2u);
    EXPECT_EQ(gl.calls[gl.calls.size() - 1], "CompressedTexImage2D(0x83f0,2,2,8)");
    EXPECT_EQ(gl.uploads[1].data, std::vector<uint8_t>(8, 0x22));

    CbsiWriter dxt5;
    dxt5.Header("DXT5", 8, 8, 1).Tile(Square(8), std::vector<uint8_t>(63));
    EXPECT_FALSE(Load(dxt5.bytes));  // four blocks of 16 needed
}

TEST_F(CbsiTest, OversizedDataIsReadWholeAndUploadedAsNeeded) {
    CbsiWriter w;
    w.Header("RGBA", 2, 2, 1).Tile(Square(2), std::vector<uint8_t>(40, 5)).Mask({0xC0, 0x40});
    ASSERT_TRUE(Load(w.bytes));
    EXPECT_EQ(gl.uploads[0].data.size(), 16u);
    EXPECT_EQ(image->Mask(), (std::vector<uint8_t>{0xC0, 0x40}));
}

TEST_F(CbsiTest, HostileTilesAreRefusedAndLeaveAnEmptyImage) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto withTile = [](CbsiTileFields tile, uint32_t dataSize, size_t present) {
        CbsiWriter w;
        w.Header("RGBA", 64, 64, 2).Tile(Square(4), std::vector<uint8_t>(64, 1));
        return w.TileSized(tile, dataSize, std::vector<uint8_t>(present, 2)).bytes;
    };
    std::vector<Case> cases = {
        {"data size below the texture", withTile(Square(8), 255, 255)},
        {"data size beyond the file", withTile(Square(8), 0xFFFFFFF0, 256)},
        {"data cut short", withTile(Square(8), 256, 200)},
        {"width not a power of two", withTile({0, 0, 6, 8, 6, 8, 0}, 192, 192)},
        {"height zero", withTile({0, 0, 8, 0, 8, 0, 0}, 0, 0)},
        {"side over 4096", withTile(Square(8192), 0xFFFFFFFF, 16)},
        {"record cut short", CbsiWriter().Header("RGBA", 4, 4, 1).U32(0).U32(0).U32(4).bytes},
        {"more tiles than present", CbsiWriter().Header("RGBA", 4, 4, 3).Tile(Square(4), std::vector<uint8_t>(64)).bytes},
        {"over 16384 tiles", CbsiWriter().Header("RGBA", 4, 4, 16385).bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image->anchor = {0.25f, 0.75f};
        image->position = {7, 8};
        gl.Clear();
        EXPECT_FALSE(Load(c.bytes));
        ExpectEmptyFailure();
        EXPECT_EQ(gl.Count("GenTexture"), gl.Count("DeleteTexture"));  // nothing left behind
        EXPECT_EQ(image->anchor, (Vec2{0.25f, 0.75f}));
        EXPECT_EQ(image->position, (Vec2{7, 8}));
    }
}

TEST_F(CbsiTest, TilesLargerThanTheDriverAllowsAreRefused) {
    gl.maxTextureSize = 64;
    CbsiWriter w;
    w.Header("DXT1", 128, 128, 1).Tile(Square(128), std::vector<uint8_t>(32 * 32 * 8));
    EXPECT_FALSE(Load(w.bytes));
    gl.maxTextureSize = 128;
    EXPECT_TRUE(Load(w.bytes));
}

TEST_F(CbsiTest, NonSquareAndLargeTilesAreAccepted) {
    CbsiWriter w;
    w.Header("DXT1", 4096, 16, 1).Tile({0, 0, 4096, 16, 4096, 16, 0}, std::vector<uint8_t>(1024 * 4 * 8));
    ASSERT_TRUE(Load(w.bytes));
    EXPECT_EQ(image->Tiles()[0]->textureSize, (Point2i{4096, 16}));
}

}  // namespace

namespace {

// The file-backed entry points: names reach the file manager verbatim and a
// missing or unnamed file leaves the image empty.
TEST_F(CbsiTest, LoadReadsThroughTheFileManagerAndFailsCleanly) {
    const auto& root = testsupport::GlobalDataRoot();
    const auto bytes = CbsiWriter().Header("RGBA", 40, 20, 0).bytes;
    root.WriteFile("gui/50%_box.cbi",
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    FileManager::Global().ResetDirectoryCaches();

    EXPECT_TRUE(image->Load("gui/%s.cbi", "50%_box"));
    EXPECT_EQ(image->size, (Point2i{40, 20}));

    EXPECT_FALSE(image->Load("gui/%s.cbi", "missing"));
    ExpectEmptyFailure();
    EXPECT_FALSE(image->Load("%s", std::string(GLImage::kMaxNameLength + 1, 'a').c_str()));
    ExpectEmptyFailure();
}

TEST(TgaFiles, LoadTgaReadsThroughTheFileManager) {
    const auto& root = testsupport::GlobalDataRoot();
    // 1x1, 24-bit, uncompressed true colour.
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0};
    std::string file(reinterpret_cast<const char*>(header), sizeof header);
    file += "\x10\x20\x30";
    root.WriteFile("pics/dot.tga", file);
    FileManager::Global().ResetDirectoryCaches();

    Point2i size;
    int32_t bits = 0;
    auto pixels = LoadTGA(&size, &bits, "pics/%s.tga", "dot");
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(size, (Point2i{1, 1}));
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(LoadTGA(&size, &bits, "pics/%s.tga", "none"), nullptr);
}

}  // namespace

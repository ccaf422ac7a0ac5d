#include "platform/PixelRect.h"
#include "platform/TgaFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> TgaHeader(uint8_t type, int16_t width, int16_t height, uint8_t bits,
                               uint8_t idLength = 0, uint16_t mapLength = 0, uint8_t mapBits = 0) {
    std::vector<uint8_t> h(18, 0);
    h[0] = idLength;
    h[1] = mapLength ? 1 : 0;
    h[2] = type;
    h[5] = uint8_t(mapLength), h[6] = uint8_t(mapLength >> 8);
    h[7] = mapBits;
    h[12] = uint8_t(width), h[13] = uint8_t(uint16_t(width) >> 8);
    h[14] = uint8_t(height), h[15] = uint8_t(uint16_t(height) >> 8);
    h[16] = bits;
    return h;
}

struct Decoded {
    std::unique_ptr<uint8_t[]> pixels;
    Point2i size{-99, -99};
    int32_t bits = -99;
    std::vector<uint8_t> Bytes(size_t n) const { return {pixels.get(), pixels.get() + n}; }
};

Decoded Decode(const std::vector<uint8_t>& file) {
    // Exactly the file's bytes, so reads past the end are caught.
    std::vector<uint8_t> copy(file);
    Decoded d;
    d.pixels = LoadTGAFromMemory(&d.size, &d.bits, copy.data(), copy.size());
    return d;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

TEST(Tga, TwentyFourBitsBecomeThirtyTwoWithOpaqueAlpha) {
    auto file = TgaHeader(2, 2, 1, 24, 3);
    Append(file, {'i', 'd', '!'});  // the id field is skipped
    Append(file, {1, 2, 3, 4, 5, 6});
    const Decoded d = Decode(file);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.bits, 32);
    EXPECT_EQ(d.size, (Point2i{2, 1}));
    EXPECT_EQ(d.Bytes(8), (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
}

TEST(Tga, ThirtyTwoBitsComeAsStored) {
    auto file = TgaHeader(2, 1, 2, 32);
    Append(file, {1, 2, 3, 4, 5, 6, 7, 8});
    const Decoded d = Decode(file);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.bits, 32);
    EXPECT_EQ(d.Bytes(8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Tga, EightBitsSkipTheColourMap) {
    auto file = TgaHeader(1, 2, 2, 8, 0, 256, 24);
    Append(file, std::vector<uint8_t>(768, 0xEE));
    Append(file, {9, 8, 7, 6});
    Decoded d = Decode(file);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.bits, 8);
    EXPECT_EQ(d.Bytes(4), (std::vector<uint8_t>{9, 8, 7, 6}));

    // 15-bit entries take two bytes each.
    file = TgaHeader(1, 1, 1, 8, 0, 3, 15);
    Append(file, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 42});
    d = Decode(file);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.pixels[0], 42);

    // Grey images have no map.
    file = TgaHeader(3, 1, 1, 8);
    file.push_back(17);
    EXPECT_EQ(Decode(file).pixels[0], 17);
}

TEST(Tga, UnreadableFilesGiveNull) {
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    auto withData = [](std::vector<uint8_t> h, size_t n) {
        h.resize(h.size() + n, 1);
        return h;
    };
    const std::vector<Case> cases = {
        {"16 bits", withData(TgaHeader(2, 2, 2, 16), 8)},
        {"negative width", withData(TgaHeader(2, -2, 2, 32), 16)},
        {"zero height", withData(TgaHeader(2, 2, 0, 32), 16)},
        {"pixels cut short", withData(TgaHeader(2, 2, 2, 24), 11)},
        {"id longer than the file", withData(TgaHeader(2, 1, 1, 32, 200), 4)},
        {"colour map cut short", withData(TgaHeader(1, 1, 1, 8, 0, 256, 32), 100)},
        {"huge size, no data", TgaHeader(2, 32767, 32767, 32)},
        {"run-length encoded", withData(TgaHeader(10, 2, 2, 24), 12)},
        {"header cut short", std::vector<uint8_t>(17, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.file).pixels, nullptr);
    }
    EXPECT_EQ(Decode(cases[0].file).bits, 16);  // the depth is still reported
    EXPECT_EQ(Decode(cases[1].file).size, (Point2i{-2, 2}));
}

// Files written by an image tool from a 4 x 3 picture whose pixel (x, y) is
// R = 10 + 40x, G = 20 + 50y, B = 200 - 10x - 20y, A = 255 - 30(x + y). The
// tool stores the rows top first in every file and only marks the origin in
// the descriptor (bottom-left unless asked otherwise), so the origin bit is
// what tells the pairs apart.
class ToolWrittenTga : public ::testing::Test {
protected:
    static std::vector<uint8_t> Read(const std::string& name) {
        const char* root = std::getenv("TAVRIN_SOURCE_DIR");
        std::ifstream in(std::string(root ? root : ".") + "/tests/platform/data/tga/" + name,
                         std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The expected B G R A bytes, rows top first.
    static std::vector<uint8_t> Expected(bool alpha) {
        std::vector<uint8_t> out;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                out.insert(out.end(), {uint8_t(200 - 10 * x - 20 * y), uint8_t(20 + 50 * y),
                                       uint8_t(10 + 40 * x),
                                       uint8_t(alpha ? 255 - 30 * (x + y) : 255)});
        }
        return out;
    }
};

TEST_F(ToolWrittenTga, TrueColourRowsComeInStoredOrderWhateverTheOrigin) {
    struct Case {
        const char* file;
        bool bottomUp, alpha;
    };
    for (const Case& c : {Case{"rgb24_bottomup.tga", true, false},
                          Case{"rgb24_topdown.tga", false, false},
                          Case{"rgba32_bottomup.tga", true, true},
                          Case{"rgba32_topdown.tga", false, true}}) {
        SCOPED_TRACE(c.file);
        const auto file = Read(c.file);
        ASSERT_GT(file.size(), 18u);
        EXPECT_EQ((file[17] & 0x20) == 0, c.bottomUp);
        const Decoded d = Decode(file);
        ASSERT_TRUE(d.pixels);
        EXPECT_EQ(d.size, (Point2i{4, 3}));
        EXPECT_EQ(d.bits, 32);
        EXPECT_EQ(d.Bytes(48), Expected(c.alpha));
    }
}

TEST_F(ToolWrittenTga, ColourMappedGivesTheIndicesUnchanged) {
    const auto file = Read("mapped8.tga");
    ASSERT_GT(file.size(), 18u);
    const Decoded d = Decode(file);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.bits, 8);
    // Look each index up in the file's own map: the colours must be the
    // picture's, rows in stored order.
    EXPECT_EQ(file[17] & 0x20, 0);
    const size_t mapStart = 18 + file[0];
    const auto expected = Expected(false);
    for (int i = 0; i < 12; ++i) {
        const uint8_t* entry = &file[mapStart + d.pixels[i] * 3];
        EXPECT_EQ(std::vector<uint8_t>(entry, entry + 3),
                  std::vector<uint8_t>(&expected[i * 4], &expected[i * 4] + 3))
            << "pixel " << i;
    }
}

TEST_F(ToolWrittenTga, RunLengthEncodedIsRefused) {
    const auto file = Read("rgb24_rle.tga");
    ASSERT_EQ(file[2], 10);
    EXPECT_EQ(Decode(file).pixels, nullptr);
}

TEST(CopyPixelRect, CopiesTheRowsOfTheRectangle) {
    std::vector<uint8_t> pixels(4 * 3 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i);
    const auto rect = CopyPixelRect({2, 2}, pixels.data(), {4, 3}, {1, 1});
    ASSERT_TRUE(rect);
    const std::vector<uint8_t> got(rect.get(), rect.get() + 16);
    const std::vector<uint8_t> want = {20, 21, 22, 23, 24, 25, 26, 27,
                                       36, 37, 38, 39, 40, 41, 42, 43};
    EXPECT_EQ(got, want);
    EXPECT_TRUE(CopyPixelRect({4, 3}, pixels.data(), {4, 3}, {0, 0}));
}

TEST(CopyPixelRect, RectanglesOutsideTheBufferGiveNull) {
    std::vector<uint8_t> pixels(4 * 3 * 4);
    const struct {
        Point2i size, origin;
    } outside[] = {
        {{2, 2}, {3, 0}},  {{2, 2}, {0, 2}},       {{1, 1}, {-1, 0}},  {{1, 1}, {0, -1}},
        {{0, 1}, {0, 0}},  {{1, -1}, {0, 0}},      {{5, 1}, {0, 0}},   {{INT_MAX, 1}, {1, 0}},
        {{1, 1}, {INT_MAX, 0}},
    };
    for (const auto& c : outside)
        EXPECT_EQ(CopyPixelRect(c.size, pixels.data(), {4, 3}, c.origin), nullptr)
            << c.size.x << "x" << c.size.y << " at " << c.origin.x << "," << c.origin.y;
}

}  // namespace

// The glyph atlas and fonts without a picture: cells, growth and the size
// limit through the recording driver, glyph pixels read from the atlas.

#include "gui/TextTestSupport.h"
#include "support/FakeGlFixture.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::Font;
using halvo::GuiTextureAtlas;
using testsupport::kTestFont;

class AtlasTest : public FakeGlFixture {};

// Every pixel of the cell, and the empty row above and column left of it.
bool CellHolds(const GuiTextureAtlas& atlas, int32_t index, uint8_t value) {
    const GuiTextureAtlas::Cell* cell = atlas.Lookup(index);
    for (int32_t y = -1; y < cell->h; ++y)
        for (int32_t x = -1; x < cell->w; ++x)
            if (*atlas.PixelsAt(cell->x + x, cell->y + y) != (x < 0 || y < 0 ? 0 : value)) return false;
    return true;
}

// The gutter rows and columns around every cell in use hold no ink.
bool GuttersAreEmpty(const GuiTextureAtlas& atlas) {
    const auto empty = [&](int32_t x, int32_t y) {
        return x >= atlas.GetWidth() || y >= atlas.GetHeight() || *atlas.PixelsAt(x, y) == 0;
    };
    const int32_t w = atlas.GetCellWidth(), h = atlas.GetCellHeight();
    for (int32_t index = 0; index < atlas.GetColumns() * atlas.GetRows(); ++index) {
        const GuiTextureAtlas::Cell* cell = atlas.Lookup(index);
        for (int32_t i = -1; cell && i <= std::max(w, h); ++i)
            if ((i <= w && !(empty(cell->x + i, cell->y - 1) && empty(cell->x + i, cell->y + h))) ||
                (i <= h && !(empty(cell->x - 1, cell->y + i) && empty(cell->x + w, cell->y + i))))
                return false;
    }
    return true;
}

TEST_F(AtlasTest, CellsSitBehindGuttersAndFreedIndicesComeBackLowestFirst) {
    GuiTextureAtlas atlas;
    ASSERT_TRUE(atlas.Init(10, 12));
    EXPECT_EQ(atlas.GetWidth(), 64);   // 4 * 11 + 1 = 45
    EXPECT_EQ(atlas.GetHeight(), 64);  // 4 * 13 + 1 = 53
    EXPECT_EQ(atlas.GetColumns() * atlas.GetRows(), 5 * 4);
    for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(atlas.Allocate(10, 12), i);
    EXPECT_EQ(atlas.Lookup(6)->x, 12);
    EXPECT_EQ(atlas.Lookup(6)->y, 14);
    atlas.Free(1);
    atlas.Free(4);
    EXPECT_EQ(atlas.Allocate(10, 12), 1);
    EXPECT_EQ(atlas.Allocate(10, 12), 4);
    // More than a cell (a caret taller than the cell) is kept to the cell.
    const int32_t tall = atlas.Allocate(40, 100);
    EXPECT_EQ(atlas.Lookup(tall)->w, 10);
    EXPECT_EQ(atlas.Lookup(tall)->h, 12);
    ASSERT_TRUE(atlas.Init(0, -3));
    EXPECT_EQ(atlas.GetCellWidth() + atlas.GetCellHeight(), 16);
}

TEST_F(AtlasTest, GrowthKeepsEveryCellsPixelsAndStopsAtTheDriversLimit) {
    GuiTextureAtlas atlas;
    ASSERT_TRUE(atlas.Init(14, 14));
    ASSERT_EQ(atlas.GetColumns() * atlas.GetRows(), 16);
    for (uint8_t i = 0; i < 16; ++i) {
        const GuiTextureAtlas::Cell* cell = atlas.Lookup(atlas.Allocate(14, 14));
        for (int32_t y = 0; y < 14; ++y) std::fill_n(atlas.PixelsAt(cell->x, cell->y + y), 14, i + 1);
    }
    atlas.Upload();
    EXPECT_EQ(atlas.Allocate(14, 14), 16);
    EXPECT_EQ(atlas.GetWidth(), 128);  // the width first when the sides are equal
    EXPECT_EQ(atlas.GetHeight(), 64);
    for (uint8_t i = 0; i < 17; ++i) EXPECT_TRUE(CellHolds(atlas, i, i < 16 ? i + 1 : 0)) << int{i};
    EXPECT_EQ(gl.Count("DeleteTexture"), 1u);
    atlas.Upload();
    ASSERT_EQ(gl.uploads.size(), 2u);
    EXPECT_EQ(gl.uploads[1].width, 128);
    EXPECT_EQ(gl.uploads[1].internalFormat, 0x1906u);  // GL_ALPHA

    gl.maxTextureSize = 64;
    ASSERT_TRUE(atlas.Init(30, 30));  // 2 x 2 cells in 64 x 64
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(atlas.Allocate(30, 30), i);
    EXPECT_EQ(atlas.Allocate(30, 30), -1);
    atlas.Free(2);
    EXPECT_EQ(atlas.Allocate(30, 30), 2);
    EXPECT_FALSE(atlas.Init(70, 10));  // not even one cell fits
    EXPECT_EQ(atlas.Allocate(1, 1), -1);
    GLState::SetContextAlive(false);
    EXPECT_EQ(GuiTextureAtlas::MaxSide(), 4096);
}

class FontTest : public FakeGlFixture {
protected:
    void SetUp() override {
        FakeGlFixture::SetUp();
        testsupport::InstallTestFont();
    }
    halvo::GuiMain& gui = halvo::GuiMain::Global();
};

TEST_F(FontTest, GlyphsAreSharedByUseCountAndTheCaretIsASolidBar) {
    AutoRef<Font> font = gui.GetFont(kTestFont, 20, 0);
    ASSERT_TRUE(font);
    // Cells from the face's bounding box: 58 x 35 at 20 pixels for this font.
    EXPECT_EQ(font->Atlas().GetCellWidth() * 100 + font->Atlas().GetCellHeight(), 5835);
    const float advance = font->GetAdvance('W');
    EXPECT_EQ(font->FindGlyph('W'), nullptr);
    ASSERT_TRUE(font->AcquireGlyph('A') && font->AcquireGlyph('W') && font->AcquireGlyph('A'));
    EXPECT_EQ(font->FindGlyph('W')->advanceX, advance);
    const int32_t cell = font->FindGlyph('A')->cell;
    EXPECT_TRUE(font->ReleaseGlyph('A'));
    ASSERT_NE(font->FindGlyph('A'), nullptr);
    EXPECT_TRUE(font->ReleaseGlyph('A'));
    EXPECT_FALSE(font->ReleaseGlyph('A'));
    ASSERT_TRUE(font->AcquireGlyph('B'));
    EXPECT_EQ(font->FindGlyph('B')->cell, cell);

    ASSERT_TRUE(font->AcquireCaret());
    const Font::Glyph* caret = font->FindGlyph(Font::kCaretCode);
    const auto ascender = static_cast<int32_t>(font->GetAscender() / 64);
    EXPECT_EQ(caret->width, 4);
    EXPECT_EQ(caret->height, ascender);
    EXPECT_EQ(caret->yOffset, static_cast<int32_t>(font->GetLineHeight()) - ascender);
    EXPECT_TRUE(CellHolds(font->Atlas(), caret->cell, 255));
}

// Columns of the glyph's cell that hold any ink.
int32_t InkWidth(const Font& font, uint32_t code) {
    const GuiTextureAtlas::Cell* cell = font.Atlas().Lookup(font.FindGlyph(code)->cell);
    int32_t first = cell->w, last = -1;
    for (int32_t y = 0; y < cell->h; ++y)
        for (int32_t x = 0; x < cell->w; ++x)
            if (*font.Atlas().PixelsAt(cell->x + x, cell->y + y)) first = std::min(first, x), last = std::max(last, x);
    return last - first + 1;
}

TEST_F(FontTest, OutlinesStrokeAroundTheGlyphAndStayInsideTheirCells) {
    AutoRef<Font> plain = gui.GetFont(kTestFont, 40, 0);
    AutoRef<Font> outline = gui.GetFont(kTestFont, 40, 128);
    ASSERT_TRUE(plain->AcquireGlyph('I') && outline->AcquireGlyph('I'));
    EXPECT_GE(InkWidth(*outline, 'I'), InkWidth(*plain, 'I') + 3);  // two pixels each side
    EXPECT_EQ(outline->FindGlyph('I')->advanceX, plain->FindGlyph('I')->advanceX);
    // Each glyph draws its own outline only, whatever the one before drew.
    ASSERT_TRUE(outline->AcquireGlyph('W') && outline->AcquireGlyph('.'));
    EXPECT_LT(InkWidth(*outline, '.') * 2, InkWidth(*outline, 'W'));
    // A stroke far wider than the cell's margin, on glyphs that reach below
    // the line, in every cell up to the atlas's last row.
    AutoRef<Font> wide = gui.GetFont(kTestFont, 9, 640);
    const std::u16string deep = u"gjpqyQ,;()[]{}|_\u03B2\u03B3\u03B6\u03B7\u03BC\u03BE\u03C1\u03C2\u03C6\u03C7"
                                u"\u03C8\u0434\u0440\u0443\u0444\u0446\u0449";
    const auto capacity = static_cast<size_t>(wide->Atlas().GetColumns() * wide->Atlas().GetRows());
    ASSERT_LE(capacity, deep.size());
    for (size_t i = 0; i < capacity; ++i) ASSERT_TRUE(wide->AcquireGlyph(deep[i])) << i;
    EXPECT_TRUE(GuttersAreEmpty(wide->Atlas()));
}

TEST_F(FontTest, FontsLoadWhateverTheSizeButGlyphsFailPastTheLargestTexture) {
    gl.maxTextureSize = 64;
    AutoRef<Font> huge = gui.GetFont(kTestFont, 40, 0);  // cells of 114 x 69
    ASSERT_TRUE(huge);
    EXPECT_FALSE(huge->AcquireGlyph('A') || huge->AcquireCaret());
    EXPECT_GT(huge->GetAdvance('A'), 0.0f);
    AutoRef<Font> small = gui.GetFont(kTestFont, 12, 0);  // two cells of 35 x 22
    ASSERT_TRUE(small->AcquireGlyph('a') && small->AcquireGlyph('b'));
    EXPECT_FALSE(small->AcquireGlyph('c'));
    EXPECT_EQ(small->FindGlyph('c'), nullptr);
    small->ReleaseGlyph('a');
    EXPECT_TRUE(small->AcquireGlyph('c'));
    gl.maxTextureSize = 4096;
    AutoRef<Font> giant = gui.GetFont(kTestFont, 60000, 0);
    ASSERT_TRUE(giant);
    EXPECT_FALSE(giant->AcquireGlyph('A'));
}

TEST_F(FontTest, CacheSharesLiveFontsReloadsDeadOnesAndKeepsNoRecordOfFailures) {
    AutoRef<Font> first = gui.GetFont(kTestFont, 16, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(gui.GetFont(kTestFont, 16, 0), first);
    EXPECT_NE(gui.GetFont(kTestFont, 16, 64), first);
    const size_t records = gui.GetFontRecordCount();
    first.Reset();
    EXPECT_TRUE(gui.GetFont(kTestFont, 16, 0));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(gui.GetFont("fonts/none.ttf", 16, 0) || gui.GetFont(kTestFont, 0, 0));
    EXPECT_EQ(gui.GetFontRecordCount(), records);
}

}  // namespace

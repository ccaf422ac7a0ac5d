// The glyph atlas and fonts without a picture: cells, growth and the size
// limit through the recording driver, glyph pixels read from the atlas.

#include "gui/Font.h"
#include "gui/GuiMain.h"
#include "gui/GuiTextureAtlas.h"
#include "gui/TextTestSupport.h"
#include "support/FakeGlFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using halvo::AutoRef;
using halvo::Font;
using halvo::GuiTextureAtlas;
using testsupport::kTestFont;

class AtlasTest : public FakeGlFixture {};

void FillCell(GuiTextureAtlas& atlas, int32_t index, uint8_t value) {
    const GuiTextureAtlas::Cell* cell = atlas.Lookup(index);
    for (int32_t row = 0; row < cell->h; ++row) std::memset(atlas.PixelsAt(cell->x, cell->y + row), value, cell->w);
}

bool CellHolds(const GuiTextureAtlas& atlas, int32_t index, uint8_t value) {
    const GuiTextureAtlas::Cell* cell = atlas.Lookup(index);
    for (int32_t row = 0; row < cell->h; ++row)
        for (int32_t x = 0; x < cell->w; ++x)
            if (*atlas.PixelsAt(cell->x + x, cell->y + row) != value) return false;
    return true;
}

// The empty row above and column left of every cell in use.
bool GuttersAreEmpty(const GuiTextureAtlas& atlas) {
    for (int32_t index = 0; index < atlas.GetColumns() * atlas.GetRows(); ++index) {
        const GuiTextureAtlas::Cell* cell = atlas.Lookup(index);
        if (!cell) continue;
        for (int32_t x = -1; x <= atlas.GetCellWidth(); ++x)
            if (cell->x + x < atlas.GetWidth() && *atlas.PixelsAt(cell->x + x, cell->y - 1)) return false;
        for (int32_t y = -1; y <= atlas.GetCellHeight(); ++y)
            if (cell->y + y < atlas.GetHeight() && *atlas.PixelsAt(cell->x - 1, cell->y + y)) return false;
    }
    return true;
}

TEST_F(AtlasTest, CellsSitBehindGuttersAndFreedIndicesComeBackLowestFirst) {
    GuiTextureAtlas atlas;
    ASSERT_TRUE(atlas.Init(10, 12));
    EXPECT_EQ(atlas.GetWidth(), 64);   // 4 * 11 + 1 = 45
    EXPECT_EQ(atlas.GetHeight(), 64);  // 4 * 13 + 1 = 53
    EXPECT_EQ(atlas.GetColumns(), 5);
    EXPECT_EQ(atlas.GetRows(), 4);
    for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(atlas.Allocate(10, 12), i);
    EXPECT_EQ(atlas.Lookup(0)->x, 1);
    EXPECT_EQ(atlas.Lookup(6)->x, 12);
    EXPECT_EQ(atlas.Lookup(6)->y, 14);
    atlas.Free(1);
    atlas.Free(4);
    EXPECT_EQ(atlas.Allocate(10, 12), 1);
    EXPECT_EQ(atlas.Allocate(10, 12), 4);
    EXPECT_EQ(atlas.Allocate(10, 12), 7);
    // Asked for more than a cell (a caret taller than the cell): the record
    // keeps to the cell, so neither the pixels nor the texture reach past it.
    const int32_t tall = atlas.Allocate(40, 100);
    EXPECT_EQ(atlas.Lookup(tall)->w, 10);
    EXPECT_EQ(atlas.Lookup(tall)->h, 12);
    EXPECT_EQ(atlas.Lookup(99), nullptr);
    ASSERT_TRUE(atlas.Init(0, -3));
    EXPECT_EQ(atlas.GetCellWidth(), 8);
    EXPECT_EQ(atlas.GetCellHeight(), 8);
    EXPECT_EQ(atlas.GetCellCount(), 0u);
}

TEST_F(AtlasTest, GrowthKeepsEveryCellsPixelsAndUploadsAgain) {
    GuiTextureAtlas atlas;
    ASSERT_TRUE(atlas.Init(14, 14));
    ASSERT_EQ(atlas.GetColumns() * atlas.GetRows(), 16);
    for (int32_t i = 0; i < 16; ++i) FillCell(atlas, atlas.Allocate(14, 14), static_cast<uint8_t>(i + 1));
    const uint32_t first = atlas.Upload();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(atlas.Upload(), first);
    EXPECT_EQ(atlas.Allocate(14, 14), 16);
    EXPECT_EQ(atlas.GetWidth(), 128);  // the width first when the sides are equal
    EXPECT_EQ(atlas.GetHeight(), 64);
    for (int32_t i = 0; i < 16; ++i) EXPECT_TRUE(CellHolds(atlas, i, static_cast<uint8_t>(i + 1))) << i;
    EXPECT_TRUE(CellHolds(atlas, 16, 0));
    EXPECT_TRUE(GuttersAreEmpty(atlas));
    EXPECT_EQ(gl.Count("DeleteTexture"), 1u);
    atlas.Upload();
    ASSERT_EQ(gl.uploads.size(), 2u);
    EXPECT_EQ(gl.uploads[1].width, 128);
    EXPECT_EQ(gl.uploads[1].internalFormat, 0x1906u);  // GL_ALPHA
}

TEST_F(AtlasTest, SidesStopAtTheDriversLimitAndAllocationsFailThere) {
    gl.maxTextureSize = 64;
    GuiTextureAtlas atlas;
    ASSERT_TRUE(atlas.Init(30, 30));  // 2 x 2 cells in 64 x 64
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(atlas.Allocate(30, 30), i);
    EXPECT_EQ(atlas.Allocate(30, 30), -1);
    EXPECT_EQ(atlas.GetWidth(), 64);
    atlas.Free(2);
    EXPECT_EQ(atlas.Allocate(30, 30), 2);
    // Not even one cell fits: an atlas without pixels, every allocation fails.
    EXPECT_FALSE(atlas.Init(70, 10));
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

TEST_F(FontTest, GlyphsAreSharedByUseCountAndCellsReused) {
    AutoRef<Font> font = gui.GetFont(kTestFont, 20, 0);
    ASSERT_TRUE(font);
    // Cells from the face's bounding box (58 x 35 at 20 pixels for this font).
    EXPECT_EQ(font->Atlas().GetCellWidth(), 58);
    EXPECT_EQ(font->Atlas().GetCellHeight(), 35);
    const float advance = font->GetAdvance('W');
    EXPECT_GT(advance, 10.0f);
    EXPECT_EQ(font->FindGlyph('W'), nullptr);
    ASSERT_TRUE(font->AcquireGlyph('A'));
    ASSERT_TRUE(font->AcquireGlyph('W'));
    EXPECT_EQ(font->FindGlyph('W')->advanceX, advance);
    EXPECT_TRUE(font->AcquireGlyph('A'));
    EXPECT_TRUE(font->ReleaseGlyph('A'));
    ASSERT_NE(font->FindGlyph('A'), nullptr);
    const int32_t cell = font->FindGlyph('A')->cell;
    EXPECT_TRUE(font->ReleaseGlyph('A'));
    EXPECT_EQ(font->FindGlyph('A'), nullptr);
    EXPECT_FALSE(font->ReleaseGlyph('A'));
    ASSERT_TRUE(font->AcquireGlyph('B'));
    EXPECT_EQ(font->FindGlyph('B')->cell, cell);
}

TEST_F(FontTest, CaretIsASolidBarAscenderHighEndingAtTheLineHeight) {
    AutoRef<Font> font = gui.GetFont(kTestFont, 20, 0);
    ASSERT_TRUE(font && font->AcquireCaret());
    const Font::Glyph* caret = font->FindGlyph(Font::kCaretCode);
    const int32_t ascender = static_cast<int32_t>(font->GetAscender() / 64);
    EXPECT_EQ(caret->width, 4);
    EXPECT_EQ(caret->height, ascender);
    EXPECT_EQ(caret->yOffset, static_cast<int32_t>(font->GetLineHeight()) - ascender);
    EXPECT_EQ(caret->advanceX, 0.0f);
    const GuiTextureAtlas::Cell* cell = font->Atlas().Lookup(caret->cell);
    for (int32_t row = 0; row < ascender; ++row)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(*font->Atlas().PixelsAt(cell->x + x, cell->y + row), 255);
    EXPECT_EQ(*font->Atlas().PixelsAt(cell->x + 4, cell->y), 0);
    EXPECT_TRUE(font->AcquireCaret());
}

// Columns of the cell that hold any ink.
int32_t InkWidth(const Font& font, uint32_t code) {
    const GuiTextureAtlas::Cell* cell = font.Atlas().Lookup(font.FindGlyph(code)->cell);
    int32_t first = cell->w, last = -1;
    for (int32_t y = 0; y < cell->h; ++y)
        for (int32_t x = 0; x < cell->w; ++x)
            if (*font.Atlas().PixelsAt(cell->x + x, cell->y + y)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return last - first + 1;
}

TEST_F(FontTest, OutlinesStrokeAroundTheGlyphAndStayInsideTheirCells) {
    AutoRef<Font> plain = gui.GetFont(kTestFont, 40, 0);
    AutoRef<Font> outline = gui.GetFont(kTestFont, 40, 128);
    ASSERT_TRUE(plain && outline && plain != outline);
    ASSERT_TRUE(plain->AcquireGlyph('I') && outline->AcquireGlyph('I'));
    // Two pixels of stroke on each side.
    EXPECT_GE(InkWidth(*outline, 'I'), InkWidth(*plain, 'I') + 3);
    EXPECT_EQ(outline->FindGlyph('I')->advanceX, plain->FindGlyph('I')->advanceX);

    // A stroke far wider than the cell's margin, on glyphs that reach
    // below the line, in every cell up to the atlas's last row.
    AutoRef<Font> wide = gui.GetFont(kTestFont, 9, 640);
    ASSERT_TRUE(wide);
    const std::u16string deep = u"gjpqyQ,;()[]{}|_\u03B2\u03B3\u03B6\u03B7\u03BC\u03BE\u03C1\u03C2\u03C6\u03C7"
                                u"\u03C8\u0434\u0440\u0443\u0444\u0446\u0449";
    const size_t capacity = static_cast<size_t>(wide->Atlas().GetColumns() * wide->Atlas().GetRows());
    ASSERT_LE(capacity, deep.size());
    for (size_t i = 0; i < capacity; ++i) ASSERT_TRUE(wide->AcquireGlyph(deep[i])) << i;
    EXPECT_EQ(wide->Atlas().GetCellCount(), capacity);
    EXPECT_TRUE(GuttersAreEmpty(wide->Atlas()));
}

TEST_F(FontTest, FontsLoadWhateverTheSizeButGlyphsFailPastTheLargestTexture) {
    gl.maxTextureSize = 64;
    AutoRef<Font> huge = gui.GetFont(kTestFont, 40, 0);  // cells of 114 x 69
    ASSERT_TRUE(huge);
    EXPECT_FALSE(huge->Atlas().HasPixels());
    EXPECT_FALSE(huge->AcquireGlyph('A'));
    EXPECT_FALSE(huge->AcquireCaret());
    EXPECT_GT(huge->GetAdvance('A'), 0.0f);
    // Two cells of 35 x 22 fit in 64 x 64; the third glyph waits for one.
    AutoRef<Font> small = gui.GetFont(kTestFont, 12, 0);
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
    EXPECT_NE(gui.GetFont(kTestFont, 17, 0), first);
    const size_t records = gui.GetFontRecordCount();
    first.Reset();
    AutoRef<Font> again = gui.GetFont(kTestFont, 16, 0);
    EXPECT_TRUE(again);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(gui.GetFont("fonts/none.ttf", 16, 0));
        EXPECT_FALSE(gui.GetFont(kTestFont, 0, 0));
    }
    EXPECT_FALSE(gui.GetFont(nullptr, 16, 0));
    EXPECT_EQ(gui.GetFontRecordCount(), records);
}

}  // namespace

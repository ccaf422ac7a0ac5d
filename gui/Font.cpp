#include "gui/Font.h"

#include "gui/GuiMain.h"
#include "platform/FileManager.h"
#include "platform/Log.h"
#include "platform/ShutdownFlag.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_STROKER_H

#include <algorithm>
#include <limits>
#include <vector>

namespace halvo {

namespace {

// Width of the caret bar in pixels.
constexpr int32_t kCaretWidth = 4;
// Outline glyphs sit this far (26.6: two and a half pixels) lower in their
// cell than the ascender, leaving room for the stroke above the letters.
constexpr int64_t kOutlineTopMargin = 160;

using Span = Font::OutlineSpan;

// 26.6 to whole pixels, rounded up (towards zero for negative values).
int64_t CeilPixels(int64_t value) { return (value + 63) / 64; }

int32_t ToCellSize(int64_t pixels) {
    return static_cast<int32_t>(std::clamp<int64_t>(pixels, 0, std::numeric_limits<int32_t>::max()));
}

void CollectSpans(int y, int count, const FT_Span* spans, void* user) {
    auto* list = static_cast<std::vector<Span>*>(user);
    for (int i = 0; i < count; ++i) list->push_back({spans[i].x, y, spans[i].len, spans[i].coverage});
}

// The outer border of the glyph in the slot, stroked with `radius` (26.6),
// as anti-aliased spans. False on any FreeType error.
bool StrokeSpans(FT_Library library, FT_Stroker stroker, FT_GlyphSlot slot, int32_t radius,
                 std::vector<Span>& spans) {
    FT_Stroker_Set(stroker, radius, FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(slot, &glyph)) return false;
    // On failure the source glyph is left in place, on success replaced.
    if (FT_Glyph_StrokeBorder(&glyph, stroker, false, true) || glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        FT_Done_Glyph(glyph);
        return false;
    }
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT;
    params.gray_spans = &CollectSpans;
    params.user = &spans;
    const FT_Error error = FT_Outline_Render(library, &reinterpret_cast<FT_OutlineGlyph>(glyph)->outline, &params);
    FT_Done_Glyph(glyph);
    return error == 0;
}

const uint8_t* BitmapRow(const FT_Bitmap& bitmap, unsigned row) {
    // A negative pitch stores the rows from the bottom up.
    if (bitmap.pitch >= 0) return bitmap.buffer + static_cast<size_t>(row) * bitmap.pitch;
    return bitmap.buffer + static_cast<size_t>(bitmap.rows - 1 - row) * static_cast<size_t>(-bitmap.pitch);
}

}  // namespace

Font::~Font() {
    glyphs_.clear();
    ReleaseFace();
}

void Font::ReleaseFace() {
    if (!face_) return;
    // Once the library is gone it has freed its faces itself; after the game
    // has gone the library is left to free them at exit.
    GuiMain* gui = GuiMain::Live();
    if (gui && gui->GetFontLibrary() && !IsProcessShuttingDown()) FT_Done_Face(face_);
    face_ = nullptr;
}

bool Font::Load(const char* fileName, int32_t pixelSize, int32_t outlineWidth) {
    ReleaseFace();
    glyphs_.clear();
    fileData_.reset();
    outlineWidth_ = outlineWidth;
    GuiMain* gui = GuiMain::Live();
    FT_Library library = gui ? gui->GetFontLibrary() : nullptr;
    if (!library) {
        LogMessage("Font::Load - no font library");
        return false;
    }
    if (!fileName || pixelSize < 1) return false;
    uint32_t size = 0;
    LoadedFile data(FileManager::Global().LoadFile(&size, "%s", fileName));
    if (!data) {
        LogMessage("Font::Load - cannot read '%s'", fileName);
        return false;
    }
    FT_Open_Args args{};
    args.flags = FT_OPEN_MEMORY;
    args.memory_base = reinterpret_cast<const FT_Byte*>(data.get());
    args.memory_size = static_cast<FT_Long>(size);
    FT_Face face = nullptr;
    if (FT_Open_Face(library, &args, 0, &face)) {
        LogMessage("Font::Load - '%s' is not a font", fileName);
        return false;
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize))) {
        LogMessage("Font::Load - '%s' has no size %d", fileName, pixelSize);
        FT_Done_Face(face);
        return false;
    }
    face_ = face;
    fileData_ = std::move(data);
    fileSize_ = size;
    const FT_Size_Metrics& metrics = face->size->metrics;
    ascender_ = metrics.ascender;
    descender_ = metrics.descender;
    halfHeight_ = static_cast<float>(ascender_ - descender_) / 128.0f;
    lineHeight_ = static_cast<float>(metrics.height) / 64.0f;
    const FT_BBox& box = face->bbox;
    const int64_t cellWidth = CeilPixels(FT_MulFix(box.xMax - box.xMin, metrics.x_scale)) + 1;
    const int64_t cellHeight = CeilPixels(FT_MulFix(box.yMax - box.yMin, metrics.y_scale)) + 1;
    // An atlas without room leaves every glyph out; the font itself loads.
    atlas_.Init(ToCellSize(cellWidth), ToCellSize(cellHeight));
    return true;
}

bool Font::AcquireGlyph(uint32_t code) {
    auto it = glyphs_.find(code);
    if (it != glyphs_.end()) {
        ++it->second.useCount;
        return true;
    }
    if (!face_ || !atlas_.HasPixels()) return false;
    return outlineWidth_ >= kMinOutlineWidth ? RenderOutline(code) : RenderFilled(code);
}

Font::Glyph* Font::AddGlyph(uint32_t code, uint32_t index) {
    const int32_t cell = atlas_.Allocate(atlas_.GetCellWidth(), atlas_.GetCellHeight());
    const GuiTextureAtlas::Cell* place = atlas_.Lookup(cell);
    if (!place) return nullptr;
    const FT_GlyphSlot slot = face_->glyph;
    Glyph& glyph = glyphs_[code];
    glyph = {};
    glyph.useCount = 1;
    glyph.advanceX = static_cast<float>(slot->advance.x) / 64.0f;
    glyph.advanceY = static_cast<float>(slot->advance.y) / 64.0f;
    glyph.width = place->w;
    glyph.height = place->h;
    glyph.cell = cell;
    glyph.index = index;
    return &glyph;
}

int32_t Font::FilledBaselineRow() const {
    const int64_t extent = ascender_ - descender_;
    return extent > 0 ? TruncateToInt((atlas_.GetCellHeight() - 0.5f) * static_cast<float>(ascender_) /
                                      static_cast<float>(extent))
                      : 0;
}

bool Font::RenderFilled(uint32_t code) {
    const FT_UInt index = FT_Get_Char_Index(face_, code);
    const int32_t baseline = FilledBaselineRow();
    if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) || FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL))
        return false;
    Glyph* glyph = AddGlyph(code, index);
    if (!glyph) return false;
    const GuiTextureAtlas::Cell cell = *atlas_.Lookup(glyph->cell);
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return true;
    const int64_t top = baseline - slot->bitmap_top;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const uint8_t* source = BitmapRow(bitmap, r);
        for (unsigned c = 0; c < bitmap.width; ++c)
            atlas_.SetCellPixel(cell, int64_t{slot->bitmap_left} + c, top + r, source[c]);
    }
    return true;
}

bool Font::RenderOutline(uint32_t code) {
    GuiMain* gui = GuiMain::Live();
    FT_Library library = gui ? gui->GetFontLibrary() : nullptr;
    FT_Stroker stroker = gui ? gui->GetStroker() : nullptr;
    if (!library || !stroker) return false;
    const FT_UInt index = FT_Get_Char_Index(face_, code);
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) || face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
        return false;
    Glyph* glyph = AddGlyph(code, index);
    if (!glyph) return false;
    const int32_t cellIndex = glyph->cell;
    std::vector<Span>& spans = outlineSpans_;
    spans.clear();
    if (!StrokeSpans(library, stroker, face_->glyph, outlineWidth_, spans)) {
        atlas_.Free(cellIndex);
        glyphs_.erase(code);
        return false;
    }
    const GuiTextureAtlas::Cell cell = *atlas_.Lookup(cellIndex);
    const int64_t baseRow = (ascender_ - kOutlineTopMargin) / 64;
    // The outline's cell keeps room for the stroke above the letters, so its
    // baseline lies higher than a filled glyph's: the quad moves down by the
    // difference and the outline lies under its own text.
    glyph->yOffset = FilledBaselineRow() - static_cast<int32_t>(baseRow);
    for (const Span& span : spans)
        for (int32_t k = 0; k < span.length; ++k)
            atlas_.SetCellPixel(cell, int64_t{span.x} + k, baseRow - span.y, span.coverage);
    return true;
}

bool Font::AcquireCaret() {
    if (glyphs_.count(kCaretCode)) return true;
    const int64_t ascender = ascender_ / 64;
    if (ascender <= 0) return false;
    const int32_t cellIndex = atlas_.Allocate(kCaretWidth, ToCellSize(ascender));
    const GuiTextureAtlas::Cell* cell = atlas_.Lookup(cellIndex);
    if (!cell) return false;
    Glyph& caret = glyphs_[kCaretCode];
    caret = {};
    caret.useCount = 1;
    // A caret cut to the cell keeps its foot on the same line.
    caret.yOffset = TruncateToInt(lineHeight_) - cell->h;
    caret.width = cell->w;
    caret.height = cell->h;
    caret.cell = cellIndex;
    for (int32_t row = 0; row < cell->h; ++row) std::fill_n(atlas_.PixelsAt(cell->x, cell->y + row), cell->w, 255);
    return true;
}

bool Font::ReleaseGlyph(uint32_t code) {
    auto it = glyphs_.find(code);
    if (it == glyphs_.end()) return false;
    if (--it->second.useCount < 1) {
        atlas_.Free(it->second.cell);
        glyphs_.erase(it);
    }
    return true;
}

const Font::Glyph* Font::FindGlyph(uint32_t code) const {
    auto it = glyphs_.find(code);
    return it == glyphs_.end() ? nullptr : &it->second;
}

float Font::GetAdvance(uint32_t code) {
    if (const Glyph* glyph = FindGlyph(code)) return glyph->advanceX;
    if (!face_) return 0;
    if (FT_Load_Glyph(face_, FT_Get_Char_Index(face_, code), FT_LOAD_NO_BITMAP)) return 0;
    return static_cast<float>(face_->glyph->advance.x) / 64.0f;
}

bool Font::HasKerning() const { return face_ && FT_HAS_KERNING(face_); }

Vec2 Font::GetKerning(uint32_t leftIndex, uint32_t rightIndex) const {
    if (!HasKerning()) return {0, 0};
    FT_Vector delta{};
    if (FT_Get_Kerning(face_, leftIndex, rightIndex, FT_KERNING_DEFAULT, &delta)) return {0, 0};
    return {static_cast<float>(delta.x) / 64.0f, static_cast<float>(delta.y) / 64.0f};
}

}  // namespace halvo

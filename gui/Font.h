#pragma once
// One font file at one pixel size, plain or as an outline (the stroked outer
// border of each glyph). Glyphs are rendered on first use into the font's
// alpha atlas and shared by use count: a text acquires the glyphs of its
// characters and releases them when it lets the characters go. The GUI
// manager's font cache creates fonts; they read the file through the global
// file manager and keep it in memory for the face.

#include "gui/GuiTextureAtlas.h"
#include "platform/LoadedFile.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

#include <cstdint>
#include <map>
#include <vector>

struct FT_FaceRec_;

namespace halvo {

class Font : public RefObj {
public:
    // A rendered glyph (or the caret) and its place in the atlas.
    struct Glyph {
        int32_t useCount = 0;
        float advanceX = 0, advanceY = 0;  // pixels
        int32_t xOffset = 0, yOffset = 0;  // from the pen to the quad's top-left
        int32_t width = 0, height = 0;     // the drawn quad
        int32_t cell = -1;
        uint32_t index = 0;  // the face's glyph index, for kerning
    };

    // The caret's key in the glyph map: a four-pixel solid bar, ascender high.
    static constexpr uint32_t kCaretCode = 30;
    // Outline widths from this value up stroke the glyphs (26.6: 64 is one pixel).
    static constexpr int32_t kMinOutlineWidth = 1;

    Font() = default;
    ~Font() override;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // False without the manager's font library, for a missing file, a pixel
    // size below 1 or any FreeType error. Cells too large for any texture
    // leave the atlas empty: the font loads, and its glyphs fail.
    bool Load(const char* fileName, int32_t pixelSize, int32_t outlineWidth);
    // One more use of the glyph, rendered on first use. False when it cannot
    // be rendered or gets no cell; nothing is held then.
    bool AcquireGlyph(uint32_t code);
    // The caret, held until the font goes. False for a font without ascender
    // or when the atlas has no cell.
    bool AcquireCaret();
    // One use less; the last frees the glyph's cell. False when not held.
    bool ReleaseGlyph(uint32_t code);
    const Glyph* FindGlyph(uint32_t code) const;
    // Pixels; from the held glyph, else measured without rendering (not
    // kept). 0 on any error.
    float GetAdvance(uint32_t code);
    // The kerning between two glyph indices in pixels; zero for a face
    // without kerning.
    Vec2 GetKerning(uint32_t leftIndex, uint32_t rightIndex) const;
    bool HasKerning() const;

    float GetHalfHeight() const { return halfHeight_; }
    float GetLineHeight() const { return lineHeight_; }
    int32_t GetOutlineWidth() const { return outlineWidth_; }
    // Ascender in 26.6.
    int64_t GetAscender() const { return ascender_; }
    size_t GetGlyphCount() const { return glyphs_.size(); }
    GuiTextureAtlas& Atlas() { return atlas_; }
    const GuiTextureAtlas& Atlas() const { return atlas_; }

    // One run of equal coverage in a stroked outline.
    struct OutlineSpan {
        int32_t x, y, length;
        uint8_t coverage;
    };

private:
    bool RenderFilled(uint32_t code);
    bool RenderOutline(uint32_t code);
    // A new entry with a cell of the atlas for the glyph in the face's slot;
    // null when no cell is left.
    Glyph* AddGlyph(uint32_t code, uint32_t index);
    // The cell row a filled glyph's baseline lies on.
    int32_t FilledBaselineRow() const;
    void ReleaseFace();

    FT_FaceRec_* face_ = nullptr;
    std::map<uint32_t, Glyph> glyphs_;
    float halfHeight_ = 0;
    float lineHeight_ = 0;
    int32_t outlineWidth_ = 0;
    int64_t ascender_ = 0;
    int64_t descender_ = 0;
    LoadedFile fileData_;
    uint32_t fileSize_ = 0;
    GuiTextureAtlas atlas_;
    // The spans of the outline glyph being rendered; the storage stays for
    // the next glyph.
    std::vector<OutlineSpan> outlineSpans_;
};

}  // namespace halvo

#pragma once
// The widget that shows text (type name "Text"): a UTF-16 string laid out
// into lines with one font and an optional outline font drawn beneath it,
// aligned left, centred, right or justified, wrapped at spaces, newlines
// and soft hyphens (code 14). As an input it edits one line from the
// keyboard with a caret, select-all and a pixel limit, commits on Enter and
// raises kEventInputBegin / kEventInputEnd as it gains and loses the focus.
// A "text" given as an 8-bit string starting with '#' is a localisation key.
// Every character in a line holds its glyph in both fonts while it is there.

#include "gui/Font.h"
#include "gui/GuiWidget.h"
#include "platform/Color.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vrel {
class VarUnicode;
}

namespace halvo {

class GuiText : public GuiWidget {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Set by the constructor (the defaults table in GuiText.cpp).
    static constexpr const char* kPropSize = "size";            // nominal pixels
    static constexpr const char* kPropMultiline = "multiline";  // needed by "linebreak"
    static constexpr const char* kPropLinebreak = "linebreak";
    static constexpr const char* kPropText = "text";
    static constexpr const char* kPropXAlign = "x_align";      // GuiTextXAlign
    static constexpr const char* kPropYAlign = "y_align";      // GuiTextYAlign
    static constexpr const char* kPropLinefeed = "linefeed";   // percent of the line height
    static constexpr const char* kPropColor = "color";         // 0xAABBGGRR
    // The base's "input" (default false here) makes the text an input.
    // Read when present.
    static constexpr const char* kPropFont = "font";
    static constexpr const char* kPropOutline = "outline";              // stroke radius, 26.6
    static constexpr const char* kPropOutlineColor = "outline_color";   // 0 when absent
    static constexpr const char* kPropCursor = "cursor";                // caret and select-all box
    static constexpr const char* kPropMarkAll = "mark_all";             // one-shot, removed on focus
    static constexpr const char* kPropInputMaxPixels = "input_max_pixels";
    static constexpr const char* kPropInputNoEmptyString = "input_no_empty_string";

    // Text flags (not properties).
    static constexpr uint8_t kFlagMultiline = 1;
    static constexpr uint8_t kFlagLineBreak = 2;
    static constexpr uint8_t kFlagInput = 4;
    static constexpr uint8_t kFlagAllSelected = 16;

    // Horizontal alignment ("x_align").
    enum GuiTextXAlign : int32_t {
        kAlignLeft = 0,
        kAlignCentre = 1,
        kAlignJustify = 2,  // wrapped lines stretched at their spaces
        kAlignRight = 3,
    };
    // Vertical alignment ("y_align").
    enum GuiTextYAlign : int32_t {
        kAlignTop = 0,
        kAlignMiddle = 1,
        kAlignBottom = 2,
    };

    // Characters with a meaning of their own in a text.
    static constexpr char16_t kSoftHyphen = 14;
    static constexpr char16_t kNewline = 10;
    static constexpr char16_t kSpace = 32;

    // Shown when "text" cannot be read as a text at creation, and when it is
    // no unicode string at layout.
    static constexpr const char* kMissingText = "(missing text)";
    static constexpr const char* kMissingLayoutText = "(missing)";

    GuiText();
    ~GuiText() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // False when the base fails or no main font can be had.
    bool Init(const Vrel::t_Named& parameters) override;
    void SetSize(float width, float height) override;
    // Key events edit an input; a left press on an input's text moves the
    // caret there and takes the focus. Always true.
    bool OnInput(const InputEvent& event) override;
    // Inputs only; "mark_all" true selects everything.
    bool TakeFocus() override;
    void DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) override;
    void OnFocusGained() override;
    void OnFocusLost(GuiWidget* newFocus) override;

    // "text" becomes a new string, select-all ends, the lines are laid out
    // again.
    void SetText(std::u16string_view text);
    // Lays out again, then a "xsize" or "ysize" below 1 becomes the text's
    // extent.
    void Relayout();
    // Widest line and the height of all lines, in design units.
    void TextExtent(float& width, float& height) const;
    // The caret index nearest to x on the first line; -1 left of it, past
    // its end or without lines.
    int32_t CaretFromX(int32_t x) const;
    // Sum of the truncated advances.
    static int32_t MeasureChars(Font* font, std::u16string_view chars);
    // One key record of an input: virtual key and character.
    void KeyInput(uint16_t virtualKey, uint16_t character);

    // For tests and the script functions.
    size_t GetLineCount() const { return lines_.size(); }
    std::u16string GetLineText(size_t line) const;
    bool IsLineWrapped(size_t line) const;
    float GetLineWidth(size_t line) const;
    int32_t GetCaret() const { return caret_; }
    uint8_t GetTextFlags() const { return textFlags_; }
    Font* GetMainFont() const { return mainFont_.Get(); }
    Font* GetOutlineFont() const { return outlineFont_.Get(); }
    Font* GetInputFont() const { return inputFont_.Get(); }

protected:
    float RectScaleFactor() const override;

private:
    // One laid-out line. Each character's held bits say in which fonts its
    // glyph was acquired, so that exactly those are released.
    struct Line {
        std::u16string chars;
        std::vector<uint8_t> held;
        AutoRef<Font> main;
        AutoRef<Font> outline;
        bool wrapped = false;
        float width = 0;
    };

    bool IsInput() const { return textFlags_ & kFlagInput; }
    void SetTextFlag(uint8_t flag, bool on) { textFlags_ = on ? (textFlags_ | flag) : (textFlags_ & ~flag); }
    void ChooseFonts(float size, int32_t pixelSize);
    void ReadInitialText();
    void HoldSpace();
    void ReleaseHeldGlyph();
    // True when the pixel limit cut the text.
    bool Layout();
    // Layout's work on the empty line list.
    bool LayOutLines();
    void DiscardLines() { DiscardLines(lines_); }
    void DiscardLines(std::vector<Line>& lines);
    Line& StartLine();
    static uint8_t AcquireIn(const Line& line, char16_t c);
    static void InsertChar(Line& line, size_t at, char16_t c);
    static void EraseChars(Line& line, size_t from, size_t to);
    void ClearFirstLine();
    void RemeasureFirstLine();
    void ClampCaret();
    bool TryInsert(char16_t c);
    void Commit();
    AutoRef<Vrel::VarUnicode> GetTextValue();
    void StoreText(std::u16string_view text);
    bool IsCaretShown() const;
    void DrawPass(Font& font, uint32_t colour, bool firstPass, float x, float y, float scale, float alpha,
                  const Matrix4& matrix);
    void DrawLine(Font& font, const Line& line, bool first, float left, float top, float stretch, Color colour,
                  float scale, uint32_t texture);
    // Draws the glyph quads gathered so far in one call.
    void FlushGlyphs(Color colour, uint32_t texture);

    char16_t heldGlyph_ = 0;
    uint8_t heldGlyphBits_ = 0;  // 1 main font, 2 outline font
    AutoRef<Font> mainFont_;
    AutoRef<Font> outlineFont_;
    AutoRef<Font> inputFont_;
    std::vector<Line> lines_;
    // The lines of the layout before, during a layout.
    std::vector<Line> formerLines_;
    // Emptied lines of former layouts, their storage kept.
    std::vector<Line> spareLines_;
    // The glyph quads of one pass, drawn together; the storage stays for the
    // next frame, so a steady frame allocates nothing.
    struct GlyphBatch {
        std::vector<float> vertices;  // x, y, z, u, v per corner
        std::vector<uint16_t> indices;
    };
    GlyphBatch batch_;
    int32_t caret_ = 0;
    uint8_t textFlags_ = 0;
    // What Init multiplied "scale" by for glyphs drawn at the window's pixel
    // size (size / pixel size).
    float pixelFactor_ = 1.0f;
};

}  // namespace halvo

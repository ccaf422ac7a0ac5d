#include "gui/GuiText.h"

#include "gui/GuiColor.h"
#include "gui/GuiMain.h"
#include "platform/GLState.h"
#include "platform/Loca.h"
#include "platform/WindowProc.h"
#include "script/runtime/values/VarUnicode.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace halvo {

namespace {

// Set by the constructor in this order; "text" follows as a unicode string,
// and "font", "outline", "outline_color", "cursor", "mark_all",
// "input_max_pixels" and "input_no_empty_string" stay absent.
const GuiDefault kDefaults[] = {
    {GuiText::kPropSize, int32_t{12}},     {GuiText::kPropMultiline, false}, {GuiText::kPropLinebreak, false},
    {GuiText::kPropXAlign, int32_t{0}},    {GuiText::kPropYAlign, int32_t{0}},
    {GuiText::kPropLinefeed, int32_t{100}}, {GuiText::kPropInput, false},
    {GuiText::kPropColor, int32_t{-1}},
};
constexpr const char* kDefaultText = "<default>";
// Caret and select-all box without "cursor".
constexpr uint32_t kDefaultCursorColour = 0xFFFF00FFu;

// Smaller pixel sizes render unreadably; such texts are drawn from 9-pixel
// glyphs (their "scale" already says how large they should look).
constexpr int32_t kMinPixelSize = 9;
// Room kept free at an input's right end for the caret.
constexpr int32_t kInputMargin = 4;

// True when `text` points into `units`: rewriting them would read what the
// rewrite already changed.
bool Overlaps(std::u16string_view text, const std::vector<char16_t>& units) {
    const std::less_equal<const char16_t*> atOrBefore;
    return !text.empty() && !units.empty() && atOrBefore(units.data(), text.data()) &&
           atOrBefore(text.data(), units.data() + units.size() - 1);
}

// The design size the window shows; glyph quads snap to window pixels.
constexpr float kDesignWidth = 1920.0f;
constexpr float kDesignHeight = 1080.0f;

// Key records that edit an input (PC virtual-key codes) and the character
// that toggles select-all.
constexpr uint16_t kKeyBackspace = 8;
constexpr uint16_t kKeyEnter = 13;
constexpr uint16_t kKeyEnd = 35;
constexpr uint16_t kKeyHome = 36;
constexpr uint16_t kKeyLeft = 37;
constexpr uint16_t kKeyRight = 39;
constexpr uint16_t kKeyDelete = 46;
constexpr uint16_t kKeyPad4 = 100;
constexpr uint16_t kKeyPad6 = 102;
constexpr uint16_t kCharSelectAll = 1;  // Ctrl+A

constexpr uint8_t kHeldInMain = 1;
constexpr uint8_t kHeldInOutline = 2;

const uint8_t kQuadIndices[6] = {0, 1, 2, 0, 3, 2};

float Truncated(float value) { return static_cast<float>(TruncateToInt(value)); }

// Where a line may break: its width and last kept character then, and the
// text position to continue after.
struct BreakPoint {
    float width = 0;
    int64_t lastIndex = -1;
    size_t position = 0;
};

}  // namespace

const ClassRecord GuiText::kClassRecord = {"GuiText", &GuiWidget::kClassRecord, &GuiText::Create};

RefObj* GuiText::Create() { return new GuiText; }

GuiText::GuiText() {
    ApplyDefaults(kDefaults);
    StoreText(WidenBytes(kDefaultText));
}

GuiText::~GuiText() {
    GuiMain* gui = GuiMain::Live();
    if (gui && gui->GetKeyboardFocus() == this) gui->ClearKeyboardFocus();
    DiscardLines();
    ReleaseHeldGlyph();
}

// ---- virtual operations -------------------------------------------------

bool GuiText::Init(const Vrel::t_Named& parameters) {
    if (!GuiWidget::Init(parameters)) return false;
    ReleaseHeldGlyph();
    const float size = ReadFloat(kPropSize);
    SetTextFlag(kFlagInput, ReadBool(kPropInput));
    if (IsInput()) {
        SetTextFlag(kFlagMultiline | kFlagLineBreak, false);
        WriteBool(kPropPick, true);
    } else {
        const bool multiline = ReadBool(kPropMultiline);
        SetTextFlag(kFlagMultiline, multiline);
        SetTextFlag(kFlagLineBreak, multiline && ReadBool(kPropLinebreak));
    }
    int32_t pixels = TruncateToInt(size * GetGlobalScale() + 0.5f);
    // Glyphs rendered at `pixels` are drawn one texel to one screen pixel. A
    // size that rounds to no pixels at all leaves the factor at the size.
    const float factor = size / static_cast<float>(pixels == 0 ? 1 : pixels);
    WriteFloat(kPropScale, ReadFloat(kPropScale, 1.0f) * factor);
    pixelFactor_ = std::isfinite(factor) && factor > 0 ? factor : 1.0f;
    pixels = std::max(pixels, kMinPixelSize);
    ChooseFonts(size, pixels);
    if (!mainFont_) return false;
    ReadInitialText();
    HoldSpace();
    DiscardLines();
    Relayout();
    if (IsInput()) mainFont_->AcquireCaret();
    return true;
}

// The box is laid out in the parent's units (line widths include the whole
// "scale"; alignment offsets are not scaled), so the pixel factor must not
// widen it about the anchor a second time.
float GuiText::RectScaleFactor() const { return 1.0f / pixelFactor_; }

void GuiText::SetSize(float width, float height) {
    GuiWidget::SetSize(width, height);
    Relayout();
}

bool GuiText::OnInput(const InputEvent& event) {
    AutoRef<GuiWidget> self(this);
    GuiWidget::OnInput(event);
    if (!IsInput()) return true;
    if (event.kind == InputEvent::kButtonDown && event.button == InputEvent::kLeft) {
        const Vec2 local = ScreenToLocal({event.x, event.y});
        const int32_t index = CaretFromX(TruncateToInt(local.x));
        if (index != -1 && index != caret_) {
            caret_ = index;
            GuiMain::Global().SetKeyboardFocus(this);
        }
    } else if (event.kind == InputEvent::kKey) {
        KeyInput(event.virtualKey, event.character);
    }
    return true;
}

bool GuiText::TakeFocus() {
    if (!IsInput()) return false;
    AutoRef<GuiWidget> self(this);
    GuiMain::Global().SetKeyboardFocus(this);
    if (HasProperty(kPropMarkAll)) {
        if (ReadBool(kPropMarkAll)) SetTextFlag(kFlagAllSelected, true);
        Properties().RemoveMember(kPropMarkAll);
    }
    return true;
}

void GuiText::DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) {
    GLState::SetModelview(matrix);
    if (lines_.empty() || !mainFont_) return;
    bool first = true;
    if (AutoRef<Font> outline = outlineFont_) {
        const auto colour = static_cast<uint32_t>(ReadInt(kPropOutlineColor, 0));
        DrawPass(*outline, colour, first, x, y, scale, alpha, matrix);
        first = false;
    }
    AutoRef<Font> main = mainFont_;
    DrawPass(*main, static_cast<uint32_t>(ReadInt(kPropColor, -1)), first, x, y, scale, alpha, matrix);
}

void GuiText::OnFocusGained() {
    AutoRef<GuiWidget> self(this);
    GuiWidget::OnFocusGained();
    TellOwnListeners(kEventInputBegin, this, GuiEventData::None());
    if (GuiWidget* parent = GetParent()) parent->Notify(kEventInputBegin, this, GuiEventData::None());
}

void GuiText::OnFocusLost(GuiWidget* newFocus) {
    AutoRef<GuiWidget> self(this);
    GuiWidget::OnFocusLost(newFocus);
    TellOwnListeners(kEventInputEnd, this, GuiEventData::None());
    if (GuiWidget* parent = GetParent()) parent->Notify(kEventInputEnd, this, GuiEventData::None());
}

// ---- text and layout ----------------------------------------------------

void GuiText::SetText(std::u16string_view text) {
    StoreText(text);
    SetTextFlag(kFlagAllSelected, false);
    Relayout();
}

void GuiText::Relayout() {
    Layout();
    ClampCaret();
    float width, height;
    GetSize(width, height);
    if (width >= 1 && height >= 1) return;
    float textWidth, textHeight;
    TextExtent(textWidth, textHeight);
    GuiWidget::SetSize(width < 1 ? textWidth : width, height < 1 ? textHeight : height);
}

void GuiText::TextExtent(float& width, float& height) const {
    width = 0;
    for (const Line& line : lines_) width = std::max(width, line.width);
    const float lineHeight = mainFont_ ? mainFont_->GetLineHeight() : 0.0f;
    height = static_cast<float>(lines_.size()) * lineHeight * ReadFloat(kPropLinefeed) * 0.01f *
             ReadFloat(kPropScale, 1.0f);
}

void GuiText::ChooseFonts(float size, int32_t pixelSize) {
    GuiMain& gui = GuiMain::Global();
    Vrel::Var* fontValue = GetMember(kPropFont);
    const char* name = fontValue ? fontValue->GetCString() : nullptr;
    mainFont_ = gui.GetFont(name, pixelSize, 0);
    inputFont_ = mainFont_;
    outlineFont_.Reset();
    if (!mainFont_) return;
    // The unscaled font decides what fits; without it the main font does.
    if (IsInput()) {
        if (AutoRef<Font> unscaled = gui.GetFont(name, TruncateToInt(size), 0)) inputFont_ = unscaled;
    }
    if (HasProperty(kPropOutline)) outlineFont_ = gui.GetFont(name, pixelSize, ReadInt(kPropOutline));
}

void GuiText::ReadInitialText() {
    Vrel::Var* value = GetMember(kPropText);
    if (value && Vrel::ToVarUnicode(*value)) return;
    const char* text = value ? value->GetCString() : nullptr;
    std::u16string wide;
    if (!text) wide = WidenBytes(kMissingText);
    else if (text[0] == '#') Loca::Global().Translate(text, wide);
    else wide = WidenBytes(text);
    StoreText(wide);
}

void GuiText::HoldSpace() {
    heldGlyph_ = kSpace;
    heldGlyphBits_ = 0;
    if (mainFont_ && mainFont_->AcquireGlyph(heldGlyph_)) heldGlyphBits_ |= kHeldInMain;
    if (outlineFont_ && outlineFont_->AcquireGlyph(heldGlyph_)) heldGlyphBits_ |= kHeldInOutline;
}

void GuiText::ReleaseHeldGlyph() {
    if (heldGlyph_ && mainFont_) {
        if (heldGlyphBits_ & kHeldInMain) mainFont_->ReleaseGlyph(heldGlyph_);
        if ((heldGlyphBits_ & kHeldInOutline) && outlineFont_) outlineFont_->ReleaseGlyph(heldGlyph_);
    }
    heldGlyph_ = 0;
    heldGlyphBits_ = 0;
}

AutoRef<Vrel::VarUnicode> GuiText::GetTextValue() {
    Vrel::Var* value = GetMember(kPropText);
    return AutoRef<Vrel::VarUnicode>(value ? Vrel::ToVarUnicode(*value) : nullptr);
}

void GuiText::StoreText(std::u16string_view text) {
    Vrel::Var* member = Properties().GetOrAddMember(kPropText);
    // A string that only this text holds is rewritten in place (a clock
    // changing every second allocates nothing); one a script may share is
    // replaced by a new one.
    Vrel::VarUnicode* current = Vrel::ToVarUnicode(*member);
    if (current && current->GetRefCount() == 1 && !Overlaps(text, current->GetUnits())) {
        current->SetUnits(text);
        return;
    }
    AutoRef<Vrel::VarUnicode> fresh(new Vrel::VarUnicode(std::vector<char16_t>(text.begin(), text.end())));
    member->SetObject(fresh.Get());
}

bool GuiText::Layout() {
    // The former lines let go of their glyphs only once the new lines hold
    // theirs: a character in both stays in its font instead of being
    // dropped and rendered again.
    lines_.swap(formerLines_);
    const bool cut = LayOutLines();
    DiscardLines(formerLines_);
    return cut;
}

bool GuiText::LayOutLines() {
    if (!mainFont_) return false;
    float width, height;
    GetSize(width, height);
    const float scale = ReadFloat(kPropScale, 1.0f);
    const AutoRef<Vrel::VarUnicode> value = GetTextValue();
    std::u16string missing;
    if (!value) missing = WidenBytes(kMissingLayoutText);
    const std::u16string_view text = value ? value->GetText() : std::u16string_view(missing);
    const float limit = ReadFloat(kPropInputMaxPixels);
    const bool limited = HasProperty(kPropInputMaxPixels) && limit > 0;
    const bool breaking = textFlags_ & kFlagLineBreak;
    BreakPoint breakPoint;
    bool hasBreakPoint = false;
    Line* line = &StartLine();
    for (size_t position = 0; position < text.size(); ++position) {
        const char16_t c = text[position];
        const auto remember = [&] {
            breakPoint = {line->width, static_cast<int64_t>(line->chars.size()) - 1, position};
            hasBreakPoint = true;
        };
        if (c == kSoftHyphen) {
            remember();
        } else if (c > 31) {
            const float advance = mainFont_->GetAdvance(c);
            if (advance > 0) {
                if (limited && advance * scale + line->width > limit) {
                    StoreText(text.substr(0, position));
                    return true;
                }
                InsertChar(*line, line->chars.size(), c);
                line->width += advance * scale;
            }
        }
        if (!breaking) continue;
        bool breakNow;
        if (c == heldGlyph_ || heldGlyph_ == 0 || c == kNewline) {
            remember();
            breakNow = c == kNewline || (width > 0 && line->width > width);
        } else {
            breakNow = width > 0 && line->width > width && hasBreakPoint && breakPoint.lastIndex >= 1;
        }
        if (!breakNow) continue;
        line->width = breakPoint.width;
        line->wrapped = c != kNewline;
        // A space at which the line breaks goes; its advance stays in the width.
        size_t keep = static_cast<size_t>(breakPoint.lastIndex + 1);
        if (breakPoint.lastIndex >= 0 && line->chars[keep - 1] == heldGlyph_) --keep;
        EraseChars(*line, keep, line->chars.size());
        position = breakPoint.position;
        line = &StartLine();
        hasBreakPoint = false;
    }
    return false;
}

void GuiText::DiscardLines(std::vector<Line>& lines) {
    // The lines keep their storage for the next layout.
    for (Line& line : lines) {
        EraseChars(line, 0, line.chars.size());
        line.main.Reset();
        line.outline.Reset();
        spareLines_.push_back(std::move(line));
    }
    lines.clear();
}

GuiText::Line& GuiText::StartLine() {
    if (spareLines_.empty()) {
        lines_.emplace_back();
    } else {
        lines_.push_back(std::move(spareLines_.back()));
        spareLines_.pop_back();
    }
    Line& line = lines_.back();
    line.wrapped = false;
    line.width = 0;
    line.main = mainFont_;
    line.outline = outlineFont_;
    return line;
}

uint8_t GuiText::AcquireIn(const Line& line, char16_t c) {
    uint8_t bits = 0;
    if (line.main && line.main->AcquireGlyph(c)) bits |= kHeldInMain;
    if (line.outline && line.outline->AcquireGlyph(c)) bits |= kHeldInOutline;
    return bits;
}

void GuiText::InsertChar(Line& line, size_t at, char16_t c) {
    const uint8_t bits = AcquireIn(line, c);
    line.chars.insert(line.chars.begin() + static_cast<std::ptrdiff_t>(at), c);
    line.held.insert(line.held.begin() + static_cast<std::ptrdiff_t>(at), bits);
}

void GuiText::EraseChars(Line& line, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if ((line.held[i] & kHeldInMain) && line.main) line.main->ReleaseGlyph(line.chars[i]);
        if ((line.held[i] & kHeldInOutline) && line.outline) line.outline->ReleaseGlyph(line.chars[i]);
    }
    line.chars.erase(from, to - from);
    line.held.erase(line.held.begin() + static_cast<std::ptrdiff_t>(from),
                    line.held.begin() + static_cast<std::ptrdiff_t>(to));
}

// ---- input --------------------------------------------------------------

int32_t GuiText::CaretFromX(int32_t x) const {
    if (x < 0 || lines_.empty()) return -1;
    const Line& line = lines_.front();
    int32_t sum = 0;
    for (size_t i = 0; i < line.chars.size(); ++i) {
        const Font::Glyph* glyph = line.main ? line.main->FindGlyph(line.chars[i]) : nullptr;
        const int32_t advance = glyph ? TruncateToInt(glyph->advanceX) : 0;
        if (x <= sum + advance) return static_cast<int32_t>(x - sum < advance / 2 ? i : i + 1);
        sum += advance;
    }
    return -1;
}

int32_t GuiText::MeasureChars(Font* font, std::u16string_view chars) {
    if (!font) return 0;
    int32_t sum = 0;
    for (char16_t c : chars) sum += TruncateToInt(font->GetAdvance(c));
    return sum;
}

void GuiText::KeyInput(uint16_t virtualKey, uint16_t character) {
    if (!IsInput() || lines_.empty()) return;
    AutoRef<GuiWidget> self(this);
    ClampCaret();
    Line& line = lines_.front();
    const int32_t length = static_cast<int32_t>(line.chars.size());
    const bool all = textFlags_ & kFlagAllSelected;
    switch (virtualKey) {
        case kKeyBackspace:
            if (all) return ClearFirstLine();
            if (caret_ > 0) {
                --caret_;
                EraseChars(line, caret_, caret_ + 1);
                RemeasureFirstLine();
            }
            return;
        case kKeyDelete:
            if (all) return ClearFirstLine();
            if (caret_ < length) {
                EraseChars(line, caret_, caret_ + 1);
                RemeasureFirstLine();
            }
            return;
        case kKeyEnter: return Commit();
        case kKeyEnd:
            SetTextFlag(kFlagAllSelected, false);
            caret_ = length;
            return;
        case kKeyHome:
            SetTextFlag(kFlagAllSelected, false);
            caret_ = 0;
            return;
        case kKeyLeft:
            if (all) {
                SetTextFlag(kFlagAllSelected, false);
                caret_ = 0;
            } else if (caret_ > 0) {
                --caret_;
            }
            return;
        case kKeyRight:
            if (all) {
                SetTextFlag(kFlagAllSelected, false);
                caret_ = length;
            } else if (caret_ < length) {
                ++caret_;
            }
            return;
        // The keypad's digits arrive as their characters; with number lock
        // off the window layer sends the arrow keys instead.
        case kKeyPad4:
        case kKeyPad6: return;
        default: break;
    }
    if (character == kCharSelectAll) {
        SetTextFlag(kFlagAllSelected, !all);
    } else if (character > 31) {
        if (all) ClearFirstLine();
        TryInsert(static_cast<char16_t>(character));
    }
}

void GuiText::ClearFirstLine() {
    Line& line = lines_.front();
    EraseChars(line, 0, line.chars.size());
    line.width = 0;
    caret_ = 0;
    SetTextFlag(kFlagAllSelected, false);
}

void GuiText::RemeasureFirstLine() {
    Line& line = lines_.front();
    line.width = static_cast<float>(MeasureChars(line.main.Get(), line.chars)) * ReadFloat(kPropScale, 1.0f);
}

void GuiText::ClampCaret() {
    const int32_t length = lines_.empty() ? 0 : static_cast<int32_t>(lines_.front().chars.size());
    caret_ = std::clamp(caret_, 0, length);
}

bool GuiText::TryInsert(char16_t c) {
    ClampCaret();
    Line& line = lines_.front();
    std::u16string candidate = line.chars;
    candidate.insert(candidate.begin() + caret_, c);
    const int32_t needed = MeasureChars(inputFont_.Get(), candidate) + kInputMargin;
    if (needed > GetXSize()) return false;
    if (HasProperty(kPropInputMaxPixels) && needed > ReadFloat(kPropInputMaxPixels)) return false;
    InsertChar(line, static_cast<size_t>(caret_), c);
    RemeasureFirstLine();
    ++caret_;
    return true;
}

void GuiText::Commit() {
    const Line& line = lines_.front();
    if (line.chars.empty() && ReadBool(kPropInputNoEmptyString)) return;
    SetTextFlag(kFlagAllSelected, false);
    StoreText(line.chars);
    GuiMain::Global().SetKeyboardFocus(nullptr);
}

// ---- drawing ------------------------------------------------------------

bool GuiText::IsCaretShown() const { return IsInput() && HasFocusFlag() && !(textFlags_ & kFlagAllSelected); }

void GuiText::DrawPass(Font& font, uint32_t colourWord, bool firstPass, float x, float y, float scale,
                       float alpha, const Matrix4& matrix) {
    float width, height;
    GetSize(width, height);
    const int32_t xAlign = ReadInt(kPropXAlign);
    const int32_t yAlign = ReadInt(kPropYAlign);
    Color colour = ColorFromWord(colourWord);
    if (alpha != 1.0f) colour.a = ScaleAlphaByte(colour.a, alpha);
    const float step = font.GetLineHeight() * ReadFloat(kPropLinefeed) * 0.01f * scale;
    const float total = step * static_cast<float>(lines_.size());
    const Font::Glyph* space = font.FindGlyph(heldGlyph_);
    const float spaceAdvance = space ? space->advanceX : 1.0f;
    const uint32_t texture = font.Atlas().Upload();
    const bool selectBox = firstPass && IsInput() && (textFlags_ & kFlagAllSelected);
    const auto cursor = static_cast<uint32_t>(ReadInt(kPropCursor, static_cast<int32_t>(kDefaultCursorColour)));
    float lineY = y;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        float left = x;
        float stretch = 1.0f;
        if (xAlign == kAlignCentre) left = x + (width - line.width) * 0.5f;
        else if (xAlign == kAlignRight) left = x + (width - line.width);
        else if (xAlign == kAlignJustify && spaceAdvance > 0 && line.wrapped) {
            const auto n = heldGlyph_ ? std::count(line.chars.begin(), line.chars.end(), heldGlyph_)
                                      : static_cast<std::ptrdiff_t>(line.chars.size());
            const float spaces = spaceAdvance * static_cast<float>(n);
            if (n > 0) stretch = (spaces + (width - line.width)) / spaces;
        }
        float top = lineY;
        if (yAlign == kAlignMiddle) top = lineY + (height - total) * 0.5f;
        else if (yAlign == kAlignBottom) top = lineY + (height - total);
        left = Truncated(left);
        top = Truncated(top);
        if (selectBox) {
            FlushGlyphs(colour, texture);
            const float boxWidth = static_cast<float>(MeasureChars(&font, line.chars)) * scale;
            GuiMain::Global().DrawQuad(cursor, matrix, left - 0.5f, top, left - 0.5f + boxWidth,
                                       top + font.GetLineHeight() * scale, alpha);
        }
        if (texture) DrawLine(font, line, i == 0, left, top, stretch, colour, scale, texture);
        lineY += step;
    }
    FlushGlyphs(colour, texture);
}

namespace {

// Quads one batch holds: its indices are 16-bit.
constexpr size_t kMaxBatchQuads = 65536 / 4;

// One glyph's quad at the pen, placed on the window's pixel grid so that
// one atlas texel covers one window pixel whatever the scale; added to the
// batch, which the caller draws.
void AddGlyphQuad(const Font& font, const Font::Glyph& glyph, float penX, float penY, float scale,
                  std::vector<float>& vertices, std::vector<uint16_t>& indices) {
    if (glyph.width <= 0 || glyph.height <= 0) return;
    const GuiTextureAtlas& atlas = font.Atlas();
    const GuiTextureAtlas::Cell* cell = atlas.Lookup(glyph.cell);
    if (!cell) return;
    const float atlasWidth = static_cast<float>(atlas.GetWidth());
    const float atlasHeight = static_cast<float>(atlas.GetHeight());
    const float u1 = static_cast<float>(cell->x) / atlasWidth;
    const float v1 = static_cast<float>(cell->y) / atlasHeight;
    const float u2 = static_cast<float>(cell->x + cell->w) / atlasWidth;
    const float v2 = static_cast<float>(cell->y + cell->h) / atlasHeight;
    const float px = penX + static_cast<float>(glyph.xOffset) * scale;
    const float py = penY + static_cast<float>(glyph.yOffset) * scale;
    const ShellState& shell = ShellState::Global();
    float x1 = px, y1 = py, texel = 1.0f;
    // A minimised window reports no size: nothing to snap to then.
    if (shell.clientWidth > 0 && shell.clientHeight > 0) {
        texel = kDesignHeight / static_cast<float>(shell.clientHeight);
        const float offset = (kDesignWidth - static_cast<float>(shell.clientWidth) * texel) * 0.5f;
        x1 = Truncated((px - offset) / texel) * texel + offset;
        y1 = Truncated(py / texel) * texel;
    }
    const float x2 = x1 + static_cast<float>(glyph.width) * texel;
    const float y2 = y1 + static_cast<float>(glyph.height) * texel;
    const auto first = static_cast<uint16_t>(vertices.size() / 5);
    vertices.insert(vertices.end(), {x1, y1, 0, u1, v1, x2, y1, 0, u2, v1, x2, y2, 0, u2, v2, x1, y2, 0, u1, v2});
    for (uint8_t corner : kQuadIndices) indices.push_back(static_cast<uint16_t>(first + corner));
}

}  // namespace

void GuiText::DrawLine(Font& font, const Line& line, bool first, float left, float top, float stretch,
                       Color colour, float scale, uint32_t texture) {
    const Font::Glyph* caret = first && IsCaretShown() ? font.FindGlyph(Font::kCaretCode) : nullptr;
    const Color cursor =
        ColorFromWord(static_cast<uint32_t>(ReadInt(kPropCursor, static_cast<int32_t>(kDefaultCursorColour))));
    const bool kerning = font.HasKerning();
    float penX = left, penY = top;
    const Font::Glyph* previous = nullptr;
    char16_t previousChar = 0;
    for (size_t i = 0; i < line.chars.size(); ++i) {
        const Font::Glyph* glyph = font.FindGlyph(line.chars[i]);
        if (glyph && previous) {
            float advance = previous->advanceX * scale;
            // Justified lines widen the spaces themselves.
            if (previousChar == heldGlyph_ || heldGlyph_ == 0) advance *= stretch;
            penX += advance;
            penY -= previous->advanceY * scale;
            if (kerning) {
                const Vec2 kern = font.GetKerning(previous->index, glyph->index);
                penX += kern.x * scale;
                penY += kern.y * scale;
            }
            penX = Truncated(penX);
            penY = Truncated(penY);
        }
        if (glyph) {
            if (batch_.indices.size() / 6 >= kMaxBatchQuads) FlushGlyphs(colour, texture);
            AddGlyphQuad(font, *glyph, penX, penY, scale, batch_.vertices, batch_.indices);
            previous = glyph;
            previousChar = line.chars[i];
        }
        if (caret && static_cast<size_t>(caret_) == i) {
            // The caret goes between the glyphs as it always has: those
            // before it first, then the caret, then the rest over it.
            FlushGlyphs(colour, texture);
            AddGlyphQuad(font, *caret, penX, penY, scale, batch_.vertices, batch_.indices);
            FlushGlyphs(cursor, texture);
        }
    }
    if (caret && static_cast<size_t>(caret_) == line.chars.size()) {
        const float endX = previous ? Truncated(penX + previous->advanceX * scale) : penX;
        FlushGlyphs(colour, texture);
        AddGlyphQuad(font, *caret, endX, penY, scale, batch_.vertices, batch_.indices);
        FlushGlyphs(cursor, texture);
    }
}

void GuiText::FlushGlyphs(Color colour, uint32_t texture) {
    if (!batch_.indices.empty()) {
        GLState::EnableBlend();
        GLState::SetColor(colour);
        GLState::SetVertexArrays(GLState::kTexCoords, 20, batch_.vertices.data());
        GLState::BindTexture(texture);
        GLState::Gl().DrawElements(GL_TRIANGLES, static_cast<int32_t>(batch_.indices.size()), GL_UNSIGNED_SHORT,
                                   batch_.indices.data());
    }
    batch_.vertices.clear();
    batch_.indices.clear();
}

// ---- queries ------------------------------------------------------------

std::u16string GuiText::GetLineText(size_t line) const {
    return line < lines_.size() ? lines_[line].chars : std::u16string();
}

bool GuiText::IsLineWrapped(size_t line) const { return line < lines_.size() && lines_[line].wrapped; }

float GuiText::GetLineWidth(size_t line) const { return line < lines_.size() ? lines_[line].width : 0.0f; }

}  // namespace halvo

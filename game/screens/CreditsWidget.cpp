#include "game/screens/CreditsWidget.h"

#include <cmath>
#include <string>
#include <vector>

#include "game/Game.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "platform/Loca.h"
#include "platform/Log.h"
#include "platform/XmlUtil.h"
#include "script/runtime/values/VarUnicode.h"
#include "script/runtime/values/t_Named.h"

using halvo::GuiText;
using halvo::GuiWidget;

namespace {

// The lines are "Text" widgets; "type" records that in their properties.
constexpr const char* kLineType = "Text";
constexpr const char* kPropType = "type";

// The words that follow a move count and an attempt count, and what their
// singular's key adds (0 and 2 take the plural in both sample languages).
constexpr const char* kStepsKey = "stats_mini_steps";
constexpr const char* kAttemptsKey = "stats_mini_attempts";
constexpr const char* kSingularSuffix = "_one";

// Look of a line by depth (1 to 4): the gap left above it, its colour
// (alpha in the top byte) and how far each depth is indented.
constexpr float kGapAbove[CreditsPage::kMaxDepth] = {32.0f, 16.0f, 0.0f, 0.0f};
constexpr uint32_t kColor[CreditsPage::kMaxDepth] = {0xFF000000u, 0xFFBFBFBFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
constexpr float kIndentPerDepth = 50.0f;
// Every value ends at one column, whatever its line's depth, as far from
// the frame's right edge as the entries of the third depth start from its
// left: values of one page read down a single edge.
constexpr float kValueRightInset = 3 * kIndentPerDepth;

Vrel::Var WideText(const std::u16string& text) {
    std::vector<char16_t> units(text.begin(), text.end());
    units.push_back(0);
    return Vrel::Var(static_cast<Vrel::VarExtension*>(new Vrel::VarUnicode(units)));
}

void SetMember(Vrel::t_Named& table, const char* name, const Vrel::Var& value) {
    table.GetOrAddMember(name)->Assign(value);
}

// The word after a count, in the count's form: the key with kSingularSuffix
// for exactly one where the table holds it, else the plain key, the plural
// (a table made before the singular existed keeps showing "1 moves" rather
// than a bare key).
std::u16string CountWord(CreditsValue kind, int32_t value) {
    std::u16string word;
    const char* key = nullptr;
    if (kind == CreditsValue::kSteps) key = kStepsKey;
    if (kind == CreditsValue::kAttempts) key = kAttemptsKey;
    if (!key) return word;
    const Loca& table = Loca::Global();
    if (value == 1 && table.Translate((std::string(key) + kSingularSuffix).c_str(), word) >= 0) return word;
    table.Translate(key, word);
    return word;
}

// Whether a line shows anything to read: a spacer's empty or blank text
// does not.
bool ShowsText(GuiWidget& line) {
    const auto* text = CastTo<GuiText>(&line);
    if (!text) return false;
    for (size_t i = 0; i < text->GetLineCount(); ++i) {
        const std::u16string shown = text->GetLineText(i);
        if (shown.find_first_not_of(GuiText::kSpace) != std::u16string::npos) return true;
    }
    return false;
}

// Without a game (a page shown on its own) nothing fades the screen.
bool IsScreenLit() {
    const Game* game = Game::Current();
    return !game || game->fadeLevel <= CreditsWidget::kLitFadeLevel;
}

}  // namespace

bool CreditsWidget::Create(GuiWidget* frame) {
    if (!frame) return false;
    halvo::AutoRef<CreditsWidget> page(new CreditsWidget());
    if (!page->Load(frame)) return false;
    frame->AddListener(page.Get());
    return true;
}

CreditsWidget::~CreditsWidget() = default;

void CreditsWidget::OnUpdate(double /*timeMs*/, double dtMs) {
    GuiWidget* frame = frame_.Get();
    const float rise = static_cast<float>(dtMs * kRiseSpeed);
    if (!frame || !std::isfinite(rise)) return;
    // A removed line's listeners may run script that ends the page.
    halvo::AutoRef<CreditsWidget> self(this);
    halvo::AutoRef<GuiWidget> holdFrame(frame);
    MarkSeen(*frame);
    readableDrawn_ = false;
    if (frame->GetFirstChild()) RiseChildren(*frame, rise);
    else if (!isCredits_) Restart();
    nextY_ -= rise;
    EmitDueLines(*frame);
}

float CreditsWidget::FadeAlpha(float y) const {
    if (y < 0) return 0.0f;
    if (y < kFadeBand) return y / kFadeBand;
    if (y <= height_ - kFadeBand) return 1.0f;
    if (y >= height_) return 0.0f;
    return (height_ - y) / kFadeBand;
}

bool CreditsWidget::Load(GuiWidget* frame) {
    frame_ = frame;
    isCredits_ = frame->ReadBool(kPropCredits);
    const char* file = isCredits_ ? kCreditsFile : kStatisticsFile;
    TiXmlDocument document;
    if (!XmlLoadFile(document, file)) {
        halvo::LogMessage("CreditsWidget::Load - cannot read %s", file);
        return false;
    }
    if (const char* refusal = ReadCreditsPage(document, page_)) {
        halvo::LogMessage("CreditsWidget::Load - %s (%s)", refusal, file);
        return false;
    }
    height_ = frame->ReadFloat(GuiWidget::kPropYSize);
    Restart();
    EmitDueLines(*frame);
    return true;
}

void CreditsWidget::Restart() {
    next_ = 0;
    nextY_ = height_;
}

void CreditsWidget::EmitDueLines(GuiWidget& frame) {
    while (next_ < page_.lines.size() && nextY_ < height_) EmitLine(frame, page_.lines[next_++]);
}

void CreditsWidget::EmitLine(GuiWidget& frame, const CreditsLine& line) {
    nextY_ += kGapAbove[line.depth - 1];
    Vrel::t_Named table;
    FillLineTable(line, table);
    const halvo::AutoRef<GuiWidget> made = halvo::GuiCreateWidget(kLineType, table, &frame);
    if (line.value != CreditsValue::kNone) EmitValue(frame, line, table);
    if (made) {
        nextY_ += std::fmax(made->ReadFloat(GuiWidget::kPropYSize), 0.0f);
    } else if (!reportedFailure_) {
        // The page goes on: the line keeps only its gap.
        reportedFailure_ = true;
        halvo::LogMessage("CreditsWidget::EmitLine - a line could not be made (font %s)", kLineFont);
    }
}

void CreditsWidget::FillLineTable(const CreditsLine& line, Vrel::t_Named& table) const {
    std::u16string text;
    if (line.hasText) Loca::AssignUtf8(line.text.c_str(), text);
    else if (line.hasLabel) Loca::Global().Translate(line.label.c_str(), text);
    if (line.hasText || line.hasLabel) SetMember(table, GuiText::kPropText, WideText(text));
    SetMember(table, kPropType, Vrel::Var(kLineType));
    SetMember(table, GuiText::kPropFont, Vrel::Var(kLineFont));
    SetMember(table, GuiText::kPropColor, Vrel::Var(static_cast<int>(kColor[line.depth - 1])));
    SetMember(table, GuiText::kPropSize, Vrel::Var(static_cast<int>(page_.sizes[line.depth - 1])));
    SetMember(table, GuiWidget::kPropXPos, Vrel::Var(static_cast<float>(line.depth) * kIndentPerDepth));
    SetMember(table, GuiWidget::kPropYPos, Vrel::Var(nextY_));
    SetMember(table, GuiWidget::kPropAlpha, Vrel::Var(FadeAlpha(nextY_)));
}

void CreditsWidget::EmitValue(GuiWidget& frame, const CreditsLine& line, Vrel::t_Named& table) const {
    const int32_t value = line.key.empty() ? 0 : DataTree::GetInt(line.key.c_str());
    const float left = static_cast<float>(line.depth) * kIndentPerDepth;
    const float width = frame.ReadFloat(GuiWidget::kPropXSize) - kValueRightInset - left;
    SetMember(table, GuiWidget::kPropXSize, Vrel::Var(width));
    SetMember(table, GuiText::kPropXAlign, Vrel::Var(static_cast<int>(GuiText::kAlignRight)));
    const std::u16string text = CreditsValueText(line.value, value, CountWord(line.value, value));
    SetMember(table, GuiText::kPropText, WideText(text));
    halvo::GuiCreateWidget(kLineType, table, &frame);
}

void CreditsWidget::RiseChildren(GuiWidget& frame, float rise) {
    rising_.clear();
    for (GuiWidget* child = frame.GetFirstChild(); child; child = child->GetNextSibling())
        rising_.emplace_back(child);
    for (const halvo::AutoRef<GuiWidget>& child : rising_) {
        if (child->GetParent() != &frame) continue;
        const float y = child->ReadFloat(GuiWidget::kPropYPos) - rise;
        if (y >= kRemoveAbove) {
            child->WriteFloat(GuiWidget::kPropYPos, y);
            const float alpha = FadeAlpha(y);
            child->WriteFloat(GuiWidget::kPropAlpha, alpha);
            // Once seen, no line need be read again for it.
            readableDrawn_ = readableDrawn_ || (!seen_ && alpha >= kSeenAlpha && ShowsText(*child));
        } else {
            child->RemoveAndDetach();
        }
    }
    rising_.clear();
}

// The fade level read here is the one the last frame was drawn with.
void CreditsWidget::MarkSeen(GuiWidget& frame) {
    if (seen_ || !readableDrawn_ || !IsScreenLit()) return;
    seen_ = true;
    frame.WriteBool(kPropSeen, true);
}

#pragma once
// The reader of a scrolling page (the credits, the player's statistics): what
// the XML file says, as plain values. The first element is the page and is
// never shown; every element below it, in document order, is one line whose
// nesting depth chooses its look. A statistics line also shows a value from
// the data tree beside its text.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TiXmlDocument;

// What the value column of a line shows ("type"); kValueNone: no column.
enum class CreditsValue : uint8_t {
    kNone,
    kTime,      // "time": hours:minutes:seconds of a count of seconds
    kCount,     // "count": the number
    kSteps,     // "steps": the number and the word for moves
    kAttempts,  // "trys": the number and the word for attempts
    kUnknown,   // any other "type": "(missing)"
};

struct CreditsLine {
    // 1 to kMaxDepth; deeper elements are shown as the deepest look.
    int32_t depth = 1;
    // "text" (UTF-8, shown as it is) wins over "label" (a localisation key).
    bool hasText = false;
    std::string text;
    bool hasLabel = false;
    std::string label;
    CreditsValue value = CreditsValue::kNone;
    // Data-tree path of the value; empty reads as 0.
    std::string key;
};

struct CreditsPage {
    // Depths with a look of their own.
    static constexpr int32_t kMaxDepth = 4;
    // Sizes outside this range keep the default: a font is not drawn at 0
    // or below, and far above a screen's height its glyphs would not fit
    // any texture.
    static constexpr int32_t kMinFontSize = 1;
    static constexpr int32_t kMaxFontSize = 1000;
    // A page longer than this is refused: its lines are read whole, and the
    // longest page a player would sit through is a few hundred lines.
    static constexpr size_t kMaxLines = 10000;

    // Font sizes of depths 1 to 4; the page's "size1" to "size3" replace the
    // first three.
    std::array<int32_t, kMaxDepth> sizes{48, 44, 40, 36};
    std::vector<CreditsLine> lines;
};

// Null when the page is usable, else why not (no element, too many lines);
// the page is left empty then.
const char* ReadCreditsPage(const TiXmlDocument& document, CreditsPage& page);

// The value column's text for a value read from the data tree; `word` is the
// translated word (UTF-16) that follows the number of a "steps" or "trys"
// value, in the number's form.
std::u16string CreditsValueText(CreditsValue kind, int32_t value, const std::u16string& word);

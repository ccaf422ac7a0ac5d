// Scrolling pages (credits, statistics) from arbitrary bytes: the reader
// refuses or describes. A described page keeps every line at a depth that
// has a look, every font size drawable, its length within the limit, and
// every value column a text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/screens/CreditsPage.h"
#include "platform/XmlUtil.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return 0;
    CreditsPage page;
    if (ReadCreditsPage(document, page)) {
        Check(page.lines.empty());
        return 0;
    }
    Check(page.lines.size() <= CreditsPage::kMaxLines);
    for (int32_t size : page.sizes) Check(size >= CreditsPage::kMinFontSize && size <= CreditsPage::kMaxFontSize);
    for (const CreditsLine& line : page.lines) {
        Check(line.depth >= 1 && line.depth <= CreditsPage::kMaxDepth);
        const std::u16string value =
            CreditsValueText(line.value, static_cast<int32_t>(line.key.size()) - 7, u"moves");
        Check(value.empty() == (line.value == CreditsValue::kNone));
    }
    return 0;
}

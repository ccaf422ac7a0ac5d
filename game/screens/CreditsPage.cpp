#include "game/screens/CreditsPage.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/Loca.h"
#include "platform/XmlUtil.h"

namespace {

constexpr const char* kAttrText = "text";
constexpr const char* kAttrLabel = "label";
constexpr const char* kAttrType = "type";
constexpr const char* kAttrKey = "key";
// "size1" to "size3": the last depth keeps its size.
constexpr const char* kSizeAttributes[] = {"size1", "size2", "size3"};

struct ValueName {
    const char* name;
    CreditsValue kind;
};
constexpr ValueName kValueNames[] = {
    {"time", CreditsValue::kTime},
    {"count", CreditsValue::kCount},
    {"steps", CreditsValue::kSteps},
    {"trys", CreditsValue::kAttempts},
};

CreditsValue ValueFromType(const char* type) {
    if (!type) return CreditsValue::kNone;
    for (const ValueName& entry : kValueNames)
        if (std::string_view(type) == entry.name) return entry.kind;
    return CreditsValue::kUnknown;
}

void ReadSizes(const TiXmlElement& root, std::array<int32_t, CreditsPage::kMaxDepth>& sizes) {
    for (size_t i = 0; i < std::size(kSizeAttributes); ++i) {
        const char* text = XmlGetAttributeString(&root, kSizeAttributes[i]);
        int size = 0;
        if (!text || std::sscanf(text, "%d", &size) != 1) continue;
        if (size < CreditsPage::kMinFontSize || size > CreditsPage::kMaxFontSize) continue;
        sizes[i] = size;
    }
}

CreditsLine ReadLine(const TiXmlElement& element, int32_t depth) {
    CreditsLine line;
    line.depth = std::min(depth, CreditsPage::kMaxDepth);
    if (const char* text = XmlGetAttributeString(&element, kAttrText)) {
        line.hasText = true;
        line.text = text;
    }
    if (const char* label = XmlGetAttributeString(&element, kAttrLabel)) {
        line.hasLabel = true;
        line.label = label;
    }
    line.value = ValueFromType(XmlGetAttributeString(&element, kAttrType));
    if (const char* key = XmlGetAttributeString(&element, kAttrKey)) line.key = key;
    return line;
}

// The element after `element` in document order below `root`, with the
// depth kept in step; null once the walk is back at the root.
const TiXmlElement* NextInDocument(const TiXmlElement* element, const TiXmlElement* root,
                                   int32_t& depth) {
    if (const TiXmlElement* child = element->FirstChildElement()) {
        ++depth;
        return child;
    }
    while (element != root) {
        if (const TiXmlElement* sibling = element->NextSiblingElement()) return sibling;
        const TiXmlNode* parent = element->Parent();
        element = parent ? parent->ToElement() : nullptr;
        if (!element) return nullptr;
        --depth;
    }
    return nullptr;
}

}  // namespace

const char* ReadCreditsPage(const TiXmlDocument& document, CreditsPage& page) {
    page = CreditsPage();
    const TiXmlElement* root = document.FirstChildElement();
    if (!root) return "no page element";
    ReadSizes(*root, page.sizes);
    int32_t depth = 1;
    for (const TiXmlElement* element = root->FirstChildElement(); element;
         element = NextInDocument(element, root, depth)) {
        if (page.lines.size() >= CreditsPage::kMaxLines) {
            page = CreditsPage();
            return "more lines than a page may hold";
        }
        page.lines.push_back(ReadLine(*element, depth));
    }
    return nullptr;
}

std::u16string CreditsValueText(CreditsValue kind, int32_t value, const std::u16string& word) {
    // Room for three numbers of eleven characters and their separators.
    char text[48] = "";
    switch (kind) {
    case CreditsValue::kNone:
        return {};
    case CreditsValue::kTime:
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", value / 3600, value % 3600 / 60, value % 60);
        return WidenBytes(text);
    case CreditsValue::kCount:
        std::snprintf(text, sizeof text, "%d", value);
        return WidenBytes(text);
    case CreditsValue::kSteps:
    case CreditsValue::kAttempts:
        std::snprintf(text, sizeof text, "%d ", value);
        return WidenBytes(text) + word;
    case CreditsValue::kUnknown:
        break;
    }
    return u"(missing)";
}

#include "platform/XmlUtil.h"

#include "platform/FileManager.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Turns "\r\n" and lone "\r" into "\n" in place.
void NormaliseLineEnds(char* text) {
    char* out = text;
    for (const char* in = text; *in; ++in) {
        if (*in == '\r') {
            *out++ = '\n';
            if (in[1] == '\n') ++in;
        } else {
            *out++ = *in;
        }
    }
    *out = 0;
}

// Looks no further than the first `end`: a search that measures the whole
// rest of the text first (as checked builds' strstr does) makes a text of
// many comments cost the square of its length.
const char* SkipPast(const char* text, const char* end) {
    const size_t length = std::strlen(end);
    for (const char* at = text; (at = std::strchr(at, end[0])); ++at)
        if (std::strncmp(at, end, length) == 0) return at + length;
    return text + std::strlen(text);
}

// Skips a start or end tag, honouring quoted attribute values; answers the
// position after '>' and whether the tag closed itself.
const char* SkipTag(const char* text, bool& selfClosing) {
    char quote = 0;
    for (; *text; ++text) {
        if (quote) {
            if (*text == quote) quote = 0;
        } else if (*text == '"' || *text == '\'') {
            quote = *text;
        } else if (*text == '>') {
            selfClosing = text[-1] == '/';
            return text + 1;
        }
    }
    return text;
}

// An upper bound of the element nesting, without building anything.
int NestingDepth(const char* text) {
    int depth = 0, deepest = 0;
    while ((text = std::strchr(text, '<'))) {
        if (std::strncmp(text, "<!--", 4) == 0) {
            text = SkipPast(text + 4, "-->");
        } else if (std::strncmp(text, "<![CDATA[", 9) == 0) {
            text = SkipPast(text + 9, "]]>");
        } else if (text[1] == '?' || text[1] == '!') {
            text = SkipPast(text + 1, ">");
        } else if (text[1] == '/') {
            if (depth > 0) --depth;
            text = SkipPast(text + 1, ">");
        } else {
            bool selfClosing = false;
            text = SkipTag(text + 1, selfClosing);
            if (!selfClosing && ++depth > deepest) deepest = depth;
        }
    }
    return deepest;
}

TiXmlElement* FindBelow(TiXmlElement* element, const char* path, int depth) {
    const char* slash = std::strchr(path, '/');
    if (!slash) return element;
    size_t length = size_t(slash - path);
    if (length >= kXmlMaxSegment || depth >= kXmlMaxDepth) return nullptr;
    std::string segment(path, length);
    for (TiXmlElement* child = element->FirstChildElement(segment.c_str()); child;
         child = child->NextSiblingElement(segment.c_str())) {
        if (TiXmlElement* found = FindBelow(child, slash + 1, depth + 1)) return found;
    }
    return nullptr;
}

}  // namespace

bool XmlLoadFile(TiXmlDocument& document, const char* path) {
    if (!path) return false;
    LoadedFile text(FileManager::Global().LoadFile(nullptr, "%s", path));
    if (!text) return false;
    return XmlParseText(document, text.get());
}

bool XmlParseText(TiXmlDocument& document, char* text) {
    NormaliseLineEnds(text);
    document.Clear();
    if (NestingDepth(text) > kXmlMaxDepth) return false;
    // The XML reader steps over a whole UTF-8 sequence once it sees a lead
    // byte, without looking for the end of the text: a lead byte just before
    // the end would carry it past the terminator. Spare terminators give it
    // somewhere to land.
    std::string padded(text);
    padded.append(kReaderOverrunPad, '\0');
    document.Parse(padded.c_str());
    return !document.Error();
}

TiXmlElement* XmlFindPath(TiXmlNode* node, const char* path) {
    if (!node || !path) return nullptr;
    TiXmlElement* top = node->FirstChildElement();
    return top ? FindBelow(top, path, 0) : nullptr;
}

const char* XmlGetAttributeString(const TiXmlElement* element, const char* name) {
    if (!element || !name) return nullptr;
    return element->Attribute(name);
}

char* XmlGetAttributeDup(const TiXmlElement* element, const char* name) {
    const char* value = XmlGetAttributeString(element, name);
    return value ? strdup(value) : nullptr;
}

int32_t XmlGetAttributeInt(const TiXmlElement* element, const char* name) {
    const char* value = XmlGetAttributeString(element, name);
    if (!value) return 0;
    long number = std::strtol(value, nullptr, 10);
    if (number > INT32_MAX) return INT32_MAX;
    if (number < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(number);
}

float XmlGetAttributeFloat(const TiXmlElement* element, const char* name) {
    const char* value = XmlGetAttributeString(element, name);
    return value ? std::strtof(value, nullptr) : 0.0f;
}

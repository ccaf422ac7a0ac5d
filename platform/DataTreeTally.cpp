// The tally of a saved document: a walk that counts what the printer will
// write, and the guards that keep it as the setters change the document.

#include "platform/DataTreeTally.h"

#include "platform/DataTreeBounds.h"
#include "platform/DataTreeState.h"
#include "platform/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace DataTree::detail {

namespace {

// The printer indents each level by four blanks; the root is at depth 1.
constexpr int64_t kIndentPerLevel = 4;

int64_t Indent(int64_t depth) { return kIndentPerLevel * (depth - 1); }

int64_t Length(const char* text) { return static_cast<int64_t>(std::strlen(text)); }

// As the printer escapes a name or value: a character reference already
// written ("&#x41;") goes through as it is.
int64_t EncodedLength(std::string_view text) {
    const size_t size = text.size();
    int64_t length = 0;
    for (size_t at = 0; at < size;) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == '&' && at + 2 < size && text[at + 1] == '#' && text[at + 2] == 'x') {
            while (at < size - 1) {
                ++length;
                if (text[++at] == ';') break;
            }
            continue;
        }
        length += c == '&' ? 5 : c == '<' || c == '>' ? 4 : c == '"' || c == '\'' || c < 32 ? 6 : 1;
        ++at;
    }
    return length;
}

// ` name="value"`
int64_t AttributeBytes(std::string_view name, std::string_view value) {
    return EncodedLength(name) + EncodedLength(value) + 4;
}

// `<?xml version="1.0" encoding="utf-8" ?>`: each part present with its
// name, quotes and a blank.
int64_t DeclarationBytes(const TiXmlDeclaration& declaration) {
    int64_t bytes = 8;
    if (*declaration.Version()) bytes += 11 + Length(declaration.Version());
    if (*declaration.Encoding()) bytes += 12 + Length(declaration.Encoding());
    if (*declaration.Standalone()) bytes += 14 + Length(declaration.Standalone());
    return bytes;
}

void CountNode(const TiXmlNode& node, int64_t depth, Tally& tally);

void CountChildren(const TiXmlNode& parent, int64_t depth, Tally& tally) {
    for (const TiXmlNode* child = parent.FirstChild(); child; child = child->NextSibling())
        CountNode(*child, depth, tally);
}

// An element without children is written `<e a="1" />` on its line; one
// whose only child is a text holds it on the same line; any other opens a
// level, its end tag on a line of its own.
void CountElement(const TiXmlElement& element, int64_t depth, Tally& tally) {
    int64_t onElement = 0, attributeBytes = 0;
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
        tally.lookups += onElement++;
        attributeBytes += AttributeBytes(attribute->NameTStr(), attribute->ValueStr());
    }
    tally.attributes += onElement;
    tally.mostOnElement = std::max(tally.mostOnElement, onElement);
    const int64_t name = Length(element.Value()), indent = Indent(depth);
    // An empty element is a level too: the parser builds it one down.
    tally.depth = std::max(tally.depth, depth);
    const TiXmlNode* first = element.FirstChild();
    if (!first) {
        tally.bytes += indent + name + attributeBytes + 5;
        return;
    }
    const TiXmlText* onlyText = first == element.LastChild() ? first->ToText() : nullptr;
    if (onlyText && !onlyText->CDATA()) {
        ++tally.nodes;
        tally.bytes += indent + 2 * name + attributeBytes + EncodedLength(onlyText->Value()) + 6;
        return;
    }
    tally.bytes += 2 * indent + 2 * name + attributeBytes + 7;
    CountChildren(element, depth + 1, tally);
}

void CountNode(const TiXmlNode& node, int64_t depth, Tally& tally) {
    ++tally.nodes;
    const int64_t indent = Indent(depth);
    if (const TiXmlElement* element = node.ToElement()) return CountElement(*element, depth, tally);
    if (const TiXmlText* text = node.ToText()) {
        tally.bytes += indent + (text->CDATA() ? Length(text->Value()) + 13 : EncodedLength(text->Value()) + 1);
    } else if (node.ToComment()) {
        tally.bytes += indent + Length(node.Value()) + 8;
    } else if (const TiXmlDeclaration* declaration = node.ToDeclaration()) {
        tally.bytes += indent + DeclarationBytes(*declaration) + 1;
    } else {
        tally.bytes += indent + Length(node.Value()) + 3;  // `<!DOCTYPE x>`
    }
}

struct Bound {
    const char* what = nullptr;
    int64_t limit = 0;
};

Bound FirstPassed(const Tally& tally) {
    const Bound bounds[] = {
        {tally.mostOnElement > kMaxAttributesPerElement ? "attributes on one element" : nullptr,
         kMaxAttributesPerElement},
        {tally.attributes > kMaxAttributes ? "attributes" : nullptr, kMaxAttributes},
        {tally.lookups > kMaxAttributeLookups ? "attribute look-ups" : nullptr, kMaxAttributeLookups},
        {tally.nodes > kMaxElements ? "elements" : nullptr, kMaxElements},
        {tally.depth > kMaxDepth ? "levels of elements" : nullptr, kMaxDepth},
        {tally.bytes > static_cast<int64_t>(kMaxFileSize) ? "bytes" : nullptr, static_cast<int64_t>(kMaxFileSize)},
    };
    for (const Bound& bound : bounds)
        if (bound.what) return bound;
    return {};
}

// The tally of a saved document, counted now when it was not; null for any
// other document (the version document, a copy being built).
Tally* TallyOf(const TiXmlDocument* document) {
    State& state = GetState();
    CountedDocument* counted = nullptr;
    if (document && document == state.gameData.get()) counted = &state.countedGameData;
    if (document && document == state.player.get()) counted = &state.countedPlayer;
    if (!counted) return nullptr;
    if (counted->document != document) {
        counted->tally = CountDocument(*document);
        counted->document = document;
    }
    return &counted->tally;
}

// The element's depth below its document (the root is 1).
int64_t DepthOf(const TiXmlNode& node) {
    int64_t depth = 0;
    for (const TiXmlNode* at = &node; at && !at->ToDocument(); at = at->Parent()) ++depth;
    return depth;
}

void TellRefused(std::string_view key, const Bound& passed) {
    halvo::LogMessage("DataTree - '%.*s' is not kept: its saved file would hold more %s than %lld",
                      static_cast<int>(key.size()), key.data(), passed.what, static_cast<long long>(passed.limit));
}

// Keeps `after` as the document's tally unless it passes a bound, which is
// told instead.
bool Accept(Tally& tally, const Tally& after, std::string_view key) {
    const Bound passed = FirstPassed(after);
    if (passed.what) {
        TellRefused(key, passed);
        return false;
    }
    tally = after;
    return true;
}

}  // namespace

Tally CountDocument(const TiXmlDocument& document) {
    Tally tally;
    CountChildren(document, 1, tally);
    return tally;
}

std::string PassedBound(const Tally& tally) {
    const Bound passed = FirstPassed(tally);
    if (!passed.what) return {};
    return std::string("more ") + passed.what + " than " + std::to_string(passed.limit);
}

// The new child is written as an empty element; the parent grows by an end
// tag when it had no child, and by two indents when its one text was on its
// own line with it.
bool MayAddElement(const TiXmlElement& parent, const std::string& name, std::string_view key) {
    Tally* tally = TallyOf(parent.GetDocument());
    if (!tally) return true;
    const int64_t depth = DepthOf(parent);
    Tally after = *tally;
    ++after.nodes;
    after.depth = std::max(after.depth, depth + 1);
    after.bytes += Indent(depth + 1) + static_cast<int64_t>(name.size()) + 5;
    const TiXmlNode* first = parent.FirstChild();
    if (!first) after.bytes += Indent(depth) + Length(parent.Value()) + 2;
    else if (first == parent.LastChild() && first->ToText()) after.bytes += Indent(depth) + Indent(depth + 1) + 2;
    return Accept(*tally, after, key);
}

bool KeepAttribute(TiXmlElement& element, const std::string& name, const char* value, std::string_view key) {
    TiXmlAttribute* found = element.FirstAttribute();
    int64_t before = 0;
    for (; found && found->NameTStr() != name; found = found->Next()) ++before;
    if (Tally* tally = TallyOf(element.GetDocument())) {
        Tally after = *tally;
        if (found) {
            after.bytes += EncodedLength(value) - EncodedLength(found->ValueStr());
        } else {
            ++after.attributes;
            after.mostOnElement = std::max(after.mostOnElement, before + 1);
            after.lookups += before;
            after.bytes += AttributeBytes(name, value);
        }
        const Bound passed = FirstPassed(after);
        if (passed.what) {
            TellRefused(key.empty() ? std::string(element.Value()) + "/" + DecodeName(name) : std::string(key), passed);
            return false;
        }
        *tally = after;
    }
    if (found) found->SetValue(value);
    else element.SetAttribute(name.c_str(), value);
    return true;
}

void ForgetTallies() {
    State& state = GetState();
    state.countedGameData = {};
    state.countedPlayer = {};
}

}  // namespace DataTree::detail

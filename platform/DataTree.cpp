#include "platform/DataTree.h"

#include "platform/DataTreeState.h"
#include "platform/DataTreeTally.h"
#include "platform/Math.h"
#include "platform/NumberText.h"

#include <cstring>

namespace DataTree {

namespace detail {

State& GetState() {
    static State state;
    return state;
}

namespace {

bool IsAtOrBelow(const TiXmlNode* node, const TiXmlNode* ancestor) {
    for (; node; node = node->Parent())
        if (node == ancestor) return true;
    return false;
}

}  // namespace

void DeleteElement(TiXmlElement* element) {
    State& state = GetState();
    for (TiXmlElement** root : {&state.settings, &state.stats, &state.log, &state.playerRoot})
        if (IsAtOrBelow(*root, element)) *root = nullptr;
    element->Parent()->RemoveChild(element);
    ForgetTallies();
}

}  // namespace detail

namespace {

using detail::GetState;

TiXmlElement* FindRoot(std::string_view name) {
    detail::State& state = GetState();
    if (name == "[ROOT]") return state.gameData->FirstChildElement();
    if (name == "[SETTINGS]") return state.settings;
    if (name == "[STATS]") return state.stats;
    if (name == "[LOG]") return state.log;
    if (name == "[PLAYER]") return state.playerRoot;
    if (name == "[VERSION]") return state.version.FirstChildElement();
    return nullptr;
}

// `path` names the change in the line that tells of a bound it would pass.
TiXmlElement* FindOrAddChild(TiXmlElement* parent, const std::string& name, bool create, const char* path) {
    TiXmlElement* child = parent->FirstChildElement(name.c_str());
    if (child || !create || !detail::MayAddElement(*parent, name, path)) return child;
    return parent->LinkEndChild(new TiXmlElement(name.c_str()))->ToElement();
}

// The element part and the (still encoded) attribute name of a path.
struct Target {
    TiXmlElement* element = nullptr;
    std::string attribute;
};

// Known root names give their element, which may be missing; unknown
// bracketed names make the whole path invalid.
bool IsRootName(std::string_view name) {
    for (const char* root : {"[ROOT]", "[SETTINGS]", "[STATS]", "[LOG]", "[PLAYER]", "[VERSION]"})
        if (name == root) return true;
    return false;
}

// Checked before walking, so that a refused path creates nothing.
bool HasValidSegments(const char* path, const char* lastSlash) {
    int segments = 0;
    for (const char* segment = path; segment <= lastSlash; ++segments) {
        const char* slash = std::strchr(segment, '/');
        if (size_t(slash - segment) >= kMaxSegment || segments >= kMaxSegments) return false;
        segment = slash + 1;
    }
    return std::strlen(lastSlash + 1) < kMaxSegment;
}

Target ResolveTarget(const char* path, bool create) {
    Target target;
    const char* lastSlash = path ? std::strrchr(path, '/') : nullptr;
    if (!lastSlash || !HasValidSegments(path, lastSlash)) return target;
    TiXmlElement* current = nullptr;
    for (const char* segment = path; segment <= lastSlash;) {
        const char* slash = std::strchr(segment, '/');
        std::string_view name(segment, size_t(slash - segment));
        if (!name.empty() && name.front() == '[') {
            if (!IsRootName(name)) return target;
            current = FindRoot(name);
        } else {
            if (!current) return target;
            current = FindOrAddChild(current, EncodeName(name), create, path);
            if (!current) return target;
        }
        segment = slash + 1;
    }
    target.element = current;
    if (current && lastSlash[1]) target.attribute = EncodeName(lastSlash + 1);
    return target;
}

bool Store(const char* path, const char* text) {
    Target target = ResolveTarget(path, true);
    if (!target.element || target.attribute.empty() || !text) return false;
    return detail::KeepAttribute(*target.element, target.attribute, text, path);
}

float ReadFloat(const char* text) { return static_cast<float>(NumberText::ParseFloat(text)); }

}  // namespace

TiXmlElement* Resolve(const char* path, bool create) { return ResolveTarget(path, create).element; }

bool SetInt(const char* path, int32_t value) { return Store(path, NumberText::FormatInt(value).c_str()); }

bool SetFloat(const char* path, float value) { return Store(path, NumberText::FormatFloat(value).c_str()); }

bool SetString(const char* path, const char* text) { return Store(path, text); }

bool SetAttribute(TiXmlElement* element, const std::string& name, const char* value) {
    if (!element || name.empty() || !value) return false;
    return detail::KeepAttribute(*element, name, value, {});
}

bool RemoveAttribute(TiXmlElement* element, const std::string& name) {
    if (!element || !element->Attribute(name.c_str())) return false;
    element->RemoveAttribute(name.c_str());
    detail::ForgetTallies();
    return true;
}

const char* GetStoredText(const char* path) {
    Target target = ResolveTarget(path, false);
    if (!target.element || target.attribute.empty()) return nullptr;
    return target.element->Attribute(target.attribute.c_str());
}

char ValuePrefix(const char* stored) {
    if (!stored || stored[0] != '~' || !stored[1] || stored[2] != '_') return 0;
    return std::strchr("ifbsu", stored[1]) ? stored[1] : 0;
}

const char* GetString(const char* path) {
    const char* stored = GetStoredText(path);
    switch (ValuePrefix(stored)) {
        case 0: return stored;
        case 's': return stored + kPrefixLength;
        default: return nullptr;
    }
}

int32_t GetInt(const char* path) {
    const char* stored = GetStoredText(path);
    if (!stored) return 0;
    char prefix = ValuePrefix(stored);
    const char* rest = prefix ? stored + kPrefixLength : stored;
    switch (prefix) {
        case 'i':
        case 's': return NumberText::ParseInt(rest);
        case 'f': return TruncateToInt(ReadFloat(rest));
        case 'b': return rest[0] != '0' ? 1 : 0;
        case 'u': return 0;
        default: return NumberText::ParseInt(stored);
    }
}

float GetFloat(const char* path) {
    const char* stored = GetStoredText(path);
    if (!stored) return 0.0f;
    char prefix = ValuePrefix(stored);
    const char* rest = prefix ? stored + kPrefixLength : stored;
    switch (prefix) {
        case 'i': return static_cast<float>(NumberText::ParseInt(rest));
        case 'f':
        case 's': return ReadFloat(rest);
        case 'b': return rest[0] != '0' ? 1.0f : 0.0f;
        case 'u': return 0.0f;
        default: return ReadFloat(stored);
    }
}

bool Exists(const char* path) {
    Target target = ResolveTarget(path, false);
    if (!target.element) return false;
    return target.attribute.empty() || target.element->Attribute(target.attribute.c_str());
}

bool Remove(const char* path) {
    Target target = ResolveTarget(path, false);
    if (!target.element) return false;
    if (target.attribute.empty()) {
        if (!target.element->Parent()) return false;
        detail::DeleteElement(target.element);
        return true;
    }
    return RemoveAttribute(target.element, target.attribute);
}

}  // namespace DataTree

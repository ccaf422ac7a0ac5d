// Saved game data and player files from arbitrary bytes: loading must fall
// back to the defaults or a closed slot, never crash; a text within the
// bounds must cost the parser no more than the bounds allow; and any text
// used as a key must come back unchanged through the name escaping.

#include "platform/DataTree.h"
#include "platform/DataTreeBounds.h"
#include "platform/XmlUtil.h"
#include "support/TempFolder.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const char* kPaths[] = {"[ROOT]/global/last_slot", "[ROOT]/profiles/slot0/name", "[SETTINGS]/volume_sfx",
                        "[STATS]/clicks",          "[PLAYER]/scenes/a/enter",     "[ROOT]/options/"};

void CheckNameRoundTrip(const std::string& key) {
    std::string stored = DataTree::EncodeName(key);
    if (DataTree::DecodeName(stored) != key) std::abort();
    TiXmlDocument document;
    document.Parse(("<" + stored + " " + stored + "=\"1\"/>").c_str());
    if (document.Error()) std::abort();
}

struct Built {
    int64_t nodes = 0, attributes = 0, lookups = 0;
    int depth = 0;
};

// What the parser built below `node`, `depth` levels down: every node,
// text and character data too, each costs it as an element does.
void Count(const TiXmlNode* node, int depth, Built& built) {
    built.depth = std::max(built.depth, depth);
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        ++built.nodes;
        int64_t onElement = 0;
        if (const TiXmlElement* element = child->ToElement())
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) ++onElement;
        if (onElement > DataTree::kMaxAttributesPerElement) std::abort();
        built.attributes += onElement;
        built.lookups += onElement * (onElement - 1) / 2;
        Count(child, child->ToElement() ? depth + 1 : depth, built);
    }
}

void CheckBoundsHold(const std::string& text) {
    if (!DataTree::CheckBounds(text).empty()) return;
    std::string copy = text;
    TiXmlDocument document;
    XmlParseText(document, copy.data());
    Built built;
    Count(&document, 0, built);
    if (built.nodes > DataTree::kMaxElements || built.attributes > DataTree::kMaxAttributes ||
        built.lookups > DataTree::kMaxAttributeLookups || built.depth > DataTree::kMaxDepth)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempFolder user;
    // Each damaged input is kept aside under a new number; emptied each run,
    // the folder keeps every input on the path that moves the file aside.
    for (const auto& entry : std::filesystem::directory_iterator(user.Path())) std::filesystem::remove_all(entry);
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckBoundsHold(text);
    user.WriteFile("gamedata.xml", text);
    user.WriteFile("data0.xml", text);
    DataTree::Init();
    DataTree::Load(user.Path());
    for (int slot = 0; slot < 4; ++slot) DataTree::OpenProfile(slot);
    for (const char* path : kPaths) {
        DataTree::GetInt(path);
        DataTree::GetFloat(path);
        DataTree::GetString(path);
        DataTree::Exists(path);
    }
    std::u16string name;
    DataTree::GetProfileName(-1, name);
    std::string key = text.substr(0, DataTree::kMaxSegment - 1);
    CheckNameRoundTrip(key);
    DataTree::Remove("[ROOT]/profiles/");
    DataTree::SetInt("[STATS]/clicks", 1);
    return 0;
}

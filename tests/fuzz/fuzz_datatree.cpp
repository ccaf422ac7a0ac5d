// Saved game data and player files from arbitrary bytes: loading must fall
// back to the defaults or a closed slot, never crash; and any text used as
// a key must come back unchanged through the name escaping.

#include "platform/DataTree.h"
#include "support/TempFolder.h"

#include <tinyxml.h>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempFolder user;
    // Each damaged input is kept aside under a new number; emptied each run,
    // the folder keeps every input on the path that moves the file aside.
    for (const auto& entry : std::filesystem::directory_iterator(user.Path())) std::filesystem::remove_all(entry);
    const std::string text(reinterpret_cast<const char*>(data), size);
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

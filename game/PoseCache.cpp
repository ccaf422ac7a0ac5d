#include "game/PoseCache.h"

#include "gui/GuiMain.h"

namespace {

// Texture names starting with '#' are file paths below the data folders.
constexpr const char* kPosePrefix = "#Characters/";
constexpr const char* kPoseSuffix = ".cbi";

}  // namespace

PoseCache& PoseCache::Global() {
    static PoseCache cache;
    return cache;
}

void PoseCache::Preload(const char* pose) {
    if (!pose) return;
    halvo::AutoRef<halvo::GuiTexture>& entry = entries_[pose];
    if (entry) return;
    // Built by concatenation: a pose name is data and never a format.
    const std::string name = std::string(kPosePrefix) + pose + kPoseSuffix;
    entry = halvo::GuiMain::Global().LoadTexture(name.c_str(), true);
}

halvo::GuiTexture* PoseCache::Find(const std::string& pose) const {
    const auto found = entries_.find(pose);
    return found == entries_.end() ? nullptr : found->second.Get();
}

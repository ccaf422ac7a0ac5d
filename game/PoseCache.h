#pragma once
// Keeps speaker pose pictures loaded between cutscene lines: an entry holds
// its texture, so the GUI manager's texture cache keeps it while the entry
// lives. Emptied by scripts and when the player moves on to another scene.

#include <map>
#include <string>

#include "gui/GuiTexture.h"
#include "platform/RefObj.h"

class PoseCache {
public:
    // The process's cache.
    static PoseCache& Global();

    // Loads "#Characters/<pose>.cbi" unless the entry holds it already; a
    // failed load leaves the entry empty, so a later call tries again.
    void Preload(const char* pose);
    // Lets every texture go.
    void Clear() { entries_.clear(); }

    size_t Size() const { return entries_.size(); }
    // The held texture; null when none is held.
    halvo::GuiTexture* Find(const std::string& pose) const;

private:
    std::map<std::string, halvo::AutoRef<halvo::GuiTexture>> entries_;
};

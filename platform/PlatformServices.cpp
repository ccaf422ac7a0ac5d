#include "platform/PlatformServices.h"

#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/Sound.h"

namespace {

std::string NameUnsavedFiles() {
    std::string names;
    for (const DataTree::UnsavedFile& file : DataTree::UnsavedFiles()) {
        // Counted among the failed saves so that the end is judged by it,
        // but its game is still there: the end tells it apart.
        if (file.why == DataTree::SaveFailure::kNotRemoved) continue;
        if (!names.empty()) names += " and ";
        names += "'" + file.name + "'";
        if (file.why == DataTree::SaveFailure::kPastBounds) names += " (past the game's bounds)";
    }
    return names;
}

std::vector<std::string> FilesLeftOnDisk() {
    std::vector<std::string> names;
    for (const DataTree::UnsavedFile& file : DataTree::UnsavedFiles()) {
        if (file.why == DataTree::SaveFailure::kNotRemoved) names.push_back(file.name);
    }
    return names;
}

}  // namespace

ShellHooks PlatformServiceHooks() {
    ShellHooks hooks;
    hooks.initDataTree = [] { DataTree::Init(); };
    hooks.mountDataRoot = [](const char* root) { FileManager::Global().AddRoot(root); };
    // The version file is the one file every game ships and reads first.
    hooks.gameDataFound = [] {
        FileHandle* version = FileManager::Global().OpenFile("%s", DataTree::kVersionFile);
        if (!version) return false;
        FileManager::Close(version);
        return true;
    };
    hooks.loadDataTree = [](const std::string& userFolder, bool folderNotMade) {
        DataTree::Load(userFolder, folderNotMade);
    };
    hooks.unsavedFiles = NameUnsavedFiles;
    hooks.filesLeftOnDisk = FilesLeftOnDisk;
    hooks.readFullscreenSetting = [] { return DataTree::GetInt("[ROOT]/global/fullscreen") != 0; };
    hooks.resetGlState = [] { GLState::Reset(); };
    hooks.startSound = [] {
        float effects = 0, music = 0;
        DataTree::GetVolumes(&effects, &music);
        Sound::Init(effects, music);
        // Opening a profile later posts that profile's volumes.
        DataTree::SetVolumeListener([](float sfx, float musicVolume) { Sound::SetVolumes(sfx, musicVolume); });
    };
    hooks.stopSound = [] {
        DataTree::SetVolumeListener(nullptr);
        Sound::Shutdown();
    };
    hooks.chooseLanguage = [](int uiLanguage) {
        DataTree::ChooseLanguage(static_cast<uint16_t>(uiLanguage));
    };
    return hooks;
}

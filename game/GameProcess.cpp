#include "game/GameProcess.h"

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/InputQueue.h"
#include "platform/Loca.h"
#include "platform/PlatformServices.h"
#include "platform/SoundSystem.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/TypeRegistry.h"

void ConstructProcessWideObjects() {
    Vrel::ScriptVM::Global();
    Vrel::TypeRegistry::Global();
    FileManager::Global();
    halvo::GuiMain::Global();
    InputQueue::Global();
    Loca::Global();
    SoundSystem::Global();
    GLState::Mirror();
    DataTree::GetCurrentSlot();
}

ShellHooks GameShellHooks() {
    ShellHooks hooks = PlatformServiceHooks();
    hooks.updateScripts = [](float frameMs) { Vrel::ScriptVM::Global().Update(frameMs); };
    hooks.updateGui = [](double totalMs, double frameMs) {
        halvo::GuiMain::Global().GetRoot()->Update(totalMs, frameMs);
    };
    return hooks;
}

// Program entry: builds the process-wide objects in their fixed order, then
// runs the game in the application shell.

#include "game/GameShellClient.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGames.h"
#include "platform/AppShell.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/InputQueue.h"
#include "platform/Loca.h"
#include "platform/PlatformServices.h"
#include "platform/SoundSystem.h"
#include "script/runtime/ScriptVM.h"
#include "script/runtime/TypeRegistry.h"

namespace {

// Function-local statics are destroyed in the reverse order of their
// construction, so touching them here fixes both orders: the script machine
// is built first and destroyed last.
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

}  // namespace

int main() {
    ConstructProcessWideObjects();
    RegisterMiniGames();
    GameShellClient client;
    ShellHooks hooks = PlatformServiceHooks();
    hooks.updateScripts = [](float frameMs) { Vrel::ScriptVM::Global().Update(frameMs); };
    hooks.updateGui = [](double totalMs, double frameMs) {
        halvo::GuiMain::Global().GetRoot()->Update(totalMs, frameMs);
    };
    AppShell shell(std::move(hooks));
    return shell.Run(client);
}

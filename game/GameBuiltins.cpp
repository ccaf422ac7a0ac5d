#include "game/GameBuiltins.h"

#include "game/GameFunctions.h"
#include "game/ProfileFunctions.h"
#include "game/TransitFunctions.h"
#include "gui/GuiGameAnimators.h"
#include "gui/GuiScriptFunctions.h"
#include "script/runtime/FunctionAdapter.h"
#include "script/runtime/ScriptVM.h"

void RegisterGameBuiltins(Vrel::ScriptVM& vm) {
    using Vrel::detail::AdapterFor;
    halvo::RegisterGameAnimators();
    // The GUI binds its own while it is built; a machine emptied since has
    // lost them.
    halvo::RegisterGuiScriptFunctions(vm);
    vm.AddCFunction("SetValue", AdapterFor<&ProfileFunctions::SetValue>());
    vm.AddCFunction("GetValue", AdapterFor<&ProfileFunctions::GetValue>());
    vm.AddCFunction("Sleep", AdapterFor<&GameFunctions::Sleep>());
    vm.AddCFunction("Include", AdapterFor<&GameFunctions::Include>());
    vm.AddCFunction("Transit", AdapterFor<&TransitFunctions::Transit>());
    vm.AddCFunction("GameStateEnd", AdapterFor<&TransitFunctions::GameStateEnd>());
    vm.AddCFunction("CanContinueGame", AdapterFor<&TransitFunctions::CanContinueGame>());
    vm.AddCFunction("ContinueGame", AdapterFor<&TransitFunctions::ContinueGame>());
    vm.AddCFunction("ShowMainMenu", AdapterFor<&TransitFunctions::ShowMainMenu>());
    vm.AddCFunction("GetPlayerName", AdapterFor<&ProfileFunctions::GetPlayerName>());
    vm.AddCFunction("GetCurrentProfileSlot", AdapterFor<&ProfileFunctions::GetCurrentProfileSlot>());
    vm.AddCFunction("SetCurrentProfileSlot", AdapterFor<&ProfileFunctions::SetCurrentProfileSlot>());
    vm.AddCFunction("DeleteProfile", AdapterFor<&ProfileFunctions::DeleteProfile>());
    vm.AddCFunction("CreateProfile", AdapterFor<&ProfileFunctions::CreateProfile>());
    vm.AddCFunction("OptionsGetFloat", AdapterFor<&ProfileFunctions::OptionsGetFloat>());
    vm.AddCFunction("OptionsSetFloat", AdapterFor<&ProfileFunctions::OptionsSetFloat>());
    vm.AddCFunction("OptionsGetInt", AdapterFor<&ProfileFunctions::OptionsGetInt>());
    vm.AddCFunction("OptionsSetInt", AdapterFor<&ProfileFunctions::OptionsSetInt>());
    vm.AddCFunction("OptionsGetString", AdapterFor<&ProfileFunctions::OptionsGetString>());
    vm.AddCFunction("OptionsSetString", AdapterFor<&ProfileFunctions::OptionsSetString>());
    vm.AddCFunction("OptionsSave", AdapterFor<&ProfileFunctions::OptionsSave>());
    vm.AddCFunction("CanChangeLanguage", AdapterFor<&ProfileFunctions::CanChangeLanguage>());
    vm.AddCFunction("GetLanguageByPos", AdapterFor<&ProfileFunctions::GetLanguageByPos>());
    vm.AddCFunction("ChangeLanguage", AdapterFor<&ProfileFunctions::ChangeLanguage>());
    vm.AddCFunction("GetLoadedLanguage", AdapterFor<&ProfileFunctions::GetLoadedLanguage>());
    vm.AddCFunction("QuitGame", AdapterFor<&TransitFunctions::QuitGame>());
    vm.AddCFunction("GameOver", AdapterFor<&TransitFunctions::ShowMainMenu>());
    vm.AddCFunction("GetHotspotState", AdapterFor<&ProfileFunctions::GetHotspotState>());
    vm.AddCFunction("SetHotspotState", AdapterFor<&ProfileFunctions::SetHotspotState>());
}

#include "game/GameBuiltins.h"

#include "game/GameFunctions.h"
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
    vm.AddCFunction("Sleep", AdapterFor<&GameFunctions::Sleep>());
    vm.AddCFunction("Include", AdapterFor<&GameFunctions::Include>());
    vm.AddCFunction("ShowMainMenu", AdapterFor<&TransitFunctions::ShowMainMenu>());
    vm.AddCFunction("GameOver", AdapterFor<&TransitFunctions::ShowMainMenu>());
}

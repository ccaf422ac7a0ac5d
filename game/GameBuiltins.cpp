#include "game/GameBuiltins.h"

#include "game/GameFunctions.h"
#include "game/TransitFunctions.h"
#include "gui/GuiGameAnimators.h"
#include "script/runtime/FunctionAdapter.h"
#include "script/runtime/ScriptVM.h"

void RegisterGameBuiltins(Vrel::ScriptVM& vm) {
    using Vrel::detail::AdapterFor;
    halvo::RegisterGameAnimators();
    vm.AddCFunction("Sleep", AdapterFor<&GameFunctions::Sleep>());
    vm.AddCFunction("Include", AdapterFor<&GameFunctions::Include>());
    vm.AddCFunction("ShowMainMenu", AdapterFor<&TransitFunctions::ShowMainMenu>());
    vm.AddCFunction("GameOver", AdapterFor<&TransitFunctions::ShowMainMenu>());
}

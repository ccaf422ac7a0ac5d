#include "script/runtime/library/Builtins.h"

#include "script/runtime/library/BuiltinFunctions.h"
#include "script/runtime/machine/ScriptVM.h"

namespace Vrel {

using namespace builtins;
using detail::AdapterFor;

void RegisterBuiltins(ScriptVM& vm) {
    vm.AddCFunction("SetReturnValue", AdapterFor<&SetReturnValue>());
    vm.AddCFunction("Assert", AdapterFor<&Assert>());
    vm.AddCFunction("AssertThrown", AdapterFor<&AssertThrown>());
    vm.AddCFunction("AssertCount", AdapterFor<&AssertCount>());
    vm.AddCFunction("Debugout", AdapterFor<&Debugout>());
    vm.AddCFunction("DebugPC", AdapterFor<&DebugPC>());
    vm.AddCFunction("DebugStackpos", AdapterFor<&DebugStackpos>());
    vm.AddCFunction("Stop", AdapterFor<&Stop>());
    vm.AddCFunction("Sleep", AdapterFor<&Sleep>());
    vm.AddCFunction("Pause", AdapterFor<&Pause>());
    // Not a resume: scripts have always paused themselves with either name.
    vm.AddCFunction("Resume", AdapterFor<&Pause>());
    vm.AddCFunction("TypeName", AdapterFor<&TypeName>());
    vm.AddCFunction("GetMember", AdapterFor<&GetMember>());
    vm.AddCFunction("HasMember", AdapterFor<&HasMember>());
    vm.AddCFunction("IsNil", AdapterFor<&IsNil>());
    vm.AddCFunction("tostring", AdapterFor<&ToStringValue>());
    vm.AddCFunction("tofloat", AdapterFor<&ToFloatValue>());
    vm.AddCFunction("toint", AdapterFor<&ToIntValue>());
    vm.AddCFunction("tobool", AdapterFor<&ToBoolValue>());
    vm.AddCFunction("SetSize", AdapterFor<&SetSize>());
    vm.AddCFunction("GetSize", AdapterFor<&GetSize>());
    vm.AddCFunction("Include", AdapterFor<&Include>());
    vm.AddCFunction("IncludeAll", AdapterFor<&IncludeAll>());
    vm.AddCFunction("GetGlobalVar", AdapterFor<&GetGlobalVar>());
    vm.AddCFunction("ModuleCreate", AdapterFor<&ModuleCreate>());
    vm.AddCFunction("ModuleRelease", AdapterFor<&ModuleRelease>());
    vm.AddCFunction("ModuleGetName", AdapterFor<&ModuleGetName>());
    vm.AddCFunction("ModuleGet", AdapterFor<&ModuleGet>());
    vm.AddCFunction("ModuleGetThis", AdapterFor<&ModuleGetThis>());
    vm.AddCFunction("ModuleGetParent", AdapterFor<&ModuleGetParent>());
    vm.AddCFunction("ModuleSaveAll", AdapterFor<&ModuleSaveAll>());
    vm.AddCFunction("ModuleGetMember", AdapterFor<&ModuleGetMember>());
    vm.AddCFunction("ThreadGetCurrent", AdapterFor<&ThreadGetCurrent>());
    vm.AddCFunction("ThreadCreate", AdapterFor<&ThreadCreate>());
    vm.AddCFunction("ThreadIsRunning", AdapterFor<&ThreadIsRunning>());
    vm.AddCFunction("ThreadGetReturnValue", AdapterFor<&ThreadGetReturnValue>());
    vm.AddCFunction("ThreadSetValue", AdapterFor<&ThreadSetValue>());
    vm.AddCFunction("ThreadGetValue", AdapterFor<&ThreadGetValue>());
    vm.AddCFunction("ThreadStop", AdapterFor<&ThreadStop>());
    vm.AddCFunction("ThreadSleep", AdapterFor<&ThreadSleep>());
    vm.AddCFunction("ThreadResume", AdapterFor<&ThreadResume>());
    vm.AddCFunction("strcat", AdapterFor<&StrCat>());
    vm.AddCFunction("strstr", AdapterFor<&StrStr>());
    vm.AddCFunction("strncmp", AdapterFor<&StrNCmp>());
    vm.AddCFunction("substr", AdapterFor<&SubStr>());
    vm.AddCFunction("strlen", AdapterFor<&StrLen>());
    vm.AddCFunction("strlwr", AdapterFor<&StrLwr>());
    vm.AddCFunction("strupr", AdapterFor<&StrUpr>());
    vm.AddCFunction("strrev", AdapterFor<&StrRev>());
    vm.AddCFunction("sin", AdapterFor<&Sin>());
    vm.AddCFunction("cos", AdapterFor<&Cos>());
}

}  // namespace Vrel

#pragma once
// What the script fuzz targets share: the global machine with one compiler
// made on first use, without the natives that read or write files, and a
// way to start each input without the modules of the inputs before.

#include "script/compiler/Compiler.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"

#include <iterator>

namespace fuzzsupport {

inline void RemoveFileNatives(Vrel::ScriptVM& vm) {
    Vrel::Var* bind = vm.GetRootModule()->GetMember("~bind");
    Vrel::BinCode* natives = bind ? Vrel::ToBinCode(*bind) : nullptr;
    if (!natives) return;
    for (const char* name : {"Include", "IncludeAll", "ModuleSaveAll"}) natives->GetMembers().RemoveMember(name);
}

inline Vrel::Compiler& ScriptCompiler() {
    static Vrel::Compiler* compiler = [] {
        auto* made = new Vrel::Compiler;
        Vrel::ScriptVM::Global().Initialize(made);
        return made;
    }();
    return *compiler;
}

// The natives stay; every module goes.
inline void ForgetModules(Vrel::ScriptVM& vm) {
    Vrel::MemberMap& members = vm.GetRootModule()->GetMembers().GetMembers();
    for (auto it = members.begin(); it != members.end();)
        it = it->first.rfind('~', 0) == 0 ? std::next(it) : members.erase(it);
}

}  // namespace fuzzsupport

// The built-ins that load, find, inspect and save modules.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/BuiltinFunctions.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/t_Named.h"

#include <cstring>
#include <string>

namespace Vrel::builtins {

namespace {

// The one text argument of an include, or null after the report.
const char* IncludeName(const t_Interface& call) {
    const char* name = call.count == 1 ? ArgText(call, 0) : nullptr;
    if (!name) Report(call, "Include must be called with one parameter");
    return name;
}

// The module name argument, converted as a typed text parameter.
const char* ModuleNameArg(t_Interface& call) { return detail::Param<const char*>::Fetch(call, 0); }

// Argument 1 of ModuleGetMember as a structure: a declared struct that holds
// nothing yet gets an empty one.
t_Named* IterationStruct(const t_Interface& call) {
    Var* data = call.GetArg(1);
    if (!data) return nullptr;
    if (!data->GetObject() && std::strcmp(data->GetTypeName(), "struct") == 0) data->Followed().CreateObject();
    return ToNamed(*data);
}

void SetIteration(ScriptVM& vm, t_Named& data, const std::string& name, const Var& value) {
    Var copy = CopyOf(&value);
    Var* nameMember = data.GetOrAddMember("name");
    MakeEmpty(*nameMember);
    // A string constant, as scripts expect; its text lives as long as the
    // machine, not as long as the member.
    nameMember->SetStringConst(vm.InternText(name));
    Var* valueMember = data.GetOrAddMember("value");
    MakeEmpty(*valueMember);
    valueMember->CopyWithoutConst(copy);
}

}  // namespace

bool Include(t_Interface& call) {
    const char* name = IncludeName(call);
    return name && MachineOf(call).CompileFileRelative(call.thread, name);
}

bool IncludeAll(t_Interface& call) {
    const char* pattern = IncludeName(call);
    return pattern && MachineOf(call).CompileFilesRelative(call.thread, pattern);
}

Var GetGlobalVar(t_Interface& call) {
    // Converted like the typed parameters (text name, module), last first.
    BinCode* module = detail::Param<BinCode*>::Fetch(call, 1);
    const char* name = detail::Param<const char*>::Fetch(call, 0);
    if (!name) return Var();
    if (!module) module = MachineOf(call).GetRootModule();
    return CopyOf(module->GetMember(name));
}

BinCode* ModuleCreate(t_Interface& call) { return MachineOf(call).GetOrCreateModule(ModuleNameArg(call)); }

bool ModuleRelease(t_Interface& call) {
    const char* name = ModuleNameArg(call);
    // "~bind" and the other "~" members belong to the machine.
    if (!name || name[0] == '~') return false;
    return MachineOf(call).GetRootModule()->GetMembers().RemoveMember(name);
}

const char* ModuleGetName(BinCode* module) {
    if (!module) return nullptr;
    if (!module->GetParent()) return "(global)";
    return module->GetName();
}

BinCode* ModuleGet(t_Interface& call) { return MachineOf(call).FindModule(ModuleNameArg(call)); }

BinCode* ModuleGetThis(t_Interface& call) {
    if (call.count > 0) {
        Report(call, "ModuleGetThis() has no parameters");
        return nullptr;
    }
    CallFrame* frame = CallingFrame(call);
    return frame ? frame->GetFunction() : nullptr;
}

BinCode* ModuleGetParent(const BinCode* module) { return module ? module->GetParent() : nullptr; }

void ModuleSaveAll(t_Interface& call) {
    if (const char* prefix = ArgText(call, 0)) MachineOf(call).SaveAllModules(prefix);
}

bool ModuleGetMember(t_Interface& call) {
    if (call.count != 2) {
        Report(call, "ModuleGetMember: wrong parameter count. Syntax: 'bool ModuleGetFirst(func Module, struct data)'");
        return false;
    }
    const Var* first = call.GetArg(0);
    halvo::AutoRef<BinCode> module(first ? ToBinCode(*first) : nullptr);
    if (!module) {
        Report(call, "ModuleGetMember: expected a module as first parameter");
        return false;
    }
    halvo::AutoRef<t_Named> data(IterationStruct(call));
    if (!data) {
        Report(call, "ModuleGetFirst: expected a struct as second parameter");
        return false;
    }
    const MemberMap& members = module->GetMembers().GetMembers();
    if (members.empty()) return false;
    auto next = members.begin();
    if (Var* previous = data->FindMember("name")) {
        const char* text = previous->GetCString();
        if (!text) return false;
        auto at = members.find(std::string_view(text));
        if (at == members.end()) return false;
        next = std::next(at);
        if (next == members.end()) return false;
    }
    // Copied out first: storing into the struct may release what the
    // module member refers to.
    std::string name = next->first;
    Var value = CopyOf(&next->second);
    SetIteration(MachineOf(call), *data, name, value);
    return true;
}

}  // namespace Vrel::builtins

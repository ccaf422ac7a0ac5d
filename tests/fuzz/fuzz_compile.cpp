// Arbitrary text through the whole compiler: every input compiles into a
// module or ends in a reported error. Top-level code runs under a step
// limit, so loops end and large values cannot pile up; natives that read or
// write files are taken out.

#include "script/compiler/Compiler.h"
#include "script/runtime/BinCode.h"
#include "script/runtime/ScriptVM.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

constexpr uint64_t kStepLimit = 20000;

void IgnoreText(const char*) {}

void RemoveFileNatives(Vrel::ScriptVM& vm) {
    Vrel::Var* bind = vm.GetRootModule()->GetMember("~bind");
    Vrel::BinCode* natives = bind ? Vrel::ToBinCode(*bind) : nullptr;
    if (!natives) return;
    for (const char* name : {"Include", "IncludeAll", "ModuleSaveAll"}) natives->GetMembers().RemoveMember(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Vrel::Compiler* compiler = [] {
        auto* made = new Vrel::Compiler;
        Vrel::ScriptVM::Global().Initialize(made);
        return made;
    }();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    vm.SetSecondCallback(&IgnoreText);
    RemoveFileNatives(vm);
    std::string text(reinterpret_cast<const char*>(data), size);
    vm.SetStepLimit(kStepLimit);
    compiler->CompileBuffer("fuzz.cis", text.c_str());
    vm.SetStepLimit(kStepLimit);
    Vrel::Var result;
    compiler->Compile(text.c_str(), nullptr, result);
    vm.SetStepLimit(kStepLimit);
    vm.Update(17.0f);
    vm.StopAllThreads();
    vm.Update(17.0f);
    vm.SetStepLimit(0);
    // Each input starts without the modules of the ones before; the natives
    // stay.
    Vrel::MemberMap& members = vm.GetRootModule()->GetMembers().GetMembers();
    for (auto it = members.begin(); it != members.end();)
        it = it->first.rfind('~', 0) == 0 ? std::next(it) : members.erase(it);
    return 0;
}

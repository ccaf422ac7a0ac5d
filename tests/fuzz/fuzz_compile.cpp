// Arbitrary text through the whole compiler: every input compiles into a
// module or ends in a reported error. Top-level code runs under a step
// limit, so loops end and large values cannot pile up; natives that read or
// write files are taken out.

#include "script/compiler/Compiler.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/FuzzScripts.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr uint64_t kStepLimit = 20000;

void IgnoreText(const char*) {}

}  // namespace

// Scripts may build reference cycles (a structure holding itself), which
// counted references never free: a run of arbitrary scripts is no leak test.
extern "C" int __lsan_is_turned_off() { return 1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Vrel::Compiler* compiler = &fuzzsupport::ScriptCompiler();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    vm.SetSecondCallback(&IgnoreText);
    fuzzsupport::RemoveFileNatives(vm);
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
    fuzzsupport::ForgetModules(vm);
    return 0;
}

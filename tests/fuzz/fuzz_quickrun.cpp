// The quick loop and its compiled blocks against the careful loop. A text
// that compiles and defines a function "f" runs it step by step under a
// step limit; when that run ends within the limit, the text is compiled
// afresh and "f" runs on the quick loop. Both runs must give the same value
// and the same messages (natives that report stack depth and position
// included), or the input is a fault.

#include "script/compiler/Compiler.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "support/FuzzScripts.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kStepLimit = 20000;
constexpr int kPasses = 3;

std::vector<std::string>& Messages() {
    static std::vector<std::string> messages;
    return messages;
}

// Messages name objects by address, which differs between the two
// compiles: addresses are blanked.
void Record(const char* text) {
    std::string message = text ? text : "";
    for (size_t at = message.find("0x"); at != std::string::npos; at = message.find("0x", at + 2)) {
        size_t end = at + 2;
        while (end < message.size() && std::isxdigit(static_cast<unsigned char>(message[end]))) ++end;
        message.replace(at + 2, end - at - 2, "?");
    }
    Messages().push_back(message);
}

// Each run starts without the modules and threads of the one before.
void ForgetRun(Vrel::ScriptVM& vm) {
    vm.SetStepLimit(kStepLimit);
    vm.StopAllThreads();
    vm.Update(17.0f);
    vm.SetStepLimit(0);
    fuzzsupport::ForgetModules(vm);
}

struct Outcome {
    bool ran = false;
    bool limited = false;
    std::string value;
    std::vector<std::string> messages;
};

Outcome RunOnce(Vrel::Compiler& compiler, const std::string& text, bool stepByStep) {
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    Messages().clear();
    Outcome outcome;
    // Top-level code always runs under the limit: only "f" differs.
    vm.SetStepLimit(kStepLimit);
    const bool compiled = compiler.CompileBuffer("quick.cis", text.c_str()) == Vrel::kCompileOk;
    Vrel::BinCode* module = compiled ? vm.GetGlobalObject("quick") : nullptr;
    Vrel::Var* member = module ? module->GetMember("f") : nullptr;
    Vrel::BinCode* function = member ? Vrel::ToBinCode(*member) : nullptr;
    if (function) {
        outcome.ran = true;
        vm.SetStepLimit(stepByStep ? kStepLimit : 0);
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread(vm));
        thread->Run(function, false, nullptr, 0);
        // An object's text is its address: its type name stands in.
        const Vrel::Var& value = thread->GetValue().Followed();
        outcome.value = value.GetTag() == Vrel::kTagObject ? value.GetTypeName() : value.ToString();
        // Threads it started run on the careful loop in both runs.
        vm.SetStepLimit(kStepLimit);
        for (int pass = 0; pass < kPasses; ++pass) vm.Update(17.0f);
    }
    outcome.messages = Messages();
    for (const std::string& message : outcome.messages)
        if (message.find("execution step limit reached") != std::string::npos) outcome.limited = true;
    ForgetRun(vm);
    return outcome;
}

}  // namespace

// Scripts may build reference cycles (a structure holding itself), which
// counted references never free: a run of arbitrary scripts is no leak test.
extern "C" int __lsan_is_turned_off() { return 1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Vrel::Compiler* compiler = &fuzzsupport::ScriptCompiler();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    vm.SetSecondCallback(&Record);
    fuzzsupport::RemoveFileNatives(vm);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Outcome careful = RunOnce(*compiler, text, true);
    if (!careful.ran || careful.limited) return 0;
    const Outcome quick = RunOnce(*compiler, text, false);
    if (quick.value != careful.value || quick.messages != careful.messages) {
        for (const Outcome* outcome : {&careful, &quick}) {
            std::fprintf(stderr, "%s: %s\n", outcome == &careful ? "careful" : "quick", outcome->value.c_str());
            for (const std::string& message : outcome->messages) std::fprintf(stderr, "  %s\n", message.c_str());
        }
        __builtin_trap();
    }
    return 0;
}

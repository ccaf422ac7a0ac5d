// Random bytes as a compiled module file: the reader must refuse or accept
// without crashing, leaking or keeping an address from the file. What it
// accepts is written out again.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ModuleFile.h"
#include "script/runtime/machine/ScriptVM.h"
#include "tests/support/MemoryScriptIO.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// No value read from a file may hold an address.
bool HoldsAddress(const Vrel::Var& value) {
    uint32_t tag = value.GetTag();
    return tag == Vrel::kTagReference || tag == Vrel::kTagPointer || tag == Vrel::kTagBind;
}

void CheckNoAddresses(Vrel::BinCode& module) {
    // "~p" is the link the reader itself sets.
    for (const auto& [name, value] : module.GetMembers().GetMembers())
        if (name != "~p" && HoldsAddress(value)) std::abort();
    for (int i = 0; i < module.GetVariables().GetCount(); ++i)
        if (HoldsAddress(*module.GetVariables().At(i))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Vrel::ScriptVM vm;
    testsupport::MemoryScriptIO stream(std::vector<uint8_t>(data, data + size));
    halvo::AutoRef<Vrel::BinCode> module(Vrel::BinCode::ReadObject(stream));
    if (!stream.HasError() && module) {
        for (const auto& [identifier, object] : stream.GetReadObjects())
            CheckNoAddresses(*static_cast<Vrel::BinCode*>(object.Get()));
        testsupport::MemoryScriptIO out;
        Vrel::WriteObjectRef(out, module.Get());
    }
    // Files may describe cycles; the harness breaks them so that leak
    // checking stays meaningful.
    Vrel::DiscardReadObjects(stream);
    return 0;
}

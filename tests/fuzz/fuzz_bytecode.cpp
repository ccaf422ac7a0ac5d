// Random bytecode into the interpreter: as the code of a function with a
// few locals, in a module with a string table, a callable native and a
// second function, under a step limit so that loops end and large values
// cannot pile up.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstddef>
#include <cstdint>

namespace {

class Echo : public Vrel::detail::function_adapter {
public:
    Vrel::Var* Call(Vrel::Var* result, Vrel::t_Interface& call) override {
        if (Vrel::Var* first = call.GetArg(0)) result->CopyWithoutConst(*first);
        if (call.thread && call.count == 2) call.thread->Sleep(1.0f);
        return result;
    }
};

constexpr uint64_t kStepLimit = 5000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Echo echo;
    Vrel::ScriptVM vm;
    vm.AddCFunction("echo", &echo);
    Vrel::BinCode* module = vm.GetOrCreateModule("fuzz");
    module->CreateVocabulary();
    module->GetVocabulary()->Add("echo");
    module->GetVocabulary()->Add("f");
    module->GetVocabulary()->Add("x");
    module->GetMembers().GetOrAddMember("x")->SetInt(1);
    module->GetMembers().GetOrAddMember("list")->SetObject(Vrel::VarArray::CreateWithCount(3));

    halvo::AutoRef<Vrel::BinCode> function(new Vrel::BinCode);
    function->SetParent(module);
    module->GetMembers().GetOrAddMember("f")->SetObject(function.Get());
    function->SetCode(static_cast<uint32_t>(size), data);
    function->SetParamCount(size > 0 ? data[0] % 3 : 0);
    function->SetReturnType(size > 1 && (data[1] & 1) ? "int" : "auto");
    function->GetVariables().Add("a", "int", nullptr);
    function->GetVariables().Add("b", "auto", nullptr);
    function->GetVariables().Add("s", "struct", nullptr);
    std::vector<uint8_t> map = {16, 'f', 0, 5, 1, 6, 5, 7, 5, 20};
    function->SetMapFile(map.data(), static_cast<uint32_t>(map.size()));

    vm.SetStepLimit(kStepLimit);
    {
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread(vm));
        Vrel::Var arguments[2] = {Vrel::Var(3), Vrel::Var("text")};
        thread->Run(function.Get(), false, arguments, 2);
        for (int pass = 0; pass < 3; ++pass) vm.Update(17.0f);
    }
    vm.Shutdown();
    return 0;
}

#pragma once
// Calls of the core built-ins by name, straight through their adapters, with
// arguments built in the test.

#include "script/runtime/library/Builtins.h"
#include "script/runtime/values/VarArray.h"
#include "tests/script/runtime/ScriptTestSupport.h"

#include <vector>

namespace scripttest {

class BuiltinTest : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        Vrel::RegisterBuiltins(vm);
        caller = NewThread();
    }

    Vrel::detail::function_adapter* Adapter(const char* name) {
        Vrel::Var* bind = vm.GetRootModule()->GetMember("~bind");
        Vrel::Var* entry = bind ? bind->GetMember(name) : nullptr;
        return entry ? entry->GetBind() : nullptr;
    }
    // name(arguments...) as called by thread (the fixture's caller by
    // default; pass null for a call without thread).
    Vrel::Var Call(const char* name, const std::vector<Vrel::Var>& arguments = {}) {
        return CallOn(caller.Get(), name, arguments);
    }
    Vrel::Var CallOn(Vrel::Thread* thread, const char* name, const std::vector<Vrel::Var>& arguments) {
        Vrel::detail::function_adapter* adapter = Adapter(name);
        EXPECT_NE(adapter, nullptr) << name;
        if (!adapter) return Vrel::Var();
        halvo::AutoRef<Vrel::VarArray> list(Vrel::VarArray::CreateWithCount(static_cast<int>(arguments.size())));
        for (size_t i = 0; i < arguments.size(); ++i) list->GetAt(static_cast<int>(i))->Assign(arguments[i]);
        Vrel::Var args(static_cast<Vrel::VarExtension*>(list.Get()));
        Vrel::t_Interface call{thread, static_cast<int32_t>(arguments.size()), &args};
        Vrel::Var result;
        adapter->Call(&result, call);
        return result;
    }
    static Vrel::Var Ref(Vrel::Var& target) {
        Vrel::Var reference;
        reference.SetReference(&target);
        return reference;
    }
    static Vrel::Var Const(const char* text) {
        Vrel::Var value;
        value.SetStringConst(text);
        return value;
    }
    static Vrel::Var Object(Vrel::VarExtension* object) { return Vrel::Var(object); }
    // True only for the bool true.
    static bool Truth(const Vrel::Var& value) {
        bool truth = false;
        return value.IsBool() && value.ToBool(truth) && truth;
    }
    static std::string TextOf(const Vrel::Var& value) {
        const char* text = value.GetCString();
        return text ? text : "(no text)";
    }

    halvo::AutoRef<Vrel::Thread> caller;
};

}  // namespace scripttest

#pragma once
// The fixture of the GUI's script side: the global script machine with a
// fresh compiler and recorded messages, the GUI's script functions
// registered again after the previous test released them, a "Log" native
// that scripts report through, direct calls of a bound function with
// arguments made in the test, and the GUI manager left clean.

#include "gui/GuiScriptFunctions.h"
#include "gui/GuiTestSupport.h"
#include "script/runtime/values/VarArray.h"
#include "tests/script/compiler/BackEnd.h"

#include <string>
#include <vector>

namespace testsupport {

class GuiScriptTest : public Vrel::Testing::BackEndTest {
protected:
    void SetUp() override {
        BackEndTest::SetUp();
        halvo::RegisterGuiScriptFunctions(vm);
        caller = new Vrel::Thread(vm);
        AddNative("Log", [this](Vrel::Var&, Vrel::t_Interface& call) {
            std::string line;
            for (int i = 0; i < call.count; ++i) line += (i ? " " : "") + call.GetArg(i)->ToString();
            log.push_back(line);
        });
    }
    void TearDown() override {
        // Widgets first: their script listeners may still run "OnRemove".
        gui.ClearHover();
        gui.ClearKeyboardFocus();
        root->Remove(root);
        root->DetachChildren();
        caller.Reset();
        vm.StopAllThreads();
        vm.Update(0.0f);
        BackEndTest::TearDown();
    }

    // Compiles `text` as module `name`; the compile's messages on failure.
    void Load(const char* name, const std::string& text) { ASSERT_EQ(Buffer(name, text), 0) << AllMessages(); }

    // The bound function `name` called straight through its adapter by the
    // fixture's thread.
    Vrel::Var CallBound(const char* name, const std::vector<Vrel::Var>& arguments) {
        Vrel::Var* bind = vm.GetRootModule()->GetMember("~bind");
        Vrel::Var* entry = bind ? bind->GetMember(name) : nullptr;
        Vrel::detail::function_adapter* adapter = entry ? entry->GetBind() : nullptr;
        EXPECT_NE(adapter, nullptr) << name;
        if (!adapter) return Vrel::Var();
        AutoRef<Vrel::VarArray> list(Vrel::VarArray::CreateWithCount(static_cast<int>(arguments.size())));
        for (size_t i = 0; i < arguments.size(); ++i) list->GetAt(static_cast<int>(i))->Assign(arguments[i]);
        Vrel::Var args(static_cast<Vrel::VarExtension*>(list.Get()));
        Vrel::t_Interface call{caller.Get(), static_cast<int32_t>(arguments.size()), &args};
        Vrel::Var result;
        adapter->Call(&result, call);
        return result;
    }
    static Vrel::Var Ref(Vrel::Var& target) {
        Vrel::Var reference;
        reference.SetReference(&target);
        return reference;
    }
    static Vrel::Var Object(Vrel::VarExtension* object) { return Vrel::Var(object); }
    static bool IsTrue(const Vrel::Var& value) {
        bool truth = false;
        return value.IsBool() && value.ToBool(truth) && truth;
    }

    halvo::GuiMain& gui = halvo::GuiMain::Global();
    GuiWidget* root = gui.GetRoot();
    AutoRef<Vrel::Thread> caller;
    std::vector<std::string> log;
};

}  // namespace testsupport

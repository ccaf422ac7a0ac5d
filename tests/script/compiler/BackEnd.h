#pragma once
// A fixture for compile-and-run tests: the global script machine with a
// fresh compiler, recorded messages, natives made from lambdas, and every
// module released afterwards.

#include "script/compiler/Compiler.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vrel::Testing {

inline std::vector<std::string>& RecordedMessages() {
    static std::vector<std::string> messages;
    return messages;
}
inline void RecordMessage(const char* text) { RecordedMessages().push_back(text); }

class Native : public detail::function_adapter {
public:
    using Body = std::function<void(Var& result, t_Interface& call)>;
    explicit Native(Body body) : body_(std::move(body)) {}
    Var* Call(Var* result, t_Interface& call) override {
        body_(*result, call);
        return result;
    }

private:
    Body body_;
};

class BackEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordedMessages().clear();
        compiler = new Compiler;
        vm.Initialize(compiler);
        vm.SetSecondCallback(&RecordMessage);
    }
    void TearDown() override {
        vm.Release();
        vm.SetStepLimit(0);
    }

    void AddNative(const char* name, Native::Body body) {
        natives.push_back(std::make_unique<Native>(std::move(body)));
        vm.AddCFunction(name, natives.back().get());
    }
    // Compiles text as an anonymous module; the code and the result.
    int Run(const std::string& text, Var& result) { return compiler->Compile(text.c_str(), nullptr, result); }
    int Buffer(const char* alias, const std::string& text) { return compiler->CompileBuffer(alias, text.c_str()); }
    BinCode* Module(const char* name) const { return vm.GetGlobalObject(name); }
    BinCode* Function(const char* module, const char* name) const {
        BinCode* found = Module(module);
        Var* member = found ? found->GetMember(name) : nullptr;
        return member ? ToBinCode(*member) : nullptr;
    }
    // Calls a compiled function on a new thread; its returned value.
    Var Call(BinCode* function, std::vector<Var> arguments = {}) {
        halvo::AutoRef<Thread> thread(new Thread(vm));
        thread->Run(function, false, arguments.data(), static_cast<int>(arguments.size()));
        return thread->GetValue();
    }
    // The messages with their "%s(%d) : " prefix kept.
    static const std::vector<std::string>& Messages() { return RecordedMessages(); }
    static std::string AllMessages() {
        std::string text;
        for (const std::string& message : RecordedMessages()) text += message + "\n";
        return text;
    }

    // Natives live in the fixture, which outlives every bind value that
    // the machine's modules hold for the test.
    std::vector<std::unique_ptr<Native>> natives;
    ScriptVM& vm = ScriptVM::Global();
    Compiler* compiler = nullptr;
};

}  // namespace Vrel::Testing

#pragma once
// Shared by the interpreter, thread and machine tests: a private script
// machine with one module, recorded messages, natives made from lambdas and
// short ways to run assembled functions.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"
#include "tests/support/BytecodeAssembler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scripttest {

inline std::vector<std::string>& Messages() {
    static std::vector<std::string> messages;
    return messages;
}
inline void Record(const char* text) { Messages().push_back(text); }

class NativeFunction : public Vrel::detail::function_adapter {
public:
    using Body = std::function<void(Vrel::Var& result, Vrel::t_Interface& call)>;
    explicit NativeFunction(Body body) : body_(std::move(body)) {}
    Vrel::Var* Call(Vrel::Var* result, Vrel::t_Interface& call) override {
        body_(*result, call);
        return result;
    }

private:
    Body body_;
};

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        Messages().clear();
        vm.SetFirstCallback(&Record);
        module = vm.GetOrCreateModule("test");
        module->CreateVocabulary();
    }

    void AddNative(const char* name, NativeFunction::Body body) {
        natives.push_back(std::make_unique<NativeFunction>(std::move(body)));
        vm.AddCFunction(name, natives.back().get());
    }
    halvo::AutoRef<Vrel::Thread> NewThread() { return halvo::AutoRef<Vrel::Thread>(new Vrel::Thread(vm)); }
    // Runs function at once on a new thread.
    halvo::AutoRef<Vrel::Thread> Start(Vrel::BinCode* function, std::vector<Vrel::Var> arguments = {}) {
        halvo::AutoRef<Vrel::Thread> thread = NewThread();
        thread->Run(function, false, arguments.data(), static_cast<int>(arguments.size()));
        return thread;
    }
    // The messages with their "%s(%d) : " prefix cut off.
    static std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const std::string& message : Messages()) {
            size_t at = message.find(" : ");
            texts.push_back(at == std::string::npos ? message : message.substr(at + 3));
        }
        return texts;
    }
    static std::string OnlyText() {
        std::vector<std::string> texts = Texts();
        return texts.size() == 1 ? texts[0] : "(" + std::to_string(texts.size()) + " messages)";
    }

    // Natives are never released by their bind values: they live in the
    // fixture, declared before the machine that refers to them.
    std::vector<std::unique_ptr<NativeFunction>> natives;
    Vrel::ScriptVM vm;
    Vrel::BinCode* module = nullptr;
};

}  // namespace scripttest

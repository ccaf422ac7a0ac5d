#pragma once
// A debug handler that does nothing and counts as the error channel; tests
// override only the hooks they watch.

#include "script/runtime/execution/DebugHandler.h"

class QuietDebugHandler : public Vrel::DebugHandler {
public:
    void AfterExecute(Vrel::Thread*) override {}
    bool Query() override { return false; }
    bool IsPaused() override { return false; }
    void ModulesChanged() override {}
    bool IsErrorChannel() override { return true; }
    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
    void AssertFailed(int) override {}
    const char* GetContext() override { return nullptr; }
    void BeforeExecute(Vrel::Thread*) override {}
    void ThreadEnded(Vrel::Thread*) override {}
    void FunctionReturned(Vrel::Thread*) override {}
    void AfterNativeCall(Vrel::Thread*) override {}
    void LineChanged(Vrel::Thread*) override {}
    void FunctionEntered(Vrel::Thread*, const char*) override {}
    void BeforeNativeCall(Vrel::Thread*, Vrel::detail::function_adapter*) override {}
};

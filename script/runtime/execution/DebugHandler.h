#pragma once
// Observer of script execution. None is installed in this program; every
// hook is skipped while the script machine has none.

namespace Vrel {

class Thread;
namespace detail {
class function_adapter;
}

class DebugHandler {
public:
    virtual ~DebugHandler() = default;
    virtual void AfterExecute(Thread* thread) = 0;
    virtual bool Query() = 0;
    virtual bool IsPaused() = 0;
    virtual void ModulesChanged() = 0;
    virtual bool IsErrorChannel() = 0;
    virtual void OnError(const char* text) = 0;
    virtual void OnWarning(const char* text) = 0;
    virtual void AssertFailed(int kind) = 0;
    virtual const char* GetContext() = 0;
    virtual void BeforeExecute(Thread* thread) = 0;
    virtual void ThreadEnded(Thread* thread) = 0;
    virtual void FunctionReturned(Thread* thread) = 0;
    virtual void AfterNativeCall(Thread* thread) = 0;
    virtual void LineChanged(Thread* thread) = 0;
    virtual void FunctionEntered(Thread* thread, const char* functionName) = 0;
    virtual void BeforeNativeCall(Thread* thread, detail::function_adapter* adapter) = 0;
};

}  // namespace Vrel

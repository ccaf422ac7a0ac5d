#pragma once
// The script machine: the root module that holds every loaded module and
// the native functions ("~bind"), the scheduler of script threads, the
// compiler, where script messages leave, what fills the type registry, and
// the store that keeps texts alive that string constants point into.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/DebugHandler.h"
#include "script/runtime/machine/ICompiler.h"
#include "script/runtime/execution/Scheduler.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Vrel {

class Thread;
class CallFrame;
namespace detail {
class function_adapter;
}

// Module names are looked up by at most this many characters.
constexpr size_t kMaxModuleNameLength = 127;
// Includes that include themselves stop here instead of at the native
// stack's end.
constexpr int kMaxCompileNesting = 32;
// Natives that start scripts that call natives that start scripts...
constexpr int kMaxRunNesting = 256;

enum SearchPathKind : int { kSearchCompiled = 0, kSearchSource = 1 };

// Whether a module's function can be called, and if not, why: no module of
// that name is loaded, its source was found but did not compile (the
// compiler reported where), or the module lacks the function.
enum class FunctionLookup { kFound, kNoModule, kModuleNotCompiled, kNoFunction };

class ScriptVM {
public:
    using MessageCallback = void (*)(const char* text);

    // Makes the empty root module and fills the type registry, so that
    // objects stored before Initialize already get their records.
    ScriptVM();
    ~ScriptVM();
    ScriptVM(const ScriptVM&) = delete;
    ScriptVM& operator=(const ScriptVM&) = delete;

    static ScriptVM& Global();

    // Drops the threads still listed, takes the compiler (may be null),
    // installs the ignoring callbacks, fills the type registry and registers
    // the core built-ins.
    void Initialize(ICompiler* compiler);
    // Search paths, debug handler, compiler, listed threads and every module
    // go; the machine is left with an empty root as after construction.
    void Shutdown();
    // Releases every module; a new empty root takes the old one's place.
    void Release();

    // Adds the machine's own types to the registry; names already there
    // keep their records.
    static void FillTypeRegistry();
    // The callback Initialize installs: drops its text.
    static void IgnoreText(const char* text);

    void SetFirstCallback(MessageCallback callback) { firstCallback_ = callback; }
    void SetSecondCallback(MessageCallback callback) { secondCallback_ = callback; }
    MessageCallback GetFirstCallback() const { return firstCallback_; }
    MessageCallback GetSecondCallback() const { return secondCallback_; }
    void SetDebugHandler(std::unique_ptr<DebugHandler> handler) { debugHandler_ = std::move(handler); }
    DebugHandler* GetDebugHandler() const { return debugHandler_.get(); }
    ICompiler* GetCompiler() const { return compiler_.get(); }

    // "%s(%d) : " with source and line, then the message, to Output. A null
    // or empty format reports nothing.
    void Error(const char* source, int line, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // To the debug handler if any, else the second callback, else the first.
    void Output(const char* text);
    // Straight to the first callback, when one is set.
    void Notify(const char* text);

    // ---- modules ----
    BinCode* GetRootModule() const { return root_.Get(); }
    // Binds the adapter under name in "~bind"; a later binding replaces an
    // earlier one.
    bool AddCFunction(const char* name, detail::function_adapter* adapter);
    // The root's member of that name if it is a module, null if it holds
    // something else, else a new empty module stored under the name.
    BinCode* GetOrCreateModule(const char* name);
    // Looked up by the first 127 characters, lower-cased; a missing module
    // is loaded from the search paths.
    BinCode* FindModule(const char* name);
    BinCode* GetGlobalObject(const char* name) const;
    // A function found counts even in a module whose last compile failed:
    // what it defined before the failure stays callable.
    FunctionLookup LookUpFunction(const char* module, const char* name);
    bool HasFunction(const char* module, const char* name);
    bool FindScriptFile(const char* name);
    void AddSearchPath(const char* directory, int kind);
    // Removes the module; names beginning with "~" are the machine's own and
    // are refused.
    bool ReleaseModule(const char* name);
    // After the last separator, lower-cased, cut before the first '.';
    // "(memory)" when nothing is left; empty for null.
    static std::string ModuleNameFromPath(const char* path);

    // Writes every module of the root to prefix + name + ".bincode".
    // Failures go to the first callback only.
    void SaveAllModules(const char* prefix);

    // ---- compiling ----
    bool CompileFile(const char* path, bool report);
    // file relative to the folder of the thread's running source ("Include").
    bool CompileFileRelative(Thread* thread, const char* file);
    // Every file matching pattern in that folder ("IncludeAll").
    bool CompileFilesRelative(Thread* thread, const char* pattern);
    // Every file matching the wildcard pattern, in case-insensitive name
    // order; true when some matched and all loaded. Failures are reported at
    // frame's position.
    bool CompileFiles(CallFrame* frame, const char* pattern);
    bool CompileBuffer(const char* text, const char* alias);
    int Compile(const char* text, Thread* thread, Var& result);

    // ---- threads ----
    void AddThread(Thread* thread) { scheduler_.Add(thread); }
    void StopAllThreads() { scheduler_.StopAll(); }
    void StopThreads(uint32_t lineage) { scheduler_.Stop(lineage); }
    // One scheduler pass with the frame time in milliseconds. The main loop
    // calls it once per frame.
    bool Update(float elapsed);
    const Scheduler& GetScheduler() const { return scheduler_; }
    // Bounds the nesting of thread runs across the native stack; false
    // (nothing entered) at the cap.
    bool EnterRun() {
        if (runNesting_ >= kMaxRunNesting) return false;
        ++runNesting_;
        return true;
    }
    void LeaveRun() { --runNesting_; }
    // Test and fuzz harnesses bound how many instructions may still run
    // (0: no bound); past it the running thread stops with an error.
    void SetStepLimit(uint64_t steps) { stepsLeft_ = steps; stepLimited_ = steps > 0; }
    // Counts steps of work; false once the bound is spent.
    bool TakeSteps(uint64_t steps) {
        if (!stepLimited_) return true;
        if (stepsLeft_ < steps) {
            stepsLeft_ = 0;
            return false;
        }
        stepsLeft_ -= steps;
        return true;
    }
    bool IsStepLimited() const { return stepLimited_; }

    // A text block that string constants may point into; kept until the
    // machine goes.
    void RetainTextBlock(std::unique_ptr<char[]> block);
    // A copy of the text that lives as long as the machine; equal texts
    // share one copy.
    const char* InternText(std::string_view text);
    size_t RetainedBlockCount() const { return retainedBlocks_.size(); }

private:
    struct SearchPath {
        std::string directory;
        int kind;
    };

    // A guard for one compile request; false at the nesting cap.
    bool EnterCompile(const char* name);
    // Ends the request EnterCompile began for `source` with the compiler's
    // `result`, noted for LookUpFunction and told to the debugger when the
    // modules changed; answers `result`.
    int LeaveCompile(const char* source, int result);
    // Reads a compiled module file and stores the module under name.
    bool LoadCompiledModule(const std::string& path, const char* name);
    void ModulesChanged();
    // Remembers whether the module a source names compiled, for
    // LookUpFunction to tell a module that failed from one never loaded.
    void NoteCompiled(const char* source, int result);

    halvo::AutoRef<BinCode> root_;
    Scheduler scheduler_;
    MessageCallback firstCallback_ = nullptr;
    MessageCallback secondCallback_ = nullptr;
    std::unique_ptr<DebugHandler> debugHandler_;
    std::unique_ptr<ICompiler> compiler_;
    std::vector<SearchPath> searchPaths_;
    int runNesting_ = 0;
    uint64_t stepsLeft_ = 0;
    bool stepLimited_ = false;
    int compileNesting_ = 0;
    std::vector<std::unique_ptr<char[]>> retainedBlocks_;
    std::set<std::string, std::less<>> internedTexts_;
    std::set<std::string, std::less<>> uncompiledModules_;
};

}  // namespace Vrel

#pragma once
// The script compiler: turns a source file, a text under an alias, or a
// text written by a running script into a module of compiled code under the
// script machine's root module, running each top-level statement as soon
// as it is compiled. Requests answer the codes of ICompiler.

#include "script/runtime/machine/ICompiler.h"

#include <cstdint>
#include <set>

namespace Vrel {

class BinCode;
struct CompileContext;

class Compiler : public ICompiler {
public:
    // Messages longer than this are cut, as the script machine cuts its own.
    static constexpr int kMaxMessageLength = 512;
    // Requests open at one time (a module whose code compiles another).
    static constexpr int kMaxNesting = 32;
    // Source files larger than this are refused as unreadable.
    static constexpr int64_t kMaxSourceBytes = int64_t{64} << 20;

    Compiler() = default;
    Compiler(const Compiler&) = delete;
    Compiler& operator=(const Compiler&) = delete;

    int CompileFile(const char* path) override;
    int CompileBuffer(const char* alias, const char* text) override;
    int Compile(const char* text, Thread* thread, Var& result) override;
    // CompileFile that also hands back what the last top-level statement
    // that ran returned (left alone unless the compile succeeds).
    int CompileFileWithResult(const char* path, Var& result);

    // The driver: target module, lexer, parser, generator; one of the
    // result codes.
    int CompileModule(CompileContext& context, Thread* thread);

    // Runs code (a module body, a statement or a constant expression) on a
    // new thread. False when the call failed (the interpreter reported
    // why). value receives the result: nil unless the thread finished, text
    // as a string object of its own.
    static bool RunCode(BinCode* code, Var& value);

    // Whether function listings go to "Temp": looked up once per outermost
    // request, not once per function.
    bool WritesListings() const { return writesListings_; }

    // Reports "%s(%d) : " with source and line, then the message, through
    // the script machine, unless errorFlag is already set; then sets it.
    // A null or empty format reports nothing and answers false.
    static bool Error(bool& errorFlag, const char* source, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

private:
    // Finds or makes the module the context compiles into; null after a
    // reported refusal.
    BinCode* SelectTarget(CompileContext& context);
    int RunStages(CompileContext& context, Thread* thread);

    // Modules being compiled right now: a request for one of them (a module
    // that includes itself, or a cycle of includes) is refused.
    std::set<const BinCode*> inProgress_;
    int nesting_ = 0;
    bool writesListings_ = false;
};

}  // namespace Vrel

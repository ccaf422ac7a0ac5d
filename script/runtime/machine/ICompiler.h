#pragma once
// How the runtime asks the compiler for work. Each request answers one of
// the codes below; every failure but "cannot open" has been reported by the
// compiler already.

namespace Vrel {

class Thread;
class Var;

enum CompileResult : int {
    kCompileOk = 0,
    kCompileCannotOpen = 1,
    kCompileLexerFailed = 2,
    kCompileParserFailed = 3,
    kCompileGeneratorFailed = 4,
};

class ICompiler {
public:
    virtual ~ICompiler() = default;
    virtual int CompileFile(const char* path) = 0;
    virtual int CompileBuffer(const char* alias, const char* text) = 0;
    // Compiles text in the context of a running thread (may be null); on
    // success result receives what the top-level statements left.
    virtual int Compile(const char* text, Thread* thread, Var& result) = 0;
};

}  // namespace Vrel

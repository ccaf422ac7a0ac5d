// cis-run FILE...: compiles and runs the script files in order in one script
// machine, printing every script message as it arrives, one per line, and
// finally "result: " with the text form of what the last file's top-level
// code returned. The exit code is the last compile's result code; without a
// file it prints its usage to standard error and exits with 2.
//
// Besides whatever the machine registers itself, scripts get "print": it
// writes the text form of each argument, separated by blanks, as one
// message line.

#include "script/compiler/Compiler.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/Var.h"

#include <cstdio>
#include <string>

namespace {

void PrintLine(const char* text) { std::printf("%s\n", text ? text : ""); }

class Print : public Vrel::detail::function_adapter {
public:
    Vrel::Var* Call(Vrel::Var* result, Vrel::t_Interface& call) override {
        std::string line;
        for (int i = 0; i < call.count; ++i) {
            if (i > 0) line += ' ';
            const Vrel::Var* argument = call.GetArg(i);
            line += argument ? argument->Followed().ToString() : "NULL";
        }
        PrintLine(line.c_str());
        return result;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: cis-run FILE...\n");
        return 2;
    }
    static Print print;
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    auto* compiler = new Vrel::Compiler;
    vm.Initialize(compiler);
    vm.SetSecondCallback(&PrintLine);
    vm.AddCFunction("print", &print);
    int code = 0;
    Vrel::Var result;
    for (int i = 1; i < argc; ++i) {
        result.SetNil();
        code = compiler->CompileFileWithResult(argv[i], result);
        if (code == Vrel::kCompileCannotOpen) std::printf("%s: cannot open\n", argv[i]);
    }
    std::printf("result: %s\n", result.ToString().c_str());
    std::fflush(stdout);
    vm.Shutdown();
    return code;
}

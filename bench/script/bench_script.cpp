// bench_script: the script language side by side with the reference
// interpreter "lua5.4" and its compiler "luac5.4".
//
//   bench_script suite PROGRAMS_DIR WORK_DIR
//       runs every program NAME.cis with this executable and NAME.lua with
//       lua5.4, each in a child process of its own, checks that both print
//       the same checksum, compiles a generated 20,000-line file with our
//       compiler and with luac5.4, and prints the table; the last line is
//       "script: geomean <ratio> worst <ratio> compile <ratio>".
//   bench_script run FILE.cis
//       compiles FILE, runs its function "Main" ("Rounds" times when the
//       module has that function), after each run the scheduler passes
//       until no thread waits, and prints "checksum " with the result of
//       "Checksum" (or of the last "Main").
//   bench_script compile FILE.cis
//       compiles FILE and nothing else.

#include "script/compiler/Compiler.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kPrograms[] = {"fib",     "loop",    "mandelbrot", "sieve",  "strings",
                                 "native",  "globals", "members",    "switch", "threads"};
constexpr int kCompileLines = 20000;
constexpr int kLinesPerFunction = 4;
// A scheduler pass as the game's main loop makes it, in milliseconds.
constexpr float kPassMilliseconds = 17.0f;
// A program whose threads never finish must not hang the suite.
constexpr int kMaxPasses = 1000000;
constexpr int kDefaultRuns = 3;

// ---- the script side --------------------------------------------------------

void PrintMessage(const char* text) { std::fprintf(stderr, "%s\n", text ? text : ""); }

Vrel::Compiler* StartMachine() {
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    auto* compiler = new Vrel::Compiler;
    vm.Initialize(compiler);
    vm.SetSecondCallback(&PrintMessage);
    return compiler;
}

bool CallScript(const std::string& module, const char* name, Vrel::Var& value) {
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread(Vrel::ScriptVM::Global()));
    if (!Vrel::Thread::RunFunction(thread.Get(), module.c_str(), name, nullptr, 0)) return false;
    value.Assign(thread->GetValue());
    return !thread->HasError();
}

void DrainScheduler(Vrel::ScriptVM& vm) {
    for (int pass = 0; pass < kMaxPasses && vm.GetScheduler().GetCount() > 0; ++pass) vm.Update(kPassMilliseconds);
}

int RunProgram(const char* path) {
    Vrel::Compiler* compiler = StartMachine();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    if (compiler->CompileFile(path) != Vrel::kCompileOk) {
        std::fprintf(stderr, "%s: does not compile\n", path);
        return 1;
    }
    const std::string module = Vrel::ScriptVM::ModuleNameFromPath(path);
    int rounds = 1;
    Vrel::Var value;
    if (vm.HasFunction(module.c_str(), "Rounds") && CallScript(module, "Rounds", value)) rounds = value.AsInt();
    for (int round = 0; round < rounds; ++round) {
        if (!CallScript(module, "Main", value)) {
            std::fprintf(stderr, "%s: Main failed\n", path);
            return 1;
        }
        DrainScheduler(vm);
    }
    if (vm.HasFunction(module.c_str(), "Checksum") && !CallScript(module, "Checksum", value)) return 1;
    std::printf("checksum %s\n", value.Followed().ToString().c_str());
    std::fflush(stdout);
    vm.Shutdown();
    return 0;
}

int CompileOnly(const char* path) {
    Vrel::Compiler* compiler = StartMachine();
    const int code = compiler->CompileFile(path);
    Vrel::ScriptVM::Global().Shutdown();
    return code == Vrel::kCompileOk ? 0 : 1;
}

// ---- the suite --------------------------------------------------------------

struct ChildResult {
    bool ok = false;
    double seconds = 0.0;
    long peakKilobytes = 0;
    std::string output;
};

// Runs argv in workDir with stdout captured; wall time and peak memory of
// the child alone.
ChildResult RunChild(const std::vector<std::string>& argv, const std::string& workDir) {
    ChildResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return result;
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        if (chdir(workDir.c_str()) != 0) _exit(127);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    if (pid < 0) {
        close(pipeEnds[0]);
        return result;
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.peakKilobytes = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

// The fastest of runs; fails when any run fails.
ChildResult BestOf(int runs, const std::vector<std::string>& argv, const std::string& workDir) {
    ChildResult best;
    for (int i = 0; i < runs; ++i) {
        ChildResult one = RunChild(argv, workDir);
        if (!one.ok) return one;
        if (i == 0 || one.seconds < best.seconds) best = one;
    }
    return best;
}

std::string Trimmed(const std::string& text) {
    size_t end = text.find_last_not_of(" \r\n\t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string OurChecksum(const std::string& output) {
    const std::string key = "checksum ";
    size_t at = output.rfind(key);
    return at == std::string::npos ? std::string() : Trimmed(output.substr(at + key.size()));
}

// 20,000 lines of function definitions in both languages.
void WriteCompileSources(const std::string& ours, const std::string& lua) {
    std::ofstream script(ours);
    std::ofstream reference(lua);
    for (int i = 0; i < kCompileLines / kLinesPerFunction; ++i) {
        script << "function int f" << i << "(int a, int b) {\n"
               << "  int c = a * " << (i % 7 + 2) << " + b;\n"
               << "  return c - " << i << ";\n"
               << "}\n";
        reference << "function f" << i << "(a, b)\n"
                  << "  local c = a * " << (i % 7 + 2) << " + b\n"
                  << "  return c - " << i << "\n"
                  << "end\n";
    }
}

int RunSuite(const std::string& self, const std::string& programs, const std::string& work) {
    const char* runsText = std::getenv("BENCH_SCRIPT_RUNS");
    const int runs = runsText && std::atoi(runsText) > 0 ? std::atoi(runsText) : kDefaultRuns;
    std::printf("%-11s %10s %10s %8s %12s   checksum\n", "program", "ours (s)", "Lua (s)", "ratio", "peak (KB)");
    double logSum = 0.0;
    double worst = 0.0;
    bool failed = false;
    for (const char* name : kPrograms) {
        const std::string base = programs + "/" + name;
        ChildResult ours = BestOf(runs, {self, "run", base + ".cis"}, work);
        ChildResult lua = BestOf(runs, {"lua5.4", base + ".lua"}, work);
        const std::string ourSum = OurChecksum(ours.output);
        const std::string luaSum = Trimmed(lua.output);
        if (!ours.ok || !lua.ok || ourSum.empty() || ourSum != luaSum) {
            std::printf("%-11s FAILED: ours %s (%s), Lua %s (%s)\n", name, ours.ok ? "ran" : "failed", ourSum.c_str(),
                        lua.ok ? "ran" : "failed", luaSum.c_str());
            failed = true;
            continue;
        }
        const double ratio = ours.seconds / lua.seconds;
        logSum += std::log(ratio);
        worst = std::max(worst, ratio);
        std::printf("%-11s %10.3f %10.3f %8.2f %12ld   %s\n", name, ours.seconds, lua.seconds, ratio,
                    ours.peakKilobytes, ourSum.c_str());
        std::fflush(stdout);
    }
    const double geomean = std::exp(logSum / static_cast<double>(std::size(kPrograms)));
    std::printf("%-11s %32.2f\n", "geomean", geomean);

    const std::string ourSource = work + "/compile20000.cis";
    const std::string luaSource = work + "/compile20000.lua";
    WriteCompileSources(ourSource, luaSource);
    ChildResult ours = BestOf(runs + 2, {self, "compile", ourSource}, work);
    ChildResult lua = BestOf(runs + 2, {"luac5.4", "-o", "/dev/null", luaSource}, work);
    if (!ours.ok || !lua.ok) {
        std::printf("compile     FAILED: ours %s, luac %s\n", ours.ok ? "ran" : "failed", lua.ok ? "ran" : "failed");
        return 1;
    }
    const double compileRatio = ours.seconds / lua.seconds;
    std::printf("%-11s %10.3f %10.3f %8.2f %12ld   (%d lines; Lua: luac5.4)\n", "compile", ours.seconds, lua.seconds,
                compileRatio, ours.peakKilobytes, kCompileLines);
    if (failed) {
        std::printf("script: FAILED (checksums differ or a program failed)\n");
        return 1;
    }
    std::printf("script: geomean %.2f worst %.2f compile %.2f\n", geomean, worst, compileRatio);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_script suite PROGRAMS_DIR WORK_DIR | run FILE.cis | compile FILE.cis\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    if (mode == "run") return RunProgram(argv[2]);
    if (mode == "compile") return CompileOnly(argv[2]);
    if (mode == "suite" && argc >= 4) {
        char self[4096];
        const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        if (length <= 0) return Usage();
        self[length] = '\0';
        return RunSuite(self, argv[2], argv[3]);
    }
    return Usage();
}

#pragma once
// The built program as a separate process, watched from outside as a
// player's terminal would see it: started in a chosen folder with a home of
// the test's own and the environment changed as asked, its error output read
// until it closes, and its end awaited for a bounded share of the processor,
// so that a program that never ends fails the test instead of hanging it.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/Clock.h"

namespace testsupport {

// The processor time a program is given to get where a test waits for it:
// far more than it needs to start, play to its first scene and end, even
// under the sanitizers. Counted in its own time, which a machine busy with
// other work hands out slowly, so that only a program that would never get
// there uses it up.
constexpr uint32_t kProgramPatienceMs = 60000;
// A program that waits on something besides the processor gets no time of
// its own; one that waits this long on the wall clock has hung.
constexpr uint32_t kProgramHangMs = 600000;

// A variable for the program's environment; no value removes it.
struct EnvSetting {
    const char* name;
    const char* value = nullptr;
};

// Starts the built program in `folder` with `home` as its HOME and the
// settings applied; its error output goes to `errorOutput` when that is not
// negative. The child's pid, or a negative number.
inline pid_t StartProgram(const std::string& folder, const std::string& home, int errorOutput = -1,
                          const std::vector<EnvSetting>& settings = {}) {
    const pid_t child = fork();
    if (child != 0) return child;
    setenv("HOME", home.c_str(), 1);
    // The driver unloads at exit with allocations the leak checker cannot
    // attribute; our own code's leaks are checked by the in-process tests.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    for (const EnvSetting& setting : settings) {
        if (setting.value) setenv(setting.name, setting.value, 1);
        else unsetenv(setting.name);
    }
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (errorOutput >= 0) dup2(errorOutput, STDERR_FILENO);
    execl(TAVRIN_BINARY, TAVRIN_BINARY, static_cast<char*>(nullptr));
    _exit(127);
}

// The processor time the process `pid` has had, all its threads', in ms; 0
// once it is gone.
inline uint64_t ProcessorMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // After the name, which may hold anything: the state, then eleven fields
    // up to the user and system times, in clock ticks.
    const size_t named = line.rfind(')');
    if (named == std::string::npos) return 0;
    std::istringstream fields(line.substr(named + 1));
    std::string skipped;
    for (int field = 0; field < 11; ++field) fields >> skipped;
    uint64_t user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000 / static_cast<uint64_t>(sysconf(_SC_CLK_TCK));
}

// How long a test waits on the program `pid`: until it has had the
// patience's worth of the processor since the wait began, or has hung.
class Patience {
public:
    explicit Patience(pid_t pid) : pid_(pid), startCpuMs_(ProcessorMs(pid)), startMs_(os::Milliseconds()) {}
    bool Lasts() const {
        // A process gone takes no more time: only the wall bounds what is left.
        const uint64_t cpuMs = ProcessorMs(pid_);
        return (cpuMs < startCpuMs_ || cpuMs - startCpuMs_ < kProgramPatienceMs) &&
               os::Milliseconds() - startMs_ < kProgramHangMs;
    }

private:
    pid_t pid_;
    uint64_t startCpuMs_;
    uint32_t startMs_;
};

// What a process has written to `fd` so far, without waiting.
inline void ReadWaiting(int fd, std::string& said) {
    char chunk[4096];
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, 0) > 0) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) return;
        said.append(chunk, static_cast<size_t>(got));
    }
}

// What a process writes to `fd` until it closes it, or while `patience` lasts.
inline std::string ReadUntilClosed(int fd, const Patience& patience) {
    std::string said;
    char chunk[4096];
    while (patience.Lasts()) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) break;
        said.append(chunk, static_cast<size_t>(got));
    }
    return said;
}

// Starts the program with its error output on a pipe; the pid, with the
// pipe's reading end in `said`, or -1 with nothing left open.
inline pid_t StartProgramSaying(const std::string& folder, const std::string& home,
                                const std::vector<EnvSetting>& settings, int& said) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t child = StartProgram(folder, home, pipeEnds[1], settings);
    close(pipeEnds[1]);
    if (child < 0) close(pipeEnds[0]);
    said = pipeEnds[0];
    return child;
}

struct ProgramEnd {
    bool ended = false;  // on its own, within the patience
    int status = 0;      // as waitpid reports it
    uint32_t ms = 0;     // from the start to the end, or to the kill
    std::string said;    // on its error output
};

// True once the program `child` ended and was reaped while `patience`
// lasted; killed and reaped then, false.
inline bool Reap(pid_t child, int& status, const Patience& patience) {
    pid_t reaped = waitpid(child, &status, WNOHANG);
    for (; reaped == 0 && patience.Lasts(); reaped = waitpid(child, &status, WNOHANG)) os::SleepMs(20);
    if (reaped == child) return true;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

// Runs the program until it ends on its own, killing it when it is still
// running after the patience.
inline ProgramEnd RunProgramUntilItEnds(const std::string& folder, const std::string& home,
                                        const std::vector<EnvSetting>& settings = {}) {
    ProgramEnd end;
    int saidEnd = -1;
    const uint32_t start = os::Milliseconds();
    const pid_t child = StartProgramSaying(folder, home, settings, saidEnd);
    if (child < 0) return end;
    // The error output closes as the program ends; the rest of the patience
    // is left for it to be reaped.
    const Patience patience(child);
    end.said = ReadUntilClosed(saidEnd, patience);
    close(saidEnd);
    end.ended = Reap(child, end.status, patience);
    end.ms = os::Milliseconds() - start;
    return end;
}

// True once the process catches SIGTERM. Before the window library has
// started, the request would kill the program instead of asking it to end.
inline bool CatchesTerm(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

// Runs the program for `runMs`, then asks it to end as the system asks at
// shutdown (SIGTERM, which the window library turns into a quit); `ended`
// tells whether it then ended on its own. A program that ended before it
// was asked is not asked: `ms` is below `runMs` then. It is asked only once
// it catches the request, however long a busy machine takes to start its
// window library, or once the patience ran out. With `ready`, asked every
// 20 ms once `runMs` passed with what the program has said so far, the
// program is asked to end right after it first answers true (it may change
// the program's files then), or once the patience ran out.
inline ProgramEnd RunProgramThenAskItToEnd(const std::string& folder, const std::string& home,
                                           const std::vector<EnvSetting>& settings, uint32_t runMs,
                                           const std::function<bool(const std::string& said)>& ready = {}) {
    ProgramEnd end;
    int saidEnd = -1;
    const uint32_t start = os::Milliseconds();
    const pid_t child = StartProgramSaying(folder, home, settings, saidEnd);
    if (child < 0) return end;
    const Patience getThere(child);
    const auto waiting = [&] {
        return os::Milliseconds() - start < runMs ||
               (getThere.Lasts() && (!CatchesTerm(child) || (ready && !ready(end.said))));
    };
    pid_t reaped = 0;
    while (reaped == 0 && waiting()) {
        os::SleepMs(20);
        reaped = waitpid(child, &end.status, WNOHANG);
        ReadWaiting(saidEnd, end.said);
    }
    end.ms = os::Milliseconds() - start;
    if (reaped == 0) kill(child, SIGTERM);
    const Patience ending(child);
    end.said += ReadUntilClosed(saidEnd, ending);
    close(saidEnd);
    end.ended = reaped == child || Reap(child, end.status, ending);
    return end;
}

}  // namespace testsupport

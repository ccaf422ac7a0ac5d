// Script programs with their expected output: each run/NAME.cis is run by
// cis-run inside the run folder (so messages name it "NAME.cis"), or, when
// run/NAME.args exists, the files it lists in that order. run/NAME.expected
// holds the output followed by "exit: <code>". Set TAVRIN_UPDATE_GOLDEN to
// rewrite the expected files.

#include "support/GoldenFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path RunFolder() { return testsupport::SourceFolder("tests/script/compiler/run"); }

std::string Arguments(const fs::path& script) {
    fs::path list = script;
    list.replace_extension(".args");
    if (!fs::exists(list)) return script.filename().string();
    std::string arguments = testsupport::ReadWholeFile(list);
    for (char& c : arguments)
        if (c == '\n' || c == '\r') c = ' ';
    return arguments;
}

// What cis-run writes where `redirect` sends it, followed by its exit code.
std::string RunCisRun(const fs::path& folder, const std::string& arguments, const char* redirect = "2>&1") {
    std::string command = "cd '" + folder.string() + "' && '" CIS_RUN_BINARY "' " + arguments + " " + redirect;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "(cannot start cis-run)";
    std::string output;
    char buffer[4096];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
    int status = pclose(pipe);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output + "exit: " + std::to_string(code) + "\n";
}

TEST(CisRun, EveryProgramPrintsItsExpectedOutput) {
    const fs::path folder = RunFolder();
    const int programs = testsupport::CheckGoldenScripts(
        folder, [&folder](const fs::path& script) { return RunCisRun(folder, Arguments(script)); });
    EXPECT_GT(programs, 20);
}

TEST(CisRun, WithoutAFileItPrintsItsUsageAndFails) {
    const fs::path folder = RunFolder();
    EXPECT_EQ(RunCisRun(folder, "", "2>/dev/null"), "exit: 2\n") << "nothing on standard output";
    EXPECT_EQ(RunCisRun(folder, "", "2>&1 >/dev/null"), "usage: cis-run FILE...\nexit: 2\n");
}

}  // namespace

// Golden cases: each cases/NAME.cis is run through the lexer and the parser;
// cases/NAME.expected holds the token dump (for NAME starting with "tokens_"),
// else the tree dump, followed by every message reported.

#include "FrontEnd.h"
#include "support/GoldenFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

fs::path CasesFolder() { return testsupport::SourceFolder("tests/script/compiler/cases"); }

std::string Describe(const std::string& name, const Vrel::Testing::FrontEndResult& result) {
    std::string text = name.rfind("tokens_", 0) == 0 ? result.tokens : result.tree;
    for (const std::string& message : result.messages) text += "! " + message + "\n";
    return text;
}

TEST(CompilerCases, EveryCaseMatchesItsGoldenText) {
    const int cases = testsupport::CheckGoldenScripts(CasesFolder(), [](const fs::path& script) {
        const std::string name = script.stem().string();
        auto result = Vrel::Testing::RunFrontEnd(testsupport::ReadWholeFile(script), (name + ".cis").c_str());
        return Describe(name, result);
    });
    EXPECT_GT(cases, 0);
}

}  // namespace

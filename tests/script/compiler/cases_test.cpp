// Golden cases: each cases/NAME.cis is run through the lexer and the parser;
// cases/NAME.expected holds the token dump (for NAME starting with "tokens_"),
// else the tree dump, followed by every message reported.

#include "FrontEnd.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path CasesFolder() { return testsupport::SourceFolder("tests/script/compiler/cases"); }

std::string Describe(const std::string& name, const Vrel::Testing::FrontEndResult& result) {
    std::string text = name.rfind("tokens_", 0) == 0 ? result.tokens : result.tree;
    for (const std::string& message : result.messages) text += "! " + message + "\n";
    return text;
}

TEST(CompilerCases, EveryCaseMatchesItsGoldenText) {
    fs::path folder = CasesFolder();
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    bool update = std::getenv("TAVRIN_UPDATE_GOLDEN") != nullptr;
    int cases = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".cis") continue;
        ++cases;
        std::string name = entry.path().stem().string();
        auto result = Vrel::Testing::RunFrontEnd(testsupport::ReadWholeFile(entry.path()), (name + ".cis").c_str());
        std::string actual = Describe(name, result);
        fs::path expectedPath = entry.path();
        expectedPath.replace_extension(".expected");
        if (update) {
            std::ofstream(expectedPath, std::ios::binary) << actual;
            continue;
        }
        ASSERT_TRUE(fs::exists(expectedPath)) << expectedPath;
        EXPECT_EQ(testsupport::ReadWholeFile(expectedPath), actual) << "case " << name;
    }
    EXPECT_GT(cases, 0);
}

}  // namespace

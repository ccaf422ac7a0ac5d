#pragma once
// Golden-file tests: each NAME.cis in a folder has NAME.expected beside it.
// Setting TAVRIN_UPDATE_GOLDEN rewrites the expected files instead of
// comparing, for reviewing a deliberate change with git diff.

#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace testsupport {

// Calls `produce` for every "*.cis" in `folder` and checks its text against
// the ".expected" file beside it; the number of scripts found.
inline int CheckGoldenScripts(const std::filesystem::path& folder,
                              const std::function<std::string(const std::filesystem::path&)>& produce) {
    namespace fs = std::filesystem;
    EXPECT_TRUE(fs::is_directory(folder)) << folder;
    if (!fs::is_directory(folder)) return 0;
    const bool update = std::getenv("TAVRIN_UPDATE_GOLDEN") != nullptr;
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".cis") continue;
        ++scripts;
        const std::string actual = produce(entry.path());
        fs::path expected = entry.path();
        expected.replace_extension(".expected");
        if (update) {
            std::ofstream(expected, std::ios::binary) << actual;
            continue;
        }
        EXPECT_TRUE(fs::exists(expected)) << expected;
        EXPECT_EQ(ReadWholeFile(expected), actual) << entry.path().filename();
    }
    return scripts;
}

}  // namespace testsupport

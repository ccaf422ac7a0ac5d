#pragma once
// Reading test data that lives in the source tree (golden cases, fixtures).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

// A folder of the source tree, located through TAVRIN_SOURCE_DIR (set by
// ctest); the working folder when the test runs by hand.
inline std::filesystem::path SourceFolder(const std::string& relative) {
    const char* root = std::getenv("TAVRIN_SOURCE_DIR");
    return std::filesystem::path(root ? root : ".") / relative;
}

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace testsupport

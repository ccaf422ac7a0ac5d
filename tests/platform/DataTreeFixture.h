#pragma once
// A clean data tree over a temporary user folder, with a version document
// offering english, german and french (no table for french) and a record
// of the volumes the tree posts.

#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "support/GlobalDataRoot.h"
#include "support/LocaTableWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace datatreetest {

inline constexpr const char* kVersionXml =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<version>\n"
    "  <language default=\"english\">\n"
    "    <english />\n    <german />\n    <french />\n"
    "  </language>\n"
    "</version>\n";

inline void WriteLanguageTable(const char* code) {
    testsupport::LocaTableWriter writer;
    writer.Add("hello", code);
    testsupport::GlobalDataRoot().WriteFile(std::string("loca/loca_") + code + ".bin", writer.Build());
}

inline void WriteVersion(const char* xml) {
    testsupport::GlobalDataRoot().WriteFile("logo/version.xml", xml);
    FileManager::Global().ResetDirectoryCaches();
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class DataTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteLanguageTable("english");
        WriteLanguageTable("german");
        WriteVersion(kVersionXml);
        DataTree::SetVolumeListener([this](float sfx, float music) { posts.emplace_back(sfx, music); });
        DataTree::Init();
    }
    void TearDown() override {
        DataTree::SetVolumeListener(nullptr);
        DataTree::Init();
    }

    // A fresh start of the program over the same user folder.
    void Restart() {
        DataTree::Init();
        DataTree::Load(user.Path());
    }
    std::string UserFile(const char* name) const { return user / name; }

    testsupport::TempFolder user;
    std::vector<std::pair<float, float>> posts;
};

}  // namespace datatreetest

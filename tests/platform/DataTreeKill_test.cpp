// A save interrupted at any moment leaves either the old or the new file.
// A child process saves in a loop and is killed without warning; the file
// it leaves must always parse and hold one whole generation of values.

#include "platform/DataTree.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <csignal>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kKills = 200;
constexpr int kValuesPerSave = 64;
constexpr int kLongestWaitMicroseconds = 4000;

void WriteGeneration(int generation) {
    DataTree::SetInt("[ROOT]/kill/generation", generation);
    for (int i = 0; i < kValuesPerSave; ++i) {
        std::string path = "[ROOT]/kill/values/v" + std::to_string(i);
        DataTree::SetInt(path.c_str(), generation);
    }
}

[[noreturn]] void SaveForever(const std::string& folder, int firstGeneration) {
    DataTree::Init();
    DataTree::Load(folder);
    for (int generation = firstGeneration;; ++generation) {
        WriteGeneration(generation);
        DataTree::SaveGameData();
    }
}

// The generation the saved file holds, or -1 when it is damaged or mixed.
int SavedGeneration(const std::string& path) {
    TiXmlDocument document;
    if (!document.LoadFile(path.c_str())) return -1;
    TiXmlElement* kill = document.FirstChildElement("root") ? document.FirstChildElement("root")->FirstChildElement("kill") : nullptr;
    TiXmlElement* values = kill ? kill->FirstChildElement("values") : nullptr;
    int generation = -1;
    if (!values || kill->QueryIntAttribute("generation", &generation) != TIXML_SUCCESS) return -1;
    for (int i = 0; i < kValuesPerSave; ++i) {
        int value = -2;
        values->QueryIntAttribute(("v" + std::to_string(i)).c_str(), &value);
        if (value != generation) return -1;
    }
    return generation;
}

TEST(DataTreeKill, SavesSurviveBeingKilledAtAnyMoment) {
    testsupport::TempFolder user;
    DataTree::Init();
    DataTree::Load(user.Path());
    WriteGeneration(0);
    ASSERT_TRUE(DataTree::SaveGameData());
    std::string file = user / "gamedata.xml";

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> wait(0, kLongestWaitMicroseconds);
    int seen = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(user.Path(), seen + 1);
        ::usleep(static_cast<useconds_t>(wait(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        int generation = SavedGeneration(file);
        ASSERT_GE(generation, seen) << "after kill " << kill;
        seen = generation;
    }
    EXPECT_GT(seen, 0);  // the children did get to save
    DataTree::Init();
}

}  // namespace

// A save interrupted at any moment leaves either the old or the new file.
// A child process saves in a loop and is killed without warning; the file
// it leaves must always parse and hold one whole generation of values. A
// new profile's making is killed at each of its steps in turn.

#include "platform/DataTree.h"
#include "platform/SavedFile.h"
#include "support/TempFolder.h"
#include "tests/platform/DataTreeFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <csignal>
#include <filesystem>
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

// Waits until a child has saved past `seen`, however late a busy machine
// starts it; gives up after some ten seconds.
void WaitForASavePast(const std::string& path, int seen) {
    for (int waited = 0; waited < 10000 && SavedGeneration(path) <= seen; ++waited) ::usleep(1000);
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
        // Now and then a kill comes only after a whole save, so that some
        // saves are made and killed however slowly the children start.
        if (kill % 20 == 0) WaitForASavePast(file, seen);
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

// ---- a new profile killed at each step ----

using DataTreeKillTest = datatreetest::DataTreeTest;

std::u16string NameIn(int32_t slot) {
    std::u16string name;
    return DataTree::GetProfileName(slot, name) ? name : u"<none>";
}

// Makes "New" in slot 2 and dies as a kill would just before the step
// numbered `death` changes the folder; ends with 0 when it got through.
[[noreturn]] void CreateProfileDyingAt(const std::string& folder, int death) {
    DataTree::Init();
    DataTree::Load(folder);
    int step = 0;
    SavedFile::SetStepWatcher([&](std::string_view, const std::string&) {
        if (step++ == death) ::kill(::getpid(), SIGKILL);
    });
    _exit(DataTree::CreateProfile(2, u"New") ? 0 : 1);
}

// At whatever step the making of a new profile dies, the next start finds
// no new profile with the slot's file where it was or kept as ".old", or
// the new profile on a new game with that file kept as ".old": never the
// new profile on the slot's old game. No staged file outlives the start.
TEST_F(DataTreeKillTest, ANewProfileKilledAtAnyStepIsNeverOnAnothersGame) {
    const std::string old = "<root progress=\"7\" />";
    for (std::u16string before : {u"<none>", u"Old"}) {  // a lost profile's game in the slot, or one replaced
        Restart();
        if (before != u"<none>") {
            ASSERT_TRUE(DataTree::CreateProfile(2, before));
        }
        ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
        const std::string gameData = datatreetest::ReadFile(UserFile("gamedata.xml"));
        int death = 0;
        for (;; ++death) {
            SCOPED_TRACE("killed before step " + std::to_string(death));
            for (const auto& entry : std::filesystem::directory_iterator(user.Path()))
                std::filesystem::remove_all(entry.path());
            user.WriteFile("gamedata.xml", gameData);
            user.WriteFile("data2.xml", old);
            pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) CreateProfileDyingAt(user.Path(), death);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);

            Restart();
            const std::string inSlot = datatreetest::ReadFile(UserFile("data2.xml"));
            const std::string kept = datatreetest::ReadFile(UserFile("data2.xml.old"));
            if (NameIn(2) == u"New") {
                EXPECT_EQ(kept, old);
                EXPECT_NE(inSlot, old);
            } else {
                EXPECT_EQ(NameIn(2), before);
                EXPECT_TRUE(inSlot == old || kept == old) << inSlot << " / " << kept;
            }
            for (const auto& entry : std::filesystem::directory_iterator(user.Path()))
                EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
            if (WIFEXITED(status)) break;
        }
        EXPECT_GE(death, 5) << "steps watched";
        EXPECT_EQ(NameIn(2), u"New");
    }
}

}  // namespace

#include "platform/DataTree.h"
#include "platform/DataTreeBounds.h"
#include "platform/DataTreeState.h"
#include "platform/DataTreeTally.h"
#include "platform/Loca.h"
#include "platform/PlatformServices.h"
#include "platform/SavedFile.h"
#include "tests/platform/DataTreeFixture.h"

#include <tinyxml.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using datatreetest::DataTreeTest;
using datatreetest::ReadFile;

std::u16string NameOf(int32_t slot) {
    std::u16string name;
    return DataTree::GetProfileName(slot, name) ? name : u"<none>";
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// A player file holding `count` attributes, `perElement` on each element
// below the root.
std::string WithAttributes(int64_t count, int64_t perElement) {
    std::string xml = "<root>";
    for (int64_t n = 0; n < count; ++n) {
        if (n % perElement == 0) xml += n ? "/><e" : "<e";
        xml += " a" + std::to_string(n % perElement) + "=\"1\"";
    }
    return xml + (count ? "/></root>" : "</root>");
}

// Elements below the root holding `counts` attributes each.
std::string WithAttributesOn(const std::vector<int64_t>& counts) {
    std::string xml = "<root>";
    for (int64_t count : counts) {
        xml += "<e";
        for (int64_t n = 0; n < count; ++n) xml += " a" + std::to_string(n) + "=\"1\"";
        xml += "/>";
    }
    return xml + "</root>";
}

// `count` empty elements at `depth`, the root at 1: each would be written
// back on a line of its own, indented by its depth.
std::string Deep(int count, int depth) {
    std::string xml = "<root>";
    for (int level = 2; level < depth; ++level) xml += "<e>";
    for (int n = 0; n < count; ++n) xml += "<e/>";
    for (int level = 2; level < depth; ++level) xml += "</e>";
    return xml + "</root>";
}

// Attribute counts of elements that cost the parser `lookups` look-ups in
// all, the fullest elements first.
std::vector<int64_t> CostingLookups(int64_t lookups) {
    std::vector<int64_t> counts;
    for (int64_t n = DataTree::kMaxAttributesPerElement; lookups > 0; --n)
        for (; n * (n - 1) / 2 <= lookups; lookups -= n * (n - 1) / 2) counts.push_back(n);
    return counts;
}

std::string Leaves(int64_t count) {
    std::string xml;
    for (int64_t n = 0; n < count; ++n) xml += "<e/>";
    return xml;
}

// `count` elements in all, the root among them.
std::string WithElements(int64_t count) { return "<root>" + Leaves(count - 1) + "</root>"; }

// `count` nodes in all: the root, then comments and indented runs of text
// in turn.
std::string WithTextRuns(int64_t count) {
    std::string xml = "<root>";
    for (int64_t n = 1; n < count; ++n) xml += n % 2 ? "<!---->" : "\n  a";
    return xml + "</root>";
}

// `levels` elements left open, the root the first.
std::string Opened(int levels) {
    std::string xml = "<root>";
    for (int level = 1; level < levels; ++level) xml += "<e>";
    return xml;
}

// Elements nested `depth` levels deep, the root the first, around `inside`.
std::string Nested(int depth, const std::string& inside = "") {
    std::string xml = Opened(depth) + inside;
    for (int level = 1; level < depth; ++level) xml += "</e>";
    return xml + "</root>";
}

TEST_F(DataTreeTest, FirstStartHasNoProfileAndPostsNothing) {
    Restart();
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/last_slot"), -1);
    EXPECT_EQ(DataTree::GetCurrentSlot(), -1);
    EXPECT_TRUE(posts.empty());
    EXPECT_FALSE(DataTree::SetInt("[SETTINGS]/difficulty", 2));
    EXPECT_FALSE(FileExists(UserFile("gamedata.xml")));  // nothing is saved by starting

    ASSERT_TRUE(DataTree::SaveGameData());
    Restart();
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/last_slot"), -1);
    EXPECT_TRUE(posts.empty());
    EXPECT_NE(ReadFile(UserFile("gamedata.xml")).find("<?xml version=\"1.0\" encoding=\"utf-8\" ?>"),
              std::string::npos);
}

TEST_F(DataTreeTest, ProfilesSurviveRestarts) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(2, u"J\u00F6rg"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 2);
    ASSERT_TRUE(DataTree::SetFloat("[SETTINGS]/volume_sfx", 0.25f));
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/scenes/harbour/enter", 1));
    ASSERT_TRUE(DataTree::SetInt("[ROOT]/global/fullscreen", 0));
    ASSERT_TRUE(DataTree::SavePlayer());
    ASSERT_TRUE(DataTree::SaveGameData());
    posts.clear();

    Restart();
    EXPECT_EQ(DataTree::GetCurrentSlot(), 2);
    EXPECT_EQ(NameOf(-1), u"J\u00F6rg");
    EXPECT_EQ(NameOf(2), u"J\u00F6rg");
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/harbour/enter"), 1);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), 0);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_FLOAT_EQ(posts[0].first, 0.25f);
    EXPECT_FLOAT_EQ(posts[0].second, 0.7f);
}

TEST_F(DataTreeTest, MissingLastSlotOpensSlotZero) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Zero"));
    ASSERT_TRUE(DataTree::CreateProfile(1, u"One"));
    ASSERT_TRUE(DataTree::Remove("[ROOT]/global/last_slot"));
    ASSERT_TRUE(DataTree::SaveGameData());
    Restart();
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/last_slot"), 0);
}

TEST_F(DataTreeTest, CreatingAnExistingSlotReplacesTheProfile) {
    Restart();
    ASSERT_TRUE(DataTree::SetFloat("[ROOT]/options/volume_music", 0.5f));
    ASSERT_TRUE(DataTree::CreateProfile(1, u"Old"));
    DataTree::SetFloat("[SETTINGS]/volume_music", 0.1f);
    DataTree::SetInt("[STATS]/clicks", 10);
    DataTree::SetInt("[LOG]/entry", 1);
    DataTree::SetInt("[PLAYER]/inventory/key", 1);
    ASSERT_TRUE(DataTree::CreateProfile(1, u"New"));
    EXPECT_EQ(NameOf(1), u"New");
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.5f);
    EXPECT_FALSE(DataTree::Exists("[STATS]/clicks"));
    EXPECT_FALSE(DataTree::Exists("[LOG]/entry"));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/inventory/"));
    TiXmlElement* profiles = DataTree::Resolve("[ROOT]/profiles/", false);
    ASSERT_NE(profiles, nullptr);
    EXPECT_EQ(profiles->FirstChildElement("slot1")->NextSiblingElement("slot1"), nullptr);
    EXPECT_EQ(ReadFile(UserFile("data1.xml")).find("inventory"), std::string::npos);
}

TEST_F(DataTreeTest, DeletingTheCurrentOrAnotherSlot) {
    Restart();
    ASSERT_TRUE(DataTree::SetFloat("[ROOT]/options/volume_sfx", 0.2f));
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    ASSERT_TRUE(DataTree::CreateProfile(1, u"B"));
    ASSERT_TRUE(DataTree::SetFloat("[SETTINGS]/volume_sfx", 0.9f));
    user.WriteFile("data0.xml.old", "<root />");
    user.WriteFile("data0.xml.bad", "<root");
    posts.clear();

    EXPECT_TRUE(DataTree::DeleteProfile(0));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 1);
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_sfx"), 0.9f);
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(NameOf(0), u"<none>");
    // The deleted player's game goes with them; copies kept aside stay.
    EXPECT_FALSE(FileExists(UserFile("data0.xml")));
    EXPECT_TRUE(FileExists(UserFile("data0.xml.old")));
    EXPECT_TRUE(FileExists(UserFile("data0.xml.bad")));

    EXPECT_TRUE(DataTree::DeleteProfile(1));
    EXPECT_EQ(DataTree::GetCurrentSlot(), -1);
    EXPECT_FALSE(DataTree::Exists("[SETTINGS]/"));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/"));
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_FLOAT_EQ(posts[0].first, 0.2f);
    EXPECT_FLOAT_EQ(posts[0].second, 0.7f);
    EXPECT_FALSE(FileExists(UserFile("data1.xml")));
    EXPECT_FALSE(DataTree::DeleteProfile(1));

    Restart();
    EXPECT_EQ(DataTree::GetCurrentSlot(), -1);
    EXPECT_EQ(NameOf(1), u"<none>");

    // A delete the game data cannot be saved without deletes nothing: the
    // player stays listed and chosen, and the next good save of the game
    // data keeps them with their game. Nothing was lost, so the end names
    // no unsaved file, nor after the game data is saved unchanged into the
    // folder still refusing it; a later failed save of a real change is one.
    ASSERT_TRUE(DataTree::CreateProfile(2, u"C"));
    user.MakeFolder("gamedata.xml.tmp");
    EXPECT_FALSE(DataTree::DeleteProfile(2));
    EXPECT_EQ(NameOf(2), u"C");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 2);
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));
    EXPECT_TRUE(FileExists(UserFile("data2.xml")));
    EXPECT_TRUE(DataTree::SaveGameData()) << "the file holds it already";
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "");
    ASSERT_TRUE(DataTree::SetFloat("[SETTINGS]/volume_sfx", 0.3f));
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "'gamedata.xml'");
    ASSERT_EQ(::rmdir(UserFile("gamedata.xml.tmp").c_str()), 0);
    EXPECT_TRUE(DataTree::SaveGameData());
    Restart();
    EXPECT_EQ(NameOf(2), u"C");
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));

    // A player file that cannot be removed (a folder in its place) leaves
    // the game on disk against the player's word: told, and judged at the
    // end, as a failed save of it, until a new player keeps it aside.
    ASSERT_EQ(::unlink(UserFile("data2.xml").c_str()), 0);
    user.MakeFolder("data2.xml");
    EXPECT_TRUE(DataTree::DeleteProfile(2));
    EXPECT_EQ(NameOf(2), u"<none>");
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    EXPECT_EQ(DataTree::TakenSaveFailure(), DataTree::SaveFailure::kNotRemoved);
    // Nothing of it was lost: the end names it apart from the unsaved files.
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "");
    EXPECT_EQ(PlatformServiceHooks().filesLeftOnDisk(), std::vector<std::string>{"data2.xml"});
    ASSERT_TRUE(DataTree::CreateProfile(2, u"D"));
    EXPECT_TRUE(FileExists(UserFile("data2.xml.old")));
    EXPECT_FALSE(DataTree::LastSaveFailed());
}

TEST_F(DataTreeTest, OpeningAnEmptySlotKeepsTheCurrentProfile) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    DataTree::SetInt("[PLAYER]/progress", 3);
    TiXmlElement* settings = DataTree::Resolve("[SETTINGS]/", false);
    size_t postCount = posts.size();
    EXPECT_FALSE(DataTree::OpenProfile(3));
    EXPECT_FALSE(DataTree::OpenProfile(-1));
    EXPECT_FALSE(DataTree::StartPlayerOver(3));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/progress"), 3);
    EXPECT_EQ(DataTree::Resolve("[SETTINGS]/", false), settings);
    EXPECT_EQ(posts.size(), postCount);
}

// A player file that is missing or damaged: the slot's settings, statistics
// and logs open, "[PLAYER]" is missing and the current slot stays.
TEST_F(DataTreeTest, UnusablePlayerFileOpensOnlyTheSlotsSettings) {
    for (bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "missing");
        Restart();
        ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
        ASSERT_TRUE(DataTree::CreateProfile(1, u"B"));
        if (damaged) {
            user.WriteFile("data0.xml", "<root><scenes>");
        } else {
            ASSERT_EQ(::unlink(UserFile("data0.xml").c_str()), 0);
        }
        size_t postCount = posts.size();
        EXPECT_FALSE(DataTree::OpenProfile(0));
        EXPECT_EQ(DataTree::Resolve("[SETTINGS]/", false), DataTree::Resolve("[ROOT]/profiles/slot0/options/", false));
        EXPECT_EQ(DataTree::Resolve("[STATS]/", false), DataTree::Resolve("[ROOT]/profiles/slot0/stats/", false));
        EXPECT_EQ(DataTree::Resolve("[LOG]/", false), DataTree::Resolve("[ROOT]/profiles/slot0/logs/", false));
        EXPECT_FALSE(DataTree::Exists("[PLAYER]/"));
        EXPECT_EQ(DataTree::GetCurrentSlot(), 1);
        EXPECT_EQ(DataTree::GetInt("[ROOT]/global/last_slot"), 1);
        EXPECT_EQ(posts.size(), postCount);
        EXPECT_EQ(FileExists(UserFile("data0.xml.bad")), damaged);
        if (damaged) {
            EXPECT_EQ(ReadFile(UserFile("data0.xml.bad")), "<root><scenes>");
        }
        // Only a file kept aside is one to tell the player of, and only once.
        EXPECT_EQ(DataTree::TakeDamagedFile(), damaged ? "data0.xml" : "");
        EXPECT_EQ(DataTree::TakeDamagedFile(), "");
        ::unlink(UserFile("data0.xml.bad").c_str());
    }
}

TEST_F(DataTreeTest, FailedSaveKeepsTheOldFile) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    std::string before = ReadFile(UserFile("gamedata.xml"));
    ASSERT_FALSE(before.empty());
    user.MakeFolder("gamedata.xml.tmp");
    DataTree::SetInt("[ROOT]/global/resx", 1920);
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_EQ(ReadFile(UserFile("gamedata.xml")), before);
    ASSERT_EQ(::rmdir(UserFile("gamedata.xml.tmp").c_str()), 0);
    EXPECT_TRUE(DataTree::SaveGameData());
    // What saves cut short left behind goes at the next start, every
    // slot's too; a folder under such a name is not one and stays.
    for (const char* left : {"gamedata.xml.tmp", "data0.xml.tmp", "data2.xml.tmp"})
        user.WriteFile(left, "<root newer=\"1\" />");
    user.MakeFolder("data3.xml.tmp");
    Restart();
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/resx"), 1920);
    for (const char* left : {"gamedata.xml.tmp", "data0.xml.tmp", "data2.xml.tmp"})
        EXPECT_FALSE(FileExists(UserFile(left))) << left;
    EXPECT_TRUE(FileExists(UserFile("data3.xml.tmp")));
}

// The files whose last save failed, "name:why" one after the other.
std::string Unsaved() {
    std::string names;
    for (const DataTree::UnsavedFile& file : DataTree::UnsavedFiles())
        names += file.name + ":" + std::to_string(static_cast<int>(file.why)) + " ";
    return names;
}

// A run of failed saves of a file is handed out once, with why, even when a
// good save followed before anyone asked, and another file's run is handed
// out while the first goes on; each file's failed last save
// stays known until a save of that file succeeds, whatever file is saved
// after it.
TEST_F(DataTreeTest, AFailedSaveIsHandedOutOncePerRunOfFailures) {
    const std::string refused = ":" + std::to_string(static_cast<int>(DataTree::SaveFailure::kRefused)) + " ";
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    EXPECT_FALSE(DataTree::TakeSaveFailure());

    // Changes to lose: a save of what a file holds already loses nothing.
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 1));
    ASSERT_TRUE(DataTree::SetInt("[ROOT]/global/resx", 1920));
    user.MakeFolder("gamedata.xml.tmp");
    user.MakeFolder("data0.xml.tmp");
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    EXPECT_EQ(DataTree::TakenSaveFailure(), DataTree::SaveFailure::kRefused);
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_TRUE(DataTree::TakeSaveFailure()) << "another file's run, while the first goes on, untold";
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_FALSE(DataTree::TakeSaveFailure()) << "the same run told twice";
    EXPECT_EQ(Unsaved(), "data0.xml" + refused + "gamedata.xml" + refused);

    // The settings saved after the player file failed: its changes are
    // still lost, and its run goes on untold at the next scene change.
    ASSERT_EQ(::rmdir(UserFile("gamedata.xml.tmp").c_str()), 0);
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::SaveGameData());
    EXPECT_TRUE(DataTree::LastSaveFailed()) << "a good save of the settings hides the player file's";
    EXPECT_EQ(Unsaved(), "data0.xml" + refused);
    EXPECT_FALSE(DataTree::StartPlayerOver(0));
    EXPECT_FALSE(DataTree::TakeSaveFailure());

    // A good save of the player file ends its run; a failure after it is a
    // new one; a new profile written in the slot is a good save too.
    ASSERT_EQ(::rmdir(UserFile("data0.xml.tmp").c_str()), 0);
    EXPECT_TRUE(DataTree::SavePlayer());
    EXPECT_FALSE(DataTree::LastSaveFailed());
    user.MakeFolder("data0.xml.tmp");
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 2));
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    ASSERT_EQ(::rmdir(UserFile("data0.xml.tmp").c_str()), 0);
    ASSERT_TRUE(DataTree::CreateProfile(0, u"B"));
    EXPECT_FALSE(DataTree::LastSaveFailed()) << Unsaved();

    // Nowhere to save at all.
    DataTree::Init();
    DataTree::Load("");
    EXPECT_FALSE(DataTree::LastSaveFailed());
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    EXPECT_EQ(DataTree::TakenSaveFailure(), DataTree::SaveFailure::kNoFolder);
    const std::string nowhere = ":" + std::to_string(static_cast<int>(DataTree::SaveFailure::kNoFolder)) + " ";
    EXPECT_EQ(Unsaved(), "gamedata.xml" + nowhere);
    // A player is still made, and plays unsaved; reopened, as last saved.
    ASSERT_TRUE(DataTree::CreateProfile(0, u"C"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 1));
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::SetInt("[PLAYER]/Data/since", 1));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/key"), 1);
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/since"));
    EXPECT_TRUE(DataTree::StartPlayerOver(0));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/"));
    EXPECT_EQ(Unsaved(), "data0.xml" + nowhere + "gamedata.xml" + nowhere);
    // A deleted player's failed saves are no loss.
    EXPECT_TRUE(DataTree::DeleteProfile(0));
    EXPECT_EQ(Unsaved(), "gamedata.xml" + nowhere);
    // Each slot's game is held as its own: a second player starts on none,
    // and each reopens on their own; the next run holds none of them.
    ASSERT_TRUE(DataTree::CreateProfile(0, u"C"));
    EXPECT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 1));
    EXPECT_FALSE(DataTree::SavePlayer());
    ASSERT_TRUE(DataTree::CreateProfile(1, u"D"));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/"));
    EXPECT_TRUE(DataTree::SetInt("[PLAYER]/Data/door", 1));
    EXPECT_FALSE(DataTree::SavePlayer());
    for (int32_t slot : {0, 1}) {
        ASSERT_TRUE(DataTree::OpenProfile(slot));
        EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/key"), slot == 0) << slot;
        EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/door"), slot == 1) << slot;
    }
    DataTree::Init();
    DataTree::Load("");
    EXPECT_EQ(NameOf(1), u"<none>");
    EXPECT_FALSE(DataTree::OpenProfile(1));
}

// A new game held back costs the game under way nothing until it has
// begun: its file is not written meanwhile, KeepNewPlayer saves the new
// game and PutOldPlayerBack opens the old one again, as it was; a second
// new game gives way to the first, and opening any profile drops what was
// kept. A slot without a profile changes nothing, nor does a file that
// would refuse the new game: that is told once and is no failed save of
// the file, so a real failure of it after that is told again.
TEST_F(DataTreeTest, ANewGameHeldBackLeavesTheGameUnderWayUntilItBegins) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(1, u"B"));
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 1));
    ASSERT_TRUE(DataTree::SavePlayer());
    EXPECT_FALSE(DataTree::StartPlayerOverHeld(3));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/key"), 1);
    EXPECT_FALSE(DataTree::PutOldPlayerBack()) << "nothing is kept";

    user.MakeFolder("data0.xml.tmp");
    EXPECT_FALSE(DataTree::StartPlayerOverHeld(0));
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/key"), 1);
    EXPECT_FALSE(DataTree::PutOldPlayerBack()) << "nothing is kept";
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    EXPECT_EQ(Unsaved(), "") << "nothing was lost";
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/key", 2));
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::TakeSaveFailure()) << "a real failure after it goes untold";
    EXPECT_EQ(Unsaved(), "data0.xml:" + std::to_string(static_cast<int>(DataTree::SaveFailure::kRefused)) + " ");
    ASSERT_EQ(::rmdir(UserFile("data0.xml.tmp").c_str()), 0);
    ASSERT_TRUE(DataTree::SavePlayer());
    const std::string underWay = ReadFile(UserFile("data0.xml"));

    ASSERT_TRUE(DataTree::StartPlayerOverHeld(0));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/"));
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/door", 1));
    EXPECT_TRUE(DataTree::SavePlayer());
    EXPECT_EQ(ReadFile(UserFile("data0.xml")), underWay);
    ASSERT_TRUE(DataTree::StartPlayerOverHeld(0));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/"));
    EXPECT_TRUE(DataTree::HoldsPlayerAside());
    EXPECT_TRUE(DataTree::PutOldPlayerBack());
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/key"), 2) << "the first new game was kept in its stead";
    EXPECT_FALSE(DataTree::PutOldPlayerBack());
    EXPECT_FALSE(DataTree::HoldsPlayerAside());

    ASSERT_TRUE(DataTree::StartPlayerOverHeld(0));
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/Data/door", 1));
    EXPECT_TRUE(DataTree::KeepNewPlayer());
    EXPECT_FALSE(DataTree::PutOldPlayerBack());
    EXPECT_TRUE(DataTree::KeepNewPlayer());
    Restart();
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/door"), 1);
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/key"));

    for (int32_t slot : {0, 1}) {
        SCOPED_TRACE(slot);
        ASSERT_TRUE(DataTree::OpenProfile(0));
        ASSERT_TRUE(DataTree::StartPlayerOverHeld(0));
        ASSERT_TRUE(DataTree::OpenProfile(slot));
        EXPECT_FALSE(DataTree::PutOldPlayerBack());
    }
}

// A player file that cannot be written, or a damaged one that cannot be
// moved aside (every name for a copy taken), makes no profile and no new
// game; the damaged one is told once and stays as it is.
TEST_F(DataTreeTest, APlayerFileThatCannotBeWrittenMakesNothing) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    user.MakeFolder("data1.xml.tmp");
    EXPECT_FALSE(DataTree::CreateProfile(1, u"B"));
    EXPECT_EQ(NameOf(1), u"<none>");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);

    for (int n = 1; n <= SavedFile::kMaxCopies; ++n)
        user.MakeFolder("data0.xml.bad" + (n > 1 ? std::to_string(n) : std::string()));
    user.WriteFile("data0.xml", "<root><scenes>");
    EXPECT_FALSE(DataTree::OpenProfile(0));
    EXPECT_FALSE(DataTree::OpenProfile(0));
    EXPECT_EQ(DataTree::TakeDamagedFile(), "data0.xml");
    EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    EXPECT_EQ(DataTree::GetDamagedCopy("data0.xml"), "");
    EXPECT_FALSE(DataTree::StartPlayerOver(0));
    EXPECT_FALSE(DataTree::CreateProfile(0, u"C"));
    EXPECT_EQ(ReadFile(UserFile("data0.xml")), "<root><scenes>");
}

// Each damage is kept beside the earlier ones: ".bad", then ".bad2" and on.
// A player file left without its profile is kept aside by the next one.
TEST_F(DataTreeTest, DamagedGameDataGivesDefaultsAndIsKept) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    int count = 0;
    for (std::string damaged : {std::string("<root><profiles><slot0 name=\"A\">"),
                                std::string("<?xml version=\"1.0\" ?><!-- no element -->"), std::string(), deep}) {
        SCOPED_TRACE(damaged.substr(0, 40));
        const std::string number = ++count > 1 ? std::to_string(count) : "";
        const std::string copy = "gamedata.xml.bad" + number, game = "<root progress=\"" + number + "\" />";
        user.WriteFile("gamedata.xml", damaged);
        user.WriteFile("data0.xml", game);
        Restart();
        EXPECT_EQ(DataTree::GetInt("[ROOT]/global/last_slot"), -1);
        EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), 1);
        EXPECT_FALSE(FileExists(UserFile("gamedata.xml")));
        EXPECT_EQ(ReadFile(UserFile(copy.c_str())), damaged);
        EXPECT_EQ(DataTree::GetDamagedCopy("gamedata.xml"), copy);

        ASSERT_TRUE(DataTree::CreateProfile(0, u"Fresh"));
        EXPECT_EQ(ReadFile(UserFile(copy.c_str())), damaged);
        EXPECT_EQ(ReadFile(UserFile(("data0.xml.old" + number).c_str())), game);
        EXPECT_EQ(DataTree::TakeDamagedFile(), "gamedata.xml");
        EXPECT_EQ(DataTree::TakeDamagedFile(), "");
        Restart();
        EXPECT_EQ(NameOf(0), u"Fresh");
        EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    }
}

// ---- files the game did not write ----

// A file without the game's element is damaged like a torn one: kept aside
// byte for byte, numbered, told; the profile's game starts over.
TEST_F(DataTreeTest, AFileWithoutTheGamesElementIsDamaged) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    const std::string gameData = ReadFile(UserFile("gamedata.xml"));
    const std::string foreign[] = {"<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n", "<!-- a comment alone -->",
                                   "<html><body>Tavrin</body></html>"};
    int count = 0;
    for (const std::string& bytes : foreign) {
        SCOPED_TRACE(bytes);
        const std::string number = ++count > 1 ? std::to_string(count) : "";
        user.WriteFile("data0.xml", bytes);
        user.WriteFile("gamedata.xml", gameData);
        Restart();
        EXPECT_EQ(ReadFile(UserFile(("data0.xml.bad" + number).c_str())), bytes);
        EXPECT_EQ(DataTree::TakeDamagedFile(), "data0.xml");
        EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
        EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));

        user.WriteFile("gamedata.xml", bytes);
        Restart();
        EXPECT_EQ(ReadFile(UserFile(("gamedata.xml.bad" + number).c_str())), bytes);
        EXPECT_EQ(DataTree::TakeDamagedFile(), "gamedata.xml");
        EXPECT_EQ(DataTree::GetCurrentSlot(), -1);
        EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/options/volume_sfx"), 0.7f);
    }
}

// Anything but a file under a saved file's name is damaged at once, not
// waited on: kept aside as it is, told, the game started over. Under a
// save's staging name it is a leftover: the save goes on over it, or for a
// folder is refused, and never waits on it; put there as the save makes its
// staged file, it refuses the save, never written through.
TEST_F(DataTreeTest, AnythingButAFileIsDamagedWithoutWaitingOnIt) {
    testsupport::TempFolder elsewhere;
    ASSERT_EQ(::mkfifo((elsewhere / "pipe").c_str(), 0600), 0);
    elsewhere.WriteFile("file", "not a save");
    const struct {
        const char* what;
        std::function<int(const std::string&)> make;
        mode_t kind;
    } things[] = {
        {"a link to a file",
         [&](const std::string& path) { return ::symlink((elsewhere / "file").c_str(), path.c_str()); }, S_IFLNK},
        {"a named pipe", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600); }, S_IFIFO},
        {"a folder", [](const std::string& path) { return ::mkdir(path.c_str(), 0700); }, S_IFDIR},
        {"a link to the zero device", [](const std::string& path) { return ::symlink("/dev/zero", path.c_str()); },
         S_IFLNK},
        {"a link to a named pipe",
         [&](const std::string& path) { return ::symlink((elsewhere / "pipe").c_str(), path.c_str()); }, S_IFLNK},
    };
    for (const auto& thing : things) {
        for (const char* name : {"data0.xml", "gamedata.xml"}) {
            SCOPED_TRACE(std::string(thing.what) + " as " + name);
            Restart();
            ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
            ASSERT_EQ(::unlink(UserFile(name).c_str()), 0);
            ASSERT_EQ(thing.make(UserFile(name)), 0);
            ::alarm(10);  // a start that waits on it ends the run here
            Restart();
            ::alarm(0);
            EXPECT_EQ(DataTree::TakeDamagedFile(), name);
            EXPECT_EQ(DataTree::GetDamagedCopy(name), std::string(name) + ".bad");
            struct stat kept;
            ASSERT_EQ(::lstat(UserFile((std::string(name) + ".bad").c_str()).c_str(), &kept), 0);
            EXPECT_EQ(kept.st_mode & S_IFMT, thing.kind);
            EXPECT_EQ(DataTree::GetCurrentSlot(), name == std::string("data0.xml") ? 0 : -1);
            for (const auto& entry : std::filesystem::directory_iterator(user.Path()))
                std::filesystem::remove_all(entry.path());

            for (const bool asItIsMade : {false, true}) {
                ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
                const std::string staged = UserFile(name) + ".tmp";
                if (asItIsMade) {
                    SavedFile::SetStepWatcher([&](std::string_view step, const std::string& path) {
                        if (step == "create" && path == staged) thing.make(staged);
                    });
                } else {
                    ASSERT_EQ(thing.make(staged), 0);
                }
                // A change to save: a save of what the file holds already loses nothing.
                const bool player = name == std::string("data0.xml");
                ASSERT_TRUE(DataTree::SetInt(player ? "[PLAYER]/Data/key" : "[ROOT]/global/resx", asItIsMade + 1));
                ::alarm(10);  // a save that waits on it ends the run here
                const bool saved = player ? DataTree::SavePlayer() : DataTree::SaveGameData();
                ::alarm(0);
                SavedFile::SetStepWatcher(nullptr);
                EXPECT_EQ(saved, !asItIsMade && thing.kind != S_IFDIR) << asItIsMade;
                struct stat written;
                ASSERT_EQ(::lstat(UserFile(name).c_str(), &written), 0);
                EXPECT_TRUE(S_ISREG(written.st_mode));
                EXPECT_EQ(ReadFile(elsewhere / "file"), "not a save");
                for (const auto& entry : std::filesystem::directory_iterator(user.Path()))
                    std::filesystem::remove_all(entry.path());
            }
        }
    }
}

// Game data with the game's element but parts missing is no damage: it gets
// what it lacks from the defaults of a first start, every profile too.
TEST_F(DataTreeTest, GameDataWithPartsMissingGetsTheDefaults) {
    user.WriteFile("gamedata.xml", "<root />");
    Restart();
    EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    EXPECT_FALSE(FileExists(UserFile("gamedata.xml.bad")));
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/options/volume_sfx"), 0.7f);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/resx"), 1024);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/rating_next"), 5);
    ASSERT_TRUE(DataTree::CreateProfile(1, u"B"));
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.7f);
    EXPECT_STREQ(DataTree::GetStoredText("[SETTINGS]/difficulty"), "0");
    ASSERT_TRUE(DataTree::Remove("[ROOT]/options/"));  // as a script may
    ASSERT_TRUE(DataTree::CreateProfile(2, u"C"));
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_sfx"), 0.7f);

    // A profile that lost settings gets them back; those it kept stay, and
    // a listed profile without settings at all gets them all; a slot
    // element without a name stays no profile. Its empty game is a game.
    user.WriteFile("gamedata.xml", "<root><profiles><slot0 name=\"A\"><options volume_sfx=\"0.000000\" />"
                                   "</slot0><slot1 name=\"B\"><stats clicks=\"4\" /></slot1><slot3><stats />"
                                   "</slot3></profiles><global last_slot=\"0\" /></root>");
    user.WriteFile("data0.xml", "<root />");
    user.WriteFile("data1.xml", "<root />");
    posts.clear();
    Restart();
    EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));
    EXPECT_EQ(DataTree::GetInt("[SETTINGS]/animations"), 1);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_FLOAT_EQ(posts[0].first, 0.0f);
    EXPECT_FLOAT_EQ(posts[0].second, 0.7f);

    ASSERT_TRUE(DataTree::OpenProfile(1));
    EXPECT_EQ(NameOf(-1), u"B");
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.7f);
    EXPECT_EQ(DataTree::GetInt("[STATS]/clicks"), 4);
    EXPECT_TRUE(DataTree::SavePlayer());
    EXPECT_TRUE(DataTree::SaveGameData());
    EXPECT_EQ(NameOf(3), u"<none>");
    EXPECT_FALSE(DataTree::OpenProfile(3));
    EXPECT_FALSE(DataTree::StartPlayerOver(3));

    // Settings already full: a default that would pass the bound is left
    // out, and the file can still be saved.
    std::string full = "<root><profiles><slot0 name=\"A\"><options volume_sfx=\"0.5\"";
    for (int64_t n = 1; n < DataTree::kMaxAttributesPerElement; ++n) full += " v" + std::to_string(n) + "=\"1\"";
    user.WriteFile("gamedata.xml", full + " /></slot0></profiles><global last_slot=\"0\" /></root>");
    Restart();
    EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_sfx"), 0.5f);
    EXPECT_FALSE(DataTree::Exists("[SETTINGS]/volume_music"));
    EXPECT_TRUE(DataTree::SaveGameData());
    EXPECT_FALSE(DataTree::LastSaveFailed()) << Unsaved();
}

// ---- bounds ----

// Each file as the player file and as the game data: past a bound it is
// damaged, kept aside byte for byte and told; at the bound it reads.
TEST_F(DataTreeTest, FilesPastTheBoundsAreDamagedAndFilesAtThemRead) {
    const int64_t full = DataTree::kMaxAttributesPerElement;
    const int64_t fullElements = DataTree::kMaxAttributeLookups / (full * (full - 1) / 2);
    const std::string big(DataTree::kMaxFileSize - 16, 'x');
    std::string emptyElements;
    for (size_t n = 0; n < (size_t(50) << 20) / 4; ++n) emptyElements += "<e/>";
    std::string textRuns;
    for (int n = 0; n < 49998; ++n) textRuns += "a<!---->";
    const struct {
        const char* what;
        std::string bytes;
        bool reads;
    } files[] = {
        {"attributes on one element", WithAttributes(full, 1 << 30), true},
        {"one attribute more", WithAttributes(full + 1, 1 << 30), false},
        {"200,000 attributes on one element", WithAttributes(200000, 1 << 30), false},
        {"attributes", WithAttributes(DataTree::kMaxAttributes, 10), true},
        {"one attribute more in all", WithAttributes(DataTree::kMaxAttributes + 1, 10), false},
        {"look-ups", WithAttributes(fullElements * full, full), true},
        {"an element more of them", WithAttributes((fullElements + 1) * full, full), false},
        {"look-ups to the bound", WithAttributesOn(CostingLookups(DataTree::kMaxAttributeLookups)), true},
        {"one look-up more", WithAttributesOn(CostingLookups(DataTree::kMaxAttributeLookups + 1)), false},
        {"elements", WithElements(DataTree::kMaxElements), true},
        {"one element more", WithElements(DataTree::kMaxElements + 1), false},
        {"50 MB of empty elements", "<root>" + emptyElements + "</root>", false},
        {"text and comments", WithTextRuns(DataTree::kMaxElements), true},
        {"one run of text more", WithTextRuns(DataTree::kMaxElements + 1), false},
        {"49,998 runs of text", "<root>" + textRuns + "</root>", false},
        {"depth", Nested(DataTree::kMaxDepth), true},
        {"one level more", Nested(DataTree::kMaxDepth + 1), false},
        {"a leaf at the depth", Nested(DataTree::kMaxDepth - 1, "<e/>"), true},
        {"a leaf one level deeper", Nested(DataTree::kMaxDepth, "<e/>"), false},
        {"size", "<root a=\"" + big + "\" />", true},
        {"larger", "<root a=\"" + big + std::string(16, 'x') + "\" />", false},
        {"120 KB read, more than 4 MB written back", Deep(30000, 122), false},
    };
    for (const auto& file : files) {
        for (const char* name : {"data0.xml", "gamedata.xml"}) {
            SCOPED_TRACE(std::string(file.what) + " as " + name);
            Restart();
            ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
            user.WriteFile(name, file.bytes);
            Restart();
            const std::string copy = std::string(name) + ".bad";
            EXPECT_EQ(DataTree::TakeDamagedFile(), file.reads ? "" : name) << file.what;
            EXPECT_EQ(FileExists(UserFile(copy.c_str())), !file.reads) << file.what;
            if (!file.reads) {
                EXPECT_TRUE(ReadFile(UserFile(copy.c_str())) == file.bytes) << file.what;
            }
            for (const std::string& left : {copy, std::string("data0.xml.old"), std::string("gamedata.xml")})
                ::unlink(UserFile(left.c_str()).c_str());
        }
    }
}

// The one pass before the parser reads the markup as the parser will, so
// that nothing the parser builds escapes the count.
TEST(DataTreeBounds, MarkupIsReadAsTheParserReadsIt) {
    std::string indented;
    for (int64_t n = 1; n < DataTree::kMaxElements; ++n) indented += "\n\t<e/>\r\n  ";
    const struct {
        const char* what;
        std::string text;
        bool within;
    } texts[] = {
        {"the game's own", "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root>\n    <a b=\"1\" />\n</root>\n", true},
        {"'>' and '/' in values", "<root a=\"1 > 0\" b='/>' c=\"&quot;\" />", true},
        {"comments, character data, instructions",
         "<root><!-- <e><e> --><![CDATA[ <e> ]]><?do this?><!DOCTYPE x></root>", true},
        {"UTF-8 and Latin-1 the parser reads", "<root a=\"J\xC3\xB6rg\" b=\"J\xF6rg\" c=\"J\xE4ger\" />", true},
        {"a value without quotes", "<root a=1 />", false},
        {"a lead byte taking the quote", "<root a=\"J\xE4\" b=\"1\" />", false},
        {"a declaration hiding a quote", "<?xml version=\"?>\" ?><root a=\" x> <e/>\" />", false},
        {"an end tag before any element", "</root><root/>", false},
        {"a zero byte ends the text", std::string("<root/>\0</e>", 12), true},
        {"look-ups to the bound", WithAttributesOn(CostingLookups(DataTree::kMaxAttributeLookups)), true},
        {"one look-up more", WithAttributesOn(CostingLookups(DataTree::kMaxAttributeLookups + 1)), false},
        {"a tag cut off at the depth", Opened(DataTree::kMaxDepth - 1) + "<e", true},
        {"a tag cut off one level deeper", Opened(DataTree::kMaxDepth) + "<e", false},
        {"elements indented to the bound", "<root>" + indented + "</root>", true},
        {"text cut off past the bound", "<root>" + Leaves(DataTree::kMaxElements - 1) + "a", false},
    };
    for (const auto& text : texts) EXPECT_EQ(DataTree::CheckBounds(text.text).empty(), text.within) << text.what;
}

// What the data tree counts of a player file is what a save writes back,
// byte for byte (indentation, escapes, a text on its element's line or on
// its own, comments, declarations, character data), as read and as the
// setters then change it: a value again, a new one, a child of a leaf.
TEST_F(DataTreeTest, TheTallyIsWhatASaveWrites) {
    const std::string files[] = {
        "<?xml version=\"1.0\" standalone=\"yes\"?><root a=\"&lt;&amp;&gt;&quot;&apos;&#x41;&#10;&#x26;x\">"
        "<e>text &amp; more</e><e><![CDATA[ <x> ]]></e><e>one<f/>two</e></root>",
        "<root><!-- a comment --><e><f/>text<g a='x\"y'/></e><!DOCTYPE x></root><!-- after -->",
        "<root>J\xC3\xB6rg<e a=\"\xC3\xA4\" b=\"\t\"/></root>",
        Deep(50, 40),
    };
    using DataTree::detail::GetState;
    for (const std::string& file : files) {
        SCOPED_TRACE(file.substr(0, 60));
        Restart();
        ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
        user.WriteFile("data0.xml", file);
        Restart();
        ASSERT_TRUE(DataTree::SetString("[PLAYER]/Data/quote", "\"<&>'\t"));
        ASSERT_TRUE(DataTree::SetString("[PLAYER]/Data/quote", "a longer text & more"));
        ASSERT_TRUE(DataTree::SetInt("[PLAYER]/e/f/enter", 1));
        ASSERT_TRUE(DataTree::SetAttribute(DataTree::Resolve("[PLAYER]/e/inv/", true), "key", "1"));
        ASSERT_TRUE(DataTree::SavePlayer());
        const DataTree::detail::Tally kept = GetState().countedPlayer.tally;
        EXPECT_EQ(kept.bytes, static_cast<int64_t>(ReadFile(UserFile("data0.xml")).size()));
        const DataTree::detail::Tally afresh = DataTree::detail::CountDocument(*GetState().player);
        EXPECT_EQ(std::tie(kept.nodes, kept.attributes, kept.lookups, kept.depth),
                  std::tie(afresh.nodes, afresh.attributes, afresh.lookups, afresh.depth));
        ::unlink(UserFile("data0.xml.old").c_str());
    }
    // An empty element is a level, as the parser builds it one down.
    TiXmlDocument leaf;
    leaf.Parse("<root><e/></root>");
    EXPECT_EQ(DataTree::detail::CountDocument(leaf).depth, 2);
}

// ---- saves ----

// A change that would take its file past a bound is refused where it is
// made, whichever way it is made: the value is not kept, one line names the
// key and the bound, and the file can still be written. Each player file
// lies just within a bound; a change the bound leaves room for is kept.
TEST_F(DataTreeTest, AChangePastABoundIsRefusedWhereItIsMade) {
    const int64_t full = DataTree::kMaxAttributesPerElement;
    std::string fullData = "<root><Data";
    for (int64_t n = 0; n < full; ++n) fullData += " v" + std::to_string(n) + "=\"1\"";
    fullData += " /></root>";
    // Four elements full of attributes, and a fifth whose next attribute
    // would cost more look-ups than are left.
    std::string lookups = WithAttributes(4 * full, full), fifth = "<f";
    for (int n = 0; n < 63; ++n) fifth += " a" + std::to_string(n) + "=\"1\"";
    lookups.insert(lookups.size() - std::strlen("</root>"), fifth + "/>");
    // Written back as `<root a="..." />` and a line end: 26 bytes left.
    const std::string big(DataTree::kMaxFileSize - 40, 'x');
    const auto setInt = [](const char* path) { return [path] { return DataTree::SetInt(path, 1); }; };
    const struct {
        const char* what;
        std::string player;
        std::function<bool()> change;
        const char* key;
        const char* bound;
        std::function<bool()> roomLeft;
        const char* path = nullptr;  // where the value would be, when not the key
    } changes[] = {
        {"a value more on one element", fullData, setInt("[PLAYER]/Data/v1000"), "[PLAYER]/Data/v1000",
         "more attributes on one element than 1000", setInt("[PLAYER]/Data/v999")},
        {"an item more, kept by the game itself", fullData,
         [] { return DataTree::SetAttribute(DataTree::Resolve("[PLAYER]/Data/", false), "key", "1"); }, "Data/key",
         "more attributes on one element than 1000", setInt("[PLAYER]/Data/v0"), "[PLAYER]/Data/key"},
        {"a value more in all", WithAttributes(DataTree::kMaxAttributes, 10), setInt("[PLAYER]/v"), "[PLAYER]/v",
         "more attributes than 100000", setInt("[PLAYER]/e/a0")},
        {"a look-up more", lookups, setInt("[PLAYER]/f/a63"), "[PLAYER]/f/a63",
         "more attribute look-ups than 2000000", setInt("[PLAYER]/f/a0")},
        {"an element more", WithElements(DataTree::kMaxElements), setInt("[PLAYER]/g/v"), "[PLAYER]/g/v",
         "more elements than 50000", setInt("[PLAYER]/v"), "[PLAYER]/g/"},
        {"a value too long for the file", "<root a=\"" + big + "\" />",
         [] { return DataTree::SetString("[PLAYER]/b", std::string(40, 'x').c_str()); }, "[PLAYER]/b",
         "more bytes than 4194304", [] { return DataTree::SetString("[PLAYER]/b", "short"); }},
        {"an element too long for the file", "<root a=\"" + big + "\" />",
         setInt("[PLAYER]/a_long_name_for_an_element/v"), "[PLAYER]/a_long_name_for_an_element/v",
         "more bytes than 4194304", setInt("[PLAYER]/b"), "[PLAYER]/a_long_name_for_an_element/"},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        Restart();
        ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
        user.WriteFile("data0.xml", change.player);
        Restart();
        ASSERT_EQ(DataTree::TakeDamagedFile(), "");
        ASSERT_TRUE(DataTree::Exists("[PLAYER]/"));
        testing::internal::CaptureStderr();
        EXPECT_FALSE(change.change());
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, std::string("DataTree - '") + change.key + "' is not kept: its saved file would hold " +
                            change.bound + "\n");
        EXPECT_FALSE(DataTree::Exists(change.path ? change.path : change.key));
        EXPECT_TRUE(change.roomLeft());
        EXPECT_TRUE(DataTree::SavePlayer());
        EXPECT_TRUE(DataTree::CheckBounds(ReadFile(UserFile("data0.xml"))).empty());
        ::unlink(UserFile("data0.xml.old").c_str());
    }
    // The settings and profiles too.
    Restart();
    EXPECT_FALSE(DataTree::SetString("[ROOT]/global/note", std::string(DataTree::kMaxFileSize, 'x').c_str()));
    EXPECT_FALSE(DataTree::Exists("[ROOT]/global/note"));
    EXPECT_TRUE(DataTree::SaveGameData());
}

// A save the next start would refuse (a tree grown past the bounds behind
// the setters' back) is a failed save told as one past the bounds: the file
// saved before stays, and what was written reads at the next start.
TEST_F(DataTreeTest, ASaveTheNextStartWouldRefuseIsNotWritten) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    const std::string gameData = ReadFile(UserFile("gamedata.xml"));
    for (int64_t n = 0; n < DataTree::kMaxAttributesPerElement; ++n)
        ASSERT_TRUE(DataTree::SetInt(("[PLAYER]/Data/v" + std::to_string(n)).c_str(), 1));
    ASSERT_TRUE(DataTree::SavePlayer());
    const std::string player = ReadFile(UserFile("data0.xml"));
    DataTree::Resolve("[PLAYER]/Data/", false)->SetAttribute("one_more", 1);
    EXPECT_FALSE(DataTree::SavePlayer());
    EXPECT_EQ(ReadFile(UserFile("data0.xml")), player);
    EXPECT_TRUE(DataTree::TakeSaveFailure());
    EXPECT_EQ(DataTree::TakenSaveFailure(), DataTree::SaveFailure::kPastBounds);
    EXPECT_EQ(Unsaved(), "data0.xml:" + std::to_string(static_cast<int>(DataTree::SaveFailure::kPastBounds)) + " ");
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "'data0.xml' (past the game's bounds)");

    DataTree::Resolve("[ROOT]/global/", false)->SetAttribute("note", std::string(DataTree::kMaxFileSize, 'x').c_str());
    EXPECT_FALSE(DataTree::SaveGameData());
    EXPECT_EQ(ReadFile(UserFile("gamedata.xml")), gameData);
    EXPECT_FALSE(FileExists(UserFile("gamedata.xml.tmp")));

    Restart();
    EXPECT_EQ(DataTree::TakeDamagedFile(), "");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/Data/v999"), 1);
}

// ---- new profiles ----

// A new profile is made in both files or in neither: a refused one leaves
// the slot's file, the game data and the open profile as they were.
TEST_F(DataTreeTest, ARefusedProfileChangesNothing) {
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    ASSERT_TRUE(DataTree::SetInt("[PLAYER]/progress", 3));
    const std::string orphan = "<root progress=\"7\" />";
    user.WriteFile("data2.xml", orphan);
    const std::string gameData = ReadFile(UserFile("gamedata.xml"));
    const struct {
        const char* what;
        std::string blocked;  // a folder stands under this name
        std::string vanishes = {};  // the staged file of this one goes just before it is put in place
    } failures[] = {
        {"the player file cannot be written", "data2.xml.tmp"},
        {"the game data cannot be written", "gamedata.xml.tmp"},
        {"the slot's file cannot be kept aside", "data2.xml.old"},
        {"the player file cannot be put in place", "", "data2.xml"},
        {"the game data cannot be put in place", "", "gamedata.xml"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        std::vector<std::string> blocked;
        if (!failure.blocked.empty()) blocked.push_back(failure.blocked);
        if (failure.blocked == "data2.xml.old")
            for (int n = 2; n <= SavedFile::kMaxCopies; ++n) blocked.push_back(failure.blocked + std::to_string(n));
        for (const std::string& name : blocked) user.MakeFolder(name);
        const std::string vanishing = user / failure.vanishes;
        if (!failure.vanishes.empty())
            SavedFile::SetStepWatcher([&](std::string_view step, const std::string& path) {
                if (step == "rename" && path == vanishing) ::unlink((vanishing + ".tmp").c_str());
            });

        EXPECT_FALSE(DataTree::CreateProfile(2, u"C"));
        SavedFile::SetStepWatcher(nullptr);
        EXPECT_EQ(NameOf(2), u"<none>");
        EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
        EXPECT_EQ(DataTree::GetInt("[PLAYER]/progress"), 3);
        EXPECT_EQ(ReadFile(UserFile("data2.xml")), orphan);
        EXPECT_EQ(ReadFile(UserFile("gamedata.xml")), gameData);
        for (const std::string& name : blocked) ::rmdir(UserFile(name.c_str()).c_str());
        EXPECT_FALSE(FileExists(UserFile("data2.xml.old")));
        EXPECT_FALSE(FileExists(UserFile("data2.xml.tmp")));
        EXPECT_FALSE(FileExists(UserFile("gamedata.xml.tmp")));
    }
    Restart();
    EXPECT_EQ(NameOf(2), u"<none>");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    ASSERT_TRUE(DataTree::CreateProfile(2, u"C"));
    EXPECT_EQ(ReadFile(UserFile("data2.xml.old")), orphan);
}

TEST_F(DataTreeTest, ChangingTheLanguage) {
    Restart();
    EXPECT_TRUE(DataTree::CanChangeLanguage());
    EXPECT_EQ(DataTree::GetLanguageByPos(0), "english");
    EXPECT_EQ(DataTree::GetLanguageByPos(2), "french");
    EXPECT_EQ(DataTree::GetLanguageByPos(3), "");
    EXPECT_EQ(DataTree::GetLanguageByPos(-1), "");

    ASSERT_TRUE(Loca::Global().Load("english"));
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "english");
    EXPECT_FALSE(DataTree::ChangeLanguage("french"));  // listed, but no table
    EXPECT_FALSE(DataTree::ChangeLanguage("klingon"));
    EXPECT_FALSE(DataTree::ChangeLanguage(nullptr));
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "english");
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "english");

    EXPECT_TRUE(DataTree::ChangeLanguage("german"));
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    Restart();  // saved, and reopening the profile switches back to it
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "german");
}

TEST_F(DataTreeTest, OneLanguageCannotBeChanged) {
    datatreetest::WriteVersion("<version><language default=\"english\"><english/></language></version>");
    Restart();
    EXPECT_FALSE(DataTree::CanChangeLanguage());
    datatreetest::WriteVersion("<version/>");
    Restart();
    EXPECT_FALSE(DataTree::CanChangeLanguage());
    EXPECT_EQ(DataTree::GetLanguageByPos(0), "");
}

TEST_F(DataTreeTest, StartUpLanguageChoice) {
    constexpr uint16_t kGerman = 0x0407, kEnglish = 0x0409, kFrench = 0x040C;
    Restart();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"A"));

    // 1. The profile's saved language.
    DataTree::SetString("[SETTINGS]/language", "german");
    ASSERT_TRUE(Loca::Global().Load("english"));
    EXPECT_TRUE(DataTree::ChooseLanguage(kEnglish));
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");

    // 2. A saved language without a table falls back to the system's.
    DataTree::SetString("[SETTINGS]/language", "french");
    EXPECT_TRUE(DataTree::ChooseLanguage(kEnglish));
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "english");
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "english");

    // 3. An unknown system language takes the version's default and keeps it.
    DataTree::Remove("[SETTINGS]/language");
    ASSERT_TRUE(Loca::Global().Load("german"));
    EXPECT_TRUE(DataTree::ChooseLanguage(kFrench));
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "english");
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "english");

    DataTree::Remove("[SETTINGS]/language");
    EXPECT_TRUE(DataTree::ChooseLanguage(kGerman));
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
}

}  // namespace

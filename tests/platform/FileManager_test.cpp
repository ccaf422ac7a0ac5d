#include "platform/FileManager.h"
#include "platform/SplitPath.h"
#include "support/ArchiveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using testsupport::ArchiveWriter;
using testsupport::TempFolder;

using Buffer = LoadedFile;

class FileManagerTest : public ::testing::Test {
protected:
    void Mount(const char* root) { files.AddRoot((data / root).c_str()); }
    void MountAll() {
        for (const char* root : {"Windows", "Shared", "Global"}) Mount(root);
    }
    // The file's content, or "<missing>".
    std::string Load(const char* name) {
        uint32_t size = 99;
        Buffer buffer(files.LoadFile(&size, "%s", name));
        if (!buffer) {
            EXPECT_EQ(size, 0u);
            return "<missing>";
        }
        EXPECT_EQ(buffer.get()[size], 0);
        return std::string(buffer.get(), size);
    }

    TempFolder data;
    FileManager files;
};

TEST(SplitPathTest, BothSeparatorsAndEmptyComponents) {
    EXPECT_EQ(SplitPath("a\\b//c/"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitPath("/lead"), (std::vector<std::string>{"lead"}));
    EXPECT_TRUE(SplitPath("//\\").empty());
    EXPECT_TRUE(SplitPath(nullptr).empty());
}

TEST_F(FileManagerTest, EarlierRootWinsAndLaterRootsAreAsked) {
    data.WriteFile("Windows/gui/a.txt", "windows");
    data.WriteFile("Global/gui/a.txt", "global");
    data.WriteFile("Global/gui/b.txt", "only global");
    MountAll();
    EXPECT_EQ(Load("gui/a.txt"), "windows");
    EXPECT_EQ(Load("gui/b.txt"), "only global");
    EXPECT_EQ(Load("gui/c.txt"), "<missing>");
}

TEST_F(FileManagerTest, AnUnmountedRootIsNoLongerAskedAndTheOthersStay) {
    data.WriteFile("Windows/gui/a.txt", "windows");
    data.WriteFile("Global/gui/a.txt", "global");
    MountAll();
    files.RemoveRoot(data / "Windows");
    EXPECT_EQ(Load("gui/a.txt"), "global");
    files.RemoveRoot(data / "Elsewhere");  // never mounted: nothing changes
    EXPECT_EQ(files.GetRootPaths(), (std::vector<std::string>{data / "Shared", data / "Global"}));
}

TEST_F(FileManagerTest, SeparatorsAreNormalised) {
    data.WriteFile("Global/gui/fonts/f.ttf", "font");
    Mount("Global");
    for (const char* name : {"gui/fonts/f.ttf", "gui\\fonts\\f.ttf", "gui//fonts/f.ttf", "/gui/fonts/f.ttf"}) {
        EXPECT_EQ(Load(name), "font") << name;
    }
}

TEST_F(FileManagerTest, FolderHidesArchiveOfSameRootButNotLaterRoots) {
    data.WriteFile("Windows/gui/in-folder.txt", "folder");
    ArchiveWriter packed;
    packed.Add("in-folder.txt", "archive");
    packed.Add("in-archive.txt", "archive only");
    data.WriteFile("Windows/gui.tvk", packed.Build());
    data.WriteFile("Global/gui/in-archive.txt", "global");
    Mount("Windows");
    Mount("Global");
    EXPECT_EQ(Load("gui/in-folder.txt"), "folder");
    EXPECT_EQ(Load("gui/in-archive.txt"), "global");
}

TEST_F(FileManagerTest, ArchiveStandsInForFolder) {
    ArchiveWriter packed;
    packed.Add("fonts/Verdana.ttf", "glyphs");
    data.WriteFile("Global/gui.tvk", packed.Build());
    Mount("Global");
    EXPECT_EQ(Load("gui/fonts/verdana.TTF"), "glyphs");
    EXPECT_EQ(Load("GUI/fonts/verdana.ttf"), "<missing>") << "archive names match exactly";
}

TEST_F(FileManagerTest, SvnFolderIsNeverEntered) {
    data.WriteFile("Global/.svn/entries", "x");
    data.WriteFile("Global/gui/.svn/entries", "x");
    Mount("Global");
    EXPECT_EQ(Load(".svn/entries"), "<missing>");
    EXPECT_EQ(Load("gui/.svn/entries"), "<missing>");
}

TEST_F(FileManagerTest, ResetShowsWhatWasAddedSinceTheListing) {
    data.MakeFolder("Global");
    Mount("Global");
    EXPECT_EQ(Load("late/a.txt"), "<missing>");
    EXPECT_EQ(Load("packed/b.txt"), "<missing>");
    EXPECT_EQ(Load("README.txt"), "<missing>");

    data.WriteFile("Global/late/a.txt", "folder");
    ArchiveWriter packed;
    packed.Add("b.txt", "archive");
    data.WriteFile("Global/packed.tvk", packed.Build());
    data.WriteFile("Global/Readme.TXT", "case");
    EXPECT_EQ(Load("late/a.txt"), "<missing>") << "listing is cached";
    EXPECT_EQ(Load("README.txt"), "<missing>");

    files.ResetDirectoryCaches();
    EXPECT_EQ(Load("late/a.txt"), "folder");
    EXPECT_EQ(Load("packed/b.txt"), "archive");
    EXPECT_EQ(Load("README.txt"), "case");
}

TEST_F(FileManagerTest, EmptyFileGivesOneNulByte) {
    data.WriteFile("Global/empty.bin", "");
    Mount("Global");
    uint32_t size = 99;
    Buffer buffer(files.LoadFile(&size, "empty.bin"));
    ASSERT_TRUE(buffer);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(buffer.get()[0], 0);
}

TEST_F(FileManagerTest, FinalNameFallsBackToCaseInsensitiveMatch) {
    data.WriteFile("Global/gui/Logo.PNG", "upper");
    data.WriteFile("Global/gui/logo.png", "lower");
    data.WriteFile("Global/gui/Other.Txt", "other");
    Mount("Global");
    EXPECT_EQ(Load("gui/logo.png"), "lower") << "exact name first";
    EXPECT_EQ(Load("gui/LOGO.png"), "upper") << "first match in byte order";
    EXPECT_EQ(Load("gui/other.txt"), "other");
    EXPECT_EQ(Load("GUI/other.txt"), "<missing>") << "folder names match exactly";
}

TEST_F(FileManagerTest, PercentInDataNamesIsNotFormatted) {
    data.WriteFile("Global/100%.txt", "percent");
    data.WriteFile("Global/100%s.txt", "literal");
    Mount("Global");
    EXPECT_EQ(Load("100%.txt"), "percent");
    EXPECT_EQ(Load("100%s.txt"), "literal");
    FileHandle* handle = files.OpenFile("%s", "100%.txt");
    ASSERT_NE(handle, nullptr);
    FileManager::Close(handle);
}

TEST_F(FileManagerTest, OverlongNamesAreMissingAndNeverTruncated) {
    std::string shortName(FileManager::kMaxNameLength, 'a');
    data.WriteFile("Global/" + shortName.substr(0, 200), "short");
    Mount("Global");
    std::string longName = shortName.substr(0, 200) + std::string(100, 'b');
    EXPECT_EQ(Load(longName.c_str()), "<missing>");
    uint32_t size = 7;
    EXPECT_EQ(files.LoadFile(&size, "%s%s", shortName.c_str(), "x"), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(FileManagerTest, ReadsAndSkipsPlainFiles) {
    data.WriteFile("Global/data.bin", "0123456789");
    Mount("Global");
    FileHandle* handle = files.OpenFile("data.bin");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 10u);
    char buffer[8] = {};
    EXPECT_EQ(FileManager::Read(handle, nullptr, 2, 2), 2);
    EXPECT_EQ(FileManager::Read(handle, buffer, 2, 4), 3) << "whole items only";
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(FileManager::Read(handle, buffer, 1, 4), 0);
    FileManager::Close(handle);
}

TEST_F(FileManagerTest, SoundRootsAreTheSharedAndGlobalOnes) {
    data.WriteFile("Windows/music/a.ogg", "windows");
    data.WriteFile("Shared/music/a.ogg", "shared");
    MountAll();
    FileManager sound;
    sound.MountSoundRoots(files);
    EXPECT_EQ(sound.GetRootPaths(), (std::vector<std::string>{data / "Shared", data / "Global"}));
    Buffer buffer(sound.LoadFile(nullptr, "music/a.ogg"));
    ASSERT_TRUE(buffer);
    EXPECT_STREQ(buffer.get(), "shared");
}

TEST_F(FileManagerTest, MissingRootFindsNothing) {
    Mount("Nowhere");
    EXPECT_EQ(files.OpenFile("a.txt"), nullptr);
    EXPECT_EQ(files.OpenFile("%s", ""), nullptr);
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/ScopeGuard.h"
#include "platform/ShutdownFlag.h"
#include "platform/os/Clock.h"
#include "platform/os/Environment.h"
#include "platform/os/Launch.h"
#include "platform/os/Random.h"
#include "platform/os/Thread.h"

namespace {

std::string MakeTempDir() {
    char pattern[] = "/tmp/tavrin_os_XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

TEST(OsRandom, KnownSequenceAndRange) {
    os::SeedRand(1);
    EXPECT_EQ(os::Rand(), 41);
    EXPECT_EQ(os::Rand(), 18467);
    EXPECT_EQ(os::Rand(), 6334);
    os::SeedRand(12345);
    for (int i = 0; i < 10000; ++i) {
        const int value = os::Rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, os::kRandMax);
    }
}

TEST(OsClock, AdvancesAcrossASleep) {
    const uint32_t before = os::Milliseconds();
    os::SleepMs(20);
    const uint32_t gap = os::Milliseconds() - before;
    EXPECT_GE(gap, 19u);
    // A sleep or a clock in the wrong unit (seconds, microseconds) is a
    // thousand times off; a busy machine is late by far less.
    EXPECT_LT(gap, 10000u);
}

TEST(OsEnvironment, TracerPidLine) {
    EXPECT_FALSE(os::StatusShowsTracer("Name:\tx\nTracerPid:\t0\nUid:\t0\n"));
    EXPECT_TRUE(os::StatusShowsTracer("Name:\tx\nTracerPid:\t4242\n"));
    EXPECT_FALSE(os::StatusShowsTracer(""));
    EXPECT_FALSE(os::IsDebuggerPresent());  // the test runner does not trace us
}

TEST(OsEnvironment, LanguageFromLocaleNames) {
    EXPECT_EQ(os::LanguageFromLocaleName("de_DE.UTF-8"), os::kLanguageGerman);
    EXPECT_EQ(os::LanguageFromLocaleName("de"), os::kLanguageGerman);
    EXPECT_EQ(os::LanguageFromLocaleName("en_GB@euro"), os::kLanguageEnglish);
    EXPECT_EQ(os::LanguageFromLocaleName("en:de"), os::kLanguageEnglish);
    EXPECT_EQ(os::LanguageFromLocaleName("C.UTF-8"), os::kLanguageOther);
    EXPECT_EQ(os::LanguageFromLocaleName("deu"), os::kLanguageOther);
    EXPECT_EQ(os::LanguageFromLocaleName("fr_FR"), os::kLanguageOther);
}

TEST(OsEnvironment, UiLanguageLeavesNumberFormattingAlone) {
    setenv("LANGUAGE", "de_DE", 1);
    EXPECT_EQ(os::GetUserDefaultUILanguage(), os::kLanguageGerman);
    unsetenv("LANGUAGE");
    char text[32];
    std::snprintf(text, sizeof text, "%f", 1.5);
    EXPECT_STREQ(text, "1.500000");
}

TEST(OsEnvironment, DocumentsFolderFromUserDirs) {
    EXPECT_EQ(os::DocumentsFolderFrom("/home/u", "# c\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"),
              "/home/u/Dokumente");
    EXPECT_EQ(os::DocumentsFolderFrom("/home/u", "XDG_DOCUMENTS_DIR=\"/data/docs/\"\n"),
              "/data/docs");
    EXPECT_EQ(os::DocumentsFolderFrom("/home/u", "XDG_MUSIC_DIR=\"$HOME/M\"\n"),
              "/home/u/Documents");
    EXPECT_EQ(os::DocumentsFolderFrom("/home/u", ""), "/home/u/Documents");
}

TEST(OsEnvironment, DocumentsFolderIsCreated) {
    const std::string home = MakeTempDir();
    ASSERT_FALSE(home.empty());
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/cfg").c_str(), 1);
    halvo::ScopeGuard restore([&] {
        setenv("HOME", savedHome.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    });
    EXPECT_EQ(os::DocumentsFolder(), home + "/Documents");
    EXPECT_TRUE(Exists(home + "/Documents"));
    EXPECT_TRUE(os::CreateFolders(home + "/a/b/c"));
    EXPECT_TRUE(Exists(home + "/a/b/c"));
}

TEST(OsEnvironment, SystemPathsUseForwardSlashes) {
    EXPECT_EQ(os::ToSystemPath("Data\\Shared/scripts\\a.cis"), "Data/Shared/scripts/a.cis");
}

TEST(OsLaunch, TargetIsOneArgumentAndNeverShellText) {
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    // A shell would run the second command in our working directory.
    const std::string target = dir + "/a; touch injected-by-shell";
    const char* argv[] = {"touch", target.c_str(), nullptr};
    ASSERT_TRUE(os::LaunchDetached(argv));
    // However late a busy machine starts it: a launch that went wrong never makes it.
    for (int i = 0; i < 6000 && !Exists(target); ++i) os::SleepMs(10);
    EXPECT_TRUE(Exists(target));
    EXPECT_FALSE(Exists("injected-by-shell"));
    EXPECT_FALSE(os::OpenWithDesktop(""));
}

TEST(OsThread, RunsBodyAndJoinsOnRelease) {
    bool ran = false;
    {
        std::jthread worker = os::StartThread("a-very-long-thread-name", [&ran] { ran = true; });
    }
    EXPECT_TRUE(ran);
}

TEST(ShutdownFlag, StaysSetOnceMarked) {
    halvo::MarkProcessShuttingDown();
    EXPECT_TRUE(halvo::IsProcessShuttingDown());
}

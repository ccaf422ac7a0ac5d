#include "platform/UserFolder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(UserFolder, IsCreatedOnceAndFoundAgain) {
    testsupport::TempFolder documents;
    std::string folder = PrepareUserFolder(documents.Path());
    EXPECT_EQ(folder, documents / "Tavrin/");
    struct stat info;
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(PrepareUserFolder(documents.Path() + "/"), folder);

    documents.WriteFile("blocked/Tavrin", "a file where the folder should be");
    EXPECT_EQ(PrepareUserFolder(documents / "blocked"), "");
}

}  // namespace

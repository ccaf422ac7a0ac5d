// The data tool's commands on real files: what they write, and that a
// refused input or command line leaves older output alone.

#include "PictureTestSupport.h"

#include "platform/GLImage.h"
#include "support/FakeGlFixture.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"
#include "tools/datawriters/DataTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using namespace datatooltest;
using testsupport::ReadWholeFile;

class DataToolTest : public FakeGlFixture {
protected:
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "tavrin-data");
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        messages.str("");
        return DataTool::Run(static_cast<int>(argv.size()), argv.data(), messages);
    }
    std::string Path(const char* name) const { return folder / name; }
    bool Loads(const std::string& path) {
        const std::string bytes = ReadWholeFile(path);
        halvo::AutoRef<GLImage> image(new GLImage);
        return !bytes.empty() && image->LoadFromMemory(bytes.data(), bytes.size());
    }

    testsupport::TempFolder folder;
    std::ostringstream messages;
};

TEST_F(DataToolTest, PicturesBecomeContainersAndNumberedFrames) {
    folder.WriteFile("a.tga", Tga(3, 2, 32, 0x28, PatternRows(3, 2, true)));
    folder.WriteFile("b.tga", Tga(1, 1, 24, 0x20, {1, 2, 3}));
    EXPECT_EQ(Run({"cbi", "--format", "rgba", Path("a.tga"), Path("out/a.cbi")}), 0) << messages.str();
    EXPECT_TRUE(Loads(Path("out/a.cbi")));
    EXPECT_EQ(Run({"frames", Path("sets/Spark"), Path("a.tga"), Path("b.tga")}), 0) << messages.str();
    EXPECT_TRUE(Loads(Path("sets/Spark01.cbi")));
    EXPECT_TRUE(Loads(Path("sets/Spark02.cbi")));
    EXPECT_FALSE(std::filesystem::exists(Path("sets/Spark03.cbi")));

    const std::string rgba(2 * 2 * 4, '\x7f');
    folder.WriteFile("raw.rgba", rgba);
    EXPECT_EQ(Run({"cbi", "--raw", "2x2", Path("raw.rgba"), Path("raw.cbi")}), 0) << messages.str();
    EXPECT_TRUE(Loads(Path("raw.cbi")));
}

TEST_F(DataToolTest, RefusedInputLeavesTheOldOutputAndSaysWhy) {
    folder.WriteFile("old.cbi", "older");
    folder.WriteFile("bad.tga", "not a picture at all");
    folder.WriteFile("good.tga", Tga(1, 1, 24, 0x20, {1, 2, 3}));
    EXPECT_EQ(Run({"cbi", Path("bad.tga"), Path("old.cbi")}), 1);
    EXPECT_NE(messages.str().find("bad.tga: "), std::string::npos) << messages.str();
    EXPECT_EQ(ReadWholeFile(Path("old.cbi")), "older");
    EXPECT_EQ(Run({"cbi", Path("missing.tga"), Path("old.cbi")}), 1);
    EXPECT_NE(messages.str().find("missing.tga: cannot open"), std::string::npos);
    folder.MakeFolder("folder.tga");
    EXPECT_EQ(Run({"cbi", Path("folder.tga"), Path("old.cbi")}), 1);
    EXPECT_NE(messages.str().find("folder.tga: not a file"), std::string::npos);

    // One bad frame keeps the whole set from being written.
    EXPECT_EQ(Run({"frames", Path("set/F"), Path("good.tga"), Path("bad.tga")}), 1);
    EXPECT_FALSE(std::filesystem::exists(Path("set/F01.cbi")));

    folder.WriteFile("old.bin", "table");
    folder.WriteFile("broken.txt", "key = ok\nbroken\n");
    EXPECT_EQ(Run({"loca", Path("broken.txt"), Path("old.bin")}), 1);
    EXPECT_NE(messages.str().find("broken.txt: line 2: expected 'key = text'"), std::string::npos)
        << messages.str();
    EXPECT_EQ(ReadWholeFile(Path("old.bin")), "table");
}

TEST_F(DataToolTest, BadCommandLinesShowHowToCallIt) {
    folder.WriteFile("good.tga", Tga(1, 1, 24, 0x20, {1, 2, 3}));
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"png"},
        {"cbi", Path("good.tga")},
        {"cbi", "--format", "jpeg", Path("good.tga"), Path("x.cbi")},
        {"cbi", "--raw", "12by4", Path("good.tga"), Path("x.cbi")},
        {"cbi", "--mask", Path("good.tga"), Path("x.cbi")},
        {"frames", Path("F")},
        {"loca", Path("good.tga")},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(messages.str().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(Path("x.cbi")));
}

}  // namespace

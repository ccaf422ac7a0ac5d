#include "platform/DataTree.h"
#include "tests/platform/DataTreeFixture.h"

#include <tinyxml.h>

#include <string>

namespace {

using datatreetest::DataTreeTest;

TEST_F(DataTreeTest, PathGrammar) {
    EXPECT_TRUE(DataTree::SetInt("[ROOT]/a/b/value", 3));
    EXPECT_EQ(DataTree::GetInt("[ROOT]/a/b/value"), 3);
    // A bracketed segment restarts the walk at that root.
    EXPECT_EQ(DataTree::GetInt("[ROOT]/a/[ROOT]/a/b/value"), 3);
    EXPECT_EQ(DataTree::GetInt("[STATS]/[ROOT]/a/b/value"), 3);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/nowhere/[ROOT]/a/b/value"), 0);
    EXPECT_TRUE(DataTree::Exists("[ROOT]/a/b/"));
    EXPECT_EQ(DataTree::Resolve("[ROOT]/a/b/", false), DataTree::Resolve("[ROOT]/a/b/value", false));
    // No '/', unknown roots, roots matched exactly, no root at all.
    EXPECT_FALSE(DataTree::SetInt("[ROOT]", 1));
    EXPECT_EQ(DataTree::Resolve("[ROOT]", true), nullptr);
    EXPECT_FALSE(DataTree::SetInt("[OTHER]/x", 1));
    EXPECT_FALSE(DataTree::SetInt("[root]/x", 1));
    EXPECT_FALSE(DataTree::SetInt("a/x", 1));
    EXPECT_FALSE(DataTree::SetString("[ROOT]/a/", "element, not attribute"));
    // Getters never create.
    EXPECT_EQ(DataTree::GetString("[ROOT]/fresh/x"), nullptr);
    EXPECT_FALSE(DataTree::Exists("[ROOT]/fresh/"));
}

TEST_F(DataTreeTest, LongSegmentsAndDeepPathsNameNothing) {
    std::string longName(DataTree::kMaxSegment, 'x');
    std::string shorter(DataTree::kMaxSegment - 1, 'x');
    EXPECT_FALSE(DataTree::SetInt(("[ROOT]/" + longName + "/v").c_str(), 1));
    EXPECT_FALSE(DataTree::SetInt(("[ROOT]/a/" + longName).c_str(), 1));
    EXPECT_TRUE(DataTree::SetInt(("[ROOT]/" + shorter + "/" + shorter).c_str(), 1));
    std::string deep = "[ROOT]/";
    for (int i = 0; i < DataTree::kMaxSegments; ++i) deep += "d/";
    EXPECT_FALSE(DataTree::SetInt((deep + "v").c_str(), 1));
    EXPECT_FALSE(DataTree::Exists("[ROOT]/d/"));
}

TEST_F(DataTreeTest, ProfileRootsAreMissingWithoutAProfile) {
    EXPECT_EQ(DataTree::GetInt("[SETTINGS]/difficulty"), 0);
    EXPECT_FALSE(DataTree::SetInt("[PLAYER]/scenes/start/enter", 1));
    EXPECT_FALSE(DataTree::Exists("[STATS]/"));
}

TEST_F(DataTreeTest, DefaultsArePlainText) {
    EXPECT_STREQ(DataTree::GetStoredText("[ROOT]/options/volume_music"), "0.700000");
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/options/volume_sfx"), 0.7f);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/options/animations"), 1);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), 1);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/resx"), 1024);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/resy"), 576);
    EXPECT_EQ(DataTree::GetInt("[ROOT]/rating_next"), 5);
    EXPECT_TRUE(DataTree::Exists("[ROOT]/rating"));
    EXPECT_TRUE(DataTree::Exists("[ROOT]/profiles/"));
}

TEST_F(DataTreeTest, TypedGettersReadPrefixedAndPlainText) {
    struct Case {
        const char* stored;
        int32_t asInt;
        float asFloat;
        const char* asString;
    } cases[] = {
        {"~i_5", 5, 5.0f, nullptr},
        {"~f_2.750000", 2, 2.75f, nullptr},
        {"~f_-2.750000", -2, -2.75f, nullptr},
        {"~b_1", 1, 1.0f, nullptr},
        {"~b_0", 0, 0.0f, nullptr},
        {"~s_12 apples", 12, 12.0f, "12 apples"},
        {"~u_\xC3\xA4", 0, 0.0f, nullptr},
        {"42", 42, 42.0f, "42"},
        {"  +7.5e1", 7, 75.0f, "  +7.5e1"},
        {"-13xyz", -13, -13.0f, "-13xyz"},
        {"word", 0, 0.0f, "word"},
        {"~x_1", 0, 0.0f, "~x_1"},
        {"99999999999", INT32_MAX, 99999999999.0f, "99999999999"},
        {"~f_1e30", INT32_MAX, 1e30f, nullptr},
        {"", 0, 0.0f, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(DataTree::SetString("[ROOT]/t/v", c.stored));
        EXPECT_EQ(DataTree::GetInt("[ROOT]/t/v"), c.asInt);
        EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/t/v"), c.asFloat);
        const char* text = DataTree::GetString("[ROOT]/t/v");
        if (c.asString) {
            EXPECT_STREQ(text, c.asString);
        } else {
            EXPECT_EQ(text, nullptr);
        }
    }
}

TEST_F(DataTreeTest, RemoveAttributesAndSubtrees) {
    DataTree::SetInt("[ROOT]/r/a/x", 1);
    DataTree::SetInt("[ROOT]/r/y", 2);
    EXPECT_TRUE(DataTree::Remove("[ROOT]/r/y"));
    EXPECT_FALSE(DataTree::Remove("[ROOT]/r/y"));
    EXPECT_FALSE(DataTree::Exists("[ROOT]/r/y"));
    EXPECT_TRUE(DataTree::Remove("[ROOT]/r/"));
    EXPECT_FALSE(DataTree::Exists("[ROOT]/r/a/"));
    EXPECT_FALSE(DataTree::Remove("[ROOT]/r/"));
}

TEST_F(DataTreeTest, RemovingAnElementHoldingProfileRootsLeavesThemMissing) {
    DataTree::Load(user.Path());
    ASSERT_TRUE(DataTree::CreateProfile(1, u"Ann"));
    ASSERT_TRUE(DataTree::SetInt("[STATS]/clicks", 4));
    EXPECT_TRUE(DataTree::Remove("[ROOT]/profiles/"));
    EXPECT_FALSE(DataTree::Exists("[SETTINGS]/"));
    EXPECT_FALSE(DataTree::SetInt("[STATS]/clicks", 5));
    EXPECT_FALSE(DataTree::Exists("[LOG]/"));
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/"));  // its own document stays
    EXPECT_TRUE(DataTree::SaveGameData());

    // The same through a path that restarts at a root, and for the player.
    ASSERT_TRUE(DataTree::CreateProfile(2, u"Bo"));
    EXPECT_TRUE(DataTree::Remove("[PLAYER]/[ROOT]/"));
    EXPECT_FALSE(DataTree::Exists("[STATS]/"));
    EXPECT_TRUE(DataTree::Remove("[PLAYER]/"));
    EXPECT_FALSE(DataTree::SetInt("[PLAYER]/x", 1));
}

TEST_F(DataTreeTest, NamesXmlRefusesAreEscapedReversibly) {
    for (std::string name : {"volume_sfx", "slot0", "a-b.c:d", "\xC3\xA4pfel"})
        EXPECT_EQ(DataTree::EncodeName(name), name);
    for (std::string name : {"1st try", "", "-x", "a b", "a/b", "_-already", "x\x7f", "\"<&>'", "_-"}) {
        std::string stored = DataTree::EncodeName(name);
        SCOPED_TRACE(stored);
        EXPECT_NE(stored, name);
        EXPECT_EQ(DataTree::DecodeName(stored), name);
        // The stored form is a name that XML reads back.
        TiXmlDocument document;
        std::string xml = "<" + stored + " " + stored + "=\"1\" />";
        document.Parse(xml.c_str());
        ASSERT_FALSE(document.Error());
        EXPECT_EQ(document.FirstChildElement()->Value(), stored);
    }
    EXPECT_EQ(DataTree::DecodeName("plain"), "plain");
    EXPECT_EQ(DataTree::DecodeName("_-bad-Zescape-4"), "bad-Zescape-4");
}

TEST_F(DataTreeTest, OddKeysSurviveSaveAndReload) {
    DataTree::Load(user.Path());
    ASSERT_TRUE(DataTree::SetInt("[ROOT]/1st scene/1st try", 7));
    ASSERT_TRUE(DataTree::SetString("[ROOT]/global/key with <&\"> and \n", "v&<\"\n>"));
    ASSERT_TRUE(DataTree::SaveGameData());
    Restart();
    EXPECT_EQ(DataTree::GetInt("[ROOT]/1st scene/1st try"), 7);
    EXPECT_STREQ(DataTree::GetString("[ROOT]/global/key with <&\"> and \n"), "v&<\"\n>");
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), 1);  // the file was not taken as damaged
}

}  // namespace

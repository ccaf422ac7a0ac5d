#include "platform/DataTree.h"
#include "script/runtime/library/DataTreeVar.h"
#include "script/runtime/values/VarString.h"
#include "script/runtime/values/VarUnicode.h"
#include "support/TempFolder.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class DataTreeVarTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureTypes();
        DataTree::Init();
    }
    void TearDown() override { DataTree::Init(); }

    static std::string Encoded(const Var& value) {
        std::string text;
        DataTree::EncodeValue(value, text);
        return text;
    }
};

Var Unicode(std::u16string_view text) {
    return Var(static_cast<VarExtension*>(new VarUnicode(std::vector<char16_t>(text.begin(), text.end()))));
}

TEST_F(DataTreeVarTest, EncodesEachKindOfValue) {
    Var number = Int(5);
    Var reference;
    reference.SetReference(&number);
    Var flag = Bool(true);
    Var flagReference;
    flagReference.SetReference(&flag);
    EXPECT_EQ(Encoded(Int(-5)), "~i_-5");
    EXPECT_EQ(Encoded(Float(0.7f)), "~f_0.700000");
    EXPECT_EQ(Encoded(reference), "~f_5.000000");  // a referenced number is written as a float
    EXPECT_EQ(Encoded(Bool(false)), "~b_0");
    EXPECT_EQ(Encoded(flagReference), "~b_1");
    EXPECT_EQ(Encoded(Str("plain text")), "~s_plain text");
    EXPECT_EQ(Encoded(Const("const")), "~s_const");
    EXPECT_EQ(Encoded(Str("\xE4")), "~u_\xC3\xA4");
    EXPECT_EQ(Encoded(Unicode(u"\u00E4\u20AC")), "~u_\xC3\xA4\xE2\x82\xAC");
    EXPECT_EQ(Encoded(Var()), "(invalid)");
    EXPECT_EQ(Encoded(Array({Int(1)})), "(invalid)");
}

TEST_F(DataTreeVarTest, ValuesComeBackThroughTheTree) {
    ASSERT_TRUE(DataTree::SetVar("[ROOT]/v/int", Int(5)));
    EXPECT_STREQ(DataTree::GetStoredText("[ROOT]/v/int"), "~i_5");
    EXPECT_EQ(DataTree::GetInt("[ROOT]/v/int"), 5);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/v/int"), 5.0f);
    EXPECT_EQ(DataTree::GetString("[ROOT]/v/int"), nullptr);

    Var out;
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/int", out));
    EXPECT_EQ(out.GetTag(), kTagInt);
    EXPECT_EQ(out.RawInt(), 5);

    // Booleans come back as numbers.
    DataTree::SetVar("[ROOT]/v/flag", Bool(true));
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/flag", out));
    EXPECT_EQ(out.GetTag(), kTagFloat);
    EXPECT_FLOAT_EQ(out.RawFloat(), 1.0f);

    DataTree::SetVar("[ROOT]/v/umlaut", Str("K\xE4se"));
    EXPECT_STREQ(DataTree::GetStoredText("[ROOT]/v/umlaut"), "~u_K\xC3\xA4se");
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/umlaut", out));
    ASSERT_NE(ToVarUnicode(out), nullptr);
    EXPECT_EQ(ToVarUnicode(out)->GetText(), u"K\u00E4se");

    // Plain text is read as a new string of the whole text.
    DataTree::SetString("[ROOT]/v/plain", "12");
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/plain", out));
    EXPECT_STREQ(out.GetCString(), "12");

    Var untouched = Int(9);
    EXPECT_FALSE(DataTree::GetVar("[ROOT]/v/missing", untouched));
    EXPECT_EQ(untouched.RawInt(), 9);
    EXPECT_FALSE(DataTree::SetVar("no root", Int(1)));
}

// A text read from the tree is the script's own: changing or removing the
// attribute, or replacing the whole document, must not change it.
TEST_F(DataTreeVarTest, TextsOutliveTheirAttribute) {
    DataTree::SetVar("[ROOT]/v/name", Str("first value, long enough to live on the heap"));
    Var read, plain;
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/name", read));
    DataTree::SetString("[ROOT]/v/other", "plain text, also long enough for the heap");
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/other", plain));

    DataTree::SetVar("[ROOT]/v/name", Str("second"));
    EXPECT_STREQ(read.GetCString(), "first value, long enough to live on the heap");
    DataTree::Remove("[ROOT]/v/other");
    DataTree::Init();
    EXPECT_STREQ(read.GetCString(), "first value, long enough to live on the heap");
    EXPECT_STREQ(plain.GetCString(), "plain text, also long enough for the heap");
}

TEST_F(DataTreeVarTest, PrefixedTextsSurviveSaving) {
    testsupport::TempFolder user;
    DataTree::Load(user.Path());
    DataTree::SetVar("[ROOT]/v/u", Unicode(u"\u00E4 \"<&>\n"));
    DataTree::SetVar("[ROOT]/v/f", Float(-1.25f));
    ASSERT_TRUE(DataTree::SaveGameData());
    DataTree::Init();
    DataTree::Load(user.Path());
    Var out;
    ASSERT_TRUE(DataTree::GetVar("[ROOT]/v/u", out));
    ASSERT_NE(ToVarUnicode(out), nullptr);
    EXPECT_EQ(ToVarUnicode(out)->GetText(), u"\u00E4 \"<&>\n");
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[ROOT]/v/f"), -1.25f);
}

}  // namespace

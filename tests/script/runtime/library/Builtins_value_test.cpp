// The built-ins for values and texts: type names, members, conversions,
// array sizes, the string functions and the angle functions.

#include "script/runtime/library/BuiltinFunctions.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/BuiltinTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Vrel;
using namespace bytecode;
using scripttest::BuiltinTest;
using scripttest::Messages;

namespace {

using ValueBuiltinTest = BuiltinTest;

TEST_F(ValueBuiltinTest, TypeNamesAndNil) {
    EXPECT_EQ(TextOf(Call("TypeName", {Var(1)})), "int");
    EXPECT_EQ(TextOf(Call("TypeName", {Const("x")})), "string");
    EXPECT_EQ(TextOf(Call("TypeName")), "(null)");

    Var dangling;
    dangling.SetReference(nullptr);
    EXPECT_TRUE(Truth(Call("IsNil")));
    EXPECT_TRUE(Truth(Call("IsNil", {Var()})));
    EXPECT_TRUE(Truth(Call("IsNil", {Var(static_cast<VarExtension*>(nullptr))})));
    EXPECT_TRUE(Truth(Call("IsNil", {dangling})));
    EXPECT_FALSE(Truth(Call("IsNil", {Var(0)})));
}

TEST_F(ValueBuiltinTest, MembersOfObjects) {
    halvo::AutoRef<t_Named> data(new t_Named);
    data->GetOrAddMember("a")->SetInt(1);
    Var holder(static_cast<VarExtension*>(data.Get()));
    EXPECT_EQ(Call("GetMember", {Ref(holder), Const("a")}).AsInt(), 1);
    EXPECT_TRUE(Truth(Call("HasMember", {holder, Const("a")})));
    EXPECT_TRUE(Call("GetMember", {holder, Const("b")}).IsNil());
    EXPECT_FALSE(Truth(Call("HasMember", {holder, Const("b")})));
    EXPECT_FALSE(Truth(Call("HasMember", {holder})));
    EXPECT_FALSE(Truth(Call("HasMember", {Var(1), Const("a")})));
    EXPECT_FALSE(Truth(Call("HasMember", {holder, Var(1)})));
    EXPECT_TRUE(data->FindMember("b") == nullptr);
}

TEST_F(ValueBuiltinTest, Conversions) {
    EXPECT_EQ(TextOf(Call("tostring", {Var(3)})), "3");
    EXPECT_TRUE(Call("tostring").IsNil());
    EXPECT_EQ(Call("toint", {Var(2.9f)}).AsInt(), 2);
    EXPECT_EQ(Call("toint", {Const("12")}).AsInt(), 12);
    EXPECT_EQ(Call("toint", {Var()}).AsInt(), 0);
    EXPECT_EQ(Call("tofloat", {Var(2)}).RawFloat(), 2.0f);
    EXPECT_EQ(Call("tofloat", {Const("x")}).RawFloat(), 0.0f);
    EXPECT_FALSE(Truth(Call("tobool", {Var()})));
    EXPECT_TRUE(Truth(Call("tobool", {Var(3)})));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ValueBuiltinTest, GetSizeCountsWhatAValueHolds) {
    Var list(static_cast<VarExtension*>(VarArray::CreateWithCount(4)));
    EXPECT_EQ(Call("GetSize", {Ref(list)}).AsInt(), 4);
    EXPECT_EQ(Call("GetSize", {Var(7)}).AsInt(), 1);
    EXPECT_EQ(Call("GetSize", {Var()}).AsInt(), 0);
    EXPECT_EQ(Call("GetSize", {Var(static_cast<VarExtension*>(nullptr))}).AsInt(), 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Call("GetSize", {list, list}).AsInt(), 0);
    EXPECT_EQ(OnlyText(), "GetSize must be called with an array");
}

TEST_F(ValueBuiltinTest, SetSizeNeedsAnArrayVariableAndASize) {
    Var list(static_cast<VarExtension*>(VarArray::CreateWithCount(1)));
    Var number(3);
    const std::vector<std::pair<std::vector<Var>, std::string>> failures = {
        {{Ref(list)}, "SetSize must be called at least with two parameters"},
        {{list, Var(2)}, "SetSize: LValue expected as first parameter"},
        {{Ref(number), Var(2)}, "SetSize expected an array as first argument"},
        {{Ref(list), Const("2")}, "SetSize expected a size value as second argument"},
        {{Ref(list), Var(-1)}, "SetSize expected a size value as second argument"},
        {{Ref(list), Var(1.0e20f)}, "SetSize expected a size value as second argument"},
    };
    for (const auto& [arguments, message] : failures) {
        Messages().clear();
        EXPECT_FALSE(Truth(Call("SetSize", arguments)));
        EXPECT_EQ(OnlyText(), message);
    }
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(Truth(Call("SetSize", {Ref(list), Var(2.7f)})));
    EXPECT_EQ(list.GetCount(), 2);
}

TEST_F(ValueBuiltinTest, SetSizeOnAnAutoVariableKeepsItsArray) {
    Var variable;
    variable.SetAutoFlag(true);
    EXPECT_TRUE(Truth(Call("SetSize", {Ref(variable), Var(2)})));
    ASSERT_NE(ToVarArray(variable), nullptr);
    variable.GetElement(0)->AssignTyped(Var(11));
    variable.GetElement(1)->AssignTyped(Var(22));
    VarArray* before = ToVarArray(variable);
    EXPECT_TRUE(Truth(Call("SetSize", {Ref(variable), Var(3)})));
    EXPECT_EQ(ToVarArray(variable), before);
    EXPECT_EQ(variable.GetElement(0)->AsInt(), 11);
    EXPECT_EQ(variable.GetElement(1)->AsInt(), 22);
    // New places take any value.
    EXPECT_TRUE(variable.GetElement(2)->AssignTyped(Var(1.5f)));
}

TEST_F(ValueBuiltinTest, SubstrCountsFromEitherEnd) {
    auto part = [&](int start, int length) {
        Var result = Call("substr", {Const("abcde"), Var(start), Var(length)});
        return result.IsNil() ? std::string("nil") : TextOf(result);
    };
    EXPECT_EQ(part(-2, 2), "de");
    EXPECT_EQ(part(1, -1), "bcd");
    EXPECT_EQ(part(5, 1), "nil");
    EXPECT_EQ(part(-5, 1), "nil");
    EXPECT_EQ(part(3, 10), "de");
    EXPECT_EQ(part(0, -5), "");
    EXPECT_EQ(part(INT_MIN, 2), "nil");
    EXPECT_EQ(part(1, INT_MIN), "");
    EXPECT_EQ(part(0, INT_MAX), "abcde");
    EXPECT_TRUE(Call("substr", {Var(), Var(0), Var(1)}).IsNil());
}

TEST_F(ValueBuiltinTest, StringFunctionsTreatMissingTexts) {
    EXPECT_EQ(TextOf(Call("strcat", {Const("ab"), Const("cd")})), "abcd");
    EXPECT_EQ(TextOf(Call("strcat", {Const("ab")})), "ab");
    EXPECT_EQ(TextOf(Call("strcat")), "");
    EXPECT_EQ(TextOf(Call("strstr", {Const("hello world"), Const("o w")})), "o world");
    EXPECT_EQ(TextOf(Call("strstr", {Const("hello"), Const("x")})), "");
    EXPECT_EQ(TextOf(Call("strstr", {Const("hello")})), "hello");
    EXPECT_EQ(Call("strncmp").AsInt(), 0);
    EXPECT_EQ(Call("strncmp", {Const("abc"), Const("abd"), Var(2)}).AsInt(), 0);
    EXPECT_LT(Call("strncmp", {Const("abc"), Const("abd"), Var(3)}).AsInt(), 0);
    EXPECT_EQ(Call("strlen", {Const("abc")}).AsInt(), 3);
    EXPECT_EQ(Call("strlen").AsInt(), 0);
    EXPECT_EQ(TextOf(Call("strrev", {Const("abc")})), "cba");
    EXPECT_EQ(TextOf(Call("strrev", {Const("")})), "");
    EXPECT_TRUE(Call("strrev").IsNil());
    EXPECT_TRUE(Call("strlwr").IsNil());
    EXPECT_TRUE(Call("strupr").IsNil());
    EXPECT_TRUE(Messages().empty());
    // A nil in place of a text is reported and then counts as missing.
    EXPECT_EQ(Call("strncmp", {Var(), Const("a"), Var(1)}).AsInt(), -1);
    EXPECT_EQ(Call("strncmp", {Const("a"), Var(), Var(1)}).AsInt(), 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Invalid parameter 1: found nil / expected string",
                                                 "Invalid parameter 2: found nil / expected string"}));
}

TEST_F(ValueBuiltinTest, CaseMappingFollowsCodePage1252) {
    EXPECT_EQ(TextOf(Call("strupr", {Const("a\xE4\xDF\xFFz")})), "A\xC4\xDF\x9FZ");
    EXPECT_EQ(TextOf(Call("strlwr", {Const("A\xC4\xDF\x8A\xD7")})), "a\xE4\xDF\x9A\xD7");
    int lowered = 0;
    for (int c = 1; c < 256; ++c) {
        auto byte = static_cast<unsigned char>(c);
        unsigned char lower = builtins::LowerCase1252(byte);
        if (lower != byte) {
            ++lowered;
            EXPECT_EQ(builtins::UpperCase1252(lower), byte) << c;
        }
        unsigned char upper = builtins::UpperCase1252(byte);
        if (upper != byte) {
            EXPECT_EQ(builtins::LowerCase1252(upper), byte) << c;
        }
    }
    // 26 ASCII letters, 30 accented ones and the four special pairs.
    EXPECT_EQ(lowered, 26 + 30 + 4);
    for (unsigned char fixed : {0xD7, 0xF7, 0xDF, 0x80, 0x9D}) {
        EXPECT_EQ(builtins::LowerCase1252(fixed), fixed);
        EXPECT_EQ(builtins::UpperCase1252(fixed), fixed);
    }
}

TEST_F(ValueBuiltinTest, AnglesUseSinglePrecisionPi) {
    EXPECT_NEAR(Call("sin", {Var(90.0f)}).RawFloat(), 1.0f, 1e-6f);
    EXPECT_NEAR(Call("cos", {Var(180.0f)}).RawFloat(), -1.0f, 1e-6f);
    EXPECT_EQ(Call("sin", {Var(0)}).RawFloat(), 0.0f);
    // The single-precision pi lies below pi, so the sine of 180 degrees is a
    // small positive number, not zero and not negative.
    float half = Call("sin", {Var(180.0f)}).RawFloat();
    EXPECT_GT(half, 1.4e-7f);
    EXPECT_LT(half, 1.6e-7f);
}

}  // namespace

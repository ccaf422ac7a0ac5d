#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/VarUnicode.h"
#include "script/runtime/values/Vocabulary.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(ConversionTest, TextsConvertByTheirDecimalPrefix) {
    int n = -1;
    EXPECT_TRUE(Str("12abc").ToInt(n));
    EXPECT_EQ(n, 12);
    float f = 0;
    EXPECT_TRUE(Str("12abc").ToFloat(f));
    EXPECT_FLOAT_EQ(f, 12.0f);
    bool b = true;
    EXPECT_TRUE(Str("").ToBool(b));
    EXPECT_FALSE(b);
    EXPECT_EQ(Str("99999999999").AsInt(), INT_MAX);
    EXPECT_EQ(Const("-99999999999").AsInt(), INT_MIN);
    Var nullText;
    nullText.SetStringConst(nullptr);
    EXPECT_EQ(nullText.AsInt(), 0);
    EXPECT_EQ(TextToInt(nullptr), 0);
}

TEST_F(ConversionTest, FloatsTruncateClampAndMapNaNToZero) {
    EXPECT_EQ(Float(1e20f).AsInt(), INT_MAX);
    EXPECT_EQ(Float(-1e20f).AsInt(), INT_MIN);
    EXPECT_EQ(Float(std::nanf("")).AsInt(), 0);
    EXPECT_EQ(Float(-2.9f).AsInt(), -2);
    bool b = false;
    EXPECT_TRUE(Float(std::nanf("")).ToBool(b));
    EXPECT_TRUE(b);
}

TEST_F(ConversionTest, FailedConversionsLeaveTheOutValue) {
    int n = 77;
    EXPECT_FALSE(Var().ToInt(n));
    EXPECT_EQ(n, 77);
    float f = 2.0f;
    EXPECT_FALSE(Const("3").ToFloat(f));
    EXPECT_FLOAT_EQ(f, 2.0f);
    Var decl;
    decl.SetDeclaration("int");
    bool b = true;
    EXPECT_FALSE(decl.ToBool(b));
    EXPECT_TRUE(b);
    // An object that declines counts as true.
    Var structure(static_cast<VarExtension*>(new t_Named));
    b = false;
    EXPECT_TRUE(structure.ToBool(b));
    EXPECT_TRUE(b);
}

TEST_F(ConversionTest, TextForms) {
    EXPECT_EQ(Text(Var()), "NULL");
    EXPECT_EQ(Text(Float(1.5f)), "1.500000");
    EXPECT_EQ(Text(Bool(true)), "1");
    Var position;
    position.SetPosition(12);
    EXPECT_EQ(Text(position), "12(pos)");
    Var declared;
    declared.InitType("string");
    EXPECT_EQ(Text(declared), "(null)");
    Var nullText;
    nullText.SetStringConst(nullptr);
    EXPECT_EQ(Text(nullText), "(\?\?\?)");
}

TEST_F(ConversionTest, TypeNamesFollowReferencesAndRecords) {
    Var target;
    target.InitType("string");
    Var ref;
    ref.SetReference(&target);
    Var refToRef;
    refToRef.SetReference(&ref);
    EXPECT_EQ(refToRef.GetReferenced(), &target);
    EXPECT_STREQ(refToRef.GetTypeName(), "string");
    Var structure(static_cast<VarExtension*>(new t_Named));
    EXPECT_STREQ(structure.GetTypeName(), "(NULL)");
    Var odd;
    odd.SetType(5);
    EXPECT_STREQ(odd.GetTypeName(), "(unknown)");
}

TEST_F(ConversionTest, DeclarationsMakeEmptyTypedValues) {
    Var ints;
    ints.InitType("#3:int");
    ASSERT_EQ(ints.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ints.GetElement(i)->GetTag(), kTagInt);
        EXPECT_EQ(ints.GetElement(i)->RawInt(), 0);
    }
    Var grid;
    grid.InitType("#2:#3:int");
    ASSERT_EQ(grid.GetCount(), 2);
    EXPECT_EQ(grid.GetElement(0)->GetCount(), 3);
    // Rows are separate arrays: writing one leaves the other.
    grid.GetElement(0)->GetElement(1)->SetInt(9);
    EXPECT_EQ(grid.GetElement(1)->GetElement(1)->RawInt(), 0);
    Var strings;
    strings.InitType("#2:string");
    EXPECT_STREQ(strings.GetElement(1)->GetTypeName(), "string");

    Var any;
    any.InitType("auto");
    EXPECT_EQ(any.GetTag(), kTagNil);
    EXPECT_TRUE(any.HasAutoFlag());
    EXPECT_TRUE(any.AssignTyped(Float(2.5f)));
    EXPECT_TRUE(any.AssignTyped(Const("x")));
    EXPECT_EQ(any.GetTag(), kTagStringConst);

    Var unknown = Int(4);
    unknown.InitType("no such type");
    EXPECT_EQ(unknown.GetTag(), kTagNil);
}

// Elements of a declared type convert what is stored into them, however
// deep the array and wherever it lives; only an "auto" element takes any.
TEST_F(ConversionTest, DeclaredArrayElementsKeepTheirType) {
    Var grid;
    grid.InitType("#2:#3:int");
    EXPECT_TRUE(grid.GetElement(1)->GetElement(2)->AssignTyped(Str("9z")));
    EXPECT_TRUE(grid.GetElement(0)->GetElement(0)->AssignTyped(Float(1.5f)));
    EXPECT_EQ(grid.ToString(), "((1,0,0),(0,0,9))");

    t_Named holder;
    Var* member = holder.AddMember("list", "#2:bool");
    ASSERT_NE(member, nullptr);
    EXPECT_TRUE(member->GetElement(1)->AssignTyped(Int(4)));
    EXPECT_EQ(member->GetElement(1)->GetTag(), kTagBool);

    Var anything;
    anything.InitType("#2:auto");
    EXPECT_TRUE(anything.GetElement(1)->AssignTyped(Str("w")));
    EXPECT_STREQ(anything.GetElement(1)->GetTypeName(), "string");
}

TEST_F(ConversionTest, DamagedDeclarationsStayBounded) {
    Var noColon;
    noColon.InitType("#3");
    ASSERT_EQ(noColon.GetCount(), 3);
    EXPECT_EQ(noColon.GetElement(2)->GetTag(), kTagNil);
    Var negative;
    negative.InitType("#-5:int");
    EXPECT_EQ(negative.GetCount(), 0);
    Var huge;
    huge.InitType("#99999999999");
    EXPECT_EQ(huge.GetCount(), kMaxArrayCount);
    std::string deep;
    for (int i = 0; i < 1000; ++i) deep += "#1:";
    deep += "int";
    Var nested;
    nested.InitType(deep.c_str());
    int depth = 0;
    for (const Var* v = &nested; v->GetTag() == kTagObject; v = v->GetElement(0)) ++depth;
    EXPECT_EQ(depth, kMaxDeclarationDepth);
    Var none = Int(1);
    none.InitType(nullptr);
    EXPECT_EQ(none.GetTag(), kTagNil);
}

TEST_F(ConversionTest, CreateObjectUsesTheRecordAndSkipsAbstractTypes) {
    Var s;
    s.InitType("struct");
    s.CreateObject();
    ASSERT_NE(ToNamed(s), nullptr);
    EXPECT_STREQ(s.GetTypeName(), "struct");
    static const ClassRecord abstractRecord = {"Abstract", &VarExtension::kClassRecord, nullptr};
    TypeRegistry::Global().Add("test-abstract", kTagObject, &abstractRecord);
    Var a;
    a.InitType("test-abstract");
    a.CreateObject();
    EXPECT_EQ(a.GetTag(), kTagObject);
    EXPECT_EQ(a.GetObject(), nullptr);
}

TEST_F(ConversionTest, RegistryNeverReplacesARecord) {
    const TypeRecord* before = TypeRegistry::Global().Find("int");
    ScriptVM fresh;
    ScriptVM::FillTypeRegistry();
    EXPECT_EQ(TypeRegistry::Global().Find("int"), before);
    EXPECT_EQ(TypeRegistry::Global().Add("int", kTagFloat, nullptr), before);
    EXPECT_EQ(before->tag, kTagInt);
}

TEST_F(ConversionTest, TypedAssignmentConvertsByTheDestination) {
    Var n;
    n.InitType("int");
    EXPECT_TRUE(n.AssignTyped(Float(2.7f)));
    EXPECT_EQ(n.GetTag(), kTagInt);
    EXPECT_EQ(n.RawInt(), 2);
    EXPECT_FALSE(n.AssignTyped(Var()));
    EXPECT_EQ(n.RawInt(), 2);
    Var ignore;
    ignore.SetIgnore();
    EXPECT_TRUE(n.AssignTyped(ignore));
    EXPECT_EQ(n.RawInt(), 2);

    Var s;
    s.InitType("string");
    EXPECT_TRUE(s.AssignTyped(Const("hello")));
    EXPECT_STREQ(s.GetCString(), "hello");
    EXPECT_FALSE(s.AssignTyped(Int(5)));
    EXPECT_TRUE(s.AssignTyped(Var()));
    EXPECT_EQ(s.GetObject(), nullptr);

    Var plainNil;
    EXPECT_FALSE(plainNil.AssignTyped(Int(1)));

    Var declared;
    declared.SetDeclaration("float");
    EXPECT_TRUE(declared.AssignTyped(Int(3)));
    EXPECT_EQ(declared.GetTag(), kTagFloat);
}

TEST_F(ConversionTest, CopyingAConstantNeverMakesTheVariableConstant) {
    Var k = Int(5);
    k.SetConstFlag(true);
    Var a;
    a.InitType("int");
    ASSERT_TRUE(a.AssignTyped(k));
    EXPECT_FALSE(a.HasConstFlag());
    EXPECT_TRUE(a.AssignTyped(Int(2)));

    Var list = Array({Int(1)});
    Var list2 = Array({Int(1), Int(2)});
    ASSERT_TRUE(list2.GetObject()->OpAdd(list2, k));
    EXPECT_FALSE(list2.GetElement(2)->HasConstFlag());
    EXPECT_TRUE(list2.GetElement(2)->AssignTyped(Int(1)));

    // The auto flag of an equal-tag copy follows the source, as scripts had it.
    Var structure(static_cast<VarExtension*>(new t_Named));
    Var* member = structure.GetOrAddMember("a");
    member->InitType("auto");
    member->AssignTyped(Int(1));
    Var x;
    x.InitType("int");
    ASSERT_TRUE(x.AssignTyped(*member));
    ASSERT_TRUE(x.AssignTyped(Float(2.5f)));
    EXPECT_EQ(x.GetTag(), kTagFloat);
    EXPECT_FLOAT_EQ(x.RawFloat(), 2.5f);
}

TEST_F(ConversionTest, StructParametersAcceptTheirClass) {
    Var parameter;
    parameter.InitType("struct");
    Var argument(static_cast<VarExtension*>(new t_Named));
    Var byReference;
    byReference.SetReference(&argument);
    ASSERT_TRUE(parameter.AssignTyped(byReference));
    EXPECT_EQ(parameter.GetObject(), argument.GetObject());
    EXPECT_STREQ(parameter.GetTypeName(), "(NULL)");

    Var stringParameter;
    stringParameter.InitType("string");
    EXPECT_FALSE(stringParameter.AssignTyped(byReference));
}

TEST_F(ConversionTest, CaseOrderingAcrossTypes) {
    EXPECT_TRUE(Var::CaseLess(Int(1), Float(1.5f)));
    EXPECT_FALSE(Var::CaseLess(Float(1.5f), Int(1)));
    EXPECT_FALSE(Var::CaseLess(Var(), Var()));
    EXPECT_TRUE(Var::CaseLess(Bool(false), Bool(true)));
    EXPECT_TRUE(Var::CaseLess(Var(), Int(1)));
    // Different kinds beyond numbers order by type name: "int" < "string".
    EXPECT_TRUE(Var::CaseLess(Int(100), Const("a")) != Var::CaseLess(Const("a"), Int(100)));
    EXPECT_TRUE(Var::CaseLess(Const("abc"), Const("abd")));
    EXPECT_FALSE(Var::CaseLess(Const("abd"), Const("abc")));
    EXPECT_TRUE(Var::CaseLess(Const(nullptr), Const("")));
    EXPECT_FALSE(Var::CaseLess(Const(""), Const(nullptr)));
    EXPECT_TRUE(Var::CaseLess(Str("a"), Str("b")));
}

TEST_F(ConversionTest, CaseOrderingReportsObjectsWithoutOrder) {
    static std::vector<std::string> messages;
    messages.clear();
    ScriptVM& vm = ScriptVM::Global();
    auto previous = vm.GetSecondCallback();
    vm.SetSecondCallback([](const char* text) { messages.push_back(text); });
    Var a = Array({Int(1), Int(2)});
    Var b = Array({Int(1), Int(2)});
    EXPECT_FALSE(Var::CaseLess(a, b));
    vm.SetSecondCallback(previous);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Invalid variable type in case statement");
}

TEST_F(ConversionTest, OperandEncodingRoundTripsAtEveryByteBoundary) {
    struct Case {
        int value;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0, {6}},
        {127, {5, 0x7F}},
        {128, {4, 0x00, 0x80}},
        {-128, {5, 0x80}},
        {-129, {4, 0xFF, 0x7F}},
        {32767, {4, 0x7F, 0xFF}},
        {32768, {3, 0x00, 0x80, 0x00}},
        {-32769, {3, 0xFF, 0x7F, 0xFF}},
        {8388607, {3, 0x7F, 0xFF, 0xFF}},
        {8388608, {2, 0x00, 0x80, 0x00, 0x00}},
        {-8388608, {3, 0x80, 0x00, 0x00}},
        {-8388609, {2, 0xFF, 0x7F, 0xFF, 0xFF}},
        {INT_MIN, {2, 0x80, 0x00, 0x00, 0x00}},
        {INT_MAX, {2, 0x7F, 0xFF, 0xFF, 0xFF}},
        {-1, {5, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<uint8_t> buffer;
        ASSERT_TRUE(Int(c.value).WriteOperand(buffer, nullptr));
        EXPECT_EQ(buffer, c.bytes);
        if (buffer[0] != 6) {
            EXPECT_EQ(ReadPackedInt(buffer.data() + 1, 5 - buffer[0]), c.value);
        }
    }
    const uint8_t minus128[] = {0x80};
    EXPECT_EQ(ReadPackedInt(minus128, 0), -128);
}

TEST_F(ConversionTest, OperandEncodingOfOtherKinds) {
    std::vector<uint8_t> buffer;
    Var any;
    any.InitType("auto");
    any.SetInt(1);
    any.WriteOperand(buffer, nullptr);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{0x45, 0x01}));
    buffer.clear();
    Float(1.0f).WriteOperand(buffer, nullptr);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{7, 0x00, 0x00, 0x80, 0x3F}));
    buffer.clear();
    Const("hi").WriteOperand(buffer, nullptr);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{16, 'h', 'i', 0}));
    buffer.clear();
    halvo::AutoRef<Vocabulary> words(new Vocabulary);
    Str("hi").WriteOperand(buffer, words.Get());
    EXPECT_EQ(buffer, (std::vector<uint8_t>{11, 1, 0, 0, 0}));
    buffer.clear();
    Var decl;
    decl.SetDeclaration("int");
    EXPECT_FALSE(decl.WriteOperand(buffer, nullptr));
    EXPECT_EQ(buffer, (std::vector<uint8_t>{0}));
}

TEST_F(ConversionTest, UnicodeTextsCompareUnitByUnit) {
    VarUnicode abc("abc");
    EXPECT_EQ(abc.GetUnits().size(), 4u);
    Var left(static_cast<VarExtension*>(new VarUnicode("abc")));
    Var right(static_cast<VarExtension*>(new VarUnicode(std::vector<char16_t>{u'a', u'b', u'c'})));
    Var result;
    ASSERT_TRUE(left.GetObject()->OpEqual(result, right));
    EXPECT_TRUE(result.AsInt());
    EXPECT_FALSE(left.GetObject()->OpEqual(result, Str("abc")));
    VarUnicode high("\xE9");
    EXPECT_EQ(high.GetUnits()[0], 0xFFE9);
    Var sum;
    sum.Assign(left);
    ASSERT_TRUE(left.GetObject()->OpAdd(sum, Const("de")));
    EXPECT_EQ(Text(sum), "uni(abcde)");
    EXPECT_FALSE(left.GetObject()->OpAdd(sum, Int(1)));
}

}  // namespace

// Frames are opened on every call from what their function remembers: the
// remembered records and the kept frames must give what fresh ones give,
// and must not be used where the function's table has changed.
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace Vrel;
using namespace valuetest;

namespace {

class FramePathTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(FramePathTest, DeclaredRecordFollowsTheTableNotTheTextAddress) {
    std::string text = "int";
    VarTable table;
    table.Add("a", text.c_str(), nullptr);
    EXPECT_EQ(table.DeclaredRecord(0, text.c_str()), TypeRegistry::Global().Find("int"));
    // The table rebuilt with another text in the same buffer.
    table.Clear();
    text = "flo";
    text += "at";
    table.Add("a", text.c_str(), nullptr);
    EXPECT_EQ(table.DeclaredRecord(0, text.c_str()), TypeRegistry::Global().Find("float"));
    // Another text for the same slot is looked up afresh.
    const std::string other = "bool";
    EXPECT_EQ(table.DeclaredRecord(0, other.c_str()), TypeRegistry::Global().Find("bool"));
    // Out of range numbers are looked up without being remembered.
    EXPECT_EQ(table.DeclaredRecord(7, "int"), TypeRegistry::Global().Find("int"));
    EXPECT_EQ(table.DeclaredRecord(-1, "int"), TypeRegistry::Global().Find("int"));
}

TEST_F(FramePathTest, DeclaredMissGivesWayToATypeAddedLater) {
    static const char* kName = "frame_path_late_type";
    VarTable table;
    table.Add("a", kName, nullptr);
    EXPECT_EQ(table.DeclaredRecord(0, kName), nullptr);
    EXPECT_EQ(table.DeclaredRecord(0, kName), nullptr);
    const TypeRecord* added = TypeRegistry::Global().Add(kName, kTagFloat, nullptr);
    EXPECT_EQ(table.DeclaredRecord(0, kName), added);
}

// A function with an int parameter, a string, an array declaration and a
// plain value local.
halvo::AutoRef<BinCode> MakeFunction() {
    halvo::AutoRef<BinCode> function(new BinCode);
    VarTable& variables = function->GetVariables();
    variables.Add("n", "int", nullptr);
    variables.Add("s", "string", nullptr);
    variables.Add("list", "#2:int", nullptr);
    variables.Add("k", nullptr, nullptr)->SetInt(5);
    return function;
}

TEST_F(FramePathTest, ReopenedFrameStartsFromTheDeclarationsAgain) {
    halvo::AutoRef<BinCode> function = MakeFunction();
    CallFrame frame(function.Get());
    VarTable& locals = frame.GetLocals();
    EXPECT_EQ(locals.At(0)->GetTag(), kTagInt);
    EXPECT_EQ(locals.At(1)->GetTag(), kTagObject);
    EXPECT_STREQ(locals.At(1)->GetTypeName(), "string");
    halvo::AutoRef<VarArray> firstList(ToVarArray(*locals.At(2)));
    ASSERT_TRUE(firstList);
    EXPECT_EQ(firstList->GetCount(), 2);
    locals.At(0)->SetInt(9);
    locals.At(1)->SetString("kept?");
    locals.At(3)->SetInt(6);
    *frame.Push() = Int(1);
    frame.Close();
    EXPECT_EQ(frame.GetFunction(), nullptr);

    frame.Open(function.Get());
    EXPECT_EQ(frame.GetCount(), 0u);
    EXPECT_EQ(locals.At(0)->GetTag(), kTagInt);
    EXPECT_EQ(locals.At(0)->RawInt(), 0);
    EXPECT_TRUE(locals.At(1)->IsNil());
    EXPECT_STREQ(locals.At(1)->GetTypeName(), "string");
    EXPECT_EQ(locals.At(3)->RawInt(), 5);
    // Every call gets an array of its own.
    VarArray* secondList = ToVarArray(*locals.At(2));
    ASSERT_NE(secondList, nullptr);
    EXPECT_NE(secondList, firstList.Get());
    // The function's own table still holds the declarations.
    EXPECT_EQ(function->GetVariables().At(0)->GetTag(), kTagDeclaration);
    EXPECT_EQ(function->GetVariables().At(2)->GetTag(), kTagDeclaration);
}

TEST_F(FramePathTest, ChangedDeclarationIsNotAnsweredFromMemory) {
    halvo::AutoRef<BinCode> function = MakeFunction();
    { CallFrame first(function.Get()); }
    // The slot now declares another type at another address.
    static const char* kFloat = "float";
    function->GetVariables().At(0)->SetDeclaration(kFloat);
    CallFrame second(function.Get());
    EXPECT_EQ(second.GetLocals().At(0)->GetTag(), kTagFloat);
}

TEST_F(FramePathTest, LocalStructIsOneObjectForEveryCall) {
    halvo::AutoRef<BinCode> function(new BinCode);
    Var* shared = function->GetVariables().Add("p", nullptr, nullptr);
    shared->SetObject(new t_Named);
    CallFrame first(function.Get());
    VarExtension* object = first.GetLocals().At(0)->GetObject();
    first.Close();
    first.Open(function.Get());
    EXPECT_EQ(first.GetLocals().At(0)->GetObject(), object);
}

TEST_F(FramePathTest, PoppedFramesAreNotVisibleAndReturnFresh) {
    halvo::AutoRef<BinCode> function = MakeFunction();
    halvo::AutoRef<Thread> thread(new Thread);
    ASSERT_TRUE(thread->PushFrame(function.Get()));
    ASSERT_TRUE(thread->PushFrame(function.Get()));
    EXPECT_EQ(thread->GetDepth(), 2u);
    CallFrame* top = thread->GetCurrentFrame();
    ASSERT_NE(top, nullptr);
    top->GetLocals().At(0)->SetInt(41);
    top->pc = 17;
    thread->PopFrame();
    EXPECT_EQ(thread->GetDepth(), 1u);
    EXPECT_EQ(thread->GetFrame(2), nullptr);
    // The function lives on in the frame below only.
    EXPECT_EQ(thread->GetCurrentFrame()->GetFunction(), function.Get());
    ASSERT_TRUE(thread->PushFrame(function.Get()));
    CallFrame* again = thread->GetCurrentFrame();
    EXPECT_EQ(again->pc, 0u);
    EXPECT_EQ(again->GetLocals().At(0)->RawInt(), 0);
    thread->PopFrame();
    thread->PopFrame();
    EXPECT_EQ(thread->GetDepth(), 0u);
    EXPECT_EQ(thread->GetFrame(1), nullptr);
}

TEST_F(FramePathTest, PoppedFrameLetsGoOfItsFunction) {
    halvo::AutoRef<Thread> thread(new Thread);
    halvo::WeakRef<BinCode> watched;
    {
        halvo::AutoRef<BinCode> function = MakeFunction();
        watched = function.Get();
        ASSERT_TRUE(thread->PushFrame(function.Get()));
    }
    EXPECT_NE(watched.Get(), nullptr);
    thread->PopFrame();
    EXPECT_EQ(watched.Get(), nullptr);
}

}  // namespace

namespace {

TEST(TypedCopyTest, SamePlainTypeKeepsTheTargetsConstBitAndTakesTheSourcesAutoBit) {
    valuetest::EnsureTypes();
    Var target(3);
    target.SetConstFlag(true);
    Var source(8);
    source.SetAutoFlag(true);
    ASSERT_TRUE(target.AssignTyped(source));
    EXPECT_EQ(target.RawInt(), 8);
    EXPECT_TRUE(target.HasConstFlag());
    EXPECT_TRUE(target.HasAutoFlag());
}

TEST(TypedCopyTest, OtherCasesTakeTheLongWay) {
    valuetest::EnsureTypes();
    // A declaration becomes its type first.
    Var declared;
    declared.SetDeclaration("float");
    ASSERT_TRUE(declared.AssignTyped(Var(2)));
    EXPECT_EQ(declared.GetTag(), kTagFloat);
    EXPECT_EQ(declared.RawFloat(), 2.0f);
    // A variable that takes any type takes the source's.
    Var any;
    any.SetAutoFlag(true);
    ASSERT_TRUE(any.AssignTyped(Var(1.5f)));
    EXPECT_EQ(any.GetTag(), kTagFloat);
    EXPECT_TRUE(any.HasAutoFlag());
    // An ignored value changes nothing, also into an ignored one.
    Var ignored;
    ignored.SetIgnore();
    Var target(4);
    ASSERT_TRUE(target.AssignTyped(ignored));
    EXPECT_EQ(target.RawInt(), 4);
    ASSERT_TRUE(ignored.AssignTyped(ignored));
    // Objects of the same type are shared, not copied by value.
    Var text = valuetest::Str("a");
    Var other = valuetest::Str("b");
    ASSERT_TRUE(text.AssignTyped(other));
    EXPECT_EQ(text.GetObject(), other.GetObject());
    // Different plain types convert.
    Var whole(0);
    ASSERT_TRUE(whole.AssignTyped(Var(2.75f)));
    EXPECT_EQ(whole.GetTag(), kTagInt);
    EXPECT_EQ(whole.RawInt(), 2);
}

TEST(TypedCopyTest, InitFromRecordGivesEmptyValuesOfEveryKind) {
    valuetest::EnsureTypes();
    TypeRegistry& registry = TypeRegistry::Global();
    Var value = valuetest::Str("held");
    value.InitTypeFromRecord(registry.Find("int"));
    EXPECT_EQ(value.GetTag(), kTagInt);
    EXPECT_EQ(value.RawInt(), 0);
    value.InitTypeFromRecord(registry.Find("auto"));
    EXPECT_EQ(value.GetTag(), kTagNil);
    EXPECT_TRUE(value.HasAutoFlag());
    value.InitTypeFromRecord(registry.Find("string"));
    EXPECT_EQ(value.GetTag(), kTagObject);
    EXPECT_EQ(value.GetObject(), nullptr);
    EXPECT_STREQ(value.GetTypeName(), "string");
    value.SetInt(5);
    value.InitTypeFromRecord(nullptr);
    EXPECT_EQ(value.GetTag(), kTagNil);
}

}  // namespace

namespace {

TEST(FramePinTest, RepeatedPinsHoldUntilTheStatementEnds) {
    valuetest::EnsureTypes();
    CallFrame frame;
    halvo::WeakRef<VarExtension> watched;
    {
        halvo::AutoRef<VarExtension> structure(new t_Named);
        watched = structure.Get();
        frame.Pin(structure.Get());
        frame.Pin(structure.Get());
    }
    EXPECT_NE(watched.Get(), nullptr);
    frame.EndStatement();
    EXPECT_EQ(watched.Get(), nullptr);
}

TEST(FramePinTest, ArrayPinnedTwiceKeepsOldStorageUntilTheStatementEnds) {
    valuetest::EnsureTypes();
    CallFrame frame;
    halvo::AutoRef<VarArray> array(VarArray::CreateWithCount(2));
    array->GetAt(1)->SetInt(7);
    frame.Pin(array.Get());
    frame.Pin(array.Get());
    Var* element = array->GetAt(1);
    ASSERT_TRUE(array->Resize(50));
    // The element's old place is still readable (the sanitizer build
    // checks that it was not freed) and the array refuses reuse.
    EXPECT_EQ(element->RawInt(), 7);
    EXPECT_FALSE(array->Reuse(50));
    frame.EndStatement();
    EXPECT_TRUE(array->Reuse(50));
}

}  // namespace

namespace {

// Its type name is a text of its own object, so two objects of the class
// name different types.
class NamedByObject : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    explicit NamedByObject(const char* name) : name_(name) {}
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return name_.c_str(); }

private:
    std::string name_;
};
const ClassRecord NamedByObject::kClassRecord = {"NamedByObject", &VarExtension::kClassRecord, nullptr};

TEST(ObjectRecordTest, LastFoundRecordServesOnlyTheSameClassAndName) {
    valuetest::EnsureTypes();
    Var text = valuetest::Str("a");
    Var list = valuetest::Array({valuetest::Int(1)});
    Var again = valuetest::Str("b");
    EXPECT_STREQ(text.GetTypeName(), "string");
    EXPECT_STREQ(list.GetTypeName(), "array");
    EXPECT_STREQ(again.GetTypeName(), "string");
    Var first(static_cast<VarExtension*>(new NamedByObject("int")));
    Var second(static_cast<VarExtension*>(new NamedByObject("float")));
    EXPECT_STREQ(first.GetTypeName(), "int");
    EXPECT_STREQ(second.GetTypeName(), "float");
    Var unnamed(static_cast<VarExtension*>(new NamedByObject("no_such_type_anywhere")));
    EXPECT_STREQ(unnamed.GetTypeName(), "(NULL)");
}

}  // namespace

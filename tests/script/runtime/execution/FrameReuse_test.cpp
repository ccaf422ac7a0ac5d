// Kept frames are reopened with the plain declarations made on the copy, and
// finished argument arrays are kept for the next calls: where either
// shortcut does not apply, the whole way must still be taken.
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class FrameReuseTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(FrameReuseTest, FrameReopenedForAnotherFunctionTakesThatFunctionsLocals) {
    halvo::AutoRef<BinCode> first(new BinCode);
    first->GetVariables().Add("a", "int", nullptr);
    first->GetVariables().Add("b", "float", nullptr);
    first->GetVariables().Add("c", "string", nullptr);
    halvo::AutoRef<BinCode> second(new BinCode);
    second->GetVariables().Add("x", "float", nullptr);
    second->GetVariables().Add("y", nullptr, nullptr)->SetInt(3);

    CallFrame frame(first.Get());
    frame.GetLocals().At(0)->SetInt(8);
    frame.Close();
    frame.Open(second.Get());
    VarTable& locals = frame.GetLocals();
    ASSERT_EQ(locals.GetCount(), 2);
    EXPECT_EQ(locals.At(0)->GetTag(), kTagFloat);
    EXPECT_EQ(locals.At(0)->RawFloat(), 0.0f);
    EXPECT_EQ(locals.At(1)->GetTag(), kTagInt);
    EXPECT_EQ(locals.At(1)->RawInt(), 3);
    EXPECT_EQ(locals.At(2), nullptr);
    EXPECT_EQ(&locals.GetNames(), &second->GetVariables().GetNames());
    EXPECT_EQ(frame.GetFunction(), second.Get());

    // And back to the first, with its wider table.
    frame.Close();
    frame.Open(first.Get());
    ASSERT_EQ(locals.GetCount(), 3);
    EXPECT_EQ(locals.At(0)->GetTag(), kTagInt);
    EXPECT_EQ(locals.At(0)->RawInt(), 0);
    EXPECT_STREQ(locals.At(2)->GetTypeName(), "string");
    EXPECT_TRUE(locals.At(2)->IsNil());
}

TEST_F(FrameReuseTest, PlainDeclarationsKeepTheirFlagsAndUnknownTypesGiveNil) {
    halvo::AutoRef<BinCode> function(new BinCode);
    Var* constant = function->GetVariables().Add("k", "int", nullptr);
    constant->SetConstFlag(true);
    function->GetVariables().Add("u", "frame_reuse_no_such_type", nullptr);
    CallFrame frame(function.Get());
    EXPECT_EQ(frame.GetLocals().At(0)->GetTag(), kTagInt);
    EXPECT_TRUE(frame.GetLocals().At(0)->HasConstFlag());
    EXPECT_EQ(frame.GetLocals().At(1)->GetTag(), kTagNil);
}

TEST_F(FrameReuseTest, StructLocalsStillHaveTheirDeclaredMembersMade) {
    halvo::AutoRef<BinCode> function(new BinCode);
    function->GetVariables().Add("n", "int", nullptr);
    auto* structure = new t_Named;
    function->GetVariables().Add("p", nullptr, nullptr)->SetObject(structure);
    structure->GetOrAddMember("m")->SetDeclaration("int");
    CallFrame frame(function.Get());
    EXPECT_EQ(frame.GetLocals().At(0)->GetTag(), kTagInt);
    Var* member = structure->FindMember("m");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->GetTag(), kTagInt);
    EXPECT_EQ(frame.GetLocals().At(1)->GetObject(), structure);
}

TEST_F(FrameReuseTest, ArrayDeclarationsAndReferencedDeclarationsTakeTheWholeWay) {
    halvo::AutoRef<BinCode> function(new BinCode);
    function->GetVariables().Add("list", "#3:float", nullptr);
    Var target;
    target.SetDeclaration("float");
    function->GetVariables().Add("r", nullptr, nullptr)->SetReference(&target);
    function->GetVariables().Add("n", "int", nullptr);
    CallFrame frame(function.Get());
    VarArray* list = ToVarArray(*frame.GetLocals().At(0));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 3);
    // The declaration reached through the reference is set up where it
    // lives; the local stays the reference.
    EXPECT_EQ(frame.GetLocals().At(1)->GetTag(), kTagReference);
    EXPECT_EQ(target.GetTag(), kTagFloat);
    EXPECT_EQ(frame.GetLocals().At(2)->GetTag(), kTagInt);
}

TEST_F(FrameReuseTest, ClosedFrameLetsGoOfItsObjectsInOrder) {
    halvo::AutoRef<BinCode> function(new BinCode);
    function->GetVariables().Add("s", "string", nullptr);
    CallFrame frame(function.Get());
    halvo::WeakRef<VarExtension> text;
    frame.GetLocals().At(0)->SetString("held");
    text = frame.GetLocals().At(0)->GetObject();
    halvo::WeakRef<VarExtension> pushed;
    {
        halvo::AutoRef<VarArray> array(VarArray::CreateWithCount(1));
        pushed = array.Get();
        frame.Push()->SetObject(array.Get());
    }
    ASSERT_NE(text.Get(), nullptr);
    frame.Close();
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(pushed.Get(), nullptr);
    EXPECT_EQ(frame.GetCount(), 0u);
    EXPECT_EQ(frame.GetCode(), nullptr);
    EXPECT_EQ(frame.GetModule(), nullptr);
    EXPECT_EQ(frame.GetVocabulary(), nullptr);
}

// ---- spare argument arrays --------------------------------------------------

TEST_F(FrameReuseTest, ArrayAnotherHolderStillHoldsIsNotKept) {
    halvo::AutoRef<Thread> thread(new Thread);
    Var holder = Array({Int(1), Int(2)});
    VarExtension* array = holder.GetObject();
    halvo::AutoRef<VarExtension> other(array);
    thread->KeepArgumentArray(holder);
    // Left alone: same object, elements untouched.
    EXPECT_EQ(holder.GetObject(), array);
    EXPECT_EQ(holder.GetElement(1)->RawInt(), 2);
    EXPECT_FALSE(thread->TakeArgumentArray(2));
}

TEST_F(FrameReuseTest, KeptArrayIsEmptiedAndTheHolderKeepsItsRecordAndFlags) {
    halvo::AutoRef<Thread> thread(new Thread);
    halvo::WeakRef<VarExtension> element;
    Var holder = Array({Str("x"), Int(2)});
    element = holder.GetElement(0)->GetObject();
    holder.SetAutoFlag(true);
    const TypeRecord* record = holder.GetRecord();
    ASSERT_NE(record, nullptr);
    VarExtension* array = holder.GetObject();
    thread->KeepArgumentArray(holder);
    EXPECT_EQ(holder.GetTag(), kTagNil);
    EXPECT_EQ(holder.GetRecord(), record);
    EXPECT_TRUE(holder.HasAutoFlag());
    // Its elements went at once.
    EXPECT_EQ(element.Get(), nullptr);
    halvo::AutoRef<VarArray> taken = thread->TakeArgumentArray(3);
    ASSERT_EQ(taken.Get(), array);
    EXPECT_EQ(taken->GetRefCount(), 1);
    EXPECT_EQ(taken->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(taken->GetAt(i)->IsNil());
        EXPECT_TRUE(taken->GetAt(i)->HasAutoFlag());
    }
    // Taken once only.
    EXPECT_FALSE(thread->TakeArgumentArray(3));
}

TEST_F(FrameReuseTest, ReferencesAndOtherObjectsAreNotKept) {
    halvo::AutoRef<Thread> thread(new Thread);
    Var list = Array({Int(1)});
    Var reference;
    reference.SetReference(&list);
    thread->KeepArgumentArray(reference);
    EXPECT_EQ(reference.GetReferenced(), &list);
    Var text = Str("no array");
    thread->KeepArgumentArray(text);
    EXPECT_STREQ(text.GetCString(), "no array");
    EXPECT_FALSE(thread->TakeArgumentArray(1));
}

TEST_F(FrameReuseTest, PinnedSpareIsDroppedNotHandedOut) {
    halvo::AutoRef<Thread> thread(new Thread);
    Var holder = Array({Int(1)});
    halvo::WeakRef<VarExtension> array = holder.GetObject();
    CallFrame frame;
    frame.Pin(holder.GetObject());
    thread->KeepArgumentArray(holder);
    // The pin holds it too: not the only holder.
    EXPECT_NE(holder.GetObject(), nullptr);
    holder.Clear();
    frame.EndStatement();
    EXPECT_EQ(array.Get(), nullptr);

    // Storage pinned after it was kept: Take refuses and lets it go.
    Var kept = Array({Int(1)});
    halvo::WeakRef<VarExtension> watched = kept.GetObject();
    VarArray* raw = ToVarArray(kept);
    thread->KeepArgumentArray(kept);
    ASSERT_NE(watched.Get(), nullptr);
    raw->PinStorage();
    ASSERT_TRUE(raw->Resize(4));
    EXPECT_FALSE(thread->TakeArgumentArray(2));
    EXPECT_EQ(watched.Get(), nullptr);
}

TEST_F(FrameReuseTest, SparesComeBackNewestFirstAndBeyondTheLimitAreLetGo) {
    halvo::AutoRef<Thread> thread(new Thread);
    std::vector<halvo::WeakRef<VarExtension>> watched;
    for (uint32_t i = 0; i <= kMaxSpareArrays; ++i) {
        Var holder = Array({Int(static_cast<int>(i))});
        watched.emplace_back(holder.GetObject());
        thread->KeepArgumentArray(holder);
    }
    // One past the limit: not kept, so its end came with its holder's.
    EXPECT_EQ(watched.back().Get(), nullptr);
    for (uint32_t i = kMaxSpareArrays; i-- > 0;) {
        halvo::AutoRef<VarArray> taken = thread->TakeArgumentArray(1);
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken.Get(), watched[i].Get());
    }
    EXPECT_FALSE(thread->TakeArgumentArray(1));
}

TEST_F(FrameReuseTest, SpareElementsLoseConstAndRecordAndTakeAnyType) {
    halvo::AutoRef<Thread> thread(new Thread);
    Var holder = Array({Str("text"), Int(3)});
    VarArray* array = ToVarArray(holder);
    array->GetAt(1)->SetConstFlag(true);
    array->GetAt(1)->SetAutoFlag(false);
    thread->KeepArgumentArray(holder);
    halvo::AutoRef<VarArray> taken = thread->TakeArgumentArray(2);
    ASSERT_EQ(taken.Get(), array);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(taken->GetAt(i)->GetTagWord(), kTagNil | kAutoFlag);
        EXPECT_EQ(taken->GetAt(i)->GetRecord(), nullptr);
    }
}

TEST_F(FrameReuseTest, SpareWhoseStorageWasPinnedAndLetGoIsHandedOutAgain) {
    halvo::AutoRef<Thread> thread(new Thread);
    Var holder = Array({Int(1)});
    VarArray* array = ToVarArray(holder);
    array->PinStorage();
    ASSERT_TRUE(array->Resize(3));
    array->UnpinStorage();
    thread->KeepArgumentArray(holder);
    halvo::AutoRef<VarArray> taken = thread->TakeArgumentArray(2);
    ASSERT_EQ(taken.Get(), array);
    EXPECT_EQ(taken->GetCount(), 2);
}

// ---- pins -------------------------------------------------------------------

// Writes its number into a shared log when it ends.
class LoggedEnd : public VarExtension {
public:
    LoggedEnd(std::vector<int>& log, int number) : log_(log), number_(number) {}
    ~LoggedEnd() override { log_.push_back(number_); }

private:
    std::vector<int>& log_;
    int number_;
};

// An array of a derived class pins its storage as a plain array does.
class DerivedArray : public VarArray {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
};
const ClassRecord DerivedArray::kClassRecord = {"DerivedArray", &VarArray::kClassRecord, nullptr};

TEST_F(FrameReuseTest, ManyPinsAreLetGoNewestFirstAndPlacesServeTheNextStatement) {
    CallFrame frame;
    std::vector<int> log;
    for (int statement = 0; statement < 2; ++statement) {
        for (int i = 0; i < 20; ++i) {
            halvo::AutoRef<LoggedEnd> object(new LoggedEnd(log, statement * 100 + i));
            frame.Pin(object.Get());
            // The same object again right after holds nothing more.
            frame.Pin(object.Get());
        }
        EXPECT_TRUE(log.empty());
        frame.EndStatement();
        ASSERT_EQ(log.size(), 20u);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(log[i], statement * 100 + 19 - i);
        log.clear();
    }
    EXPECT_FALSE(frame.HasPins());
}

TEST_F(FrameReuseTest, ArrayPinnedTwiceHoldsItsStorageUntilBothAreLetGo) {
    CallFrame frame;
    halvo::AutoRef<BinCode> module(new BinCode);
    halvo::AutoRef<DerivedArray> array(new DerivedArray);
    ASSERT_TRUE(array->Resize(1));
    frame.Pin(module.Get());
    frame.Pin(array.Get());
    frame.Pin(array.Get());
    frame.Pin(module.Get());
    EXPECT_EQ(module->GetRefCount(), 3);
    EXPECT_EQ(array->GetRefCount(), 3);
    EXPECT_FALSE(array->Reuse(1));
    frame.EndStatement();
    EXPECT_TRUE(array->Reuse(1));
    EXPECT_EQ(module->GetRefCount(), 1);
    EXPECT_EQ(array->GetRefCount(), 1);
}

TEST_F(FrameReuseTest, ClosingOrEndingTheFrameLetsGoOfItsPins) {
    std::vector<int> log;
    {
        CallFrame frame;
        frame.Pin(halvo::AutoRef<LoggedEnd>(new LoggedEnd(log, 1)).Get());
        frame.Close();
        EXPECT_EQ(log, std::vector<int>{1});
        frame.Pin(halvo::AutoRef<LoggedEnd>(new LoggedEnd(log, 2)).Get());
    }
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST_F(FrameReuseTest, ModulePinsHoldButDoNotPinStorageArraysDo) {
    CallFrame frame;
    halvo::WeakRef<BinCode> module;
    {
        halvo::AutoRef<BinCode> held(new BinCode);
        module = held.Get();
        frame.Pin(held.Get());
    }
    halvo::AutoRef<VarArray> array(VarArray::CreateWithCount(1));
    frame.Pin(array.Get());
    EXPECT_NE(module.Get(), nullptr);
    EXPECT_FALSE(array->Reuse(1));
    frame.EndStatement();
    EXPECT_EQ(module.Get(), nullptr);
    EXPECT_TRUE(array->Reuse(1));
    EXPECT_FALSE(frame.HasPins());
}

}  // namespace

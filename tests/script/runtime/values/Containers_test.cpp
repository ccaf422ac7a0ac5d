#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/Vocabulary.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

// Calls of two and three arguments in turn reuse one argument array: its
// storage stays, and a place it takes back holds nil again, never what an
// earlier call left there.
TEST_F(ContainerTest, ReusedArgumentArrayKeepsItsStorageAndShowsOnlyNil) {
    halvo::AutoRef<VarArray> array(VarArray::CreateWithCount(3));
    ASSERT_TRUE(array);
    const Var* storage = array->GetAt(0);
    for (int i = 0; i < 3; ++i) *array->GetAt(i) = Var(10 + i);
    array->Empty();
    ASSERT_TRUE(array->Reuse(2));
    EXPECT_EQ(array->GetCount(), 2);
    EXPECT_EQ(array->GetAt(2), nullptr);
    EXPECT_EQ(array->GetAt(0), storage);
    *array->GetAt(1) = Var(7);
    array->Empty();
    ASSERT_TRUE(array->Reuse(3));
    EXPECT_EQ(array->GetAt(0), storage);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(array->GetAt(i)->GetTag(), kTagNil) << i;
        EXPECT_TRUE(array->GetAt(i)->HasAutoFlag()) << i;
    }
    // Past what it ever held it grows, and a resize keeps what it holds.
    ASSERT_TRUE(array->Reuse(4));
    EXPECT_EQ(array->GetCount(), 4);
    *array->GetAt(0) = Var(5);
    ASSERT_TRUE(array->Resize(6));
    EXPECT_EQ(array->GetAt(0)->AsInt(), 5);
    EXPECT_FALSE(array->Reuse(-1));
}

TEST_F(ContainerTest, VocabularyStoresEachTextOnce) {
    halvo::AutoRef<Vocabulary> words(new Vocabulary);
    EXPECT_EQ(words->Add("b"), 1);
    EXPECT_EQ(words->Add("a"), 3);
    EXPECT_EQ(words->Add("c"), 5);
    EXPECT_EQ(words->Add("a"), 3);
    ASSERT_EQ(words->GetIndexCount(), 3);
    EXPECT_EQ(words->GetIndexAt(0), 3);
    EXPECT_EQ(words->GetIndexAt(1), 1);
    EXPECT_EQ(words->GetIndexAt(2), 5);
    EXPECT_EQ(words->FindLinear("a"), 1);
    EXPECT_EQ(words->FindLinear("c"), 2);
    EXPECT_EQ(words->FindLinear("z"), -1);
    EXPECT_EQ(words->Add(nullptr), -1);
    int32_t position = -1;
    EXPECT_EQ(words->Find("c", &position), 5);
    EXPECT_EQ(position, 2);
    EXPECT_STREQ(words->GetText(3), "a");
    EXPECT_EQ(words->GetText(99), nullptr);
}

// Look-ups compare texts in place: the order stays strcmp's, bytes above
// 0x7F after plain ones and a text after its own prefix; the linear walk
// numbers the first of equal texts and passes over every other one whole,
// and a pool read from a file is found by the walk though it has no index.
TEST_F(ContainerTest, VocabulariesFromSharedBlocksKeepTheirOwnTexts) {
    // Vocabularies share their blocks with member maps: thousands alive
    // next to members, some dropped and made again, each keeps only its own.
    std::vector<halvo::AutoRef<Vocabulary>> tables;
    halvo::AutoRef<t_Named> members(new t_Named);
    for (int i = 0; i < 3000; ++i) {
        tables.emplace_back(new Vocabulary);
        tables.back()->Add(("w" + std::to_string(i)).c_str());
        members->GetOrAddMember(("m" + std::to_string(i)).c_str())->SetInt(i);
    }
    for (size_t i = 0; i < tables.size(); i += 2) tables[i] = new Vocabulary;
    for (size_t i = 0; i < tables.size(); ++i) {
        const std::string own = "w" + std::to_string(i);
        EXPECT_EQ(tables[i]->Find(own.c_str()) >= 0, i % 2 == 1) << i;
        EXPECT_EQ(tables[i]->GetIndexCount(), i % 2 == 1 ? 1 : 0) << i;
    }
    EXPECT_EQ(members->FindMember("m2999")->RawInt(), 2999);
}

TEST_F(ContainerTest, VocabularyComparesTextsAsBytesInEveryLookUp) {
    halvo::AutoRef<Vocabulary> words(new Vocabulary);
    const char* const texts[] = {"ab", "a", "abc", "\xC3\xA9t\xC3\xA9", "b", "", "zz", "\x7F"};
    for (const char* text : texts) ASSERT_GE(words->Add(text), 0);
    for (int i = 1; i < words->GetIndexCount(); ++i)
        ASSERT_LT(std::strcmp(words->GetText(words->GetIndexAt(i - 1)), words->GetText(words->GetIndexAt(i))), 0);
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
        SCOPED_TRACE(i);
        const int32_t offset = words->Find(texts[i]);
        ASSERT_GE(offset, 0);
        EXPECT_STREQ(words->GetText(offset), texts[i]);
        EXPECT_EQ(words->FindLinear(texts[i]), static_cast<int32_t>(i));
    }
    for (const char* missing : {"abcd", "aa", "\xC3", "z", "b "}) {
        EXPECT_EQ(words->Find(missing), -1) << missing;
        EXPECT_EQ(words->FindLinear(missing), -1) << missing;
    }

    halvo::AutoRef<Vocabulary> twice(new Vocabulary);
    twice->Append("x");
    twice->Append("xy");
    twice->Append("x");
    EXPECT_EQ(twice->FindLinear("x"), 0);
    EXPECT_EQ(twice->FindLinear("xy"), 1);
    EXPECT_STREQ(twice->GetText(twice->Find("x")), "x");

    halvo::AutoRef<Vocabulary> restored(new Vocabulary);
    const char pool[] = "\0one\0two";
    restored->RestorePool(pool, sizeof pool - 1);
    EXPECT_EQ(restored->Find("two"), -1);
    EXPECT_EQ(restored->FindLinear("two"), 1);
    EXPECT_EQ(restored->FindLinear("tw"), -1);
}

TEST_F(ContainerTest, VocabularyGrowsPastEveryCapacity) {
    halvo::AutoRef<Vocabulary> words(new Vocabulary);
    for (int i = 0; i < 500; ++i) {
        std::string word = "w" + std::to_string(i * 7919 % 500) + std::string(static_cast<size_t>(i % 13), 'x');
        int32_t offset = words->Add(word.c_str());
        ASSERT_GE(offset, 0);
        ASSERT_STREQ(words->GetText(offset), word.c_str());
    }
    EXPECT_EQ(words->GetIndexCount(), 500);
    for (int i = 1; i < words->GetIndexCount(); ++i)
        ASSERT_LT(std::string(words->GetText(words->GetIndexAt(i - 1))), words->GetText(words->GetIndexAt(i)));
}

// A first pool is small; a first text longer than it, or one that just fills
// it, must still find room, and cleared tables start small again.
TEST_F(ContainerTest, VocabularyFirstPoolTakesAnyFirstText) {
    for (size_t length : {1u, 60u, 61u, 62u, 63u, 64u, 65u, 300u, 5000u}) {
        SCOPED_TRACE(length);
        halvo::AutoRef<Vocabulary> words(new Vocabulary);
        const std::string first(length, 'a');
        const int32_t offset = words->Add(first.c_str());
        ASSERT_EQ(offset, 1);
        EXPECT_GT(words->GetPoolCapacity(), words->GetUsed());
        EXPECT_EQ(words->Add("b"), static_cast<int32_t>(length) + 2);
        EXPECT_EQ(words->GetText(offset), first);
        EXPECT_STREQ(words->GetText(words->Find("b")), "b");
        words->Clear();
        EXPECT_EQ(words->Add("c"), 1);
        EXPECT_STREQ(words->GetText(1), "c");
    }
}

TEST_F(ContainerTest, VocabularyCopiesOfFewEntriesStillGrow) {
    for (int entries = 0; entries <= 5; ++entries) {
        SCOPED_TRACE(entries);
        halvo::AutoRef<Vocabulary> source(new Vocabulary);
        for (int i = 0; i < entries; ++i) source->Add(("s" + std::to_string(i)).c_str());
        halvo::AutoRef<Vocabulary> copy(new Vocabulary);
        copy->CopyFrom(*source);
        EXPECT_EQ(copy->GetIndexCapacity(), entries);
        for (int i = 0; i < 20; ++i) ASSERT_GE(copy->Add(("t" + std::to_string(i)).c_str()), 0);
        EXPECT_EQ(copy->GetIndexCount(), entries + 20);
        EXPECT_EQ(copy->Find("s0") >= 0, entries > 0);
        copy->CopyFrom(*copy);
        EXPECT_EQ(copy->GetIndexCount(), entries + 20);
    }
}

TEST_F(ContainerTest, RetainedPoolsKeepOldTextsReadable) {
    halvo::AutoRef<Vocabulary> pool(new Vocabulary);
    pool->KeepBlocksAlive();
    const char* first = pool->GetText(pool->Add("first"));
    size_t retainedBefore = ScriptVM::Global().RetainedBlockCount();
    for (int i = 0; i < 200; ++i) pool->Add(("text number " + std::to_string(i)).c_str());
    EXPECT_GT(ScriptVM::Global().RetainedBlockCount(), retainedBefore);
    pool.Reset();
    EXPECT_STREQ(first, "first");
    const char* name = ScriptVM::Global().InternText("value");
    EXPECT_EQ(ScriptVM::Global().InternText(std::string("val") + "ue"), name);
}

TEST_F(ContainerTest, VariableTableGrowsAndBoundsItsNumbers) {
    VarTable table;
    int number = -1;
    for (int i = 0; i < 5; ++i) table.Add(("v" + std::to_string(i)).c_str(), nullptr, &number);
    EXPECT_EQ(table.GetCapacity(), 5);
    table.At(0)->SetInt(42);
    table.Add("v5", "int", &number);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(table.GetCapacity(), 11);
    EXPECT_EQ(table.At(0)->RawInt(), 42);
    EXPECT_TRUE(table.At(5)->IsDeclaration());
    EXPECT_EQ(table.At(-1), nullptr);
    EXPECT_EQ(table.At(table.GetCount()), nullptr);
}

TEST_F(ContainerTest, RepeatedNamesKeepEverySlotAligned) {
    VarTable table;
    int number = -1;
    table.Add("a", nullptr, &number);
    table.Add("b", nullptr, &number);
    table.Add("a", nullptr, &number);
    table.Add("c", nullptr, &number);
    EXPECT_EQ(number, 3);
    EXPECT_EQ(table.GetNames().FindLinear("c"), 3);
    EXPECT_EQ(table.GetNames().FindLinear("b"), 1);
}

TEST_F(ContainerTest, VariableTableRefusesPastItsLimit) {
    VarTable table;
    int number = -1;
    for (int i = 0; i < kMaxVariables; ++i) ASSERT_NE(table.Add("v", nullptr, &number), nullptr);
    EXPECT_EQ(number, kMaxVariables - 1);
    EXPECT_EQ(table.Add("one too many", nullptr, &number), nullptr);
    EXPECT_EQ(table.GetCount(), kMaxVariables);
}

TEST_F(ContainerTest, VariableTableCopiesKeepTypesAndSelfCopyIsHarmless) {
    VarTable table;
    int number = 0;
    table.Add("s", nullptr, &number)->InitType("string");
    table.Add("n", nullptr, &number)->SetInt(3);
    VarTable copy;
    copy.CopyFrom(table);
    EXPECT_EQ(copy.GetCount(), 2);
    EXPECT_STREQ(copy.At(0)->GetTypeName(), "string");
    EXPECT_TRUE(copy.At(0)->AssignTyped(Const("text")));
    EXPECT_EQ(copy.GetNames().FindLinear("n"), 1);
    copy.CopyFrom(copy);
    EXPECT_EQ(copy.GetCount(), 2);
    // Growth keeps declared object types too.
    for (int i = 0; i < 10; ++i) table.Add("more", nullptr, &number);
    EXPECT_STREQ(table.At(0)->GetTypeName(), "string");
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(table.GetNames().GetUsed(), 0);
}

// A table that shares another's names lets go of them on its way out without
// clearing them: the other still finds every name, whichever goes first.
TEST_F(ContainerTest, TablesSharingNamesGoInEitherOrderAndKeepTheOthersNames) {
    auto function = std::make_unique<VarTable>();
    int number = 0;
    function->Add("first", nullptr, &number);
    function->Add("second", "int", &number);
    auto frame = std::make_unique<VarTable>();
    frame->ShareFrom(*function);
    frame->At(1)->SetInt(7);
    frame.reset();
    EXPECT_EQ(function->GetNames().FindLinear("second"), 1);
    EXPECT_EQ(function->GetCount(), 2);

    frame = std::make_unique<VarTable>();
    frame->ShareFrom(*function);
    function.reset();
    EXPECT_EQ(frame->GetNames().FindLinear("first"), 0);
    EXPECT_EQ(frame->GetNames().FindLinear("second"), 1);
    EXPECT_EQ(frame->GetCount(), 2);
}

TEST_F(ContainerTest, StructureMembers) {
    halvo::AutoRef<t_Named> s(new t_Named);
    s->GetOrAddMember("b")->SetInt(2);
    s->GetOrAddMember("a")->SetStringConst("x");
    EXPECT_EQ(s->ToString(), "(a::x,b::2)");
    EXPECT_EQ(s->GetCount(), 2);
    EXPECT_EQ(s->FindMember(nullptr), nullptr);
    EXPECT_EQ(s->GetOrAddMember(nullptr), nullptr);

    s->AddMember("n", "int")->SetInt(7);
    EXPECT_EQ(s->AddMember("n", "int")->RawInt(), 7);
    Var* changed = s->AddMember("n", "string");
    EXPECT_EQ(changed->GetTag(), kTagObject);
    EXPECT_EQ(changed->GetObject(), nullptr);
    EXPECT_STREQ(changed->GetTypeName(), "string");

    EXPECT_TRUE(s->RemoveMember("n"));
    EXPECT_FALSE(s->RemoveMember("n"));

    halvo::AutoRef<t_Named> other(new t_Named);
    other->GetOrAddMember("a")->SetInt(1);
    other->GetOrAddMember("z")->SetInt(26);
    s->AddMembers(*other);
    EXPECT_EQ(s->ToString(), "(a::1,b::2,z::26)");
    s->CopyMembers(*s);
    EXPECT_EQ(s->GetCount(), 3);
    s->AddMembers(*s);
    EXPECT_EQ(s->GetCount(), 3);
    s->CopyMembers(*other);
    EXPECT_EQ(s->ToString(), "(a::1,z::26)");
}

TEST_F(ContainerTest, MemberNamesSortByteWiseAtEveryLength) {
    // The member order agrees with the library's string order: high bytes
    // after plain ones, a prefix first, and names past the in-place length
    // told apart before, at and after it.
    const std::string longBase(20, 'n');
    const std::vector<std::string> names = {"", "a", "ab", "b", "B", "~b", "~v", "\xC3\xA4", "z\x80", "z\x7F",
                                            longBase, longBase + "a", longBase.substr(0, 16) + "a",
                                            longBase.substr(0, 15) + "\xFF", longBase.substr(0, 17) + "\x01",
                                            longBase.substr(0, 16)};
    MemberNameLess less;
    for (const std::string& x : names)
        for (const std::string& y : names)
            EXPECT_EQ(less(x, y), std::less<>()(x, y)) << '"' << x << "\" against \"" << y << '"';

    halvo::AutoRef<t_Named> s(new t_Named);
    for (const std::string& name : names) s->GetOrAddMember(name.c_str());
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> kept;
    for (const auto& member : s->GetMembers()) kept.push_back(member.first);
    EXPECT_EQ(kept, sorted);
    for (const std::string& name : sorted) EXPECT_NE(s->FindMember(name.c_str()), nullptr) << name;
    EXPECT_EQ(s->FindMember((longBase + "b").c_str()), nullptr);
}

TEST_F(ContainerTest, LongTextFormsEndWithAnEllipsis) {
    Var a = Array({});
    VarArray* array = ToVarArray(a);
    array->Resize(100);
    for (int i = 0; i < 100; ++i) array->GetAt(i)->SetInt(1000 + i);
    std::string text = Text(a);
    EXPECT_LE(text.size(), 240u + 5u);
    EXPECT_EQ(text.substr(text.size() - 5), ",...)");
    EXPECT_EQ(Text(Array({Int(1), Float(2.5f), Var()})), "(1,2.500000,NULL)");
}

TEST_F(ContainerTest, ArrayAssignmentAndAppending) {
    Var three = Array({Int(0), Int(0), Int(0)});
    ASSERT_TRUE(three.GetObject()->Assign(Array({Int(9)})));
    EXPECT_EQ(Text(three), "(9,0,0)");
    Var one = Array({Int(0)});
    EXPECT_FALSE(one.GetObject()->Assign(Array({Int(1), Int(2)})));

    Var list = Array({Int(1), Int(2)});
    ASSERT_TRUE(list.GetObject()->OpAdd(list, Int(7)));
    ASSERT_TRUE(list.GetObject()->OpAdd(list, Array({Int(8), Int(9)})));
    EXPECT_EQ(Text(list), "(1,2,7,8,9)");
}

TEST_F(ContainerTest, ResizeKeepsValuesAndNewPlacesTakeAnyType) {
    Var a = Array({Int(1), Var(), Str("s")});
    VarArray* array = ToVarArray(a);
    ASSERT_TRUE(array->Resize(5));
    EXPECT_EQ(Text(a), "(1,NULL,s,NULL,NULL)");
    EXPECT_TRUE(array->GetAt(1)->HasAutoFlag());
    EXPECT_TRUE(array->GetAt(4)->AssignTyped(Int(1)));
    EXPECT_FALSE(array->Resize(-1));
    EXPECT_FALSE(array->Resize(kMaxArrayCount + 1));
    EXPECT_EQ(array->GetCount(), 5);
    EXPECT_EQ(VarArray::CreateWithCount(-1), nullptr);
    EXPECT_EQ(VarArray::CreateWithCount(kMaxArrayCount + 1), nullptr);
}

TEST_F(ContainerTest, SetSizeOfVariables) {
    Var any;
    any.InitType("auto");
    EXPECT_EQ(VarArray::SetSizeOf(any, Int(3)), nullptr);
    EXPECT_EQ(any.GetCount(), 3);
    ASSERT_TRUE(any.GetElement(0)->AssignTyped(Int(1)));
    // Sizing again keeps what the auto variable holds.
    EXPECT_EQ(VarArray::SetSizeOf(any, Float(4.9f)), nullptr);
    EXPECT_EQ(Text(any), "(1,NULL,NULL,NULL)");
    EXPECT_STREQ(VarArray::SetSizeOf(any, Int(-1)), "SetSize expected a size value as second argument");
    EXPECT_STREQ(VarArray::SetSizeOf(any, Int(1 << 30)), "SetSize expected a size value as second argument");
    EXPECT_STREQ(VarArray::SetSizeOf(any, Const("3")), "SetSize expected a size value as second argument");
    EXPECT_EQ(any.GetCount(), 4);
    Var number = Int(1);
    EXPECT_STREQ(VarArray::SetSizeOf(number, Int(3)), "SetSize expected an array as first argument");
}

TEST_F(ContainerTest, StringObjects) {
    Var abc = Str("abc");
    Var r;
    r.Assign(abc);
    ASSERT_TRUE(abc.GetObject()->OpAdd(r, Int(5)));
    EXPECT_STREQ(r.GetCString(), "abc");
    r.Assign(abc);
    abc.GetObject()->OpAdd(r, Const("de"));
    EXPECT_STREQ(r.GetCString(), "abcde");
    abc.GetObject()->OpLess(r, Const("abd"));
    EXPECT_TRUE(r.AsInt());
    Str("ab").GetObject()->OpLess(r, Str("abc"));
    EXPECT_TRUE(r.AsInt());
    ASSERT_TRUE(abc.GetObject()->OpEqual(r, Int(3)));
    EXPECT_FALSE(r.AsInt());

    auto* s = static_cast<VarString*>(abc.GetObject());
    Var constant = Const("new");
    Var ref;
    ref.SetReference(&constant);
    EXPECT_FALSE(s->Assign(ref));
    EXPECT_TRUE(s->Assign(constant));
    EXPECT_FALSE(s->Assign(Array({Int(1), Int(2)})));
    EXPECT_STREQ(s->GetCString(), "new");
}

}  // namespace

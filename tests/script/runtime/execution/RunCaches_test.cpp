// The caches the interpreter runs on must answer what the uncached paths
// answer: shared frame names, type records remembered per class and per
// declaration text, and instructions decoded once.
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/DecodedCode.h"
#include "script/runtime/execution/MapFile.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/VarString.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/Vocabulary.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class RunCacheTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(RunCacheTest, SharedNamesSurviveTheFrameAndSplitOnAdd) {
    VarTable function;
    int number = 0;
    function.Add("a", "int", &number);
    function.Add("b", nullptr, &number)->SetInt(7);
    {
        VarTable frame;
        frame.ShareFrom(function);
        EXPECT_EQ(&frame.GetNames(), &function.GetNames());
        EXPECT_EQ(frame.At(1)->RawInt(), 7);
        frame.At(1)->SetInt(9);
        // A variable of the frame's own gets names of its own.
        frame.Add("c", nullptr, &number);
        EXPECT_NE(&frame.GetNames(), &function.GetNames());
        EXPECT_EQ(frame.GetNames().FindLinear("c"), 2);
        frame.ReleaseValues();
        frame.ShareFrom(function);
        frame.Clear();
    }
    // Neither the frame's clearing nor its end touched the function.
    EXPECT_EQ(function.At(1)->RawInt(), 7);
    EXPECT_EQ(function.GetNames().FindLinear("b"), 1);
    EXPECT_EQ(function.GetCount(), 2);
}

TEST_F(RunCacheTest, ReusedFrameTableStartsFromTheFunctionAgain) {
    VarTable function;
    int number = 0;
    function.Add("x", nullptr, &number)->SetInt(1);
    VarTable frame;
    frame.ShareFrom(function);
    frame.At(0)->SetString("changed");
    frame.At(0)->SetConstFlag(true);
    frame.ReleaseValues();
    frame.ShareFrom(function);
    EXPECT_EQ(frame.At(0)->GetTag(), kTagInt);
    EXPECT_FALSE(frame.At(0)->HasConstFlag());
    EXPECT_EQ(frame.At(0)->RawInt(), 1);
}

// An object type without a registry name of its own, registered only later.
class LateType : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "latetype_for_cache_test"; }
};
const ClassRecord LateType::kClassRecord = {"LateType", &VarExtension::kClassRecord, nullptr};

TEST_F(RunCacheTest, RememberedMissGivesWayToATypeAddedLater) {
    Var first(static_cast<VarExtension*>(new LateType));
    EXPECT_STREQ(first.GetTypeName(), "(NULL)");
    Var again(static_cast<VarExtension*>(new LateType));
    EXPECT_STREQ(again.GetTypeName(), "(NULL)");
    TypeRegistry::Global().Add("latetype_for_cache_test", kTagObject, &LateType::kClassRecord);
    Var after(static_cast<VarExtension*>(new LateType));
    EXPECT_STREQ(after.GetTypeName(), "latetype_for_cache_test");
}

TEST_F(RunCacheTest, DeclarationTextsAreComparedNotTheirAddresses) {
    std::string text = "int";
    Var a;
    a.InitType(text.c_str());
    EXPECT_EQ(a.GetTag(), kTagInt);
    // Same buffer, other text: the remembered answer must not be reused.
    text = "flo";
    text += "at";
    Var b;
    b.InitType(text.c_str());
    EXPECT_EQ(b.GetTag(), kTagFloat);
    text = "nosuchtype";
    Var c;
    c.SetInt(4);
    c.InitType(text.c_str());
    EXPECT_EQ(c.GetTag(), kTagNil);
}

TEST_F(RunCacheTest, DecodingGivesOperandsNextPositionsAndBrokenTails) {
    // push value int 5 (type 5, one byte); add; push value whose type byte
    // is no value type; a position operand cut short.
    const uint8_t bytes[] = {kOpPushValue, 5, 5, kOpAdd, kOpPushValue, 20, kOpJump, kTagPosition, 1, 2};
    halvo::AutoRef<VarBinary> held(VarBinary::Make(bytes, sizeof bytes));
    VarBinary& code = *held;
    DecodedCode& decoded = code.Decoded(nullptr);
    const DecodedInstruction& push = decoded.At(0);
    EXPECT_EQ(push.kind, OperandKind::kValue);
    EXPECT_EQ(push.operand.RawInt(), 5);
    EXPECT_EQ(push.next, 3u);
    EXPECT_EQ(decoded.At(3).kind, OperandKind::kNone);
    EXPECT_EQ(decoded.At(3).next, 4u);
    EXPECT_EQ(decoded.At(4).kind, OperandKind::kKeep);
    EXPECT_EQ(decoded.At(4).next, 6u);
    EXPECT_EQ(decoded.At(6).kind, OperandKind::kBroken);
    EXPECT_EQ(decoded.At(6).next, static_cast<uint32_t>(sizeof bytes));
    // Any byte can be a jump target: decoding there reads it as an opcode.
    EXPECT_EQ(decoded.At(1).opcode, 5);
    // Asked again, the same entry answers.
    EXPECT_EQ(&decoded.At(0), &push);
    EXPECT_EQ(&code.Decoded(nullptr), &decoded);
}

TEST_F(RunCacheTest, DecodingFollowsTheVocabulary) {
    halvo::AutoRef<Vocabulary> words(new Vocabulary);
    const int32_t offset = words->Add("hello");
    const uint8_t bytes[] = {kOpPushValue,
                             kTagStringConst,
                             static_cast<uint8_t>(offset),
                             static_cast<uint8_t>(offset >> 8),
                             static_cast<uint8_t>(offset >> 16),
                             static_cast<uint8_t>(offset >> 24)};
    halvo::AutoRef<VarBinary> held(VarBinary::Make(bytes, sizeof bytes));
    VarBinary& code = *held;
    EXPECT_STREQ(code.Decoded(words.Get()).At(0).operand.GetCString(), "hello");
    // Without a vocabulary the text names the offset, as the raw decoder does.
    EXPECT_EQ(std::string(code.Decoded(nullptr).At(0).operand.GetCString()), "#" + std::to_string(offset));
}

// Links sort behind plain names and are found by a short walk from the end;
// the walk must agree with the tree search wherever the key falls.
TEST_F(RunCacheTest, TailLookUpAgreesWithTheOrderedSearch) {
    halvo::AutoRef<t_Named> members(new t_Named);
    EXPECT_EQ(members->FindMember("~b"), nullptr);
    EXPECT_FALSE(members->RemoveMember("~b"));
    // Only links: every one is before the walk's end.
    members->GetOrAddMember("~v")->SetInt(1);
    members->GetOrAddMember("~b")->SetInt(2);
    ASSERT_NE(members->FindMember("~b"), nullptr);
    EXPECT_EQ(members->FindMember("~b")->RawInt(), 2);
    EXPECT_EQ(members->FindMember("~a"), nullptr);
    // Plain names in front, a longer tail of links than the walk takes and
    // names that sort behind "~" (high bytes, "~~").
    for (int i = 0; i < 50; ++i) members->GetOrAddMember(("f" + std::to_string(i)).c_str())->SetInt(i);
    const std::vector<std::string> tail = {"~a", "~bind", "~c", "~m", "~p", "~x", "~y", "~z", "~~", "\xC3\xA9t\xC3\xA9"};
    for (size_t i = 0; i < tail.size(); ++i) members->GetOrAddMember(tail[i].c_str())->SetInt(100 + static_cast<int>(i));
    for (size_t i = 0; i < tail.size(); ++i) {
        Var* found = members->FindMember(tail[i].c_str());
        ASSERT_NE(found, nullptr) << tail[i];
        EXPECT_EQ(found->RawInt(), 100 + static_cast<int>(i));
    }
    EXPECT_EQ(members->FindMember("~b")->RawInt(), 2);
    EXPECT_EQ(members->FindMember("~v")->RawInt(), 1);
    EXPECT_EQ(members->FindMember("f7")->RawInt(), 7);
    for (const char* missing : {"~", "~aa", "~bin", "~w", "~~~", "~\x01"}) EXPECT_EQ(members->FindMember(missing), nullptr) << missing;
    // The same key added twice stays one member, wherever it sits.
    const int count = members->GetCount();
    members->GetOrAddMember("~a")->SetInt(7);
    members->AddMember("~x", nullptr);
    EXPECT_EQ(members->GetCount(), count);
    EXPECT_EQ(members->FindMember("~a")->RawInt(), 7);
    EXPECT_TRUE(members->RemoveMember("~a"));
    EXPECT_FALSE(members->RemoveMember("~a"));
    EXPECT_TRUE(members->RemoveMember("~~"));
    EXPECT_EQ(members->FindMember("~a"), nullptr);
    EXPECT_NE(members->FindMember("~bind"), nullptr);
    // Order stays byte-wise whatever way the members came in.
    std::string previous;
    for (const auto& [name, value] : members->GetMembers()) {
        EXPECT_LT(previous, name);
        previous = name;
    }
}

// A module compiled statement by statement stores the same code again and
// again: only an object nothing else holds may be kept or refilled.
TEST_F(RunCacheTest, StoredCodeIsKeptOnlyWhenEqualAndHeldByTheModuleAlone) {
    halvo::AutoRef<BinCode> module(new BinCode);
    const uint8_t first[] = {kOpParamCopy, kOpStop};
    const uint8_t other[] = {kOpParamCopy, kOpParamCopy, kOpStop};
    module->SetCode(sizeof first, first);
    VarBinary* code = module->GetCode();
    ASSERT_NE(code, nullptr);
    uint64_t generation = t_Named::GetLayoutGeneration();
    module->SetCode(sizeof first, first);
    EXPECT_EQ(module->GetCode(), code);
    EXPECT_EQ(t_Named::GetLayoutGeneration(), generation);
    // Other bytes make a new object and say so.
    module->SetCode(sizeof other, other);
    ASSERT_NE(module->GetCode(), nullptr);
    EXPECT_EQ(module->GetCode()->GetSize(), sizeof other);
    EXPECT_NE(t_Named::GetLayoutGeneration(), generation);
    // Held by someone else (a running frame), equal bytes still make a new one
    // and the held one stays as it was.
    halvo::AutoRef<VarBinary> held(module->GetCode());
    generation = t_Named::GetLayoutGeneration();
    module->SetCode(sizeof other, other);
    EXPECT_NE(module->GetCode(), held.Get());
    EXPECT_NE(t_Named::GetLayoutGeneration(), generation);
    EXPECT_EQ(held->GetSize(), sizeof other);
    // Removed code comes back as a new member.
    module->SetCode(0, nullptr);
    EXPECT_EQ(module->GetCode(), nullptr);
    module->SetCode(sizeof first, first);
    ASSERT_NE(module->GetCode(), nullptr);
    EXPECT_EQ(module->GetCode()->GetSize(), sizeof first);
}

TEST_F(RunCacheTest, LineMapIsRefilledOnlyWhenHeldByItsFunctionAlone) {
    halvo::AutoRef<BinCode> module(new BinCode);
    const uint8_t longMap[] = {kOperandInlineText, 'a', '.', 'c', 'i', 's', 0};
    const uint8_t shortMap[] = {kOperandInlineText, 'b', 0};
    module->SetMapFile(longMap, sizeof longMap);
    MapFile* map = module->GetMapFile();
    module->SetMapFile(shortMap, sizeof shortMap);
    EXPECT_EQ(module->GetMapFile(), map);
    EXPECT_STREQ(module->GetSourceName(), "b");
    EXPECT_EQ(map->GetSize(), sizeof shortMap);
    // A map someone holds keeps its bytes; the function gets a new one.
    halvo::AutoRef<MapFile> held(module->GetMapFile());
    module->SetMapFile(longMap, sizeof longMap);
    EXPECT_NE(module->GetMapFile(), held.Get());
    EXPECT_STREQ(held->GetSourceName(), "b");
    EXPECT_STREQ(module->GetSourceName(), "a.cis");
    // An empty map refilled in place reads as no name.
    module->SetMapFile(nullptr, 0);
    EXPECT_TRUE(module->GetMapFile()->GetSize() == 0u);
    EXPECT_STREQ(module->GetSourceName(), "(unknown)");
}

}  // namespace

// Values that share storage with the slot they are written to.

#include "script/runtime/values/Op.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace Vrel;
using namespace valuetest;

namespace {

class AliasingTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
    void TearDown() override {
        EXPECT_EQ(Var::SharedEmpty().GetTag(), kTagNil);
        EXPECT_EQ(Var::SharedEmpty().GetObject(), nullptr);
    }
};

TEST_F(AliasingTest, StoringTheHeldObjectAgainKeepsIt) {
    Var s = Str("keep");
    ASSERT_EQ(s.GetObject()->GetRefCount(), 1);
    s.SetObject(s.GetObject());
    EXPECT_EQ(s.GetObject()->GetRefCount(), 1);
    EXPECT_STREQ(s.GetCString(), "keep");
    s.Assign(s);
    EXPECT_STREQ(s.GetCString(), "keep");
    EXPECT_STREQ(s.GetTypeName(), "string");
}

TEST_F(AliasingTest, AddingAStringToItself) {
    Var s = Str("ab");
    ASSERT_TRUE(Op::Add(s, s));
    EXPECT_STREQ(s.GetCString(), "abab");
    // As a compound assignment: the target is the slot and other refers to it.
    Var target = Str("xy");
    Var ref;
    ref.SetReference(&target);
    ASSERT_TRUE(target.GetObject()->OpAdd(target, ref));
    EXPECT_STREQ(target.GetCString(), "xyxy");
}

TEST_F(AliasingTest, AddingAnArrayToItselfDoublesIt) {
    Var a = Array({Int(1), Int(2), Int(3)});
    ASSERT_TRUE(Op::Add(a, a));
    EXPECT_EQ(Text(a), "(1,2,3,1,2,3)");
    Var b = Array({Str("x"), Int(2)});
    Var alias;
    alias.Assign(b);
    ASSERT_TRUE(Op::Add(b, alias));
    EXPECT_EQ(Text(b), "(x,2,x,2)");
    EXPECT_EQ(Text(alias), "(x,2,x,2)");
}

TEST_F(AliasingTest, AssigningAValueItsOwnElement) {
    Var outer = Array({Int(7), Int(8)});
    Var inner = Array({Str("only")});
    outer.GetElement(0)->Assign(inner);
    inner.Clear();
    // The element lives in the array the destination lets go of.
    outer.Assign(*outer.GetElement(0));
    EXPECT_EQ(Text(outer), "(only)");
    Var holder = Array({Int(4), Int(5)});
    holder.Assign(*holder.GetElement(1));
    EXPECT_EQ(holder.GetTag(), kTagInt);
    EXPECT_EQ(holder.RawInt(), 5);
}

TEST_F(AliasingTest, MissingElementsReadNilAndStoresGoNowhere) {
    Var a = Array({Int(1)});
    EXPECT_EQ(a.GetElement(5), nullptr);
    Var* missing = a.GetOrAddElement(5);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->GetTag(), kTagNil);
    missing->SetInt(99);
    Var* again = a.GetOrAddElement(6);
    EXPECT_EQ(again->GetTag(), kTagNil);
    EXPECT_EQ(a.GetCount(), 1);
    Var plain = Int(3);
    EXPECT_EQ(plain.GetOrAddElement(0), &plain);
    plain.GetOrAddElement(1)->SetString("lost");
    EXPECT_EQ(plain.GetOrAddElement(2)->GetTag(), kTagNil);
    Var nullObject;
    nullObject.InitType("array");
    EXPECT_EQ(nullObject.GetOrAddElement(0), nullptr);
    EXPECT_EQ(nullObject.GetElement(0), nullptr);
    EXPECT_EQ(nullObject.GetCount(), 0);
}

TEST_F(AliasingTest, SelfContainingContainersPrintWithoutRecursing) {
    Var a = Array({Int(1), Int(2)});
    a.GetElement(1)->Assign(a);
    EXPECT_EQ(Text(a), "(1,...)");
    a.GetElement(1)->Clear();  // break the cycle so the array can go

    Var s(static_cast<VarExtension*>(new t_Named));
    s.GetOrAddMember("me")->Assign(s);
    s.GetOrAddMember("n")->SetInt(1);
    EXPECT_EQ(Text(s), "(me::...,n::1)");
    s.GetMember("me")->Clear();

    // Shared twice without a cycle prints in full.
    Var shared = Array({Int(5)});
    Var pair = Array({Int(0), Int(0)});
    pair.GetElement(0)->Assign(shared);
    pair.GetElement(1)->Assign(shared);
    EXPECT_EQ(Text(pair), "((5),(5))");
}

TEST_F(AliasingTest, DeepChainsAreReleasedWithoutRecursion) {
    Var head = Array({Int(0)});
    Var* tail = &head;
    for (int i = 0; i < 200000; ++i) {
        Var next = Array({Int(i)});
        tail->GetElement(0)->Assign(next);
        tail = tail->GetElement(0);
    }
    std::string text = Text(head);
    EXPECT_NE(text.find("..."), std::string::npos);
    head.Clear();
    SUCCEED();
}

}  // namespace

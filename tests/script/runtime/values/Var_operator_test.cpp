#include "script/runtime/values/Op.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

using namespace Vrel;
using namespace valuetest;

namespace {

using BinaryOp = bool (*)(Var&, const Var&);

struct Outcome {
    bool ok;
    Var value;
};

Outcome Apply(BinaryOp op, const Var& left, const Var& right) {
    Outcome out{false, Var()};
    out.value.Assign(left);
    out.ok = op(out.value, right);
    return out;
}

class OperatorTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(OperatorTest, IntegerArithmeticTruncatesAndKeepsTheDividendSign) {
    auto q = Apply(Op::Div, Int(7), Int(2));
    ASSERT_TRUE(q.ok);
    EXPECT_EQ(q.value.GetTag(), kTagInt);
    EXPECT_EQ(q.value.RawInt(), 3);
    EXPECT_EQ(Apply(Op::Mod, Int(-7), Int(2)).value.RawInt(), -1);
    EXPECT_EQ(Apply(Op::Div, Int(-7), Int(2)).value.RawInt(), -3);
    EXPECT_EQ(Apply(Op::Mul, Int(6), Int(7)).value.RawInt(), 42);
    EXPECT_EQ(Apply(Op::Sub, Int(6), Int(7)).value.RawInt(), -1);
}

TEST_F(OperatorTest, FloatRankWinsOverInt) {
    auto q = Apply(Op::Div, Float(7.0f), Int(2));
    EXPECT_EQ(q.value.GetTag(), kTagFloat);
    EXPECT_FLOAT_EQ(q.value.RawFloat(), 3.5f);
    EXPECT_FLOAT_EQ(Apply(Op::Mod, Float(5.5f), Int(2)).value.RawFloat(), 1.5f);
    EXPECT_FLOAT_EQ(Apply(Op::Add, Int(1), Float(2.5f)).value.RawFloat(), 3.5f);
    auto inf = Apply(Op::Div, Float(1.0f), Float(0.0f));
    ASSERT_TRUE(inf.ok);
    EXPECT_TRUE(std::isinf(inf.value.RawFloat()));
    EXPECT_FALSE(Apply(Op::And, Float(1.0f), Int(1)).ok);
}

TEST_F(OperatorTest, BoolAndNilRanks) {
    auto sum = Apply(Op::Add, Bool(true), Bool(false));
    EXPECT_EQ(sum.value.GetTag(), kTagBool);
    EXPECT_TRUE(sum.value.AsInt());
    EXPECT_FALSE(Apply(Op::Sub, Bool(true), Bool(false)).value.AsInt());
    EXPECT_FALSE(Apply(Op::Mul, Bool(true), Bool(true)).ok);
    EXPECT_TRUE(Apply(Op::Xor, Bool(true), Bool(false)).value.AsInt());

    auto nilPlus = Apply(Op::Add, Var(), Int(5));
    EXPECT_EQ(nilPlus.value.GetTag(), kTagInt);
    EXPECT_EQ(nilPlus.value.RawInt(), 5);
    EXPECT_FALSE(Apply(Op::Add, Var(), Var()).ok);
    EXPECT_TRUE(Apply(Op::Equal, Var(), Var()).value.AsInt());
    EXPECT_FALSE(Apply(Op::Less, Var(), Var()).value.AsInt());
    EXPECT_TRUE(Apply(Op::LessEqual, Var(), Var()).value.AsInt());
    EXPECT_FALSE(Apply(Op::Greater, Var(), Var()).value.AsInt());
    EXPECT_TRUE(Apply(Op::GreaterEqual, Var(), Var()).value.AsInt());
}

// One row per operator across the rank table: nil/bool/int/float each
// combined with the others, and the "other" rank (a pointer) that fails.
TEST_F(OperatorTest, EveryRankCellOfTheTable) {
    struct Row {
        const char* name;
        BinaryOp op;
        bool nilOk, boolOk, intOk, floatOk, otherOk;
    };
    const Row rows[] = {
        {"+", Op::Add, false, true, true, true, false},     {"-", Op::Sub, false, true, true, true, false},
        {"*", Op::Mul, false, false, true, true, false},    {"/", Op::Div, false, false, true, true, false},
        {"%", Op::Mod, false, false, true, true, false},    {"&", Op::And, false, true, true, false, false},
        {"|", Op::Or, false, true, true, false, false},     {"^", Op::Xor, false, true, true, false, false},
        {"<", Op::Less, true, true, true, true, false},     {"<=", Op::LessEqual, true, true, true, true, false},
        {"==", Op::Equal, true, true, true, true, true},
    };
    Var pointer;
    pointer.SetPointer(&pointer);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Apply(row.op, Var(), Var()).ok, row.nilOk);
        EXPECT_EQ(Apply(row.op, Bool(true), Var()).ok, row.boolOk);
        EXPECT_EQ(Apply(row.op, Var(), Bool(true)).ok, row.boolOk);
        EXPECT_EQ(Apply(row.op, Int(3), Bool(true)).ok, row.intOk);
        EXPECT_EQ(Apply(row.op, Bool(true), Int(3)).ok, row.intOk);
        EXPECT_EQ(Apply(row.op, Var(), Int(3)).ok, row.intOk);
        EXPECT_EQ(Apply(row.op, Float(3.0f), Int(3)).ok, row.floatOk);
        EXPECT_EQ(Apply(row.op, Bool(false), Float(3.0f)).ok, row.floatOk);
        EXPECT_EQ(Apply(row.op, Var(), Float(3.0f)).ok, row.floatOk);
        EXPECT_EQ(Apply(row.op, Int(3), pointer).ok, row.otherOk);
        EXPECT_EQ(Apply(row.op, pointer, Int(3)).ok, row.otherOk);
    }
    // The other rank compares equal only for string constants.
    EXPECT_FALSE(Apply(Op::Equal, pointer, pointer).value.AsInt());
    EXPECT_FALSE(Apply(Op::Equal, Int(3), Const("3")).value.AsInt());
}

TEST_F(OperatorTest, NaNComparesFalseButGreaterIsNotLessEqual) {
    float nan = std::nanf("");
    EXPECT_FALSE(Apply(Op::Equal, Float(nan), Float(nan)).value.AsInt());
    EXPECT_FALSE(Apply(Op::Less, Float(nan), Int(1)).value.AsInt());
    EXPECT_TRUE(Apply(Op::Greater, Float(nan), Int(1)).value.AsInt());
    EXPECT_TRUE(Apply(Op::NotEqual, Float(nan), Float(nan)).value.AsInt());
}

TEST_F(OperatorTest, StringConstantsConcatenateOnlyFromTheLeft) {
    auto xy = Apply(Op::Add, Const("x"), Const("y"));
    ASSERT_TRUE(xy.ok);
    EXPECT_EQ(xy.value.GetTypeName(), std::string("string"));
    EXPECT_STREQ(xy.value.GetCString(), "xy");
    auto x1 = Apply(Op::Add, Const("x"), Int(1));
    EXPECT_STREQ(x1.value.GetCString(), "x");
    EXPECT_FALSE(Apply(Op::Add, Int(1), Const("x")).ok);
    EXPECT_TRUE(Apply(Op::Equal, Const("abc"), Const("abc")).value.AsInt());
    EXPECT_FALSE(Apply(Op::Equal, Const("abc"), Const("abd")).value.AsInt());
    EXPECT_FALSE(Apply(Op::Less, Const("abc"), Const("abd")).ok);
}

TEST_F(OperatorTest, ArraysOfOneElementStandForTheirElement) {
    EXPECT_EQ(Apply(Op::Mul, Array({Int(4)}), Int(3)).value.RawInt(), 12);
    EXPECT_EQ(Apply(Op::Mul, Int(3), Array({Int(4)})).value.RawInt(), 12);
    // Two elements go to the array's own slot: "+" appends, "*" has none.
    auto two = Apply(Op::Add, Array({Int(1), Int(2)}), Int(3));
    ASSERT_TRUE(two.ok);
    EXPECT_EQ(Text(two.value), "(1,2,3)");
    EXPECT_FALSE(Apply(Op::Mul, Array({Int(1), Int(2)}), Int(3)).ok);
}

TEST_F(OperatorTest, EmptyArrayCountsAsNil) {
    auto sum = Apply(Op::Add, Array({}), Int(5));
    ASSERT_TRUE(sum.ok);
    EXPECT_EQ(sum.value.GetTag(), kTagInt);
    EXPECT_EQ(sum.value.RawInt(), 5);
    EXPECT_FALSE(Apply(Op::Add, Array({}), Array({})).ok);
    EXPECT_TRUE(Apply(Op::Equal, Int(0), Array({})).value.AsInt());
}

TEST_F(OperatorTest, DivisionFaultsFailOrWrapInsteadOfTrapping) {
    EXPECT_FALSE(Apply(Op::Div, Int(1), Int(0)).ok);
    EXPECT_FALSE(Apply(Op::Mod, Int(1), Int(0)).ok);
    EXPECT_FALSE(Apply(Op::Div, Int(1), Var()).ok);
    EXPECT_EQ(Apply(Op::Div, Int(INT_MIN), Int(-1)).value.RawInt(), INT_MIN);
    EXPECT_EQ(Apply(Op::Mod, Int(INT_MIN), Int(-1)).value.RawInt(), 0);
}

TEST_F(OperatorTest, SignedArithmeticWrapsInThirtyTwoBits) {
    EXPECT_EQ(Apply(Op::Add, Int(INT_MAX), Int(1)).value.RawInt(), INT_MIN);
    EXPECT_EQ(Apply(Op::Sub, Int(INT_MIN), Int(1)).value.RawInt(), INT_MAX);
    EXPECT_EQ(Apply(Op::Mul, Int(INT_MAX), Int(2)).value.RawInt(), -2);
    Var v = Int(INT_MIN);
    ASSERT_TRUE(Op::Negate(v));
    EXPECT_EQ(v.RawInt(), INT_MIN);
    Var w = Int(INT_MAX);
    ASSERT_TRUE(w.Increment(1));
    EXPECT_EQ(w.RawInt(), INT_MIN);
    Var f = Float(1.5f);
    ASSERT_TRUE(f.Increment(-1));
    EXPECT_FLOAT_EQ(f.RawFloat(), 0.5f);
    Var text = Const("x");
    EXPECT_FALSE(text.Increment(1));
    EXPECT_FALSE(Op::Negate(text));
}

TEST_F(OperatorTest, ShiftsTakeTheCountModuloThirtyTwo) {
    EXPECT_EQ(Apply(Op::ShiftLeft, Int(1), Int(33)).value.RawInt(), 2);
    EXPECT_EQ(Apply(Op::ShiftLeft, Int(1), Int(-1)).value.RawInt(), INT_MIN);
    EXPECT_EQ(Apply(Op::ShiftRight, Int(-8), Int(1)).value.RawInt(), -4);
    EXPECT_EQ(Apply(Op::ShiftRight, Int(INT_MIN), Int(-1)).value.RawInt(), -1);
    EXPECT_FALSE(Apply(Op::ShiftLeft, Float(1.0f), Int(1)).ok);
    EXPECT_FALSE(Apply(Op::ShiftLeft, Int(1), Bool(true)).ok);
}

TEST_F(OperatorTest, LogicalOperatorsAlwaysSucceed) {
    EXPECT_FALSE(Apply(Op::LogicalAnd, Int(0), Int(1)).value.AsInt());
    EXPECT_TRUE(Apply(Op::LogicalAnd, Int(2), Const("x")).value.AsInt());
    EXPECT_TRUE(Apply(Op::LogicalOr, Var(), Float(0.5f)).value.AsInt());
    Var decl;
    decl.SetDeclaration("int");
    auto failed = Apply(Op::LogicalOr, decl, decl);
    EXPECT_TRUE(failed.ok);
    EXPECT_FALSE(failed.value.AsInt());
    Var n = Int(3);
    EXPECT_TRUE(Op::Not(n));
    EXPECT_EQ(n.GetTag(), kTagBool);
    EXPECT_FALSE(n.AsInt());
}

TEST_F(OperatorTest, NullObjectOnTheLeftEqualsOnlyNil) {
    Var declared;
    declared.InitType("string");
    EXPECT_TRUE(Apply(Op::Equal, declared, Var()).value.AsInt());
    EXPECT_FALSE(Apply(Op::Equal, declared, Int(1)).value.AsInt());
    EXPECT_FALSE(Apply(Op::Add, declared, Int(1)).ok);
}

TEST_F(OperatorTest, ObjectsCompareByIdentityByDefault) {
    Var a = Array({Int(1), Int(2)});
    Var same;
    same.Assign(a);
    Var other = Array({Int(1), Int(2)});
    EXPECT_TRUE(Apply(Op::Equal, a, same).value.AsInt());
    EXPECT_FALSE(Apply(Op::Equal, a, other).value.AsInt());
}

TEST_F(OperatorTest, ReferencesAreFollowed) {
    Var target = Int(5);
    Var ref;
    ref.SetReference(&target);
    EXPECT_EQ(Apply(Op::Add, Int(1), ref).value.RawInt(), 6);
    EXPECT_EQ(Apply(Op::ShiftLeft, Int(1), ref).value.RawInt(), 32);
}

}  // namespace

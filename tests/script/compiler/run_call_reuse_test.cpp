// Calls reuse what earlier calls left: the lists return statements leave on
// a finished frame become the next calls' argument arrays, and those arrays
// take the array type record remembered from the first one made. A reused
// array must look exactly like a new one: no old values, the same type, and
// return lists still checked against the declared return type. Number
// parameters passed as their own kind skip the typed assignment; other
// kinds must still be converted.

#include "BackEnd.h"

#include "script/runtime/values/VarArray.h"

#include <string>

namespace Vrel::Testing {
namespace {

class CallReuse : public BackEndTest {
protected:
    void SetUp() override {
        BackEndTest::SetUp();
        ASSERT_EQ(Buffer("callreuse.cis",
                         "function int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\n"
                         "function auto pair(int a) { return (a, fib(a)); }\n"
                         "function int one(int a) { fib(a); return (a, a + 1); }\n"
                         "function int deep(int n) { if (n < 1) return 0; return deep(n - 1) + 1; }\n"
                         "function float mix(int a, float b) { return a + b; }\n"
                         "int held = 4;\n"
                         "function int heldValue() { return held; }\n"),
                  kCompileOk)
            << AllMessages();
    }
};

TEST_F(CallReuse, RecursionGivesTheSameResultsOnReusedArrays) {
    EXPECT_EQ(Call(Function("callreuse", "fib"), {Var(15)}).AsInt(), 610);
    // Twice more: the second run starts from the arrays the first kept.
    EXPECT_EQ(Call(Function("callreuse", "fib"), {Var(12)}).AsInt(), 144);
    EXPECT_EQ(Call(Function("callreuse", "fib"), {Var(1)}).AsInt(), 1);
    EXPECT_EQ(Call(Function("callreuse", "heldValue")).AsInt(), 4);
    // Unwinding from near the depth limit keeps a spare array per level.
    EXPECT_EQ(Call(Function("callreuse", "deep"), {Var(29)}).AsInt(), 29);
    EXPECT_EQ(Call(Function("callreuse", "deep"), {Var(29)}).AsInt(), 29);
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(CallReuse, NumberParametersTakeTheirKindOrAreConverted) {
    EXPECT_FLOAT_EQ(Call(Function("callreuse", "mix"), {Var(2), Var(0.5f)}).RawFloat(), 2.5f);
    // An int passed for a float parameter still goes through the conversion.
    Var converted = Call(Function("callreuse", "mix"), {Var(2), Var(3)});
    EXPECT_EQ(converted.GetTag(), kTagFloat);
    EXPECT_FLOAT_EQ(converted.RawFloat(), 5.0f);
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(CallReuse, ReturnedListsAfterManyCallsAreFreshArrays) {
    for (int n : {10, 3}) {
        Var list = Call(Function("callreuse", "pair"), {Var(n)});
        VarArray* array = ToVarArray(list);
        ASSERT_NE(array, nullptr) << n;
        EXPECT_STREQ(list.GetTypeName(), "array");
        ASSERT_EQ(array->GetCount(), 2);
        EXPECT_EQ(array->GetAt(0)->AsInt(), n);
        EXPECT_EQ(array->GetAt(1)->AsInt(), n == 10 ? 55 : 2);
        // The returned list holds values, not references into dead frames.
        EXPECT_EQ(array->GetAt(0)->GetTag(), kTagInt);
    }
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(CallReuse, TooManyValuesStillFailsAfterReusedCalls) {
    Call(Function("callreuse", "one"), {Var(8)});
    ASSERT_EQ(Messages().size(), 1u) << AllMessages();
    EXPECT_NE(Messages()[0].find("(3) : Too much return values found for a int function"), std::string::npos)
        << Messages()[0];
}

}  // namespace
}  // namespace Vrel::Testing

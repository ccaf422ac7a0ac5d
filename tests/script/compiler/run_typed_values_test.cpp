// Typed arrays and the stack natives see, on both loops: elements of a
// declared type convert what is stored into them in compiled blocks as in
// the bytecode, and a native finds the caller's stack holding its argument
// list's slot wherever it is called from.

#include "QuickAndStepped.h"

namespace Vrel::Testing {
namespace {

class TypedValues : public QuickAndSteppedTest {
protected:
    void Compile(const char* alias, const char* text) { ASSERT_EQ(Buffer(alias, text), kCompileOk) << AllMessages(); }
};

TEST_F(TypedValues, ArrayElementsConvertToTheirDeclaredType) {
    Compile("typed.cis",
            "function auto locals() { int a[2]; float f[2]; bool b[3]; string s[2]; string t = \"2.5\";\n"
            "  a[0] = \"7x\"; a[1] = 3.99; f[0] = 3; f[1] = t; b[1] = 5; s[1] = t;\n"
            "  return (a, a[0] + 1, f, b, s); }\n"
            "function auto looped() { int a[4]; int i;\n"
            "  for (i = 0; i < 4; i++) { a[i] = i * 1.75; a[i] = a[i] + 1; }\n"
            "  return a; }\n"
            "function auto param(int x[2]) { x[0] = 4.5; x[1] = \"6q\"; }\n"
            "function auto passed() { int a[2]; param(a); return a; }\n"
            "function auto sized() { auto d; SetSize(d, 2); d[0] = \"x\"; d[1] = 2.5; return d; }\n");
    EXPECT_EQ(Agreeing("typed", "locals").value, "((7,3),8,(3.000000,2.500000),(0,1,0),((null),2.5))");
    EXPECT_EQ(Agreeing("typed", "looped").value, "(1,2,4,6)");
    // A parameter of an array type shares the caller's array and its types.
    EXPECT_EQ(Agreeing("typed", "passed").value, "(4,6)");
    EXPECT_EQ(Agreeing("typed", "sized").value, "(x,2.500000)");
}

TEST_F(TypedValues, NativesSeeTheArgumentListsSlotOnTheStack) {
    Compile("stackpos.cis",
            "function auto inList() { return (DebugStackpos(), 1, DebugStackpos()); }\n"
            "function auto afterCall() { int a = DebugStackpos(); int b = DebugStackpos() + 0; return (a, b); }\n"
            "function auto inExpression() { int a = 2; return a * 10 + DebugStackpos(); }\n"
            "function auto leaf() { return DebugStackpos(); }\n"
            "function auto nested() { int a = 1; return (a + leaf() * 10, strlen(\"abc\") + DebugStackpos()); }\n"
            "function auto looped() { int i; int t = 0;\n"
            "  for (i = 0; i < 5; i++) t = t * 10 + DebugStackpos() + strlen(\"ab\");\n"
            "  return t; }\n");
    // The return list and the parenthesised list, then the call's own list.
    EXPECT_EQ(Agreeing("stackpos", "inList").value, "(3,1,3)");
    // The variable assigned and the list; an assignment leaves its target
    // on the stack for the statements after it.
    EXPECT_EQ(Agreeing("stackpos", "afterCall").value, "(2,3)");
    // The target left behind, the return list, the left operand, the list.
    EXPECT_EQ(Agreeing("stackpos", "inExpression").value, "24");
    Agreeing("stackpos", "nested");
    Agreeing("stackpos", "looped");
}

// A native that runs a script function on its own thread: the run goes
// above the native's list slot, and only the native's result is left there.
TEST_F(TypedValues, ANestedRunOnTheCallingThreadLeavesOnlyTheNativesResult) {
    AddNative("RunHere", [](Var& result, t_Interface& call) {
        const Var* function = call.GetArg(0);
        const Var* argument = call.GetArg(1);
        BinCode* code = function ? ToBinCode(*function) : nullptr;
        if (!code || !argument || !call.thread) return;
        Thread::CallFunction(ScriptVM::Global(), call.thread, code, false, argument, 1);
        result.SetInt(call.thread->GetValue().AsInt() + 1);
    });
    Compile("nested.cis",
            "function int twice(int n) { return n * 2 + DebugStackpos(); }\n"
            "function auto outer() { int a = 5; int b = 0;\n"
            "  b = a + RunHere(twice, a) * 100 + DebugStackpos();\n"
            "  return (a, b); }\n");
    // twice sees its return list, 10 and its list: 13, and RunHere 14. The
    // last call sees the two targets left behind, b's, the sum and its list.
    EXPECT_EQ(Agreeing("nested", "outer").value, "(5,1410)");
}

}  // namespace
}  // namespace Vrel::Testing

// Straight runs of bytecode run as compiled blocks on the quick loop. A
// block must hand over to the bytecode wherever a value is not what it was
// made for, leaving the frame exactly as the bytecode would have it: the
// values left on the stack by earlier statements included. Each case runs
// on both loops; a native that reads the caller's stack shows what natives
// (and a thread written mid-run) would see.

#include "QuickAndStepped.h"

#include "script/runtime/execution/CallFrame.h"

#include <string>

namespace Vrel::Testing {
namespace {

class FastBlocks : public QuickAndSteppedTest {
protected:
    void SetUp() override {
        QuickAndSteppedTest::SetUp();
        // "Stack()": the calling frame's value stack, bottom first: a value
        // as "v:<text>", a reference as "r:<text of what it reaches>".
        AddNative("Stack", [](Var& result, t_Interface& call) {
            CallFrame* frame = call.thread ? call.thread->GetCurrentFrame() : nullptr;
            std::string text;
            for (uint32_t i = 0; frame && i < frame->GetCount(); ++i) {
                const Var& value = frame->At(i);
                text += value.GetTag() == kTagReference ? "r:" : "v:";
                text += value.Followed().ToString() + " ";
            }
            result.SetString(text.c_str());
        });
    }
    void AddListNatives() {
        // "Bump(x)" adds one to the variable its argument refers to.
        AddNative("Bump", [](Var& result, t_Interface& call) {
            Var* argument = call.args ? call.args->GetElement(0) : nullptr;
            Var* variable = argument ? argument->GetReferenced() : nullptr;
            if (variable) variable->Followed().SetInt(variable->Followed().AsInt() + 1);
            result.SetBool(variable != nullptr);
        });
        // "Depth()": how many values the calling frame's stack holds.
        AddNative("Depth", [](Var& result, t_Interface& call) {
            CallFrame* frame = call.thread ? call.thread->GetCurrentFrame() : nullptr;
            result.SetInt(frame ? static_cast<int>(frame->GetCount()) : -1);
        });
        AddNative("Twice", [](Var& result, t_Interface& call) {
            const Var* argument = call.args ? call.args->GetElement(0) : nullptr;
            result.SetInt(argument ? argument->Followed().AsInt() * 2 : -1);
        });
    }
    void Compile(const char* alias, const char* text) { ASSERT_EQ(Buffer(alias, text), kCompileOk) << AllMessages(); }
};

TEST_F(FastBlocks, ValuesLeftBehindReachNativesAsTheBytecodeLeavesThem) {
    Compile("kept.cis",
            "function auto straight() { int a = 1; int b = 2; float f = 1.5;\n"
            "  a = a + 1; b++; f = f * 2.0;\n"
            "  return Stack(); }\n"
            "function auto branched(int n) { int a = n; int b = 0;\n"
            "  b = a * 2; if (a > 1) { b = b + a; a--; }\n"
            "  return Stack(); }\n"
            "function auto looped(int n) { int i; int t = 0;\n"
            "  for (i = 0; i < n; i++) { t = t + i; if (t > 3) t--; }\n"
            "  t = t * 3;\n"
            "  return Stack(); }\n");
    const RunOutcome straight = Agreeing("kept", "straight");
    EXPECT_NE(straight.value.find("r:2"), std::string::npos) << straight.value;
    Agreeing("kept", "branched", {Var(3)});
    Agreeing("kept", "branched", {Var(0)});
    Agreeing("kept", "looped", {Var(6)});
}

TEST_F(FastBlocks, ValuesThatChangeKindMidwayHandOverAndAgree) {
    Compile("drift.cis",
            "function auto drift() { auto x = 0; int i;\n"
            "  for (i = 0; i < 10; i++) { x = x + 1; if (i == 5) x = 2.5; }\n"
            "  return x; }\n"
            "function auto totext() { auto x = 1; int i;\n"
            "  for (i = 0; i < 4; i++) { if (i == 2) x = \"ab\"; x = x + 1; }\n"
            "  return x; }\n"
            "function auto mixed() { int i = 3; float f = 0.5; bool b = true;\n"
            "  f = f + i; i = i * 2 + f; b = b + i;\n"
            "  return i + f; }\n"
            "function auto flags() { auto a = 4; int n = 0;\n"
            "  n = a + 1; a = n; n = a - 1;\n"
            "  return n; }\n");
    EXPECT_EQ(Agreeing("drift", "drift").value, "6.500000");
    Agreeing("drift", "totext");
    Agreeing("drift", "mixed");
    EXPECT_EQ(Agreeing("drift", "flags").value, "4");
}

TEST_F(FastBlocks, OperatorsOnEveryKindGiveTheBytecodesValuesAndMessages) {
    Compile("ops.cis",
            "function auto ints(int x, int y) { int r = 0;\n"
            "  r = x * y + x - y; r = r ^ (x << 3) | (y >> 1); r = r & 1023;\n"
            "  if (x <= y) r += 1; if (x >= y) r -= 1; if (x != y) r *= 2; if (x == y) r |= 8;\n"
            "  r %= 97; r <<= 2; r >>= 1; r &= 4095; r ^= 5; r /= 3;\n"
            "  return r + -x + ~y + !x; }\n"
            "function auto floats(float x, float y) { float r = 0.0;\n"
            "  r = x * y + x - y / 2.0; if (x < y) r += 1.0; if (x > y) r -= 1.0;\n"
            "  r *= 2.0; r /= 4.0; r %= 3.0;\n"
            "  return r + -x; }\n"
            "function auto divided(int x, int y) { int r = 0;\n"
            "  r = x / y;\n"
            "  return r; }\n"
            "function auto modulo(int x, int y) { int r = 5;\n"
            "  r %= y;\n"
            "  return r; }\n"
            "function auto floatbits(float x) { float r = 1.0;\n"
            "  r = r & x;\n"
            "  return r; }\n"
            "function auto nan() { float z = 0.0; float n = z / z; int c = 0;\n"
            "  if (n < 1.0) c = c + 1; if (n >= 1.0) c = c + 2; if (n > 1.0) c = c + 4; if (n != n) c = c + 8;\n"
            "  return c; }\n");
    for (int x : {-7, 0, 5, 2147483647})
        for (int y : {-1, 3, 5}) Agreeing("ops", "ints", {Var(x), Var(y)});
    Agreeing("ops", "ints", {Var(-2147483647 - 1), Var(-1)});
    Agreeing("ops", "floats", {Var(1.5f), Var(-2.25f)});
    Agreeing("ops", "floats", {Var(3.0f), Var(3.0f)});
    EXPECT_FALSE(Agreeing("ops", "divided", {Var(5), Var(0)}).messages.empty());
    EXPECT_EQ(Agreeing("ops", "divided", {Var(-2147483647 - 1), Var(-1)}).value, "-2147483648");
    EXPECT_FALSE(Agreeing("ops", "modulo", {Var(5), Var(0)}).messages.empty());
    EXPECT_EQ(Agreeing("ops", "modulo", {Var(5), Var(-1)}).value, "0");
    EXPECT_FALSE(Agreeing("ops", "floatbits", {Var(2.0f)}).messages.empty());
    EXPECT_EQ(Agreeing("ops", "nan").value, "14");
}

TEST_F(FastBlocks, ConstantsAndStepsReportOnTheirOwnLine) {
    Compile("steps.cis",
            "function auto steps() { int i = 1; float f = 1.5; int r = 0;\n"
            "  r = i++ + ++i; f++; --f; f--;\n"
            "  return r * 10 + i + f; }\n"
            "function auto constant() { const int c = 5; int k = 0;\n"
            "  k = c + 1;\n"
            "  c++;\n"
            "  return k; }\n"
            "function auto constassign() { const int c = 5;\n"
            "  c = 7;\n"
            "  return c; }\n");
    Agreeing("steps", "steps");
    const RunOutcome constant = Agreeing("steps", "constant");
    ASSERT_FALSE(constant.messages.empty());
    EXPECT_NE(constant.messages[0].find("(6)"), std::string::npos) << constant.messages[0];
    EXPECT_FALSE(Agreeing("steps", "constassign").messages.empty());
}

TEST_F(FastBlocks, GlobalsMembersAndArraysReachTheSameVariables) {
    Compile("places.cis",
            "int g = 1;\n"
            "int p.x = 2;\n"
            "int ga[4];\n"
            "function auto globals() { int i;\n"
            "  g = 1; p.x = 2; for (i = 0; i < 4; i++) ga[i] = 0;\n"
            "  for (i = 0; i < 5; i++) { g = g * 2 + i; p.x = p.x + g; ga[i & 3] = ga[i & 3] + i; }\n"
            "  return g + p.x + ga[1] + ga[3]; }\n"
            "function auto newmember() { p.y = 4; p.y = p.y + p.x;\n"
            "  return p.y; }\n"
            "function auto locals() { int a[3]; int i; int s = 0; int q.k = 1;\n"
            "  for (i = 0; i < 3; i++) a[i] = i * i;\n"
            "  a[5] = 9; s = a[5] + a[2] + a[-1];\n"
            "  q.k = q.k + s;\n"
            "  return q.k; }\n"
            "function auto missing() { int i = 0;\n"
            "  i = i + nosuchvariable;\n"
            "  return i; }\n");
    Agreeing("places", "globals");
    Agreeing("places", "newmember");
    Agreeing("places", "locals");
    EXPECT_FALSE(Agreeing("places", "missing").messages.empty());
}

TEST_F(FastBlocks, ListsMadeInBlocksPassVariablesAsReferences) {
    AddListNatives();
    Compile("lists.cis",
            "function int inc(int x) { return x + 1; }\n"
            "function auto calls() { int a = 1; int b = 2; float f = 0.5;\n"
            "  a = a + 1; Bump(a); b = Twice(a + b) + inc(b); f = f + inc(a);\n"
            "  return a * 100 + b + f; }\n"
            "function auto nested() { int a = 3;\n"
            "  return inc(inc(a) * Twice(inc(a))); }\n");
    EXPECT_EQ(Agreeing("lists", "calls").value, "317.500000");
    EXPECT_EQ(Agreeing("lists", "nested").value, "33");
}

TEST_F(FastBlocks, SwitchesOnIntsJumpToTheirCasesAndOthersHandOver) {
    Compile("switches.cis",
            "function auto pick(auto v) { int r = 0;\n"
            "  switch (v) { case -3: r = 1; break; case 0: r = 2; case 7: r = r + 10; break;\n"
            "    case 100000: r = 4; break; default: r = 9; }\n"
            "  return Stack() + r; }\n"
            "function auto texts(auto v) { int r = 0;\n"
            "  switch (v) { case \"a\": r = 1; break; case \"b\": r = 2; break; }\n"
            "  return r; }\n"
            "function auto looped() { int i; int s = 0;\n"
            "  for (i = 0; i < 40; i++) { switch (i & 3) { case 0: s = s + i; break; case 2: s = s ^ i; break; } s++; }\n"
            "  return s; }\n");
    for (Var value : {Var(-3), Var(0), Var(7), Var(100000), Var(5), Var(2.0f), Var(true)})
        Agreeing("switches", "pick", {value});
    EXPECT_EQ(Agreeing("switches", "texts", {Var("b")}).value, "2");
    Agreeing("switches", "looped");
}

TEST_F(FastBlocks, NativesCalledInBlocksSeeTheBytecodesStackAndHandBackTheirResult) {
    AddListNatives();
    Compile("natives.cis",
            "function auto below() { int a = 2; int b = 3; int t = 0;\n"
            "  t = a + Depth() * 10 + b * Twice(a + Depth());\n"
            "  a = a - 1; b++;\n"
            "  t = t + (a * (b + Depth()));\n"
            "  return t; }\n"
            "function auto texts() { int a = 1; auto s = \"\";\n"
            "  s = Stack() + a; a = a + 1;\n"
            "  return s + Stack() + a; }\n"
            "function auto sleeper() { int i; int t = 0;\n"
            "  for (i = 0; i < 3; i++) { t = t + Twice(i) + Sleep(0) + Depth(); }\n"
            "  return t; }\n"
            "int g = 5;\n"
            "int ga[3];\n"
            "function auto pending() { int a = 2; g = 5; ga[1] = 4;\n"
            "  g = g + Twice(g) * (a + Twice(ga[1] + a));\n"
            "  ga[1] = (a * 3) + Twice(a * 5) + ga[1];\n"
            "  return g * 1000 + ga[1]; }\n"
            "function auto failing() { int a = 1;\n"
            "  a = a + Twice(a) + strlen(a, a);\n"
            "  return a; }\n");
    Agreeing("natives", "below");
    Agreeing("natives", "texts");
    Agreeing("natives", "sleeper");
    Agreeing("natives", "failing");
    // Looked-up variables and numbers computed before a call wait in their
    // registers while the call makes its own.
    EXPECT_EQ(Agreeing("natives", "pending").value, "145030");
}

TEST_F(FastBlocks, ScriptCallsFromBlocksReturnIntoTheBlock) {
    AddListNatives();
    Compile("calls.cis",
            "int g = 1;\n"
            "function int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\n"
            "function float half(float x) { return x / 2.0; }\n"
            "function auto text(int n) { return \"n\" + n; }\n"
            "function void bump() { g = g + Depth(); }\n"
            "function auto nap(int n) { Sleep(0); return n * 2; }\n"
            "function auto mixed() { int a = 3; g = 1;\n"
            "  a = a + fib(a + 4) * 2 + half(a) + Depth();\n"
            "  bump(); g = g + fib(5);\n"
            "  return a * 100 + g + Stack() + text(a); }\n"
            "function auto sleeping() { int a = 1;\n"
            "  a = a + nap(a + 1) + Depth();\n"
            "  return a; }\n"
            "function auto deep(int n) { if (n <= 0) return Depth(); return n + deep(n - 1); }\n"
            "function int typed(int n) { if (n > 0) return 2.5; return n; }\n"
            "function void nothing(int n) { return n; }\n"
            "function auto params(int a, float b) { return a + b; }\n"
            "function auto caller() { return typed(1) + typed(0) + params(1, 2.5) + params(2) + params(1.5, 1); }\n"
            "function auto voided() { int a = 1; a = a + nothing(2); return a; }\n");
    EXPECT_EQ(Agreeing("calls", "fib", {Var(15)}).value, "610");
    Agreeing("calls", "mixed");
    Agreeing("calls", "sleeping");
    Agreeing("calls", "deep", {Var(12)});
    // Returns and parameters the function's types do not take as they come
    // get the bytecode's conversions and messages.
    Agreeing("calls", "caller");
    Agreeing("calls", "voided");
    // Past the call depth the interpreter reports it, as before.
    EXPECT_FALSE(Agreeing("calls", "deep", {Var(40)}).messages.empty());
}

// A script function called from a block runs before its argument list is
// made; the list is made only when something could see it. Whatever runs
// below such calls (a native, the bytecode, a message) must find every
// caller's stack as the bytecode leaves it.
TEST_F(FastBlocks, CallsWhoseListsWaitShowEveryCallersStackToWhatRunsBelow) {
    AddListNatives();
    // "Stacks()" records the value stacks of all script frames, outermost
    // first, as a message, and returns 0.
    AddNative("Stacks", [](Var& result, t_Interface& call) {
        std::string text;
        for (uint32_t depth = 1; call.thread && depth <= call.thread->GetDepth(); ++depth) {
            CallFrame* frame = call.thread->GetFrame(depth);
            text += "[";
            for (uint32_t i = 0; frame && i < frame->GetCount(); ++i)
                text += frame->At(i).Followed().ToString() + " ";
            text += "]";
        }
        RecordMessage(text.c_str());
        result.SetInt(0);
    });
    Compile("owed.cis",
            "int g = 1;\n"
            "int ga[3];\n"
            "function int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\n"
            "function auto leaf(int n) { return n + Stacks(); }\n"
            "function auto mid(int n) { int a = 2; return a + leaf(n + 1) * 2; }\n"
            "function auto top() { int b = 1; return b * 3 + mid(b + 1) + Stacks(); }\n"
            "function auto byName(int n) { return leaf(n) + mid(n); }\n"
            "function auto nested() { return fib(fib(4) + 1) + mid(fib(3)); }\n"
            "function auto afterwards(int n) { int a = fib(n) + Stacks(); return a + Depth(); }\n"
            "function auto pinned() { int a = 2; ga[1] = 4; g = 5;\n"
            "  ga[1] = (a * 3) + fib(a + 3) + ga[1];\n"
            "  g = g + fib(g) * (a + fib(ga[1] - 10));\n"
            "  return g * 1000 + ga[1]; }\n"
            "function auto napper(int n) { Sleep(0); return n + Stacks(); }\n"
            "function auto napMid(int n) { return 1 + napper(n * 2) * 3; }\n"
            "function auto napTop() { int b = 2; return b + napMid(b + 1) + Stacks(); }\n"
            "function auto failing(int n) { return n + strlen(n, n); }\n"
            "function auto failMid(int n) { return 2 + failing(n + 1); }\n"
            "function auto failTop() { return 1 + failMid(3); }\n"
            "function float halfOf(float x) { return x / 2.0; }\n"
            "function string named(int n) { return n; }\n"
            "function auto two(int a, int b) { return a * 10 + b; }\n"
            "function auto kinds() { int a = 3;\n"
            "  return halfOf(a) + two(a, 4) + named(a) + Stacks(); }\n"
            "function auto tooMany() { return 1 + two(1, 2, 3); }\n"
            "function auto tooFew() { return 1 + two(1); }\n"
            "function auto deep(int n) { if (n <= 0) return Stacks(); return n + deep(n - 1); }\n");
    // Every caller still owes its list when the leaf's native runs.
    const RunOutcome owed = Agreeing("owed", "top");
    ASSERT_EQ(owed.messages.size(), 2u);
    EXPECT_NE(owed.messages[0].find("[1 "), std::string::npos) << owed.messages[0];
    Agreeing("owed", "byName", {Var(4)});
    EXPECT_EQ(Agreeing("owed", "nested").value, "11");
    Agreeing("owed", "afterwards", {Var(6)});
    // Pins taken before a call stay until the statement ends.
    Agreeing("owed", "pinned");
    // Stopped three calls down, then resumed: each level goes on in turn.
    Agreeing("owed", "napTop");
    // A message three calls down, and what the thread holds after it.
    EXPECT_FALSE(Agreeing("owed", "failTop").messages.empty());
    // Parameters and results the types convert, and wrong argument counts.
    Agreeing("owed", "kinds");
    EXPECT_FALSE(Agreeing("owed", "tooMany").messages.empty());
    Agreeing("owed", "tooFew");
    Agreeing("owed", "deep", {Var(10)});
    EXPECT_FALSE(Agreeing("owed", "deep", {Var(40)}).messages.empty());
}

TEST_F(FastBlocks, AppendingToAStringNoOneElseHoldsLeavesEveryOtherHolderAlone) {
    Compile("append.cis",
            "string kept = \"k\";\n"
            "function auto shared() { string s = \"a\"; string t = s; s += \"b\"; t += \"c\"; return t + \"|\" + s; }\n"
            "function auto self() { string s = \"ab\"; s += s; s += s; return s; }\n"
            "function auto element() { auto l[2]; l[0] = \"x\"; string u = l[0]; u += \"y\"; l[0] += \"z\";\n"
            "  return l[0] + \"|\" + u; }\n"
            "function auto global() { kept = \"k\"; string v = kept; kept += \"!\"; v += \"?\"; return kept + \"|\" + v; }\n"
            "function auto numbers() { string s = \"n\"; s += 5; s += 2.5; s += true; return s; }\n"
            "function auto grown() { string s = \"\"; int i; for (i = 0; i < 50; i++) s += \"ab\"; return strlen(s); }\n");
    EXPECT_EQ(Agreeing("append", "shared").value, "ac|ab");
    EXPECT_EQ(Agreeing("append", "self").value, "abababab");
    EXPECT_EQ(Agreeing("append", "element").value, "xz|xy");
    EXPECT_EQ(Agreeing("append", "global").value, "k!|k?");
    Agreeing("append", "numbers");
    EXPECT_EQ(Agreeing("append", "grown").value, "100");
}

// Storing or returning an array looks through what it holds for references
// to variables; an array holding itself four times once sent that look
// through 4^32 paths.
TEST_F(FastBlocks, ArraysThatHoldThemselvesAreStoredAndReturnedInBoundedTime) {
    // Each function breaks its cycle before it ends: counted references
    // never free an array that holds itself.
    Compile("selfheld.cis",
            "function auto held() { auto l[4]; int i; int n = 0;\n"
            "  for (i = 0; i < 4; i++) l[i] = l;\n"
            "  auto m = l; m = l; n = GetSize(m);\n"
            "  for (i = 0; i < 4; i++) l[i] = 0;\n"
            "  return n; }\n"
            "function auto made() { auto l[3]; l[0] = l; l[1] = l; l[2] = l; return l; }\n"
            "function auto returned() { auto r = made(); int n = GetSize(r); r[0] = 0; r[1] = 0; r[2] = 0;\n"
            "  return n; }\n");
    EXPECT_EQ(Agreeing("selfheld", "held").value, "4");
    EXPECT_EQ(Agreeing("selfheld", "returned").value, "3");
}

TEST_F(FastBlocks, LoopsWithBreaksAndContinuesAgree) {
    Compile("loops.cis",
            "function auto search(int n) { int i; int j; int found = 0;\n"
            "  for (i = 1; i < n; i++) {\n"
            "    if (i % 3 == 0) continue;\n"
            "    for (j = 0; j < i; j++) { if (j * j > i) break; found = found + j; }\n"
            "    if (found > 200) break;\n"
            "  }\n"
            "  while (found > 7) found = found - 7;\n"
            "  return found * 100 + i; }\n");
    for (int n : {0, 1, 10, 60}) Agreeing("loops", "search", {Var(n)});
}

}  // namespace
}  // namespace Vrel::Testing

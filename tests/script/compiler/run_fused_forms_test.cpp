// A number or local push with the operator (and conditional jump) behind it
// runs as one step when the values allow; otherwise the same code must do
// exactly what the separate steps do: same result, same message, same line.
// Each case runs once on the quick loop and once on the step-by-step loop
// (a step limit keeps the interpreter on that one) and the two must agree.

#include "QuickAndStepped.h"

#include <string>

namespace Vrel::Testing {
namespace {

using FusedRuns = QuickAndSteppedTest;
using Outcome = RunOutcome;

TEST_F(FusedRuns, NumbersTakeTheFusedStepsAndGiveTheSeparateStepsResults) {
    ASSERT_EQ(Buffer("fusednumbers.cis",
                     "function int loop(int n) { int s = 0; int i;\n"
                     "  for (i = 0; i < n; i++) s = (s + i) & 65535;\n"
                     "  return s; }\n"
                     "function int down(int n) { int k = 0; while (n > 0) { n = n - 3; k++; } return k; }\n"
                     "function float half(float x) { float y = x / 2.0; if (y >= 1.5) return y * 2.0; return y; }\n"
                     "function int mixed(int a, int b) { return (a * b) - (a << 2) + (b % 3) + (a / 2); }\n"),
              kCompileOk)
        << AllMessages();
    EXPECT_EQ(Agreeing("fusednumbers", "loop", {Var(1000)}).value, std::to_string((999 * 1000 / 2) & 65535));
    EXPECT_EQ(Agreeing("fusednumbers", "down", {Var(10)}).value, "4");
    Agreeing("fusednumbers", "half", {Var(5.0f)});
    Agreeing("fusednumbers", "half", {Var(2.0f)});
    EXPECT_EQ(Agreeing("fusednumbers", "mixed", {Var(7), Var(5)}).value, std::to_string(35 - 28 + 2 + 3));
}

TEST_F(FusedRuns, OperandsThatAreNoIntGetTheSameMessageAndLine) {
    ASSERT_EQ(Buffer("fusedothers.cis",
                     "function auto textcompare() { auto s = \"abc\";\n"
                     "  int n = 0;\n"
                     "  while (s < 3) { n++; if (n > 5) return n; }\n"
                     "  return n; }\n"
                     "function auto textlocal() { int a = 1; auto b = \"x\";\n"
                     "  return a + b; }\n"
                     "function auto floatint() { float x = 1.5;\n"
                     "  if (x < 2) return 1; return 2; }\n"
                     "function auto intzero(int a) { int z = 0;\n"
                     "  return a / z; }\n"
                     "function auto constzero(int a) {\n"
                     "  return a % 0; }\n"
                     "function auto objectleft() { auto s = \"abc\";\n"
                     "  return s + 1; }\n"),
              kCompileOk)
        << AllMessages();
    Outcome compared = Agreeing("fusedothers", "textcompare");
    ASSERT_EQ(compared.messages.size(), 1u);
    EXPECT_NE(compared.messages[0].find("(3) : Unable to execute binary operation '<' on value abc(string) and 3(int)"),
              std::string::npos)
        << compared.messages[0];
    for (const char* name : {"textlocal", "floatint", "objectleft"}) Agreeing("fusedothers", name);
    Outcome divided = Agreeing("fusedothers", "intzero", {Var(4)});
    Outcome remainder = Agreeing("fusedothers", "constzero", {Var(4)});
    // Whatever the operators make of these, the quick loop reports it on the
    // operator's own line.
    for (const Outcome* outcome : {&divided, &remainder})
        for (const std::string& message : outcome->messages) EXPECT_NE(message.find("fusedothers"), std::string::npos);
}

TEST_F(FusedRuns, LoopsOfEveryShapeAgree) {
    ASSERT_EQ(Buffer("fusedjumps.cis",
                     "function int count(int n) { int c = 0;\n"
                     "  while (c < n) c = c + 2;\n"
                     "  return c; }\n"
                     "function int nested(int n) { int t = 0; int i; int j;\n"
                     "  for (i = 0; i < n; i++) for (j = i; j < n; j++) t = t + j - i;\n"
                     "  return t; }\n"),
              kCompileOk)
        << AllMessages();
    EXPECT_EQ(Agreeing("fusedjumps", "count", {Var(9)}).value, "10");
    Agreeing("fusedjumps", "nested", {Var(12)});
}

}  // namespace
}  // namespace Vrel::Testing

// Deep and long inputs end with a clear message or a correct tree, never a
// crash, even on a 256 KB thread stack.

#include "FrontEnd.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Vrel::Testing::FrontEndResult;
using Vrel::Testing::RunFrontEnd;
using Vrel::Testing::RunOnSmallStack;

struct Job {
    std::string text;
    FrontEndResult result;
};

FrontEndResult RunSmall(std::string text) {
    Job job{std::move(text), {}};
    RunOnSmallStack([](void* raw) {
        auto* job = static_cast<Job*>(raw);
        job->result = RunFrontEnd(job->text);
    }, &job);
    return job.result;
}

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    text.reserve(piece.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

// The processor time the process has used so far: the work a parse did,
// which a busy machine does not stretch as it stretches the wall clock. A
// parse made to do quadratic work still runs far past the bounds below.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void ExpectFailure(const FrontEndResult& result, const std::string& message) {
    EXPECT_FALSE(result.parsed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], message);
}

TEST(ParserLimits, TenThousandNestedParentheses) {
    ExpectFailure(RunSmall("x = " + Repeat("(", 10000) + "1" + Repeat(")", 10000)),
                  "test.cis(1) : Nesting too deep");
    auto fine = RunSmall("x = " + Repeat("(", 200) + "1" + Repeat(")", 200));
    EXPECT_TRUE(fine.parsed);
}

TEST(ParserLimits, TenThousandNestedBlocksAndCalls) {
    ExpectFailure(RunSmall(Repeat("{", 10000) + Repeat("}", 10000)), "test.cis(1) : Nesting too deep");
    ExpectFailure(RunSmall("x = " + Repeat("f(", 10000) + "1" + Repeat(")", 10000)),
                  "test.cis(1) : Nesting too deep");
    ExpectFailure(RunSmall("x = " + Repeat("a[", 10000) + "1" + Repeat("]", 10000)),
                  "test.cis(1) : Nesting too deep");
    ExpectFailure(RunSmall(Repeat("if (a) ", 10000) + "x = 1"), "test.cis(1) : Nesting too deep");
    EXPECT_TRUE(RunSmall(Repeat("{", 60) + Repeat("}", 60)).parsed);
    EXPECT_TRUE(RunSmall("x = " + Repeat("f(", 40) + "1" + Repeat(")", 40)).parsed);
}

TEST(ParserLimits, AMillionOperatorChainIsTooComplex) {
    const double start = CpuSeconds();
    ExpectFailure(RunSmall("x = 1" + Repeat("+1", 1000000)), "test.cis(1) : Expression too complex");
    EXPECT_LT(CpuSeconds() - start, 60.0);
    EXPECT_TRUE(RunSmall("x = 1" + Repeat("+1", 900)).parsed);
}

TEST(ParserLimits, OperatorRunsBeforeAnOperand) {
    const double start = CpuSeconds();
    auto result = RunSmall("x = " + Repeat("+", 100000) + "a");
    EXPECT_TRUE(result.lexed);
    EXPECT_FALSE(result.parsed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "test.cis(1) : Expression too complex");
    // After an operand the run reads as postfix "++" operators.
    auto postfix = RunSmall("x = a" + Repeat("+", 100000));
    EXPECT_TRUE(postfix.lexed);
    ASSERT_EQ(postfix.messages.size(), 1u);
    EXPECT_EQ(postfix.messages[0], "test.cis(1) : Expression too complex");
    EXPECT_FALSE(RunSmall("x = a" + Repeat("+", 100001) + ";").lexed);
    EXPECT_LT(CpuSeconds() - start, 20.0);
}

TEST(ParserLimits, TreeDepthCountsNestingAndChainsTogether) {
    // Each level alone is within its own limit; together they are not.
    std::string text = "a";
    for (int level = 0; level < 200; ++level) text = "(" + text + Repeat(" + a", 30) + ")";
    ExpectFailure(RunSmall("x = " + text), "test.cis(1) : Expression too complex");
}

// The depth walk goes down, along and back up: a deep argument is found
// wherever it stands among shallow ones, and shallow statements after a deep
// but allowed one still pass.
TEST(ParserLimits, ADeepArgumentIsFoundWhereverItStands) {
    const std::string deep = "1" + Repeat("+1", 5000);
    ExpectFailure(RunSmall("x = f(a, b, " + deep + ");"), "test.cis(1) : Expression too complex");
    ExpectFailure(RunSmall("x = f(" + deep + ", a, b);"), "test.cis(1) : Expression too complex");
    ExpectFailure(RunSmall("x = f(a, g(b, " + deep + "), c);"), "test.cis(1) : Expression too complex");
    const std::string allowed = "1" + Repeat("+1", 900);
    EXPECT_TRUE(RunSmall("x = f(a, " + allowed + ", g(b));\ny = f(" + allowed + ");\nz = 2;").parsed);
}

TEST(ParserLimits, LongFlatInputsParseAndFree) {
    auto result = RunSmall(Repeat("x = 1;\n", 100000));
    EXPECT_TRUE(result.parsed);
}

}  // namespace

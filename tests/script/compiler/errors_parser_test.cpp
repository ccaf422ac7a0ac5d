// Parser messages: each at its line, and only the first of a parse.

#include "FrontEnd.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Vrel::Testing::RunFrontEnd;

struct ErrorCase {
    const char* source;
    const char* message;
};

class ParserMessage : public testing::TestWithParam<ErrorCase> {};

std::string ParserCaseName(const testing::TestParamInfo<ErrorCase>& info) {
    return testsupport::MessageCaseName(info.index, info.param.message);
}

TEST_P(ParserMessage, IsReportedOnceWithSourceAndLine) {
    auto result = RunFrontEnd(GetParam().source);
    EXPECT_TRUE(result.lexed);
    EXPECT_FALSE(result.parsed);
    ASSERT_EQ(result.messages.size(), 1u) << GetParam().source;
    EXPECT_EQ(result.messages[0], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParserMessage,
    testing::Values(
        ErrorCase{"\n{ a = 1;", "test.cis(2) : unable to find matching '}'"},
        ErrorCase{"x = 1\n\nfunction f", "test.cis(3) : Error while parsing 'function declaration' : uncomplete"},
        ErrorCase{"function", "test.cis(1) : Error while parsing 'function declaration' : function type is missing"},
        ErrorCase{"function 1 () {}", "test.cis(1) : Error while parsing 'function declaration' : invalid function name"},
        ErrorCase{"function f 1", "test.cis(1) : function parameters expected here"},
        ErrorCase{"module ;", "test.cis(1) : Error while parsing module declaration: module name is missing"},
        ErrorCase{"enum 1", "test.cis(1) : Error while parsing 'enum declaration' : invalid enum name"},
        ErrorCase{"enum E", "test.cis(1) : Error while parsing 'enum declaration' : missing brackets"},
        ErrorCase{"enum E (", "test.cis(1) : expected '{' here"},
        ErrorCase{"enum E { A(1) }", "test.cis(1) : invalid constant declaration"},
        ErrorCase{"enum E { A = (1 }", "test.cis(1) : missing ')' in contant declaration"},
        ErrorCase{"enum E { 1 }", "test.cis(1) : constant name expected"},
        ErrorCase{"enum E { A = { }", "test.cis(1) : rvalue expected after constant declaration"},
        ErrorCase{"switch x", "test.cis(1) : Expected '(' after switch statement."},
        ErrorCase{"switch (", "test.cis(1) : Incomplete bracket expression after switch statement."},
        ErrorCase{"switch (x", "test.cis(1) : Incomplete bracket expression after switch statement."},
        ErrorCase{"switch (x y", "test.cis(1) : Missing ')' after switch statement."},
        ErrorCase{"switch (x)", "test.cis(1) : Missing code bloack after switch statement."},
        ErrorCase{"switch (x) a();", "test.cis(1) : missing case expression"},
        ErrorCase{"switch (x) {\ncase 1 a(); }", "test.cis(2) : missing ':' after case expression"},
        ErrorCase{"switch (x) { case", "test.cis(1) : unexpected end of switch block"},
        ErrorCase{"switch (x) { case ]: }", "test.cis(1) : unexpected to parse case constant"},
        ErrorCase{"switch (x) { case 1:\n a(); ", "test.cis(1) : Unable to parse statement"},
        ErrorCase{"while (x)", "test.cis(1) : Unable to parse statement"},
        ErrorCase{"const int;", "test.cis(1) : lvalue expected after type 'int'"},
        ErrorCase{"if", "test.cis(1) : Error while parsing if expression"},
        ErrorCase{"for x", "test.cis(1) : chunk bracket missing"},
        ErrorCase{"for (a b; c; d) x;", "test.cis(1) : invalid expression inside (...)"},
        ErrorCase{"for (a; b) x;", "test.cis(1) : invalid expression inside (...)"},
        ErrorCase{"for (a; b; c; d) x;", "test.cis(1) : invalid expression inside (...)"},
        ErrorCase{"function f(int) {}", "test.cis(1) : lvalue expected after type 'int'"},
        ErrorCase{"function f(int a b) {}", "test.cis(1) : invalid parameter declaration"},
        ErrorCase{"return else", "test.cis(1) : Error while parsing return statement"},
        ErrorCase{"\n\n  ]", "test.cis(3) : Unable to parse expression (grammar step)"}),
    ParserCaseName);

INSTANTIATE_TEST_SUITE_P(
    Expressions, ParserMessage,
    testing::Values(
        ErrorCase{"m:: 1", "test.cis(1) : Missing identifier after module name"},
        ErrorCase{"a. 1", "test.cis(1) : Missing enum identifier after '.'"},
        ErrorCase{"a.b[1]", "test.cis(1) : Invalid '[' after enum declaration"},
        ErrorCase{"a[]", "test.cis(1) : Invalid expressing after '['"},
        ErrorCase{"a[1", "test.cis(1) : Missing ']' after '['"},
        ErrorCase{"a.b(x)", "test.cis(1) : Unexpected '(' after enum value"},
        ErrorCase{"a[i](x)", "test.cis(1) : Unexpected '(' after array declaration"},
        ErrorCase{"f(a b, c)", "test.cis(1) : Unable to interpret parameter_1 of the parenthesis from f."},
        ErrorCase{"f(a, b c)", "test.cis(1) : invalid function parameter 2 at function call"},
        ErrorCase{"f(a", "test.cis(1) : unable to find closing ')' for ')'"},
        ErrorCase{"x = (a b, c)", "test.cis(1) : Unable to interpret parameter_1 of the parenthesis from (null)."},
        ErrorCase{"x = (a, b c)", "test.cis(1) : invalid function parameter 2 at function call"},
        ErrorCase{"x = (f(a)(b))", "test.cis(1) : Unexpected '(' after function call"},
        ErrorCase{"x = a + ()", "test.cis(1) : Missing parameters on operation: +"},
        ErrorCase{"x = (a", "test.cis(1) : unexpected operation found: ("}),
    ParserCaseName);

TEST(ParserMessages, OnlyTheFirstErrorOfAParseIsReported) {
    auto result = RunFrontEnd("if (a) { x = ( ; }\n}");
    EXPECT_FALSE(result.parsed);
    EXPECT_EQ(result.messages.size(), 1u);
}

TEST(ParserMessages, SourceTextInAMessageIsNeverAFormat) {
    auto result = RunFrontEnd("%n%s");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "test.cis(1) : Unexpected token found '%'");
    auto named = RunFrontEnd("x = 1", "%s%n%s.cis");
    EXPECT_TRUE(named.parsed);
    auto broken = RunFrontEnd("x = (", "%s%n.cis");
    ASSERT_EQ(broken.messages.size(), 1u);
    EXPECT_EQ(broken.messages[0], "%s%n.cis(1) : unexpected operation found: (");
}

TEST(ParserMessages, LongMessagesAreCutNotOverrun) {
    std::string type(2000, 'T');
    auto result = RunFrontEnd("const " + type + ";");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_LT(result.messages[0].size(), 600u);
    EXPECT_EQ(result.messages[0].rfind("test.cis(1) : lvalue expected after type 'TTT", 0), 0u);
}

}  // namespace

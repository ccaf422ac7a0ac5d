// The lexer: numbers, strings, comments, system variables, operator choice
// and every message at its line.

#include "FrontEnd.h"
#include "support/CaseNames.h"
#include "script/compiler/TokenOracle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Vrel::Lexer;
using Vrel::Var;
using Vrel::Testing::RunFrontEnd;

// The token dump without the blanks the dump format puts around empty names.
std::vector<std::string> TokenLines(const std::string& text) {
    auto result = RunFrontEnd(text);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < result.tokens.size()) {
        size_t end = result.tokens.find('\n', start);
        lines.push_back(result.tokens.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Line `at` of the dump, or a line no dump holds: a token missing fails the
// row instead of reading past the end.
std::string TokenLine(const std::string& text, size_t at) {
    const std::vector<std::string> lines = TokenLines(text);
    return at < lines.size() ? lines[at] : "(no token " + std::to_string(at) + ")";
}

Var Number(const char* text, size_t* consumed = nullptr, const char** errorAt = nullptr) {
    size_t length = 0;
    const char* error = nullptr;
    Var value;
    Lexer::ParseNumber(text, length, value, error);
    if (consumed) *consumed = length;
    if (errorAt) *errorAt = error;
    return value;
}

TEST(LexerNumbers, ReadEveryBaseAndFraction) {
    EXPECT_EQ(Number("0x1F").RawInt(), 31);
    EXPECT_EQ(Number("0b101").RawInt(), 5);
    EXPECT_EQ(Number("017").RawInt(), 17);
    EXPECT_FLOAT_EQ(Number("1.5f").RawFloat(), 1.5f);
    EXPECT_FLOAT_EQ(Number("1.5").RawFloat(), 1.5f);
    EXPECT_FLOAT_EQ(Number("2.").RawFloat(), 2.0f);
    EXPECT_FLOAT_EQ(Number("0x1.8").RawFloat(), 1.5f);
    EXPECT_EQ(Number("0x ").RawInt(), 0);
    EXPECT_EQ(Number("0b ").RawInt(), 0);
    size_t consumed = 0;
    Number("0X1", &consumed);
    EXPECT_EQ(consumed, 1u) << "an upper-case X is no prefix";
}

TEST(LexerNumbers, WrapModulo2To32) {
    EXPECT_EQ(Number("0xFF000000").RawInt(), static_cast<int32_t>(0xFF000000u));
    EXPECT_EQ(Number("4294967297").RawInt(), 1);
    EXPECT_FLOAT_EQ(Number("4294967297.5").RawFloat(), 1.5f);
    EXPECT_FLOAT_EQ(Number("0xFFFFFFFF.8").RawFloat(), -0.5f);
}

TEST(LexerNumbers, BadFollowersPointAtTheCharacter) {
    for (const char* text : {"1f", "12abc", "0b102", "0xZ", "1e5", "1.2.3", "1.5x"}) {
        const char* errorAt = nullptr;
        Number(text, nullptr, &errorAt);
        EXPECT_NE(errorAt, nullptr) << text;
    }
    const char* errorAt = nullptr;
    Number("1.2.3", nullptr, &errorAt);
    EXPECT_STREQ(errorAt, ".3");
}

struct LexError {
    const char* source;
    const char* message;
};

class LexerMessage : public testing::TestWithParam<LexError> {};

TEST_P(LexerMessage, StopsAtTheFirstErrorWithItsLine) {
    auto result = RunFrontEnd(GetParam().source);
    EXPECT_FALSE(result.lexed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    All, LexerMessage,
    testing::Values(LexError{"a\n*/", "test.cis(2) : Unexpected end of comment"},
                    LexError{"a\n\ns = \"abc", "test.cis(3) : String end marker \" missing in this line"},
                    LexError{"s = \"a\tb\"", "test.cis(1) : String end marker \" missing in this line"},
                    LexError{"x = 12abc", "test.cis(1) : Unexpected token 'a' found after number '12'"},
                    LexError{"x = 1.2.3", "test.cis(1) : Unexpected token '.' found after number '1.2'"},
                    LexError{"x\n$", "test.cis(2) : Unexpected token found '$'"},
                    LexError{"x = @version", "test.cis(1) : unknown sys variable version"},
                    LexError{"a -\n// x\n", "test.cis(1) : Unexpected token found '-'"}),
    [](const testing::TestParamInfo<LexError>& info) {
        return testsupport::MessageCaseName(info.index, info.param.message);
    });

TEST(LexerComments, NestAndHideTheirContents) {
    auto result = RunFrontEnd("a /* x /* y */ z */ b");
    EXPECT_TRUE(result.lexed);
    EXPECT_EQ(result.tokens, "name  () name (a)\nname  () name (b)\n");
    EXPECT_TRUE(RunFrontEnd("a // c */ d\nb").lexed);
    EXPECT_TRUE(RunFrontEnd("a /* never closed").lexed);
}

TEST(LexerComments, BlankRunsNeitherEndNorOpenAComment) {
    // Blanks inside comments are passed in one go: the marks behind them
    // must still count, and a blank between '*' and '/' ends nothing.
    auto lines = TokenLines("a /* \t * / \r */ \t b // \t */ c\r\n \t d /*\t/* */ \t*/e");
    std::vector<std::string> expected = {"name  () name (a)", "name  () name (b)", "name  () name (d)",
                                         "name  () name (e)"};
    EXPECT_EQ(lines, expected);
    auto unclosed = RunFrontEnd("a /* \t  \r ");
    EXPECT_TRUE(unclosed.lexed);
    EXPECT_EQ(unclosed.tokens, "name  () name (a)\n");
}

TEST(LexerComments, TokenAfterABlockCommentKeepsItsLine) {
    auto lines = TokenLines("/* one\ntwo\nthree */ x = @LINENUMBER");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "value  () d (3)");
}

TEST(LexerStrings, KeepHighBytesAndMayBeEmpty) {
    auto lines = TokenLines("\xEF\xBB\xBFs = \"\" + \"\xC3\xA4\"");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "name  () name (s)");
    EXPECT_EQ(lines[2], "value  () d");
    EXPECT_EQ(lines[4], "value  () d (\xC3\xA4)");
}

TEST(LexerSysVariables, HaveTheirCompileTimeValues) {
    auto result = RunFrontEnd("\n  first line  \n\n x = @LINE + @PREVLINE + @MODULE + @VERSION", "Scripts/Park.Main.cis");
    ASSERT_TRUE(result.lexed);
    EXPECT_NE(result.tokens.find("value  () d ( x = @LINE + @PREVLINE + @MODULE + @VERSION)"), std::string::npos);
    EXPECT_NE(result.tokens.find("value  () d (  first line  )"), std::string::npos);
    EXPECT_NE(result.tokens.find("value  () d (park)"), std::string::npos);
    EXPECT_NE(result.tokens.find("value  () d (34)"), std::string::npos);
    auto top = RunFrontEnd("x = @PREVLINE");
    EXPECT_NE(top.tokens.find("value  () d\n"), std::string::npos);
}

TEST(LexerOperators, ChooseByWhatFollows) {
    EXPECT_EQ(TokenLine("a = -1", 2), "prefix u- (-X) - (NULL)");
    EXPECT_EQ(TokenLine("f(-1)", 2), "prefix u- (-X) - (NULL)");
    EXPECT_EQ(TokenLine("a - -b", 1), "binary - (-) - (NULL)");
    EXPECT_EQ(TokenLine("a - -b", 2), "prefix u- (-X) - (NULL)");
    EXPECT_EQ(TokenLine("x++;", 1), "postfix X++ (X++) ++ (NULL)");
    EXPECT_EQ(TokenLine("x++ y", 1), "binary + (+) + (NULL)");
    EXPECT_EQ(TokenLine("x++ y", 2), "prefix u+ (+X) + (NULL)");
    EXPECT_EQ(TokenLine("a >>= 1", 1), "binary = (>>=) >>= (NULL)");
    EXPECT_EQ(TokenLine("iffy", 0), "name  () name (iffy)");
    EXPECT_EQ(TokenLine("trueish", 0), "name  () name (trueish)");
    EXPECT_EQ(TokenLine("null", 0), "name  () name (null)");
    EXPECT_EQ(TokenLine("NULL", 0), "value  () d (NULL)");
}

TEST(LexerOperators, AnOperandOnTheLineAfterACommentCounts) {
    auto result = RunFrontEnd("a - // note\nb");
    ASSERT_TRUE(result.parsed);
    EXPECT_EQ(TokenLine("a - // note\nb", 1), "binary - (-) - (NULL)");
    // A postfix before a comment stays a postfix: the next line is a new
    // statement, as it always was.
    EXPECT_EQ(TokenLine("x++ // c\ny = 1", 1), "postfix X++ (X++) ++ (NULL)");
    EXPECT_EQ(RunFrontEnd("x++ // c\ny = 1").tree.find("exp  () exp (NULL)\n"), 0u);
}

TEST(LexerOperators, LookingAheadLeavesTheCommentStateAlone) {
    // The look ahead behind "-" passes a block comment; the real scan must
    // not believe itself inside one afterwards.
    auto result = RunFrontEnd("a - /* c */ b\nd = 1");
    ASSERT_TRUE(result.parsed) << (result.messages.empty() ? "" : result.messages[0]);
    EXPECT_NE(result.tokens.find("name  () name (d)"), std::string::npos);
}

// The look ahead behind an operator is read straight from the text when
// blanks and a plain token follow; comments, operators and stray bytes
// still go through the memo tables, and the tables only keep a window
// ahead of the scan.
TEST(LexerLookAhead, ShortCutAgreesWithTheFullLookAhead) {
    EXPECT_EQ(TokenLine("a -\n\t\r b", 1), "binary - (-) - (NULL)");
    EXPECT_EQ(TokenLine("x++ (y)", 1), "binary + (+) + (NULL)");
    EXPECT_EQ(TokenLine("x++ (y)", 2), "prefix u+ (+X) + (NULL)");
    EXPECT_EQ(TokenLine("x++ ;", 1), "postfix X++ (X++) ++ (NULL)");
    EXPECT_EQ(TokenLine("x++ \"s\"", 1), "binary + (+) + (NULL)");
    EXPECT_EQ(TokenLine("x++ 7", 1), "binary + (+) + (NULL)");
    // Behind the operator: a comment, another operator, a stray byte.
    EXPECT_EQ(TokenLine("a - /* c */ -b", 2), "prefix u- (-X) - (NULL)");
    EXPECT_EQ(TokenLine("x++ /* c */ y", 1), "binary + (+) + (NULL)");
    EXPECT_EQ(TokenLine("x++ */", 1), "postfix X++ (X++) ++ (NULL)");
    auto stray = RunFrontEnd("a - $b");
    ASSERT_FALSE(stray.messages.empty());
    EXPECT_EQ(stray.messages[0], "test.cis(1) : Unexpected token found '$'");
}

// A whole operator is chosen without the memo tables only when every look
// ahead behind its candidates reads straight from the text; where one does
// not (a comment, an operator, the text's end) the choice must not change.
TEST(LexerLookAhead, WholeOperatorShortCutKeepsEveryChoice) {
    EXPECT_EQ(TokenLine("x++", 1), "postfix X++ (X++) ++ (NULL)");
    EXPECT_EQ(TokenLine("x-- ", 1), "postfix X-- (X--) -- (NULL)");
    EXPECT_EQ(TokenLine("a += b", 1), "binary = (+=) += (NULL)");
    EXPECT_EQ(TokenLine("a == b", 1), "binary = (==) == (NULL)");
    EXPECT_EQ(TokenLine("a += -b", 1), "binary = (+=) += (NULL)");
    EXPECT_EQ(TokenLine("a += -b", 2), "prefix u- (-X) - (NULL)");
    EXPECT_EQ(TokenLine("x++ -y", 1), "postfix X++ (X++) ++ (NULL)");
    EXPECT_EQ(TokenLine("x++ -y", 2), "binary - (-) - (NULL)");
    EXPECT_EQ(TokenLine("a = // c\nb", 1), "binary = (=) = (NULL)");
    EXPECT_EQ(TokenLine("a * /* c */ b", 1), "binary * (*) * (NULL)");
    EXPECT_EQ(TokenLine("a = (b)", 1), "binary = (=) = (NULL)");
}

TEST(LexerLookAhead, LongSourcesAndOperatorRunsKeepTheirChoices) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "a = b - - c;\n";
    auto lines = TokenLines(text);
    ASSERT_EQ(lines.size(), 3000u * 7u);
    for (size_t i = 0; i < lines.size(); i += 7) {
        ASSERT_EQ(lines[i + 3], "binary - (-) - (NULL)") << i;
        ASSERT_EQ(lines[i + 4], "prefix u- (-X) - (NULL)") << i;
    }
    std::string run = "a";
    for (int i = 0; i < 5000; ++i) run += " -";
    run += " b";
    auto chain = TokenLines(run);
    ASSERT_EQ(chain.size(), 5002u);
    EXPECT_EQ(chain[1], "binary - (-) - (NULL)");
    for (size_t i = 2; i < 5001; ++i) ASSERT_EQ(chain[i], "prefix u- (-X) - (NULL)") << i;
}

// The rows that name tree nodes and instructions are never read from a
// text: their words stay plain names, and keywords sharing their first
// letters stay keywords.
TEST(LexerOperators, NodeAndInstructionRowNamesReadAsPlainNames) {
    for (const char* word : {"chunk", "exp", "enumdef", "constant", "stop", "eoc", "val", "lval", "d"})
        EXPECT_EQ(TokenLine(word, 0), std::string("name  () name (") + word + ")") << word;
    EXPECT_EQ(TokenLine("const", 0).rfind("keyword ", 0), 0u);
    EXPECT_EQ(TokenLine("continue", 0).rfind("keyword ", 0), 0u);
    EXPECT_EQ(TokenLine("else", 0).rfind("keyword ", 0), 0u);
    for (const Vrel::OpRow* row = Vrel::OpTable; row->text; ++row) {
        if (!*row->text) continue;
        const std::string text = std::string(row->text) + " z";
        Vrel::TokenOracle oracle(text.c_str(), text.size());
        for (bool afterOperand : {false, true}) {
            const Vrel::OpRow* found = oracle.RowAt(0, afterOperand);
            if (!found) continue;
            const bool readable = found->kind == Vrel::OT_SYS || found->kind == Vrel::OT_KEYWORD ||
                                  found->kind == Vrel::OT_BINARY || found->kind == Vrel::OT_PREFIX ||
                                  found->kind == Vrel::OT_POSTFIX;
            EXPECT_TRUE(readable) << row->text;
        }
    }
}

TEST(LexerOperators, EveryRowFoundInTheTextTakesExactlyItsOwnLength) {
    // Each row's text followed by a name: a row read there (some are never
    // read on their own) takes its whole text and nothing behind it.
    for (const Vrel::OpRow* row = Vrel::OpTable; row->text; ++row) {
        if (!*row->text) continue;
        const std::string text = std::string(row->text) + " z";
        Vrel::TokenOracle oracle(text.c_str(), text.size());
        const Vrel::OpRow* found = oracle.RowAt(0, false);
        if (!found) found = oracle.RowAt(0, true);
        EXPECT_EQ(oracle.TextLength(row), std::strlen(row->text)) << row->text;
        if (found) {
            EXPECT_EQ(oracle.TextLength(found), std::strlen(found->text)) << row->text;
        }
    }
}

}  // namespace

// Precedence and associativity for every pair of levels, and prefix chains.

#include "FrontEnd.h"

#include <gtest/gtest.h>

namespace {

using namespace Vrel;

// A reduced expression as nested parentheses: "(+ a (* b c))".
std::string Render(const SNode* node) {
    if (node->IsKind(OT_EXP) || node->IsKind(OT_VAL)) {
        const SNode* first = node->FirstChild();
        if (!first) return "?";
        if (first->IsKind(OT_BINARY) || first->IsKind(OT_PREFIX) || first->IsKind(OT_POSTFIX)) {
            std::string text = std::string("(") + first->text + (first->IsKind(OT_POSTFIX) ? "post" : "");
            for (const SNode* operand = first->Next(); operand; operand = operand->Next())
                text += " " + Render(operand);
            return text + ")";
        }
        return node->ChildCount() == 1 ? Render(first) : "?";
    }
    if (node->IsKind(OT_LVAL)) return node->FirstChild()->value.GetStringConst();
    if (node->IsKind(OT_VALUE)) return node->value.ToString();
    return "?";
}

std::string ParseOne(const std::string& text) {
    CompileContext context("test.cis", text.c_str());
    Lexer lexer(context);
    if (!lexer.Tokenize()) return "lex error";
    Parser parser(context);
    if (!parser.Parse() || !context.tree->FirstChild()) return "parse error";
    return Render(context.tree->FirstChild());
}

TEST(ExpressionPrecedence, TighterLevelBindsFirstForEveryPair) {
    // One binary operator per level, loosest last.
    const char* levels[] = {"*", "+", "<<", "<", "==", "&", "^", "|", "&&", "||", "="};
    for (size_t tight = 0; tight < std::size(levels); ++tight) {
        for (size_t loose = tight + 1; loose < std::size(levels); ++loose) {
            std::string t = levels[tight], l = levels[loose];
            EXPECT_EQ(ParseOne("a " + t + " b " + l + " c"), "(" + l + " (" + t + " a b) c)") << t << " " << l;
            EXPECT_EQ(ParseOne("a " + l + " b " + t + " c"), "(" + l + " a (" + t + " b c))") << t << " " << l;
        }
    }
}

TEST(ExpressionPrecedence, LeftToRightWithinALevelAssignmentsRightToLeft) {
    EXPECT_EQ(ParseOne("a - b + c"), "(+ (- a b) c)");
    EXPECT_EQ(ParseOne("a / b * c % d"), "(% (* (/ a b) c) d)");
    EXPECT_EQ(ParseOne("a < b >= c"), "(>= (< a b) c)");
    EXPECT_EQ(ParseOne("a != b == c"), "(== (!= a b) c)");
    EXPECT_EQ(ParseOne("a = b += c"), "(= a (+= b c))");
    EXPECT_EQ(ParseOne("a |= b <<= c"), "(|= a (<<= b c))");
}

TEST(ExpressionPrecedence, UnaryOperatorsBindTighterThanBinaryOnes) {
    EXPECT_EQ(ParseOne("-a * b"), "(* (- a) b)");
    EXPECT_EQ(ParseOne("a * -b"), "(* a (- b))");
    EXPECT_EQ(ParseOne("a++ + b"), "(+ (++post a) b)");
    EXPECT_EQ(ParseOne("x = (a + b) * 2"), "(= x (* (+ a b) 2))");
}

TEST(ExpressionPrefixChains, ApplyRightToLeftAndAfterPostfix) {
    EXPECT_EQ(ParseOne("!~a"), "(! (~ a))");
    EXPECT_EQ(ParseOne("~-a"), "(~ (- a))");
    EXPECT_EQ(ParseOne("~!a"), "(~ (! a))");
    EXPECT_EQ(ParseOne("!-5"), "(! (- 5))");
    EXPECT_EQ(ParseOne("!a++"), "(! (++post a))");
    EXPECT_EQ(ParseOne("-a--"), "(- (--post a))");
    EXPECT_EQ(ParseOne("!!a"), "(! (! a))");
    EXPECT_EQ(ParseOne("!a"), "(! a)");
    EXPECT_EQ(ParseOne("a++--"), "(--post (++post a))");
    EXPECT_EQ(ParseOne("x = - - -a"), "(= x (- (- (- a))))");
}

TEST(ExpressionLimits, SixtyDashesBeforeAnOperandLexQuickly) {
    std::string text = "x = " + std::string(60, '-') + "a";
    EXPECT_EQ(ParseOne(text), "(= x (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- "
                              "(-- (-- (-- (-- (-- (-- (-- (-- (-- (-- (-- a)))))))))))))))))))))))))))))))");
    std::string plus = "y = a" + std::string(61, '+') + "b";
    EXPECT_NE(ParseOne(plus), "lex error");
}

}  // namespace

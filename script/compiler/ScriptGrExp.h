#pragma once
// The expression level of the parser: how far an expression reaches, how it
// is copied into an exp node, and how the flat run of operands and operators
// is reduced to a tree by precedence.

#include "script/compiler/SNode.h"

#include <vector>

namespace Vrel {

class Parser;

class ScriptGrExp {
public:
    explicit ScriptGrExp(Parser& parser) : parser_(parser) {}

    // Parses the expression at start into a new exp node under parent;
    // returns its last token, or the ";" right after it when takeSemicolon
    // is set and one follows. A start equal to end builds nothing.
    SNode* ParseExpression(SNode* start, SNode* end, SNode* parent, bool takeSemicolon);
    // The last token of the expression at start, or null when none starts
    // there. Reports only broken limits.
    SNode* FindExtent(SNode* start, SNode* end);
    // Turns the flat children of an exp node into operator trees. Works
    // along a list of pending nodes instead of recursing, so that neither a
    // long chain nor deep parentheses deepen the stack.
    bool Reduce(SNode* exp);
    // The operator child at which to split, or null.
    static SNode* _FindOperation(SNode* node);

private:
    SNode* MatchParenthesis(SNode* open, SNode* end);
    bool ReduceStep(SNode* node, std::vector<SNode*>& work);
    bool ReduceGroups(SNode* node, std::vector<SNode*>& work);
    bool ReduceGroup(SNode* node, SNode* open, SNode* close, std::vector<SNode*>& work);
    bool SplitAt(SNode* node, SNode* op, std::vector<SNode*>& work);
    static halvo::AutoRef<SNode> MakeHolder(SNode* from, SNode* to, int32_t index);
    static int CountOperators(const SNode* node);

    Parser& parser_;
    std::vector<SNode*> spareWork_;
};

}  // namespace Vrel

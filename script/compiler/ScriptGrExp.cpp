#include "script/compiler/ScriptGrExp.h"

#include "script/compiler/Parser.h"

namespace Vrel {

using namespace Syntax;

namespace {

// Nodes built by an earlier step stand for one operand.
bool IsBuiltOperand(const SNode* node) {
    return node->IsKind(OT_EXP) || node->IsKind(OT_LVAL) || node->IsKind(OT_FUNC_CALL) ||
           node->IsKind(OT_PARAMS);
}

bool IsOperator(const SNode* node) {
    return node->IsKind(OT_BINARY) || node->IsKind(OT_PREFIX) || node->IsKind(OT_POSTFIX);
}

// The line of the node or, for holders that have none, of its nearest
// ancestor that has one.
int LineOf(const SNode* node) {
    for (; node; node = node->Parent())
        if (node->line >= 0) return node->line;
    return -1;
}

}  // namespace

// expression := prefix* operand postfix* ( binary expression )?
// operand    := value | name-construct | "(" ... ")" | built node
SNode* ScriptGrExp::FindExtent(SNode* start, SNode* end) {
    SNode* token = start;
    int operators = 0;
    while (true) {
        while (InRange(token, end) && token->IsKind(OT_PREFIX)) {
            token = token->Next();
            ++operators;
        }
        if (!InRange(token, end)) return nullptr;
        SNode* last = nullptr;
        if (token->IsKind(OT_VALUE) || IsBuiltOperand(token)) last = token;
        else if (IsName(token) || IsKeyword(token, OST_MODULE_PATH)) last = parser_.ParseName(token, end, nullptr);
        else if (IsSys(token, OST_OPEN_PAREN)) last = MatchParenthesis(token, end);
        if (!last) return nullptr;
        token = last->Next();
        while (InRange(token, end) && token->IsKind(OT_POSTFIX)) {
            last = token;
            token = token->Next();
            ++operators;
        }
        if (!InRange(token, end) || !token->IsKind(OT_BINARY)) return last;
        if (++operators > Parser::kMaxChainOperators) {
            parser_.Error(token->line, "Expression too complex");
            return nullptr;
        }
        token = token->Next();
        if (!InRange(token, end)) return nullptr;
    }
}

// The matching ")", or the "(" itself when there is none: the expression
// then ends there and the reduction reports it.
SNode* ScriptGrExp::MatchParenthesis(SNode* open, SNode* end) {
    int depth = 0;
    for (SNode* token = open; InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_PAREN)) {
            if (++depth > Parser::kMaxNestingDepth) {
                parser_.Error(token->line, "Nesting too deep");
                return nullptr;
            }
        } else if (IsSys(token, OST_CLOSE_PAREN) && --depth == 0) {
            return token;
        }
    }
    return open;
}

SNode* ScriptGrExp::ParseExpression(SNode* start, SNode* end, SNode* parent, bool takeSemicolon) {
    if (start == end) return start;
    Parser::NestingGuard guard(parser_, start);
    if (!guard.Ok() || !start) return nullptr;
    SNode* last = FindExtent(start, end);
    if (!last) return nullptr;
    SNode* after = last->Next();
    SNode* result = takeSemicolon && InRange(after, end) && IsSys(after, OST_SEMICOLON) ? after : last;
    if (!parent) return result;
    SNode* exp = AppendNew(parent, OT_EXP, 0, start->line);
    for (SNode* token = start; token != after;) {
        if (IsName(token) || IsKeyword(token, OST_MODULE_PATH)) {
            SNode* nameLast = parser_.ParseName(token, end, exp);
            if (!nameLast) return nullptr;
            token = nameLast->Next();
        } else {
            AppendCopy(exp, token);
            token = token->Next();
        }
    }
    return Reduce(exp) ? result : nullptr;
}

bool ScriptGrExp::Reduce(SNode* exp) {
    // The list kept from the last expression; a nested reduction would find
    // it taken and start one of its own.
    std::vector<SNode*> work;
    work.swap(spareWork_);
    work.clear();
    work.push_back(exp);
    bool ok = true;
    while (ok && !work.empty()) {
        SNode* node = work.back();
        work.pop_back();
        ok = ReduceStep(node, work);
    }
    work.swap(spareWork_);
    return ok;
}

bool ScriptGrExp::ReduceStep(SNode* node, std::vector<SNode*>& work) {
    if (!ReduceGroups(node, work)) return false;
    if (CountOperators(node) > Parser::kMaxChainOperators) {
        parser_.Error(LineOf(node), "Expression too complex");
        return false;
    }
    SNode* op = _FindOperation(node);
    return !op || SplitAt(node, op, work);
}

int ScriptGrExp::CountOperators(const SNode* node) {
    int count = 0;
    for (const SNode* child = node->FirstChild(); child; child = child->Next())
        if (IsOperator(child)) ++count;
    return count;
}

// Innermost groups first, left to right: a stack of open parentheses gives
// the same order as taking the first ")" and the nearest "(" before it.
bool ScriptGrExp::ReduceGroups(SNode* node, std::vector<SNode*>& work) {
    std::vector<SNode*> opens;
    for (SNode* child = node->FirstChild(); child;) {
        SNode* next = child->Next();
        if (IsSys(child, OST_OPEN_PAREN)) {
            opens.push_back(child);
        } else if (IsSys(child, OST_CLOSE_PAREN)) {
            if (opens.empty()) {
                parser_.Error(LineOf(child), "missing right parenthesis ')'");
                return false;
            }
            SNode* open = opens.back();
            opens.pop_back();
            if (!ReduceGroup(node, open, child, work)) return false;
        }
        child = next;
    }
    return true;
}

// group := "(" [piece] { "," [piece] } ")"
// One piece stands for itself, several become a params node, an empty group
// yields nothing. An empty piece before a "," is the ignore value.
bool ScriptGrExp::ReduceGroup(SNode* node, SNode* open, SNode* close, std::vector<SNode*>& work) {
    if (open->Previous() && open->Previous()->IsKind(OT_FUNC_CALL)) {
        parser_.Error(LineOf(open), "Unexpected '(' after function call");
        return false;
    }
    halvo::AutoRef<SNode> params = MakeTokenNode(OT_PARAMS, 0, open->line);
    int index = 1;
    SNode* pieceStart = open->Next();
    for (SNode* token = pieceStart;; token = token->Next()) {
        bool atClose = token == close;
        if (!atClose && !IsSys(token, OST_COMMA)) continue;
        if (pieceStart == token) {
            if (!atClose) {
                SNode* exp = AppendNew(params.Get(), OT_EXP, 0, token->line);
                AppendNew(exp, OT_VALUE, 0, token->line)->value.SetIgnore();
            }
        } else {
            int line = pieceStart->line >= 0 ? pieceStart->line : open->line;
            SNode* exp = AppendNew(params.Get(), OT_EXP, 0, line);
            SNode::MoveRange(pieceStart, token, exp);
            if (FindExtent(exp->FirstChild(), nullptr) != exp->LastChild()) {
                if (atClose) parser_.Error(line, "invalid function parameter %d at function call", index);
                else parser_.Error(line, "Unable to interpret parameter_%d of the parenthesis from %s.", index, "(null)");
                return false;
            }
            work.push_back(exp);
        }
        if (atClose) break;
        ++index;
        pieceStart = token->Next();
    }
    int pieces = params->ChildCount();
    if (pieces == 1) SNode::InsertAfter(node, close, params->FirstChild());
    else if (pieces > 1) SNode::InsertAfter(node, close, params.Get());
    for (SNode* token = open; token;) {
        SNode* next = token->Next();
        bool last = token == close;
        token->Unlink();
        if (last) break;
        token = next;
    }
    return true;
}

// The loosest operator. A later one of equal precedence wins when its row is
// left-to-right, so a - b - c splits at the second "-" and a = b = c at the
// first "=". Prefix operators bind right to left and looser than postfix
// ones: a run of them splits at its first, and a prefix beats a postfix of
// equal precedence, so !~a is !(~a) and !a++ is !(a++).
SNode* ScriptGrExp::_FindOperation(SNode* node) {
    SNode* best = nullptr;
    for (SNode* child = node->FirstChild(); child; child = child->Next()) {
        int32_t kind = child->kind;
        if (kind < OT_SYS || kind > OT_POSTFIX || child->precedence < 0) continue;
        if (kind == OT_PREFIX && child->Previous() && child->Previous()->IsKind(OT_PREFIX)) continue;
        if (!best || child->precedence > best->precedence) {
            best = child;
        } else if (child->precedence == best->precedence && child->leftToRight &&
                   !(best->IsKind(OT_PREFIX) && kind == OT_POSTFIX)) {
            best = child;
        }
    }
    return best;
}

halvo::AutoRef<SNode> ScriptGrExp::MakeHolder(SNode* from, SNode* to, int32_t index) {
    halvo::AutoRef<SNode> holder = MakeTokenNode(OT_VAL, 0, -1);
    holder->value.SetInt(index);
    SNode::MoveRange(from, to, holder.Get());
    return holder;
}

// binary  := [val 0 ← everything before] op [val 1 ← everything after]
// prefix  := op [val 0 ← everything after]
// postfix := [val 0 ← everything before] op
bool ScriptGrExp::SplitAt(SNode* node, SNode* op, std::vector<SNode*>& work) {
    SNode* first = node->FirstChild();
    SNode* after = op->Next();
    switch (op->kind) {
        case OT_BINARY: {
            if (first == op || !after) break;
            halvo::AutoRef<SNode> left = MakeHolder(first, op, 0);
            halvo::AutoRef<SNode> right = MakeHolder(after, nullptr, 1);
            SNode::AddChild(node, left.Get());
            SNode::AddChild(node, right.Get());
            work.push_back(left.Get());
            work.push_back(right.Get());
            return true;
        }
        case OT_PREFIX: {
            if (!after) break;
            halvo::AutoRef<SNode> operand = MakeHolder(after, nullptr, 0);
            SNode::AddChild(node, operand.Get());
            work.push_back(operand.Get());
            return true;
        }
        case OT_POSTFIX: {
            if (first == op) break;
            halvo::AutoRef<SNode> operand = MakeHolder(first, op, 0);
            SNode::InsertAfter(node, op, operand.Get());
            work.push_back(operand.Get());
            return true;
        }
        default:
            parser_.Error(LineOf(op), "unexpected operation found: %s", op->text ? op->text : "(null)");
            return false;
    }
    parser_.Error(LineOf(op), "Missing parameters on operation: %s", op->text ? op->text : "(null)");
    return false;
}

}  // namespace Vrel

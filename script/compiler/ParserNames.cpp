// The parser's names, calls, for headers and parameter lists.

#include "script/compiler/Parser.h"

namespace Vrel {

using namespace Syntax;

namespace {

constexpr const char* kGlobalModule = "~bind";

// Parts of a name construct as found, before anything is built.
struct NameParts {
    SNode* name = nullptr;
    const char* module = nullptr;
    SNode* member = nullptr;
    SNode* open = nullptr;  // "[" of an index, or "(" of a call
    SNode* last = nullptr;
};

void AppendKeyword(SNode* parent, int32_t subKind, int32_t line, const char* text) {
    if (SNode* node = AppendNew(parent, OT_KEYWORD, subKind, line)) node->value.SetStringConst(text);
}

}  // namespace

// name-construct := ["::"] name | name "::" name
//                   ["." name] [ "[" expression "]" ] [ "(" arguments ")" ]
// At most one member, one index and one call, and never an index or a call
// after a member, nor a call after an index.
SNode* Parser::ParseName(SNode* start, SNode* end, SNode* parent) {
    NestingGuard guard(*this, start);
    if (!guard.Ok()) return nullptr;
    bool build = parent != nullptr;
    // Reported in scan mode too: a name that fails the scan fails the
    // expression, and its own message says more than the statement's.
    auto fail = [&](const SNode* at, const char* message) -> SNode* {
        Error(at->line, "%s", message);
        return nullptr;
    };
    NameParts parts;
    SNode* token = start;
    if (IsKeyword(token, OST_MODULE_PATH)) {
        parts.module = kGlobalModule;
        token = token->Next();
        if (!InRange(token, end) || !IsName(token)) return fail(start, "Missing identifier after module name");
    } else if (!IsName(token)) {
        return nullptr;
    } else if (InRange(token->Next(), end) && IsKeyword(token->Next(), OST_MODULE_PATH)) {
        SNode* path = token->Next();
        parts.module = token->value.GetStringConst();
        token = path->Next();
        if (!InRange(token, end) || !IsName(token)) return fail(path, "Missing identifier after module name");
    }
    parts.name = parts.last = token;
    SNode* next = token->Next();
    if (InRange(next, end) && IsKeyword(next, OST_DOT)) {
        parts.member = next->Next();
        if (!InRange(parts.member, end) || !IsName(parts.member))
            return fail(next, "Missing enum identifier after '.'");
        parts.last = parts.member;
        next = parts.member->Next();
    }
    halvo::AutoRef<SNode> index;
    if (InRange(next, end) && IsSys(next, OST_OPEN_BRACKET)) {
        if (parts.member) return fail(next, "Invalid '[' after enum declaration");
        if (build) index = MakeTokenNode(OT_ARRAY, 0, next->line);
        SNode* last = InRange(next->Next(), end) ? ParseInnerExpression(next->Next(), end, index.Get()) : nullptr;
        if (!last) return fail(next, "Invalid expressing after '['");
        if (!InRange(last->Next(), end) || !IsSys(last->Next(), OST_CLOSE_BRACKET))
            return fail(next, "Missing ']' after '['");
        parts.open = next;
        parts.last = last->Next();
        next = parts.last->Next();
    }
    halvo::AutoRef<SNode> params;
    bool isCall = false;
    if (InRange(next, end) && IsSys(next, OST_OPEN_PAREN)) {
        if (parts.member) return fail(next, "Unexpected '(' after enum value");
        if (index || parts.open) return fail(next, "Unexpected '(' after array declaration");
        halvo::AutoRef<SNode> holder;
        if (build) holder = MakeTokenNode(OT_FUNC_CALL, 0, next->line);
        const char* called = parts.name->value.GetStringConst();
        SNode* close = ParseCallArguments(next, end, holder.Get(), called ? called : "(null)");
        if (!close) return fail(next, "Error parsing function parameter");
        if (holder) params = holder->FirstChild();
        isCall = true;
        parts.last = close;
    }
    if (!build) return parts.last;
    SNode* node = AppendNew(parent, isCall ? OT_FUNC_CALL : OT_LVAL, 0, start->line);
    AppendCopy(node, parts.name);
    if (params) SNode::AddChild(node, params.Get());
    if (parts.module) AppendKeyword(node, OST_MODULE_PATH, start->line, parts.module);
    if (parts.member) AppendKeyword(node, OST_MEMBER, parts.member->line, parts.member->value.GetStringConst());
    if (index) SNode::AddChild(node, index.Get());
    return parts.last;
}

// arguments := [argument] { "," [argument] } ")"
// An empty argument before a "," is the ignore value; an empty last one adds
// nothing.
SNode* Parser::ParseCallArguments(SNode* open, SNode* end, SNode* parent, const char* calledName) {
    NestingGuard guard(*this, open);
    if (!guard.Ok()) return nullptr;
    bool build = parent != nullptr;
    const char* shownName = calledName ? calledName : "(null)";
    halvo::AutoRef<SNode> params;
    if (build) params = MakeTokenNode(OT_PARAMS, 0, open->line);
    int depth = 0;
    int index = 1;
    SNode* argumentStart = open->Next();
    SNode* token = argumentStart;
    for (; InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_PAREN)) ++depth;
        if (IsSys(token, OST_CLOSE_PAREN) && depth-- == 0) break;
        if (depth != 0 || !IsSys(token, OST_COMMA)) continue;
        if (argumentStart == token) {
            if (SNode* exp = AppendNew(params.Get(), OT_EXP, 0, token->line))
                AppendNew(exp, OT_VALUE, 0, token->line)->value.SetIgnore();
        } else {
            SNode* last = ParseInnerExpression(argumentStart, token, params.Get());
            if (!last || last->Next() != token) {
                Error(argumentStart->line, "Unable to interpret parameter_%d of the parenthesis from %s.", index,
                      shownName);
                return nullptr;
            }
        }
        ++index;
        argumentStart = token->Next();
    }
    if (!InRange(token, end)) {
        Error(open->line, "unable to find closing ')' for ')'");
        return nullptr;
    }
    if (argumentStart != token) {
        SNode* last = ParseInnerExpression(argumentStart, token, params.Get());
        if (!last || last->Next() != token) {
            Error(argumentStart->line, "invalid function parameter %d at function call", index);
            return nullptr;
        }
    }
    if (!build) return token;
    if (calledName) SNode::AddChild(parent, params.Get());
    else if (params->ChildCount() == 1) SNode::AddChild(parent, params->FirstChild());
    else if (params->ChildCount() > 1) SNode::AddChild(parent, params.Get());
    return token;
}

// for-header := "(" [expression] ";" [expression] ";" [expression] ")"
// Each exp node keeps the index of its part, so that empty parts leave no
// doubt about which is the condition.
SNode* Parser::ParseChunk(SNode* open, SNode* end, SNode* parent) {
    constexpr int kForParts = 3;
    if (!open || !IsSys(open, OST_OPEN_PAREN)) {
        Error(open ? open->line : -1, "chunk bracket missing");
        return nullptr;
    }
    SNode* parts = AppendNew(parent, OT_MULTI_CODE, 0, open->line);
    int depth = 0;
    int part = 0;
    SNode* partStart = open->Next();
    for (SNode* token = partStart; InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_PAREN)) ++depth;
        bool atClose = IsSys(token, OST_CLOSE_PAREN) && depth-- == 0;
        if (!atClose && !(depth == 0 && IsSys(token, OST_SEMICOLON))) continue;
        if (part >= kForParts || (atClose && part != kForParts - 1)) {
            Error(token->line, "invalid expression inside (...)");
            return nullptr;
        }
        if (partStart != token) {
            SNode* last = ParseInnerExpression(partStart, token, parts);
            if (!last || last->Next() != token) {
                Error(partStart->line, "invalid expression inside (...)");
                return nullptr;
            }
            if (parts) parts->LastChild()->value.SetInt(part);
        }
        if (atClose) return token;
        ++part;
        partStart = token->Next();
    }
    Error(open->line, "invalid expression inside (...)");
    return nullptr;
}

// parameters := "(" [declaration { "," declaration }] [","] ")"
SNode* Parser::ParseParameters(SNode* open, SNode* end, SNode* function) {
    if (!IsSys(open, OST_OPEN_PAREN)) {
        Error(open->line, "function parameters expected here");
        return nullptr;
    }
    SNode* header = AppendNew(function, OT_FUNCTION_HEADER, 0, open->line);
    int depth = 0;
    SNode* pieceStart = open->Next();
    for (SNode* token = pieceStart; InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_PAREN)) ++depth;
        bool atClose = IsSys(token, OST_CLOSE_PAREN) && depth-- == 0;
        if (!atClose && !(depth == 0 && IsSys(token, OST_COMMA))) continue;
        bool trailing = atClose && pieceStart == token;
        if (!trailing && !ParseParameterPiece(pieceStart, token, header)) return nullptr;
        if (atClose) return token;
        pieceStart = token->Next();
    }
    Error(open->line, "invalid parameter declaration");
    return nullptr;
}

bool Parser::ParseParameterPiece(SNode* start, SNode* end, SNode* header) {
    SNode* last = start != end ? ParseDeclaration(start, end, header, false) : nullptr;
    if (last && last->Next() == end) return true;
    Error(start->line, "invalid parameter declaration");
    return false;
}

}  // namespace Vrel

#include "script/compiler/Parser.h"

#include "script/compiler/Compiler.h"

#include <cstdarg>
#include <cstdio>

namespace Vrel {

using namespace Syntax;

// The parent's list holds a new node from the start: no reference is taken
// and given back on the way, for the hundred thousand nodes a long file makes.
SNode* Syntax::AppendNew(SNode* parent, int32_t kind, int32_t subKind, int32_t line) {
    if (!parent) return nullptr;
    const OpRow* row = FindToken(kind, subKind);
    if (!row) return nullptr;
    SNode* node = new SNode(*row);
    node->line = line;
    SNode::AddChild(parent, node);
    return node;
}

SNode* Syntax::AppendCopy(SNode* parent, const SNode* token) {
    if (!parent) return nullptr;
    SNode* node = new SNode(*token);
    SNode::AddChild(parent, node);
    return node;
}

Parser::NestingGuard::NestingGuard(Parser& parser, const SNode* at) : parser_(parser) {
    ok_ = ++parser_.depth_ <= kMaxNestingDepth;
    if (!ok_) parser_.Error(at ? at->line : -1, "Nesting too deep");
}

Parser::Parser(CompileContext& context) : context_(context), expressions_(*this) {}

bool Parser::Error(int line, const char* format, ...) {
    if (!format || !*format) return false;
    char message[Compiler::kMaxMessageLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    return Compiler::Error(error_, context_.sourceName.c_str(), line, "%s", message);
}

// chunk := statement*
bool Parser::Parse() {
    error_ = false;
    depth_ = 0;
    const OpRow* rootRow = FindTokenByKind(OT_REM);
    if (!rootRow) return false;
    context_.tree = halvo::AutoRef<SNode>(new SNode(*rootRow));
    SNode* root = context_.tree.Get();
    SNode* token = context_.tokens ? context_.tokens->FirstChild() : nullptr;
    while (token) {
        SNode* last = ParseStatement(token, nullptr, root);
        if (!last) return false;
        SNode* statement = root->LastChild();
        if (statement && !CheckTreeDepth(statement, token->line)) return false;
        token = last->Next();
        // Tokens of a finished statement are never looked at again: letting
        // them go keeps a long source from holding its whole token list next
        // to its whole tree.
        context_.tokens->ReleaseChildrenBefore(token);
    }
    return true;
}

// The tree is walked later by recursive generators: bound its depth here,
// by a walk over the statement just made that follows the links down, along
// and back up, so it needs no stack of its own.
bool Parser::CheckTreeDepth(const SNode* statement, int line) {
    const SNode* node = statement;
    int depth = 1;
    for (;;) {
        if (depth > kMaxTreeDepth) {
            Error(line, "Expression too complex");
            return false;
        }
        if (const SNode* child = node->FirstChild()) {
            node = child;
            ++depth;
            continue;
        }
        while (node != statement && !node->Next()) {
            node = node->Parent();
            --depth;
        }
        if (node == statement) return true;
        node = node->Next();
    }
}

// statement := block | for | if | while | function | module | enum | switch
//            | ";" | name name ... | "const" declaration | return
//            | "break" | "breakout" | "continue" | expression
SNode* Parser::ParseStatement(SNode* start, SNode* end, SNode* parent) {
    NestingGuard guard(*this, start);
    if (!guard.Ok()) return nullptr;
    SNode* last = DispatchStatement(start, end, parent);
    // Failures that carry no message of their own still say where.
    if (!last) Error(start->line, "Unable to parse statement");
    return last;
}

SNode* Parser::DispatchStatement(SNode* start, SNode* end, SNode* parent) {
    SNode* last = nullptr;
    if (IsSys(start, OST_OPEN_BRACE)) return ParseBlock(start, end, parent);
    if (IsKeyword(start, OST_FOR)) {
        if (!(last = ParseFor(start, end, parent))) Error(start->line, "Error while parsing for loop");
        return last;
    }
    if (IsKeyword(start, OST_IF)) {
        if (!(last = ParseIf(start, end, parent))) Error(start->line, "Error while parsing if expression");
        return last;
    }
    if (IsKeyword(start, OST_WHILE)) return ParseWhile(start, end, parent);
    if (IsKeyword(start, OST_FUNCTION)) return ParseFunction(start, end, parent);
    if (IsKeyword(start, OST_MODULE)) return ParseModule(start, end, parent);
    if (IsKeyword(start, OST_ENUM)) return ParseEnum(start, end, parent);
    if (IsKeyword(start, OST_SWITCH)) return ParseSwitch(start, end, parent);
    if (IsSys(start, OST_SEMICOLON)) return start;
    if (IsName(start) && InRange(start->Next(), end) && IsName(start->Next())) {
        if (!(last = ParseDeclaration(start, end, parent, false))) Error(start->line, "Error while parsing declaration");
        return last;
    }
    if (IsKeyword(start, OST_CONST)) {
        if (InRange(start->Next(), end)) last = ParseDeclaration(start->Next(), end, parent, true);
        if (!last) Error(start->line, "Error while parsing const declaration");
        return last;
    }
    if (IsKeyword(start, OST_RETURN)) {
        if (!(last = ParseReturn(start, end, parent))) Error(start->line, "Error while parsing return statement");
        return last;
    }
    if (IsKeyword(start, OST_BREAK) || IsKeyword(start, OST_BREAKOUT) || IsKeyword(start, OST_CONTINUE)) {
        AppendCopy(parent, start);
        return start;
    }
    if (!(last = ParseExpression(start, end, parent))) Error(start->line, "Unable to parse expression (grammar step)");
    return last;
}

// block := "{" statement* "}"
SNode* Parser::ParseBlock(SNode* start, SNode* end, SNode* parent) {
    SNode* chunk = AppendNew(parent, OT_CHUNK, 0, start->line);
    SNode* close = nullptr;
    int depth = 0;
    for (SNode* token = start; InRange(token, end) && !close; token = token->Next()) {
        if (IsSys(token, OST_OPEN_BRACE)) ++depth;
        else if (IsSys(token, OST_CLOSE_BRACE) && --depth == 0) close = token;
    }
    if (!close) {
        Error(start->line, "unable to find matching '}'");
        return nullptr;
    }
    for (SNode* token = start->Next(); token != close;) {
        SNode* last = ParseStatement(token, close, chunk);
        if (!last) return nullptr;
        token = last->Next();
    }
    return close;
}

// if := "if" expression statement [ [";"] "else" statement ]
SNode* Parser::ParseIf(SNode* start, SNode* end, SNode* parent) {
    SNode* node = AppendNew(parent, OT_KEYWORD, OST_IF, start->line);
    SNode* condition = AppendNew(node, OT_CHUNK, 0, start->line);
    SNode* thenPart = AppendNew(node, OT_CHUNK, 0, start->line);
    SNode* elsePart = AppendNew(node, OT_CHUNK, 0, start->line);
    if (!InRange(start->Next(), end)) return nullptr;
    SNode* last = ParseExpression(start->Next(), end, condition);
    if (!last || !InRange(last->Next(), end)) return nullptr;
    last = ParseStatement(last->Next(), end, thenPart);
    if (!last) return nullptr;
    SNode* next = last->Next();
    // A then-statement such as "break" leaves its ";" behind; it must not
    // hide the "else".
    if (InRange(next, end) && IsSys(next, OST_SEMICOLON) && InRange(next->Next(), end) &&
        IsKeyword(next->Next(), OST_ELSE))
        next = next->Next();
    if (!InRange(next, end) || !IsKeyword(next, OST_ELSE)) return last;
    if (!InRange(next->Next(), end)) return nullptr;
    return ParseStatement(next->Next(), end, elsePart);
}

// A loop body; a lone ";" is an empty body.
SNode* Parser::ParseLoopBody(SNode* start, SNode* end, SNode* loop) {
    if (!InRange(start, end)) return nullptr;
    if (IsSys(start, OST_SEMICOLON)) {
        AppendNew(loop, OT_CHUNK, 0, start->line);
        return start;
    }
    return ParseStatement(start, end, loop);
}

// while := "while" expression statement
SNode* Parser::ParseWhile(SNode* start, SNode* end, SNode* parent) {
    SNode* node = AppendNew(parent, OT_KEYWORD, OST_WHILE, start->line);
    SNode* condition = AppendNew(node, OT_CHUNK, 0, start->line);
    if (!InRange(start->Next(), end)) return nullptr;
    SNode* last = ParseExpression(start->Next(), end, condition);
    if (!last) return nullptr;
    // The condition took the ";" of "while (x);": the body is empty.
    if (IsSys(last, OST_SEMICOLON)) {
        AppendNew(node, OT_CHUNK, 0, last->line);
        return last;
    }
    return ParseLoopBody(last->Next(), end, node);
}

// for := "for" "(" [exp] ";" [exp] ";" [exp] ")" statement
SNode* Parser::ParseFor(SNode* start, SNode* end, SNode* parent) {
    SNode* node = AppendNew(parent, OT_KEYWORD, OST_FOR, start->line);
    SNode* open = InRange(start->Next(), end) ? start->Next() : nullptr;
    SNode* close = ParseChunk(open, end, node);
    if (!close) return nullptr;
    return ParseLoopBody(close->Next(), end, node);
}

// switch := "switch" "(" expression ")" "{" { label ":" statement* } "}"
// label  := "case" expression | "default"
SNode* Parser::ParseSwitch(SNode* start, SNode* end, SNode* parent) {
    SNode* node = AppendNew(parent, OT_KEYWORD, OST_SWITCH, start->line);
    SNode* open = start->Next();
    if (!InRange(open, end) || !IsSys(open, OST_OPEN_PAREN)) {
        Error(start->line, "Expected '(' after switch statement.");
        return nullptr;
    }
    if (!InRange(open->Next(), end)) {
        Error(open->line, "Incomplete bracket expression after switch statement.");
        return nullptr;
    }
    SNode* last = ParseInnerExpression(open->Next(), end, node);
    if (!last) return nullptr;
    SNode* close = last->Next();
    if (!InRange(close, end)) {
        Error(last->line, "Incomplete bracket expression after switch statement.");
        return nullptr;
    }
    if (!IsSys(close, OST_CLOSE_PAREN)) {
        Error(close->line, "Missing ')' after switch statement.");
        return nullptr;
    }
    if (!InRange(close->Next(), end)) {
        Error(close->line, "Missing code bloack after switch statement.");
        return nullptr;
    }
    SNode* label = nullptr;
    SNode* colon = nullptr;
    int depth = 0;
    for (SNode* token = close->Next(); InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_BRACE) && ++depth == 1) continue;
        if (IsSys(token, OST_CLOSE_BRACE) && --depth == 0) {
            if (label && !ParseCaseStatements(colon->Next(), token, label)) {
                Error(colon->line, "unexpected end of switch block");
                return nullptr;
            }
            return token;
        }
        if (depth > 1) continue;
        bool isLabel = depth == 1 && (IsKeyword(token, OST_CASE) || IsKeyword(token, OST_DEFAULT));
        if (!isLabel) {
            if (!label) {
                Error(token->line, "missing case expression");
                return nullptr;
            }
            continue;
        }
        if (label && !ParseCaseStatements(colon->Next(), token, label)) {
            Error(token->line, "unexpected end of switch block");
            return nullptr;
        }
        label = ParseSwitchLabel(token, end, node, colon);
        if (!label) return nullptr;
        token = colon;
    }
    if (label) ParseCaseStatements(colon->Next(), end, label);
    return nullptr;
}

// Appends the label node and finds its ":"; null after a reported error.
SNode* Parser::ParseSwitchLabel(SNode* token, SNode* end, SNode* switchNode, SNode*& colon) {
    SNode* next = token->Next();
    if (!InRange(next, end)) {
        Error(token->line, "unexpected end of switch block");
        return nullptr;
    }
    bool isCase = IsKeyword(token, OST_CASE);
    SNode* label = AppendNew(switchNode, OT_KEYWORD, isCase ? OST_CASE : OST_DEFAULT, token->line);
    colon = next;
    if (isCase) {
        SNode* last = ParseInnerExpression(next, end, label);
        if (!last) {
            Error(next->line, "unexpected to parse case constant");
            return nullptr;
        }
        colon = last->Next();
        if (!InRange(colon, end)) {
            Error(last->line, "unexpected end of switch block");
            return nullptr;
        }
    }
    if (!IsKeyword(colon, OST_COLON)) {
        Error(colon->line, "missing ':' after case expression");
        return nullptr;
    }
    return label;
}

bool Parser::ParseCaseStatements(SNode* start, SNode* end, SNode* label) {
    for (SNode* token = start; InRange(token, end);) {
        if (IsSys(token, OST_SEMICOLON)) {
            token = token->Next();
            continue;
        }
        SNode* last = ParseStatement(token, end, label);
        if (!last) return false;
        token = last->Next();
    }
    return true;
}

// return := "return" [expression]
// With nothing to return before a "}", a ";" or the end of the text.
SNode* Parser::ParseReturn(SNode* start, SNode* end, SNode* parent) {
    SNode* node = AppendNew(parent, OT_KEYWORD, OST_RETURN, start->line);
    SNode* next = start->Next();
    if (!InRange(next, end) || IsSys(next, OST_SEMICOLON) || IsSys(next, OST_CLOSE_BRACE)) return start;
    return ParseExpression(next, end, node);
}

// declaration := type name ["=" expression] { "," name ["=" expression] }
SNode* Parser::ParseDeclaration(SNode* start, SNode* end, SNode* parent, bool isConst) {
    SNode* type = start;
    SNode* current = start;
    while (true) {
        SNode* declaration = AppendNew(parent, OT_NEW, 0, type->line);
        AppendCopy(declaration, type);
        SNode* nameToken = current->Next();
        SNode* last = InRange(nameToken, end) ? ParseName(nameToken, end, declaration) : nullptr;
        if (!last) {
            const char* typeName = type->value.GetStringConst();
            Error(current->line, "lvalue expected after type '%s'", typeName ? typeName : "(null)");
            return nullptr;
        }
        if (InRange(last->Next(), end) && IsPlainAssign(last->Next())) {
            last = ParseExpression(nameToken, end, parent);
            if (!last) return nullptr;
        }
        if (isConst && declaration) {
            SNode* constant = AppendNew(parent, OT_KEYWORD, OST_CONST, type->line);
            halvo::AutoRef<SNode> name = declaration->LastChild()->Clone(true);
            SNode::AddChild(constant, name.Get());
        }
        SNode* after = last->Next();
        if (!InRange(after, end) || !IsSys(after, OST_COMMA)) return last;
        current = after;
    }
}

// function := "function" [type] name "(" parameters ")" statement
SNode* Parser::ParseFunction(SNode* start, SNode* end, SNode* parent) {
    SNode* first = start->Next();
    if (!InRange(first, end)) {
        Error(start->line, "Error while parsing 'function declaration' : function type is missing");
        return nullptr;
    }
    SNode* type = nullptr;
    SNode* name = first;
    if (IsName(first) && InRange(first->Next(), end) && IsName(first->Next())) {
        type = first;
        name = first->Next();
    }
    if (!IsName(name)) {
        Error(name->line, "Error while parsing 'function declaration' : invalid function name");
        return nullptr;
    }
    SNode* function = AppendNew(parent, OT_FUNCDEF, 0, start->line);
    if (function) function->value = name->value;
    if (type) AppendCopy(function, type);
    if (!InRange(name->Next(), end)) {
        Error(name->line, "Error while parsing 'function declaration' : uncomplete");
        return nullptr;
    }
    SNode* close = ParseParameters(name->Next(), end, function);
    if (!close || !InRange(close->Next(), end)) return nullptr;
    return ParseStatement(close->Next(), end, function);
}

// module := "module" name statement
SNode* Parser::ParseModule(SNode* start, SNode* end, SNode* parent) {
    SNode* name = start->Next();
    if (!InRange(name, end) || !IsName(name)) {
        Error(start->line, "Error while parsing module declaration: module name is missing");
        return nullptr;
    }
    SNode* module = AppendNew(parent, OT_MODULEDEF, 0, start->line);
    if (module) module->value = name->value;
    if (!InRange(name->Next(), end)) return nullptr;
    return ParseStatement(name->Next(), end, module);
}

// enum     := "enum" name "{" constant { "," constant } "}"
// constant := name ["=" expression]
SNode* Parser::ParseEnum(SNode* start, SNode* end, SNode* parent) {
    SNode* name = start->Next();
    if (!InRange(name, end) || !IsName(name)) {
        Error(start->line, "Error while parsing 'enum declaration' : invalid enum name");
        return nullptr;
    }
    SNode* enumNode = AppendNew(parent, OT_ENUMDEF, 0, start->line);
    if (enumNode) enumNode->value = name->value;
    SNode* open = name->Next();
    if (!InRange(open, end)) {
        Error(name->line, "Error while parsing 'enum declaration' : missing brackets");
        return nullptr;
    }
    if (!IsSys(open, OST_OPEN_BRACE)) {
        Error(open->line, "expected '{' here");
        return nullptr;
    }
    int depth = 0;
    SNode* pieceStart = open->Next();
    for (SNode* token = pieceStart; InRange(token, end); token = token->Next()) {
        if (IsSys(token, OST_OPEN_PAREN)) {
            ++depth;
        } else if (IsSys(token, OST_CLOSE_PAREN) && --depth < 0) {
            Error(token->line, "invalid constant declaration");
            return nullptr;
        } else if (IsSys(token, OST_CLOSE_BRACE) || (depth == 0 && IsSys(token, OST_COMMA))) {
            if (depth > 0) {
                Error(token->line, "missing ')' in contant declaration");
                return nullptr;
            }
            if (!ParseEnumConstant(pieceStart, token, enumNode)) return nullptr;
            if (IsSys(token, OST_CLOSE_BRACE)) return token;
            pieceStart = token->Next();
        }
    }
    return nullptr;
}

bool Parser::ParseEnumConstant(SNode* start, SNode* end, SNode* enumNode) {
    if (start == end || !IsName(start)) {
        Error(end->line, "constant name expected");
        return false;
    }
    SNode* constant = AppendNew(enumNode, OT_CONSTANT, 0, start->line);
    if (constant) constant->value = start->value;
    SNode* next = start->Next();
    if (next == end) return true;
    if (!IsPlainAssign(next)) {
        Error(next->line, "invalid constant declaration");
        return false;
    }
    SNode* last = next->Next() != end ? ParseInnerExpression(next->Next(), end, constant) : nullptr;
    if (!last) {
        Error(next->line, "rvalue expected after constant declaration");
        return false;
    }
    if (last->Next() != end) {
        Error(last->line, "invalid constant declaration");
        return false;
    }
    return true;
}

}  // namespace Vrel

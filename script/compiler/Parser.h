#pragma once
// Turns the token list into the syntax tree. Every parse operation takes a
// start token, an end token (the first one not to use; null: the end of the
// list) and a parent; it returns the last token it used, or null on failure.
// A null parent only checks the syntax and finds the extent, building and
// reporting nothing.

#include "script/compiler/CompileContext.h"
#include "script/compiler/ScriptGrExp.h"


namespace Vrel {

class Parser {
public:
    // Recursive entries (statements, expressions, names, argument lists,
    // parenthesis levels) open at one time.
    static constexpr int kMaxNestingDepth = 256;
    // Operators in one flat run between parentheses.
    static constexpr int kMaxChainOperators = 1000;
    // Depth of the finished tree, nesting and operator chains together, so
    // that the code generator's walk stays bounded.
    static constexpr int kMaxTreeDepth = 4096;

    explicit Parser(CompileContext& context);

    // Builds the tree root in the context and parses every statement into
    // it; false after the first failure.
    bool Parse();
    bool HasError() const { return error_; }

    SNode* ParseStatement(SNode* start, SNode* end, SNode* parent);
    SNode* ParseBlock(SNode* start, SNode* end, SNode* parent);
    SNode* ParseIf(SNode* start, SNode* end, SNode* parent);
    SNode* ParseWhile(SNode* start, SNode* end, SNode* parent);
    SNode* ParseFor(SNode* start, SNode* end, SNode* parent);
    SNode* ParseSwitch(SNode* start, SNode* end, SNode* parent);
    bool ParseCaseStatements(SNode* start, SNode* end, SNode* label);
    SNode* ParseReturn(SNode* start, SNode* end, SNode* parent);
    SNode* ParseDeclaration(SNode* start, SNode* end, SNode* parent, bool isConst);
    SNode* ParseFunction(SNode* start, SNode* end, SNode* parent);
    SNode* ParseModule(SNode* start, SNode* end, SNode* parent);
    SNode* ParseEnum(SNode* start, SNode* end, SNode* parent);

    // Expressions as statements, conditions and initialisers: the ";" right
    // behind one belongs to it.
    SNode* ParseExpression(SNode* start, SNode* end, SNode* parent) {
        return expressions_.ParseExpression(start, end, parent, true);
    }
    // Expressions inside brackets and labels end exactly at their last token.
    SNode* ParseInnerExpression(SNode* start, SNode* end, SNode* parent) {
        return expressions_.ParseExpression(start, end, parent, false);
    }
    SNode* ParseName(SNode* start, SNode* end, SNode* parent);
    SNode* ParseCallArguments(SNode* open, SNode* end, SNode* parent, const char* calledName);
    SNode* ParseChunk(SNode* open, SNode* end, SNode* parent);
    SNode* ParseParameters(SNode* open, SNode* end, SNode* function);

    // First-error reporter; answers true once an error stands.
    bool Error(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Counts one recursive entry; past the limit it reports "Nesting too
    // deep" and the caller gives up.
    class NestingGuard {
    public:
        NestingGuard(Parser& parser, const SNode* at);
        ~NestingGuard() { --parser_.depth_; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;
        bool Ok() const { return ok_; }

    private:
        Parser& parser_;
        bool ok_;
    };

private:
    SNode* DispatchStatement(SNode* start, SNode* end, SNode* parent);
    SNode* ParseLoopBody(SNode* start, SNode* end, SNode* loop);
    SNode* ParseSwitchLabel(SNode* label, SNode* end, SNode* switchNode, SNode*& colon);
    bool ParseEnumConstant(SNode* start, SNode* end, SNode* enumNode);
    bool ParseParameterPiece(SNode* start, SNode* end, SNode* header);
    bool CheckTreeDepth(const SNode* statement, int line);

    CompileContext& context_;
    ScriptGrExp expressions_;
    bool error_ = false;
    int depth_ = 0;
};

// Helpers on token and tree nodes that the parse operations share.
namespace Syntax {
inline bool InRange(const SNode* token, const SNode* end) { return token && token != end; }
inline bool IsSys(const SNode* token, int32_t subKind) { return token && token->Is(OT_SYS, subKind); }
inline bool IsKeyword(const SNode* token, int32_t subKind) { return token && token->Is(OT_KEYWORD, subKind); }
inline bool IsName(const SNode* token) { return token && token->IsKind(OT_NAME); }
inline bool IsPlainAssign(const SNode* token) {
    return token && token->IsKind(OT_BINARY) && token->opcode == kOpcodeAssign;
}
// A new node of that row appended to parent; null (and nothing made) when
// there is no parent.
SNode* AppendNew(SNode* parent, int32_t kind, int32_t subKind, int32_t line);
SNode* AppendCopy(SNode* parent, const SNode* token);
}  // namespace Syntax

}  // namespace Vrel

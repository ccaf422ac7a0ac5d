#pragma once
// The code generator: turns the syntax tree of one code body (a module's
// top level, a function body or a nested module body) into instruction
// nodes, whose post-order is the instruction order. A module's top level is
// generated, assembled and run statement by statement.

#include "script/compiler/Assembler.h"
#include "script/compiler/CompileContext.h"

#include <cstdint>
#include <vector>

namespace Vrel {

class Compiler;

class HiGrammar {
public:
    // Recursive generator entries (statements, expressions, nested bodies)
    // open at one time. The parser bounds trees at 4096 levels; this bounds
    // the walk over them whatever built the tree.
    static constexpr int kMaxDepth = 4200;
    // The parameter count is one byte in a code object.
    static constexpr int kMaxParameters = 255;

    // depth: the entries already open in the enclosing body's generator.
    explicit HiGrammar(Compiler& compiler, int depth = 0) : compiler_(compiler), depth_(depth) {}

    // Generates context.tree into a new code root in the context; false
    // after a reported failure (or without tree).
    bool Generate(CompileContext& context);
    bool GenerateStatements(SNode* list, SNode* code, CompileContext& context);
    bool HandleStatement(SNode* statement, SNode* code, CompileContext& context);

    // Statements.
    bool Handle_Block(SNode* block, SNode* code, CompileContext& context);
    bool Handle_If(SNode* node, SNode* code, CompileContext& context);
    bool Handle_While(SNode* node, SNode* code, CompileContext& context);
    bool Handle_For(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Switch(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Return(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Assign(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Const(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Jump(SNode* node, SNode* code, CompileContext& context);

    // Declarations, functions, modules and enums (no instructions).
    bool Handle_Declaration(SNode* node, CompileContext& context, bool isParameter);
    bool Handle_FunctionDefinition(SNode* node, CompileContext& context);
    bool Handle_ModuleDefinition(SNode* node, CompileContext& context);
    bool Handle_EnumDefinition(SNode* node, CompileContext& context);
    bool Handle_ConstantDefinition(SNode* constant, const char* enumName, int32_t& next, CompileContext& context);

    // Expressions.
    bool AssembleExpression(SNode* node, SNode* code, CompileContext& context);
    bool Handle_Expression(SNode* node, SNode* code, CompileContext& context);
    bool Handle_FunctionCall(SNode* node, SNode* code, CompileContext& context);
    bool PushArguments(SNode* params, SNode* code, CompileContext& context);
    bool PushVariable(SNode* node, SNode* code, CompileContext& context);
    // Compiles node into a temporary code object and runs it; true when a
    // value came back (stored into result).
    bool EvaluateExpression(SNode* node, Var& result, CompileContext& context);

    // "%s(%d) : " with the context's source name, then the message.
    static void Error(const CompileContext& context, int line, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    int Depth() const { return depth_; }
    Compiler& GetCompiler() const { return compiler_; }

private:
    // Counts one recursive entry; past the limit it reports once and the
    // caller gives up.
    class DepthGuard {
    public:
        DepthGuard(HiGrammar& grammar, const CompileContext& context, const SNode* at);
        ~DepthGuard() { --grammar_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        bool Ok() const { return ok_; }

    private:
        HiGrammar& grammar_;
        bool ok_;
    };

    bool DispatchStatement(SNode* statement, SNode* code, CompileContext& context);
    bool RunStatement(CompileContext& context);
    bool GenerateNested(SNode* list, SNode* code, CompileContext& context);
    bool GenerateCase(SNode* caseNode, int32_t label, Var& value, SNode* code, CompileContext& context);
    bool DeclareLocal(SNode* node, const char* name, const char* member, const char* typeText,
                      CompileContext& context, bool isParameter);
    bool DeclareGlobal(SNode* node, const char* name, const char* member, const char* modulePath,
                       const char* typeText, CompileContext& context);
    bool DeclaredTypeText(SNode* node, SNode* count, const char* typeName, const char*& typeText,
                          CompileContext& context);
    bool BuildFunction(SNode* node, BinCode* function, CompileContext& nested, CompileContext& context);
    int32_t NewLabel() { return ++labelCounter_; }

    Compiler& compiler_;
    int depth_;
    int32_t labelCounter_ = 0;
    // Innermost last; "breakout" takes the outermost.
    std::vector<int32_t> continueTargets_;
    std::vector<int32_t> breakTargets_;
    // Assembles each top-level statement and each function this body
    // defines: its buffers serve them all instead of being made anew.
    Assembler assembler_;
};

// Instruction-node helpers the generator parts share.
namespace Code {
// A group node appended to code.
SNode* Group(SNode* code);
// A plain instruction appended to code, with its operand.
SNode* Emit(SNode* code, int32_t opcode);
SNode* Emit(SNode* code, int32_t opcode, const Var& operand);
SNode* EmitInt(SNode* code, int32_t opcode, int32_t operand);
SNode* EmitText(SNode* code, int32_t opcode, const char* text);
SNode* Label(SNode* code, int32_t label);
SNode* Jump(SNode* code, int32_t opcode, int32_t label);
// A new empty "rem" list root.
halvo::AutoRef<SNode> NewRoot();
// The first child of that kind (or sub kind), or null.
SNode* ChildOfKind(const SNode* node, int32_t kind);
SNode* ChildOfSubKind(const SNode* node, int32_t subKind);
// The slot of the first variable of that name, or -1.
int SlotOf(const VarTable& variables, const char* name);
// The text a node's value carries, or null.
const char* TextOf(const SNode* node);
}  // namespace Code

}  // namespace Vrel

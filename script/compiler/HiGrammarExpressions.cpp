// The expression level of the code generator: operands before their
// operator, short-circuit "&&" and "||", variable references, calls, and
// constant expressions computed by running them.

#include "script/compiler/Assembler.h"
#include "script/compiler/Compiler.h"
#include "script/compiler/HiGrammar.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/VarBinary.h"

#include <array>
#include <map>
#include <span>
#include <vector>

namespace Vrel {

namespace {

constexpr size_t kFewOperands = 4;

// The operand children val(0), val(1), ... as long as the sequence goes on;
// the first child of each number counts.
std::vector<SNode*> CollectOperandsByMap(const SNode* node) {
    std::map<int32_t, SNode*> byIndex;
    for (SNode* child = node->FirstChild(); child; child = child->Next())
        if (child->kind == OT_VAL && child->value.GetTag() == kTagInt) byIndex.emplace(child->value.RawInt(), child);
    std::vector<SNode*> operands;
    for (auto it = byIndex.find(0); it != byIndex.end(); it = byIndex.find(static_cast<int32_t>(operands.size())))
        operands.push_back(it->second);
    return operands;
}

// The parser gives an operator node val(0) and at most val(1): those are
// gathered into few without allocating. Higher numbers take the general way
// through spill.
std::span<SNode* const> CollectOperands(const SNode* node, std::array<SNode*, kFewOperands>& few,
                                        std::vector<SNode*>& spill) {
    few.fill(nullptr);
    for (SNode* child = node->FirstChild(); child; child = child->Next()) {
        if (child->kind != OT_VAL || child->value.GetTag() != kTagInt) continue;
        const int32_t index = child->value.RawInt();
        if (index >= static_cast<int32_t>(kFewOperands)) {
            spill = CollectOperandsByMap(node);
            return spill;
        }
        if (index >= 0 && !few[static_cast<size_t>(index)]) few[static_cast<size_t>(index)] = child;
    }
    size_t count = 0;
    while (count < kFewOperands && few[count]) ++count;
    return std::span<SNode* const>(few.data(), count);
}

bool IsOperator(const SNode* node) {
    return node->kind == OT_BINARY || node->kind == OT_PREFIX || node->kind == OT_POSTFIX;
}

}  // namespace

bool HiGrammar::AssembleExpression(SNode* node, SNode* code, CompileContext& context) {
    DepthGuard guard(*this, context, node);
    if (!guard.Ok()) return false;
    std::array<SNode*, kFewOperands> few;
    std::vector<SNode*> spill;
    std::span<SNode* const> operands = CollectOperands(node, few, spill);
    SNode* first = node->FirstChild();
    if (operands.size() == 2 && node->ChildCount() == 3 &&
        (first->subKind == kOpLogicalAnd || first->subKind == kOpLogicalOr)) {
        if (!AssembleExpression(operands[0], code, context)) return false;
        const int32_t skip = NewLabel();
        Code::Jump(code, first->subKind == kOpLogicalAnd ? kOpJumpFalseCheck : kOpJumpTrueCheck, skip);
        if (!AssembleExpression(operands[1], code, context)) return false;
        Code::Emit(code, first->opcode);
        Code::Label(code, skip);
        return true;
    }
    for (SNode* operand : operands)
        if (!AssembleExpression(operand, code, context)) return false;
    for (SNode* child = first; child; child = child->Next()) {
        bool ok = true;
        if (child->kind == OT_VAL)
            continue;
        else if (child->kind == OT_EXP)
            ok = AssembleExpression(child, code, context);
        else if (child->kind == OT_VALUE)
            Code::Emit(code, kOpPushValue, child->value);
        else if (child->kind == OT_LVAL)
            ok = PushVariable(child, code, context);
        else if (child->kind == OT_FUNC_CALL)
            ok = Handle_FunctionCall(child, code, context);
        else if (child->kind == OT_PARAMS)
            ok = PushArguments(child, code, context);
        else if (IsOperator(child))
            Code::Emit(code, child->opcode);
        else {
            Error(context, child->line, "Unable to assembly expression");
            ok = false;
        }
        if (!ok) return false;
    }
    return true;
}

bool HiGrammar::Handle_Expression(SNode* node, SNode* code, CompileContext& context) {
    return AssembleExpression(node, Code::Group(code), context);
}

bool HiGrammar::PushArguments(SNode* params, SNode* code, CompileContext& context) {
    SNode* group = Code::Group(code);
    Code::EmitInt(group, kOpArrayCreate, params->ChildCount());
    int32_t index = 0;
    for (SNode* argument = params->FirstChild(); argument; argument = argument->Next(), ++index) {
        if (!AssembleExpression(argument, group, context)) return false;
        Code::EmitInt(group, kOpArrayAssign, index);
    }
    return true;
}

bool HiGrammar::Handle_FunctionCall(SNode* node, SNode* code, CompileContext& context) {
    SNode* params = Code::ChildOfKind(node, OT_PARAMS);
    if (!params) return false;
    SNode* group = Code::Group(code);
    if (!PushArguments(params, group, context) || !PushVariable(node, group, context)) return false;
    Code::Emit(group, kOpCall);
    return true;
}

bool HiGrammar::PushVariable(SNode* node, SNode* code, CompileContext& context) {
    const char* name = Code::TextOf(Code::ChildOfKind(node, OT_NAME));
    SNode* modulePath = Code::ChildOfSubKind(node, OST_MODULE_PATH);
    SNode* index = Code::ChildOfKind(node, OT_ARRAY);
    SNode* member = Code::ChildOfSubKind(node, OST_MEMBER);
    if (!name || (modulePath && !Code::TextOf(modulePath)) || (member && !Code::TextOf(member))) {
        Error(context, node->line, "Unable to assembly expression");
        return false;
    }
    int32_t flags = 0;
    if (modulePath) flags |= kPushByName | kPushModule;
    if (member) flags |= kPushMember;
    if (index) flags |= kPushIndex;
    int32_t slot = -1;
    if (!modulePath) {
        slot = Code::SlotOf(context.target->GetVariables(), name);
        if (slot < 0) flags |= kPushByName;
    }
    if (modulePath) Code::EmitText(code, kOpPushValue, Code::TextOf(modulePath));
    if (member) Code::EmitText(code, kOpPushValue, Code::TextOf(member));
    if (index && !Handle_Expression(index, code, context)) return false;
    if (flags & kPushByName)
        Code::EmitText(code, kOpPushValue, name);
    else
        Code::EmitInt(code, kOpPushValue, slot);
    Code::EmitInt(code, kOpPushVar, flags);
    return true;
}

// The temporary code object sees everything the enclosing one holds (enum
// constants, module variables, functions, and through its parent the
// modules around it), with a string table of its own and no code.
bool HiGrammar::EvaluateExpression(SNode* node, Var& result, CompileContext& context) {
    MakeEmpty(result);
    BinCode* enclosing = context.target.Get();
    halvo::AutoRef<BinCode> temporary(new BinCode);
    temporary->GetMembers().CopyMembers(enclosing->GetMembers());
    temporary->GetMembers().RemoveMember("~b");
    if (BinCode* parent = enclosing->GetParent()) temporary->SetParent(parent);
    temporary->CreateVocabulary();

    auto scratch = CompileContext::Nested(context, temporary.Get());
    scratch.code = Code::NewRoot();
    const int line = node->line;
    // Messages of the run name the expression's line.
    if (line >= 1) Code::EmitInt(scratch.code.Get(), kOpLine, line);
    if (!AssembleExpression(node, scratch.code.Get(), context)) {
        Error(context, line, "Unable to parse expression");
        return false;
    }
    Code::Emit(scratch.code.Get(), kOpReturn);
    Assembler assembler;
    if (!assembler.Assemble(scratch)) {
        Error(context, line, "Unable compile expression");
        return false;
    }
    if (!temporary->GetCode()) {
        Error(context, line, "Empty expression found");
        return false;
    }
    if (!Compiler::RunCode(temporary.Get(), result)) {
        Error(context, line, "Unable to evaluate expression");
        return false;
    }
    return true;
}

}  // namespace Vrel

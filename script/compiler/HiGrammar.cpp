#include "script/compiler/HiGrammar.h"

#include "script/compiler/Assembler.h"
#include "script/compiler/Compiler.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/VarBinary.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace Vrel {

// ---- instruction nodes -----------------------------------------------------

SNode* Code::Group(SNode* code) { return Emit(code, kOpNothing); }

// Without a list to hold it a new node would be gone on return: none is
// made.
SNode* Code::Emit(SNode* code, int32_t opcode) {
    if (!code) return nullptr;
    halvo::AutoRef<SNode> node = SNode::MakeInstruction(opcode);
    SNode::AddChild(code, node.Get());
    return node.Get();
}

SNode* Code::Emit(SNode* code, int32_t opcode, const Var& operand) {
    SNode* node = Emit(code, opcode);
    if (node) node->value.Assign(operand);
    return node;
}

// A fresh node's value holds nothing and has no flags: setting the number
// leaves it as assigning one would.
SNode* Code::EmitInt(SNode* code, int32_t opcode, int32_t operand) {
    SNode* node = Emit(code, opcode);
    if (node) node->value.SetInt(operand);
    return node;
}

SNode* Code::EmitText(SNode* code, int32_t opcode, const char* text) {
    SNode* node = Emit(code, opcode);
    if (node) node->value.SetStringConst(text);
    return node;
}

SNode* Code::Label(SNode* code, int32_t label) {
    if (!code) return nullptr;
    halvo::AutoRef<SNode> node = SNode::MakeLabel(kOpLabel, label);
    SNode::AddChild(code, node.Get());
    return node.Get();
}

SNode* Code::Jump(SNode* code, int32_t opcode, int32_t label) {
    if (!code) return nullptr;
    halvo::AutoRef<SNode> node = SNode::MakeLabel(opcode, label);
    SNode::AddChild(code, node.Get());
    return node.Get();
}

halvo::AutoRef<SNode> Code::NewRoot() {
    halvo::AutoRef<SNode> root(new SNode(*FindTokenByKind(OT_REM)));
    root->line = -1;
    return root;
}

SNode* Code::ChildOfKind(const SNode* node, int32_t kind) {
    for (SNode* child = node ? node->FirstChild() : nullptr; child; child = child->Next())
        if (child->kind == kind) return child;
    return nullptr;
}

SNode* Code::ChildOfSubKind(const SNode* node, int32_t subKind) {
    for (SNode* child = node ? node->FirstChild() : nullptr; child; child = child->Next())
        if (child->subKind == subKind) return child;
    return nullptr;
}

// The sorted index answers most look-ups (names not there) without the
// linear walk that numbers the slots.
int Code::SlotOf(const VarTable& variables, const char* name) {
    const Vocabulary& names = variables.GetNames();
    return names.Find(name) < 0 ? -1 : names.FindLinear(name);
}

const char* Code::TextOf(const SNode* node) { return node ? node->value.GetCString() : nullptr; }

// ---- messages and depth ------------------------------------------------------

void HiGrammar::Error(const CompileContext& context, int line, const char* format, ...) {
    if (!format || !*format) return;
    char message[Compiler::kMaxMessageLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ScriptVM::Global().Error(context.sourceName.c_str(), line, "%s", message);
}

HiGrammar::DepthGuard::DepthGuard(HiGrammar& grammar, const CompileContext& context, const SNode* at)
    : grammar_(grammar) {
    ok_ = ++grammar_.depth_ <= kMaxDepth;
    if (!ok_) Error(context, at ? at->line : -1, "Expression too complex");
}

// ---- statement lists ---------------------------------------------------------

bool HiGrammar::Generate(CompileContext& context) {
    if (!context.tree) return false;
    // Labels keep counting from the generator's construction, so that a
    // function's default-value prologue and its body never share a number.
    context.code = Code::NewRoot();
    return GenerateStatements(context.tree.Get(), context.code.Get(), context);
}

bool HiGrammar::GenerateStatements(SNode* list, SNode* code, CompileContext& context) {
    for (SNode* statement = list->FirstChild(); statement;) {
        if (context.statementByStatement) {
            context.code = Code::NewRoot();
            code = context.code.Get();
        }
        if (!HandleStatement(statement, code, context)) return false;
        SNode* next = statement->Next();
        if (context.statementByStatement) {
            if (!RunStatement(context)) return false;
            // A statement that ran is done with: its tree goes, so that the
            // next statements' code reuses its nodes.
            list->ReleaseChildrenBefore(next);
        }
        statement = next;
    }
    return true;
}

// Assembles the statement just generated and runs it when it made code.
bool HiGrammar::RunStatement(CompileContext& context) {
    if (!assembler_.Assemble(context)) return false;
    context.code.Reset();
    BinCode* module = context.target.Get();
    VarBinary* code = module->GetCode();
    if (!code || code->GetSize() <= 2) return true;
    Var value;
    if (!Compiler::RunCode(module, value)) return false;
    context.result = value;
    return true;
}

// Nested statement lists accumulate into their statement's group.
bool HiGrammar::GenerateNested(SNode* list, SNode* code, CompileContext& context) {
    const bool saved = context.statementByStatement;
    context.statementByStatement = false;
    bool ok = GenerateStatements(list, code, context);
    context.statementByStatement = saved;
    return ok;
}

bool HiGrammar::HandleStatement(SNode* statement, SNode* code, CompileContext& context) {
    DepthGuard guard(*this, context, statement);
    if (!guard.Ok()) return false;
    if (statement->line < 1) {
        Error(context, -1, "Line informations missing");
        return false;
    }
    Code::EmitInt(code, kOpLine, statement->line);
    return DispatchStatement(statement, code, context);
}

bool HiGrammar::DispatchStatement(SNode* s, SNode* code, CompileContext& context) {
    if (s->kind == OT_NEW) return Handle_Declaration(s, context, false);
    if (s->kind == OT_ASSIGN) return Handle_Assign(s, code, context);
    if (s->subKind == OST_CONST) return Handle_Const(s, code, context);
    if (s->kind == OT_CHUNK) return Handle_Block(s, code, context);
    if (s->subKind == OST_IF) return Handle_If(s, code, context);
    if (s->subKind == OST_FOR) return Handle_For(s, code, context);
    if (s->subKind == OST_WHILE) return Handle_While(s, code, context);
    if (s->subKind == OST_SWITCH) return Handle_Switch(s, code, context);
    if (s->kind == OT_FUNC_CALL) return Handle_FunctionCall(s, code, context);
    if (s->kind == OT_EXP) return Handle_Expression(s, code, context);
    if (s->kind == OT_FUNCDEF) return Handle_FunctionDefinition(s, context);
    if (s->kind == OT_MODULEDEF) return Handle_ModuleDefinition(s, context);
    if (s->kind == OT_ENUMDEF) return Handle_EnumDefinition(s, context);
    if (s->subKind == OST_RETURN) return Handle_Return(s, code, context);
    if (s->subKind == OST_BREAK || s->subKind == OST_BREAKOUT || s->subKind == OST_CONTINUE)
        return Handle_Jump(s, code, context);
    if (s->kind == OT_LVAL) {
        Error(context, s->line, "Unexpected lvalue found");
        return false;
    }
    Error(context, s->line, "unable to parse expression");
    return false;
}

// ---- blocks and control flow -------------------------------------------------

bool HiGrammar::Handle_Block(SNode* block, SNode* code, CompileContext& context) {
    SNode* group = Code::Group(code);
    if (!GenerateNested(block, group, context)) return false;
    Code::Emit(group, kOpEndOfStatement);
    return true;
}

bool HiGrammar::Handle_If(SNode* node, SNode* code, CompileContext& context) {
    SNode* condition = node->FirstChild();
    SNode* thenPart = condition ? condition->Next() : nullptr;
    SNode* elsePart = thenPart ? thenPart->Next() : nullptr;
    if (!thenPart) {
        Error(context, node->line, "unable to parse expression");
        return false;
    }
    const int32_t otherwise = NewLabel();
    const int32_t done = NewLabel();
    SNode* group = Code::Group(code);
    if (!GenerateNested(condition, group, context)) return false;
    Code::Jump(group, kOpJumpFalse, otherwise);
    if (!HandleStatement(thenPart, group, context)) return false;
    SNode* elseStatement = elsePart ? elsePart->FirstChild() : nullptr;
    if (!elseStatement) {
        Code::Label(group, otherwise);
        return true;
    }
    Code::Jump(group, kOpJump, done);
    Code::Label(group, otherwise);
    if (!HandleStatement(elseStatement, group, context)) return false;
    Code::Label(group, done);
    return true;
}

// Every pass through a loop starts at its top label: an "eoc" there drops
// whatever a braceless body, the step or a "continue" left on the stack.
bool HiGrammar::Handle_While(SNode* node, SNode* code, CompileContext& context) {
    SNode* condition = node->FirstChild();
    SNode* body = condition ? condition->Next() : nullptr;
    if (!body) return false;
    const int32_t next = NewLabel();
    const int32_t exit = NewLabel();
    const int32_t top = NewLabel();
    continueTargets_.push_back(next);
    breakTargets_.push_back(exit);
    SNode* group = Code::Group(code);
    Code::Label(group, top);
    Code::Emit(group, kOpEndOfStatement);
    bool ok = GenerateNested(condition, group, context);
    if (ok) {
        Code::Jump(group, kOpJumpFalse, exit);
        ok = HandleStatement(body, group, context);
    }
    Code::Label(group, next);
    Code::Jump(group, kOpJump, top);
    Code::Label(group, exit);
    continueTargets_.pop_back();
    breakTargets_.pop_back();
    return ok;
}

bool HiGrammar::Handle_For(SNode* node, SNode* code, CompileContext& context) {
    SNode* header = Code::ChildOfKind(node, OT_MULTI_CODE);
    SNode* body = header ? header->Next() : nullptr;
    if (!header || !body) return false;
    SNode* parts[3] = {nullptr, nullptr, nullptr};
    for (SNode* part = header->FirstChild(); part; part = part->Next()) {
        int index = part->value.AsInt();
        if (part->kind == OT_EXP && index >= 0 && index < 3 && !parts[index]) parts[index] = part;
    }
    const int32_t next = NewLabel();
    const int32_t exit = NewLabel();
    const int32_t top = NewLabel();
    continueTargets_.push_back(next);
    breakTargets_.push_back(exit);
    SNode* group = Code::Group(code);
    bool ok = !parts[0] || Handle_Expression(parts[0], group, context);
    if (ok) {
        Code::Label(group, top);
        Code::Emit(group, kOpEndOfStatement);
        if (parts[1]) {
            ok = Handle_Expression(parts[1], group, context);
            Code::Jump(group, kOpJumpFalse, exit);
        }
    }
    ok = ok && HandleStatement(body, group, context);
    Code::Label(group, next);
    ok = ok && (!parts[2] || Handle_Expression(parts[2], group, context));
    Code::Jump(group, kOpJump, top);
    Code::Label(group, exit);
    continueTargets_.pop_back();
    breakTargets_.pop_back();
    return ok;
}

bool HiGrammar::Handle_Jump(SNode* node, SNode* code, CompileContext& context) {
    const bool isContinue = node->subKind == OST_CONTINUE;
    if (isContinue ? continueTargets_.empty() : breakTargets_.empty()) {
        Error(context, node->line, "unexpected continue");
        return false;
    }
    int32_t target = isContinue                       ? continueTargets_.back()
                     : node->subKind == OST_BREAKOUT ? breakTargets_.front()
                                                      : breakTargets_.back();
    Code::Jump(code, kOpJump, target);
    return true;
}

// ---- switch --------------------------------------------------------------------

namespace {

struct CaseRecord {
    int index;
    Var value;
    int32_t label;
};

// Only values with an operand form can stand in the table's "data".
bool IsConstantCaseValue(const Var& value) {
    switch (value.GetTag()) {
        case kTagNil:
        case kTagBool:
        case kTagInt:
        case kTagFloat:
        case kTagStringConst: return true;
        case kTagObject: return value.GetCString() != nullptr;
        default: return false;
    }
}

bool SameCaseValue(const Var& a, const Var& b) { return !Var::CaseLess(a, b) && !Var::CaseLess(b, a); }

}  // namespace

bool HiGrammar::Handle_Switch(SNode* node, SNode* code, CompileContext& context) {
    const int32_t exit = NewLabel();
    SNode* selector = node->FirstChild();
    if (!selector) {
        Error(context, node->line, "HiGrammar::Handle_Switch: Invalid node structure");
        return false;
    }
    std::vector<SNode*> cases;
    SNode* fallback = nullptr;
    for (SNode* child = selector->Next(); child; child = child->Next()) {
        if (child->subKind == OST_CASE) {
            cases.push_back(child);
        } else if (child->subKind == OST_DEFAULT && !fallback) {
            fallback = child;
        } else if (child->subKind == OST_DEFAULT) {
            Error(context, child->line, "two default statement found");
            return false;
        } else {
            Error(context, child->line, "HiGrammar::Handle_Switch: Invalid node structure");
            return false;
        }
    }
    if (cases.empty() && !fallback) return true;

    breakTargets_.push_back(exit);
    struct PopTarget {
        std::vector<int32_t>& targets;
        ~PopTarget() { targets.pop_back(); }
    } pop{breakTargets_};

    if (!Handle_Expression(selector, code, context)) return false;
    Code::EmitInt(code, kOpSwitch, static_cast<int32_t>(cases.size()));
    std::vector<CaseRecord> records;
    std::vector<SNode*> table;
    for (size_t i = 0; i < cases.size(); ++i) {
        records.push_back({static_cast<int>(i), Var(), NewLabel()});
        table.push_back(Code::Jump(code, kOpLabelTab, records.back().label));
    }
    if (fallback) {
        for (SNode* statement = fallback->FirstChild(); statement; statement = statement->Next()) {
            if (!HandleStatement(statement, code, context)) {
                Error(context, statement->line, "unable to compile case code block");
                return false;
            }
        }
    }
    Code::Jump(code, kOpJump, exit);
    for (size_t i = 0; i < cases.size(); ++i) {
        if (!GenerateCase(cases[i], records[i].label, records[i].value, code, context)) return false;
        for (size_t earlier = 0; earlier < i; ++earlier) {
            if (SameCaseValue(records[earlier].value, records[i].value)) {
                Error(context, cases[i]->line, "case value %s is defined twice",
                      records[i].value.ToString().c_str());
                return false;
            }
        }
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const CaseRecord& a, const CaseRecord& b) { return Var::CaseLess(a.value, b.value); });
    for (size_t k = 0; k < records.size(); ++k) table[k]->value.SetInt(records[k].label);
    Code::Label(code, exit);
    return true;
}

bool HiGrammar::GenerateCase(SNode* caseNode, int32_t label, Var& value, SNode* code, CompileContext& context) {
    SNode* valueNode = caseNode->FirstChild();
    const int line = valueNode ? valueNode->line : caseNode->line;
    if (!valueNode || !EvaluateExpression(valueNode, value, context) || !IsConstantCaseValue(value)) {
        Error(context, line, "case value is not constant");
        return false;
    }
    Code::Label(code, label);
    Code::Emit(code, kOpData, value);
    for (SNode* statement = valueNode->Next(); statement; statement = statement->Next()) {
        if (!HandleStatement(statement, code, context)) {
            Error(context, line, "unable to compile case code block");
            return false;
        }
    }
    return true;
}

// ---- return, assignment, const -------------------------------------------------

bool HiGrammar::Handle_Return(SNode* node, SNode* code, CompileContext& context) {
    Code::EmitInt(code, kOpArrayCreate, 1);
    if (SNode* list = Code::ChildOfKind(node, OT_PARAMS)) {
        if (!GenerateNested(list, code, context)) return false;
    } else if (SNode* expression = Code::ChildOfKind(node, OT_EXP)) {
        if (!Handle_Expression(expression, code, context)) return false;
    }
    Code::Emit(code, kOpReturn);
    return true;
}

bool HiGrammar::Handle_Assign(SNode* node, SNode* code, CompileContext& context) {
    SNode* target = Code::ChildOfKind(node, OT_LVAL);
    SNode* expression = Code::ChildOfKind(node, OT_EXP);
    if (!target || !expression || !Code::ChildOfKind(target, OT_NAME)) {
        Error(context, node->line, "HiGrammar::Handle_Assign : Fatal - wrong format found");
        return false;
    }
    if (!Handle_Expression(expression, code, context) || !PushVariable(target, code, context)) return false;
    Code::Emit(code, kOpAssign);
    return true;
}

bool HiGrammar::Handle_Const(SNode* node, SNode* code, CompileContext& context) {
    SNode* target = Code::ChildOfKind(node, OT_LVAL);
    if (!target) {
        Error(context, node->line, "HiGrammar::Handle_Const : Fatal - wrong format found");
        return false;
    }
    if (!PushVariable(target, code, context)) return false;
    Code::Emit(code, kOpMakeConst);
    return true;
}

}  // namespace Vrel

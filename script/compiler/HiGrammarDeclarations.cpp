// Declarations, function and module definitions and enums: they take
// effect while compiling, as variables, members and code objects, and emit
// no instructions.

#include "script/compiler/Assembler.h"
#include "script/compiler/Compiler.h"
#include "script/compiler/HiGrammar.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

#include <cstdio>
#include <cstring>

namespace Vrel {

namespace {

// Declaration texts outlive the compile: every call of the function makes
// its locals from them.
const char* Interned(const char* text) { return ScriptVM::Global().InternText(text); }

t_Named* GiveNewStructure(Var& variable) {
    halvo::AutoRef<t_Named> structure(new t_Named);
    MakeEmpty(variable);
    variable.SetObject(structure.Get());
    return structure.Get();
}

bool IsStructDeclaration(const Var& variable) {
    const char* type = variable.GetTag() == kTagDeclaration ? variable.GetName() : nullptr;
    return type && std::strcmp(type, "struct") == 0;
}

}  // namespace

// ---- variable declarations -----------------------------------------------------

bool HiGrammar::Handle_Declaration(SNode* node, CompileContext& context, bool isParameter) {
    SNode* type = Code::ChildOfKind(node, OT_NAME);
    SNode* variable = Code::ChildOfKind(node, OT_LVAL);
    const char* typeName = Code::TextOf(type);
    if (!typeName || !variable) {
        Error(context, node->line, "Incomplete variable declaration: the type is missing.");
        return false;
    }
    const char* name = Code::TextOf(Code::ChildOfKind(variable, OT_NAME));
    if (!name) {
        Error(context, node->line, "Incomplete variable declaration: the variable name is missing");
        return false;
    }
    SNode* memberNode = Code::ChildOfSubKind(variable, OST_MEMBER);
    SNode* pathNode = Code::ChildOfSubKind(variable, OST_MODULE_PATH);
    const char* member = Code::TextOf(memberNode);
    const char* modulePath = Code::TextOf(pathNode);
    if ((memberNode && !member) || (pathNode && !modulePath)) {
        Error(context, node->line, "Incomplete variable declaration: the variable name is missing");
        return false;
    }
    const char* typeText = nullptr;
    if (!DeclaredTypeText(node, Code::ChildOfKind(variable, OT_ARRAY), typeName, typeText, context)) return false;
    if (!modulePath && context.functionBody)
        return DeclareLocal(node, name, member, typeText, context, isParameter);
    if (isParameter) {
        Error(context, node->line, "The global value '%s' cannot be a parameter", name);
        return false;
    }
    return DeclareGlobal(node, name, member, modulePath, typeText, context);
}

// The type name, or "#n:type" for n elements; element counts are computed
// while compiling and must be an int within the array limit.
bool HiGrammar::DeclaredTypeText(SNode* node, SNode* count, const char* typeName, const char*& typeText,
                                 CompileContext& context) {
    typeText = Interned(typeName);
    if (!count) return true;
    Var value;
    if (!EvaluateExpression(count, value, context)) return false;
    if (!value.IsInt()) {
        Error(context, node->line, "The array size of '%s' is not an int value", typeName);
        return false;
    }
    const int n = value.AsInt();
    if (n < 0 || n > kMaxArrayCount) {
        Error(context, node->line, "The array size %d is out of range (0 to %d)", n, kMaxArrayCount);
        return false;
    }
    if (n < 2) return true;
    char text[64 + 256];
    std::snprintf(text, sizeof text, "#%d:%.256s", n, typeName);
    typeText = Interned(text);
    return true;
}

bool HiGrammar::DeclareLocal(SNode* node, const char* name, const char* member, const char* typeText,
                             CompileContext& context, bool isParameter) {
    VarTable& variables = context.target->GetVariables();
    const int existing = Code::SlotOf(variables, name);
    if (!member) {
        if (existing >= 0 && isParameter) {
            Error(context, node->line, "The parameter '%s' is declared twice", name);
            return false;
        }
        // A repeated name keeps its first slot: references already point
        // there, and a second slot would shift every later name by one.
        if (existing >= 0) return true;
        if (!variables.Add(name, typeText, nullptr)) {
            Error(context, node->line, "Too many variables");
            return false;
        }
        return true;
    }
    Var* variable = existing >= 0 ? variables.At(existing) : nullptr;
    if (!variable) {
        variable = variables.Add(name, nullptr, nullptr);
        if (!variable) {
            Error(context, node->line, "Too many variables");
            return false;
        }
        GiveNewStructure(*variable);
    } else if (IsStructDeclaration(*variable)) {
        GiveNewStructure(*variable);
    }
    t_Named* structure = ToNamed(*variable);
    if (!structure) {
        Error(context, node->line, "The variable '%s' is not a property map.", name);
        return false;
    }
    structure->AddMember(member, typeText);
    return true;
}

bool HiGrammar::DeclareGlobal(SNode* node, const char* name, const char* member, const char* modulePath,
                              const char* typeText, CompileContext& context) {
    BinCode* module = context.target.Get();
    if (modulePath) {
        ScriptVM& vm = ScriptVM::Global();
        Var* held = vm.GetRootModule()->GetMember(modulePath);
        module = held ? ToBinCode(*held) : vm.GetOrCreateModule(modulePath);
        if (!module) {
            Error(context, node->line, "module %s not found", modulePath);
            return false;
        }
    }
    t_Named& members = module->GetMembers();
    if (!member) {
        // A recompile declares its constants again; the assignment that
        // follows must be allowed to set them.
        if (Var* declared = members.AddMember(name, typeText)) declared->SetConstFlag(false);
        return true;
    }
    Var* variable = members.AddMember(name, nullptr);
    t_Named* structure = variable ? ToNamed(*variable) : nullptr;
    if (variable && !structure) structure = GiveNewStructure(*variable);
    if (!structure) return false;
    if (Var* declared = structure->AddMember(member, typeText)) declared->SetConstFlag(false);
    return true;
}

// ---- functions -----------------------------------------------------------------

bool HiGrammar::Handle_FunctionDefinition(SNode* node, CompileContext& context) {
    SNode* body = Code::ChildOfKind(node, OT_CHUNK);
    if (!body) {
        Error(context, node->line, "Missing function body after parameter declaration");
        return false;
    }
    const char* name = Code::TextOf(node);
    if (!name) {
        Error(context, node->line, "unable to parse expression");
        return false;
    }
    halvo::AutoRef<BinCode> function(new BinCode);
    function->SetParent(context.target.Get());
    function->CreateVocabulary();
    auto nested = CompileContext::Nested(context, function.Get());
    nested.tree = body;
    nested.functionBody = true;
    if (!BuildFunction(node, function.Get(), nested, context)) return false;
    Var* slot = context.target->GetMembers().GetOrAddMember(name);
    MakeEmpty(*slot);
    slot->SetObject(function.Get());
    return true;
}

bool HiGrammar::BuildFunction(SNode* node, BinCode* function, CompileContext& nested, CompileContext& context) {
    const char* returnType = Code::TextOf(Code::ChildOfKind(node, OT_NAME));
    int parameters = 0;
    SNode* head = Code::ChildOfKind(node, OT_FUNCTION_HEADER);
    HiGrammar body(compiler_, depth_);
    for (SNode* piece = head ? head->FirstChild() : nullptr; piece; piece = piece->Next()) {
        if (piece->kind == OT_NEW) {
            if (!body.Handle_Declaration(piece, nested, true)) return false;
            if (++parameters > kMaxParameters) {
                Error(context, piece->line, "Too many parameters");
                return false;
            }
        } else if (piece->kind == OT_EXP && parameters > 0) {
            if (!nested.parameterPrologue) nested.parameterPrologue = Code::NewRoot();
            if (!body.Handle_Expression(piece, nested.parameterPrologue.Get(), nested)) return false;
        }
    }
    function->SetParamCount(parameters);
    if (!body.Generate(nested)) return false;
    if (compiler_.WritesListings()) WriteListing(Code::TextOf(node), nested.code.Get());
    if (!assembler_.Assemble(nested)) return false;
    function->SetReturnType(returnType ? returnType : "void");
    return true;
}

// ---- nested modules ------------------------------------------------------------

bool HiGrammar::Handle_ModuleDefinition(SNode* node, CompileContext& context) {
    SNode* body = Code::ChildOfKind(node, OT_CHUNK);
    if (!body) {
        Error(context, node->line, "Missing module body");
        return false;
    }
    const char* name = Code::TextOf(node);
    ScriptVM& vm = ScriptVM::Global();
    halvo::AutoRef<BinCode> module(name ? vm.GetGlobalObject(name) : nullptr);
    if (!module && name) {
        module = vm.GetOrCreateModule(name);
        if (module) module->CreateVocabulary();
    }
    if (!module) {
        Error(context, node->line, "module %s not found", name ? name : "(null)");
        return false;
    }
    if (!module->GetMembers().FindMember("~v")) module->CreateVocabulary();
    auto nested = CompileContext::Nested(context, module.Get());
    nested.tree = body;
    nested.moduleName = name;
    HiGrammar generator(compiler_, depth_);
    if (!generator.Generate(nested)) return false;
    Assembler assembler;
    if (!assembler.Assemble(nested)) return false;
    Var ignored;
    bool ran = !module->GetCode() || Compiler::RunCode(module.Get(), ignored);
    module->GetMembers().RemoveMember("~b");
    return ran;
}

// ---- enums ---------------------------------------------------------------------

bool HiGrammar::Handle_EnumDefinition(SNode* node, CompileContext& context) {
    const char* name = Code::TextOf(node);
    if (!name) {
        Error(context, node->line, "unable to parse expression");
        return false;
    }
    int32_t next = 0;
    for (SNode* constant = node->FirstChild(); constant; constant = constant->Next())
        if (!Handle_ConstantDefinition(constant, name, next, context)) return false;
    return true;
}

bool HiGrammar::Handle_ConstantDefinition(SNode* constant, const char* enumName, int32_t& next,
                                          CompileContext& context) {
    if (SNode* expression = Code::ChildOfKind(constant, OT_EXP)) {
        Var value;
        if (!EvaluateExpression(expression, value, context)) {
            Error(context, expression->line, "HiGrammar::Handle_ConstantDefinition : Unable to evaluate expression");
            return false;
        }
        if (!value.IsInt()) {
            Error(context, expression->line, "HiGrammar::Handle_ConstantDefinition : Expected int value for constant");
            return false;
        }
        next = value.AsInt();
    }
    Var* holder = context.target->GetMembers().GetOrAddMember(enumName);
    if (holder->IsNil()) GiveNewStructure(*holder);
    VarExtension* object = holder->GetObject();
    if (!object || std::strcmp(object->GetTypeName(), "DataHolder") != 0) {
        Error(context, constant->line, "Name is already in use %s", enumName);
        return false;
    }
    const char* name = Code::TextOf(constant);
    Var* member = name ? object->GetOrAddMember(name) : nullptr;
    if (!member) {
        Error(context, constant->line, "constant name expected");
        return false;
    }
    MakeEmpty(*member);
    member->SetInt(next);
    member->SetConstFlag(true);
    next = static_cast<int32_t>(static_cast<uint32_t>(next) + 1u);
    return true;
}

}  // namespace Vrel

#include "script/runtime/execution/Opcode.h"

namespace Vrel {

namespace {

constexpr const char* kUnknown = "(unknown en_Command)";

const char* NameBelow128(int opcode) {
    static const char* const names[] = {"line",       "data",       "push value",        "push var",
                                        "array_create", "array_assign", "jump",            "jump true",
                                        "jump true (check)", "jump false", "jump false (check)", "switch",
                                        "label",      "label_tab"};
    return opcode < static_cast<int>(sizeof names / sizeof names[0]) ? names[opcode] : kUnknown;
}

const char* NameOfOperator(int opcode) {
    static const char* const names[] = {"*",  "/",  "%",  "+",   "-",   "<<",  ">>", "<=", "<",
                                        ">=", ">",  "==", "!=",  "and", "xor", "or", "&&", "||"};
    int i = opcode - kOpMul;
    return i < static_cast<int>(sizeof names / sizeof names[0]) ? names[i] : kUnknown;
}

const char* NameOfStatementOp(int opcode) {
    static const char* const names[] = {"call", "return", "eoc", "",   "stop", "=",   "*=",  "/=",  "%=",
                                        "+=",   "-=",     ">>=", "<<=", "&=",  "^=",  "|=",  "paramcpy"};
    int i = opcode - kOpCall;
    return i < static_cast<int>(sizeof names / sizeof names[0]) ? names[i] : kUnknown;
}

}  // namespace

const char* GetCommandName(int opcode) {
    if (opcode < 0 || opcode > 255) return kUnknown;
    if (opcode < kOpFirstWithoutOperand) return NameBelow128(opcode);
    switch (opcode) {
        case kOpPreIncrement: return "++X";
        case kOpPreDecrement: return "--X";
        case kOpComplement: return "neg";
        case kOpNot: return "not";
        case kOpPlus: return "+X";
        case kOpNegate: return "-X";
        case kOpPostIncrement: return "X++";
        case kOpPostDecrement: return "X--";
        default: break;
    }
    if (opcode >= kOpMul && opcode <= kOpLastBinary) return NameOfOperator(opcode);
    if (opcode >= kOpCall) return NameOfStatementOp(opcode);
    return kUnknown;
}

}  // namespace Vrel

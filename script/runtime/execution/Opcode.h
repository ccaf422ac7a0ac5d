#pragma once
// The instruction set of script bytecode: one opcode byte, and for opcodes
// below 128 one typed operand behind it.

#include <cstdint>

namespace Vrel {

enum Opcode : uint8_t {
    kOpLine = 0,
    kOpData = 1,
    kOpPushValue = 2,
    kOpPushVar = 3,
    kOpArrayCreate = 4,
    kOpArrayAssign = 5,
    kOpJump = 6,
    kOpJumpTrue = 7,
    kOpJumpTrueCheck = 8,
    kOpJumpFalse = 9,
    kOpJumpFalseCheck = 10,
    kOpSwitch = 11,
    kOpLabel = 12,
    kOpLabelTab = 13,
    kOpFirstWithoutOperand = 128,
    kOpPreIncrement = 128,
    kOpPreDecrement = 129,
    kOpComplement = 130,
    kOpNot = 131,
    kOpPlus = 132,
    kOpNegate = 133,
    kOpMakeConst = 134,
    kOpLastUnary = 143,
    kOpPostIncrement = 144,
    kOpPostDecrement = 145,
    kOpLastPostfix = 159,
    kOpMul = 160,
    kOpDiv = 161,
    kOpMod = 162,
    kOpAdd = 163,
    kOpSub = 164,
    kOpShiftLeft = 165,
    kOpShiftRight = 166,
    kOpLessEqual = 167,
    kOpLess = 168,
    kOpGreaterEqual = 169,
    kOpGreater = 170,
    kOpEqual = 171,
    kOpNotEqual = 172,
    kOpBitAnd = 173,
    kOpBitXor = 174,
    kOpBitOr = 175,
    kOpLogicalAnd = 176,
    kOpLogicalOr = 177,
    kOpLastBinary = 223,
    kOpCall = 224,
    kOpReturn = 225,
    kOpEndOfStatement = 226,
    kOpNothing = 227,
    kOpStop = 228,
    kOpAssign = 229,
    kOpMulAssign = 230,
    kOpDivAssign = 231,
    kOpModAssign = 232,
    kOpAddAssign = 233,
    kOpSubAssign = 234,
    kOpShiftRightAssign = 235,
    kOpShiftLeftAssign = 236,
    kOpAndAssign = 237,
    kOpXorAssign = 238,
    kOpOrAssign = 239,
    kOpParamCopy = 240,
};

// Push-var flag bits.
constexpr int kPushByName = 1;
constexpr int kPushModule = 2;
constexpr int kPushIndex = 4;
constexpr int kPushMember = 8;

// Operand type bytes beyond the value tags.
constexpr uint8_t kOperandInlineText = 16;

// The opcode's name as messages and listings show it.
const char* GetCommandName(int opcode);

}  // namespace Vrel

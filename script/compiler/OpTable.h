#pragma once
// The operator table: one row per node kind, keyword, operator, bracket and
// instruction. Every syntax node starts as a copy of one row.

#include <cstdint>

namespace Vrel {

enum en_OpType : int32_t {
    OT_NONE = 0,
    OT_VALUE = 1,
    OT_NAME = 2,
    OT_SYS = 3,
    OT_BINARY = 4,
    OT_PREFIX = 5,
    OT_POSTFIX = 6,
    OT_REM = 7,
    OT_ARRAY = 8,
    OT_KEYWORD = 9,
    OT_CHUNK = 10,
    OT_EXP = 11,
    OT_LVAL = 12,
    OT_FUNC_CALL = 13,
    OT_ASSIGN = 14,
    OT_FUNCDEF = 15,
    OT_MODULEDEF = 16,
    OT_ENUMDEF = 17,
    OT_NEW = 18,
    OT_PARAMS = 19,
    OT_MULTI_CODE = 20,
    OT_FUNCTION_HEADER = 21,
    OT_CONSTANT = 22,
    OT_VAL = 23,
    OT_LABEL = 24,
};

enum en_OpSubType : int32_t {
    OST_NONE = 0,
    OST_FUNCTION = 1,
    OST_ENUM = 2,
    OST_IF = 3,
    OST_WHILE = 4,
    OST_SWITCH = 5,
    OST_CASE = 6,
    OST_DEFAULT = 7,
    OST_COLON = 8,
    OST_DOT = 9,
    OST_FOR = 10,
    OST_CONST = 11,
    OST_ELSE = 12,
    OST_MODULE = 13,
    OST_MODULE_PATH = 14,
    OST_MEMBER = 15,
    OST_ASSIGN = 16,
    OST_RETURN = 17,
    OST_BREAK = 18,
    OST_BREAKOUT = 19,
    OST_CONTINUE = 20,
    OST_OPEN_PAREN = 21,
    OST_CLOSE_PAREN = 22,
    OST_OPEN_BRACKET = 23,
    OST_CLOSE_BRACKET = 24,
    OST_OPEN_BRACE = 25,
    OST_CLOSE_BRACE = 26,
    OST_COMMA = 27,
    OST_SEMICOLON = 28,
};

// Opcode of rows that stand for no instruction.
constexpr int32_t kNoOpcode = 0xE3;
constexpr int32_t kOpcodeAssign = 0xE5;

struct OpRow {
    int32_t kind;
    int32_t subKind;
    int32_t opcode;
    int32_t leftToRight;
    int32_t precedence;
    const char* text;
};

constexpr int kOpTableRows = 96;
// The rows followed by one terminating row whose text is null.
extern const OpRow OpTable[kOpTableRows + 1];

const char* GetOpTypeName(int32_t kind);
const char* GetOpSubTypeName(int32_t subKind);
// First row of that kind (0: any) and sub kind (0: any), or null.
const OpRow* FindToken(int32_t kind, int32_t subKind);
const OpRow* FindTokenByKind(int32_t kind);

}  // namespace Vrel

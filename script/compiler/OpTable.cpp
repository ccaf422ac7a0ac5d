#include "script/compiler/OpTable.h"

namespace Vrel {

namespace {
constexpr int32_t N = kNoOpcode;
}

const OpRow OpTable[kOpTableRows + 1] = {
    {OT_VALUE, 0, N, 1, -1, "d"},
    {OT_NAME, 0, N, 1, -1, "name"},
    {OT_REM, 0, N, 1, -1, "rem"},
    {OT_CHUNK, 0, N, 1, -1, "chunk"},
    {OT_EXP, 0, N, 1, -1, "exp"},
    {OT_LVAL, 0, N, 1, -1, "lval"},
    {OT_FUNC_CALL, 0, N, 1, -1, "func_call"},
    {OT_ARRAY, 0, N, 1, -1, "array"},
    {OT_ASSIGN, 0, N, 1, -1, "assign"},
    {OT_FUNCDEF, 0, N, 1, -1, "funcdef"},
    {OT_MODULEDEF, 0, N, 1, -1, "moduledef"},
    {OT_ENUMDEF, 0, N, 1, -1, "enumdef"},
    {OT_NEW, 0, N, 1, -1, "new"},
    {OT_PARAMS, 0, N, 1, -1, "params"},
    {OT_MULTI_CODE, 0, N, 1, -1, "multicode"},
    {OT_FUNCTION_HEADER, 0, N, 1, -1, "function head"},
    {OT_CONSTANT, 0, N, 1, -1, "constant"},
    {OT_VAL, 0, N, 1, -1, "val"},
    {OT_NONE, 0, 0xE4, 1, -1, "stop"},
    {OT_NONE, 0, 0xF0, 1, -1, "pcopy"},
    {OT_NONE, 0, 0xE2, 1, -1, "eoc"},
    {OT_NONE, 0, 0x00, 1, -1, "line"},
    {OT_NONE, 0, 0x02, 1, -1, "value"},
    {OT_NONE, 0, 0x03, 1, -1, "global"},
    {OT_NONE, 0, 0x06, 1, -1, "jump"},
    {OT_NONE, 0, 0x07, 1, -1, "jump_true"},
    {OT_NONE, 0, 0x09, 1, -1, "jump_false"},
    {OT_NONE, 0, 0x08, 1, -1, "jump_true_noremove"},
    {OT_NONE, 0, 0x0A, 1, -1, "jump_false_noremove"},
    {OT_NONE, 0, 0x0C, 1, -1, "label"},
    {OT_NONE, 0, 0xE0, 1, -1, "func"},
    {OT_KEYWORD, OST_MODULE, 0xE1, 1, -1, "module"},
    {OT_KEYWORD, OST_RETURN, 0xE1, 1, -1, "return"},
    {OT_KEYWORD, OST_BREAK, N, 1, -1, "break"},
    {OT_KEYWORD, OST_BREAKOUT, N, 1, -1, "breakout"},
    {OT_KEYWORD, OST_CONTINUE, N, 1, -1, "continue"},
    {OT_KEYWORD, OST_FUNCTION, N, 1, -1, "function"},
    {OT_KEYWORD, OST_ENUM, N, 1, -1, "enum"},
    {OT_KEYWORD, OST_IF, N, 1, -1, "if"},
    {OT_KEYWORD, OST_WHILE, N, 1, -1, "while"},
    {OT_KEYWORD, OST_SWITCH, N, 1, -1, "switch"},
    {OT_KEYWORD, OST_CASE, N, 1, -1, "case"},
    {OT_KEYWORD, OST_DEFAULT, N, 1, -1, "default"},
    {OT_KEYWORD, OST_MEMBER, N, 1, -1, ".[name]"},
    {OT_KEYWORD, OST_MODULE_PATH, N, 1, -1, "::"},
    {OT_KEYWORD, OST_COLON, N, 1, -1, ":"},
    {OT_KEYWORD, OST_DOT, N, 1, -1, "."},
    {OT_KEYWORD, OST_FOR, N, 1, -1, "for"},
    {OT_KEYWORD, OST_CONST, N, 1, -1, "const"},
    {OT_KEYWORD, OST_ELSE, N, 1, -1, "else"},
    {OT_PREFIX, 128, 0x80, 1, 2, "++"},
    {OT_POSTFIX, 144, 0x90, 1, 2, "++"},
    {OT_PREFIX, 129, 0x81, 1, 2, "--"},
    {OT_POSTFIX, 145, 0x91, 1, 2, "--"},
    {OT_PREFIX, 130, 0x82, 1, 2, "~"},
    {OT_PREFIX, 131, 0x83, 1, 2, "!"},
    {OT_PREFIX, 132, 0x84, 1, 3, "+"},
    {OT_PREFIX, 133, 0x85, 1, 3, "-"},
    {OT_BINARY, 160, 0xA0, 1, 6, "*"},
    {OT_BINARY, 161, 0xA1, 1, 6, "/"},
    {OT_BINARY, 162, 0xA2, 1, 6, "%"},
    {OT_BINARY, 163, 0xA3, 1, 7, "+"},
    {OT_BINARY, 164, 0xA4, 1, 7, "-"},
    {OT_BINARY, 165, 0xA5, 1, 8, "<<"},
    {OT_BINARY, 166, 0xA6, 1, 8, ">>"},
    {OT_BINARY, 167, 0xA7, 1, 9, "<="},
    {OT_BINARY, 168, 0xA8, 1, 9, "<"},
    {OT_BINARY, 169, 0xA9, 1, 9, ">="},
    {OT_BINARY, 170, 0xAA, 1, 9, ">"},
    {OT_BINARY, 171, 0xAB, 1, 10, "=="},
    {OT_BINARY, 172, 0xAC, 1, 10, "!="},
    {OT_BINARY, 172, 0xAC, 1, 10, "~="},
    {OT_BINARY, 173, 0xAD, 1, 11, "&"},
    {OT_BINARY, 174, 0xAE, 1, 12, "^"},
    {OT_BINARY, 175, 0xAF, 1, 13, "|"},
    {OT_BINARY, 176, 0xB0, 1, 14, "&&"},
    {OT_BINARY, 177, 0xB1, 1, 15, "||"},
    {OT_BINARY, OST_ASSIGN, 0xE5, 0, 17, "="},
    {OT_BINARY, OST_ASSIGN, 0xE6, 0, 17, "*="},
    {OT_BINARY, OST_ASSIGN, 0xE7, 0, 17, "/="},
    {OT_BINARY, OST_ASSIGN, 0xE8, 0, 17, "%="},
    {OT_BINARY, OST_ASSIGN, 0xE9, 0, 17, "+="},
    {OT_BINARY, OST_ASSIGN, 0xEA, 0, 17, "-="},
    {OT_BINARY, OST_ASSIGN, 0xEB, 0, 17, ">>="},
    {OT_BINARY, OST_ASSIGN, 0xEC, 0, 17, "<<="},
    {OT_BINARY, OST_ASSIGN, 0xED, 0, 17, "&="},
    {OT_BINARY, OST_ASSIGN, 0xEE, 0, 17, "^="},
    {OT_BINARY, OST_ASSIGN, 0xEF, 0, 17, "|="},
    {OT_SYS, OST_COMMA, N, 1, 18, ","},
    {OT_SYS, OST_SEMICOLON, N, 1, 18, ";"},
    {OT_SYS, OST_OPEN_PAREN, N, 1, 50, "("},
    {OT_SYS, OST_CLOSE_PAREN, N, 1, 51, ")"},
    {OT_SYS, OST_OPEN_BRACE, N, 1, 52, "{"},
    {OT_SYS, OST_CLOSE_BRACE, N, 1, 53, "}"},
    {OT_SYS, OST_OPEN_BRACKET, N, 1, -1, "["},
    {OT_SYS, OST_CLOSE_BRACKET, N, 1, -1, "]"},
    {0, 0, 0, 0, 0, nullptr},
};

namespace {

struct Named {
    int32_t value;
    const char* name;
};

constexpr const char* kOpTypeNames[] = {
    "",        "value",     "name",    "sys",     "binary",   "prefix",     "postfix",
    "rem",     "array",     "keyword", "chunk",   "exp",      "lval",       "func_call",
    "=",       "funcdef",   "moduledef", "enumdef", "new",    "params",     "multi_code",
    "function header", "constant", "val", "label",
};

constexpr Named kSubTypeNames[] = {
    {0, ""},        {1, "function"}, {2, "enum"},     {3, "if"},       {4, "while"},
    {5, "switch"},  {6, "case"},     {7, "default"},  {8, ":"},        {9, "."},
    {10, "for"},    {11, "const"},   {12, "else"},    {13, "module"},  {14, "::"},
    {16, "="},      {17, "return"},  {18, "break"},   {19, "breakout"}, {20, "continue"},
    {21, "("},      {22, ")"},       {23, "["},       {24, "]"},       {25, "{"},
    {26, "}"},      {27, ","},       {28, ";"},       {128, "++X"},    {129, "--X"},
    {130, "negate"}, {131, "not"},   {132, "u+"},     {133, "u-"},     {144, "X++"},
    {145, "X--"},   {160, "*"},      {161, "/"},      {162, "%"},      {163, "+"},
    {164, "-"},     {165, "<<"},     {166, ">>"},     {167, "<="},     {168, "<"},
    {169, ">="},    {170, ">"},      {171, "="},      {172, "!="},     {173, "and"},
    {174, "xor"},   {175, "or"},     {176, "l-and"},  {177, "l-or"},
};

}  // namespace

const char* GetOpTypeName(int32_t kind) {
    constexpr int32_t count = sizeof kOpTypeNames / sizeof kOpTypeNames[0];
    if (kind < 0 || kind >= count) return "(unknown en_OpType)";
    return kOpTypeNames[kind];
}

const char* GetOpSubTypeName(int32_t subKind) {
    for (const Named& entry : kSubTypeNames)
        if (entry.value == subKind) return entry.name;
    return "(unknown en_OpSubType)";
}

namespace {

const OpRow* SearchToken(int32_t kind, int32_t subKind) {
    for (const OpRow* row = OpTable; row->text; ++row) {
        if (kind != 0 && row->kind != kind) continue;
        if (subKind != 0 && row->subKind != subKind) continue;
        return row;
    }
    return nullptr;
}

// Every node is made through a look-up: the answers for the kinds and sub
// kinds the table uses are indexed once. Rows are entered last to first so
// that the first matching row stays, as the search finds it.
constexpr int32_t kIndexedKinds = 32;
constexpr int32_t kIndexedSubKinds = 256;

struct TokenIndex {
    const OpRow* rows[kIndexedKinds][kIndexedSubKinds] = {};
    bool complete = true;
};

const TokenIndex& Index() {
    static const TokenIndex* index = [] {
        auto* built = new TokenIndex;
        const OpRow* end = OpTable;
        while (end->text) ++end;
        for (const OpRow* row = end; row-- != OpTable;) {
            if (row->kind < 0 || row->kind >= kIndexedKinds || row->subKind < 0 || row->subKind >= kIndexedSubKinds) {
                built->complete = false;
                continue;
            }
            built->rows[row->kind][row->subKind] = row;
            built->rows[row->kind][0] = row;
            built->rows[0][row->subKind] = row;
            built->rows[0][0] = row;
        }
        return built;
    }();
    return *index;
}

}  // namespace

const OpRow* FindToken(int32_t kind, int32_t subKind) {
    const TokenIndex& index = Index();
    if (!index.complete || kind < 0 || kind >= kIndexedKinds || subKind < 0 || subKind >= kIndexedSubKinds)
        return SearchToken(kind, subKind);
    return index.rows[kind][subKind];
}

const OpRow* FindTokenByKind(int32_t kind) {
    for (const OpRow* row = OpTable; row->text; ++row)
        if (row->kind == kind) return row;
    return nullptr;
}

}  // namespace Vrel

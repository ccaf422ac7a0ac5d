#include "script/compiler/Lexer.h"

#include "script/compiler/Ascii.h"
#include "script/compiler/Compiler.h"
#include "script/runtime/machine/ScriptVM.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Vrel {

namespace {

const OpRow& ValueRow() { return *FindTokenByKind(OT_VALUE); }
const OpRow& NameRow() { return *FindTokenByKind(OT_NAME); }

int DigitValue(char c) {
    if (Ascii::IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

bool IsBaseDigit(char c, uint32_t base) { return static_cast<uint32_t>(DigitValue(c)) < base; }

}  // namespace

Lexer::Lexer(CompileContext& context)
    : context_(context),
      text_(context.sourceText ? context.sourceText : ""),
      length_(std::strlen(text_)),
      oracle_(text_, length_) {}

bool Lexer::Tokenize() {
    context_.tokens.Reset();
    const OpRow* rootRow = FindTokenByKind(OT_REM);
    if (!rootRow) return false;
    context_.tokens = halvo::AutoRef<SNode>(new SNode(*rootRow));
    context_.tokens->line = 1;
    return ScanText();
}

// Only the line variables read the table: it is filled when one is first met.
void Lexer::FillLineTable() {
    if (lineTableFilled_) return;
    lineTableFilled_ = true;
    int32_t line = 1;
    size_t start = 0;
    for (size_t pos = 0; pos <= length_; ++pos) {
        if (pos < length_ && text_[pos] != '\n') continue;
        size_t first = start, end = pos;
        while (first < end && Ascii::IsSkippable(text_[first])) ++first;
        while (end > first && Ascii::IsSkippable(text_[end - 1])) --end;
        if (end > first) context_.lines[line] = std::string(text_ + first, end - first);
        ++line;
        start = pos + 1;
    }
}

bool Lexer::ScanText() {
    line_ = 1;
    const OpRow* previous = nullptr;
    size_t pos = 0;
    while (pos < length_) {
        char c = text_[pos];
        if (Ascii::IsSkippable(c)) {
            if (c == '\n') {
                ++line_;
                inLineComment_ = false;
            }
            ++pos;
            continue;
        }
        // A run of blanks makes no token in any state, inside comments too:
        // it is passed here, without a token read for every run.
        if (c == ' ' || c == '\t' || c == '\r') {
            while (++pos < length_ && (text_[pos] == ' ' || text_[pos] == '\t' || text_[pos] == '\r')) {
            }
            continue;
        }
        size_t consumed = 1;
        Var value;
        const OpRow* row = NextToken(pos, consumed, value, previous);
        if (error_) return false;
        if (row) {
            halvo::AutoRef<SNode> token(new SNode(*row));
            token->line = line_;
            token->value = value;
            if (row->kind == OT_KEYWORD) token->value.SetStringConst(row->text);
            SNode::AddChild(context_.tokens.Get(), token.Get());
            previous = row;
        }
        pos += consumed;
    }
    return true;
}

const OpRow* Lexer::NextToken(size_t pos, size_t& consumed, Var& value, const OpRow* previous) {
    consumed = 1;
    const char* at = text_ + pos;
    if (inLineComment_) return nullptr;
    if (at[0] == '/' && at[1] == '/') {
        inLineComment_ = true;
        consumed = 2;
        return nullptr;
    }
    if (at[0] == '/' && at[1] == '*') {
        ++commentDepth_;
        consumed = 2;
        return nullptr;
    }
    if (at[0] == '*' && at[1] == '/') {
        if (commentDepth_ == 0) {
            Report("Unexpected end of comment");
            return nullptr;
        }
        --commentDepth_;
        consumed = 2;
        return nullptr;
    }
    if (commentDepth_ > 0) return nullptr;
    if (at[0] == '"') return ReadString(pos, consumed, value);
    if (at[0] == ' ' || at[0] == '\t' || at[0] == '\r') {
        while (at[consumed] == ' ' || at[consumed] == '\t' || at[consumed] == '\r') ++consumed;
        return nullptr;
    }
    if (at[0] == '\n') return nullptr;
    if (Ascii::IsDigit(at[0])) return ReadNumber(pos, consumed, value);
    bool afterOperand = previous && TokenOracle::IsOperandRow(*previous);
    if (const OpRow* row = oracle_.RowAt(pos, afterOperand)) {
        consumed = oracle_.TextLength(row);
        return row;
    }
    if (!Ascii::IsWordStart(at[0])) {
        Report("Unexpected token found '%c'", at[0]);
        return nullptr;
    }
    return ReadWord(pos, consumed, value);
}

const OpRow* Lexer::ReadString(size_t pos, size_t& consumed, Var& value) {
    size_t end = pos + 1;
    while (end < length_ && text_[end] != '"' && Ascii::Byte(text_[end]) >= 0x20) ++end;
    if (end >= length_ || text_[end] != '"') {
        Report("String end marker \" missing in this line");
        return nullptr;
    }
    consumed = end - pos + 1;
    value.SetStringConst(context_.words.AddWord(end - pos - 1, text_ + pos + 1));
    return &ValueRow();
}

void Lexer::ParseNumber(const char* text, size_t& consumed, Var& value, const char*& errorAt) {
    const char* at = text;
    errorAt = nullptr;
    uint32_t base = 10;
    if (at[0] == '0' && (at[1] == 'x' || at[1] == 'b')) {
        base = at[1] == 'x' ? 16 : 2;
        at += 2;
    }
    uint32_t integer = 0;  // wraps modulo 2^32, as colour words rely on
    while (IsBaseDigit(*at, base)) integer = integer * base + static_cast<uint32_t>(DigitValue(*at++));
    consumed = static_cast<size_t>(at - text);
    if (consumed == 0) return;
    if (*at != '.') {
        if (Ascii::IsLetter(*at) || Ascii::IsDigit(*at)) errorAt = at;
        value.SetInt(static_cast<int32_t>(integer));
        return;
    }
    ++at;
    float fraction = 0.0f;
    float scale = 1.0f / static_cast<float>(base);
    for (; IsBaseDigit(*at, base); ++at) {
        fraction += static_cast<float>(DigitValue(*at)) * scale;
        scale /= static_cast<float>(base);
    }
    if (*at == 'f') ++at;
    else if (Ascii::IsLetter(*at) || Ascii::IsDigit(*at) || *at == '.') errorAt = at;
    consumed = static_cast<size_t>(at - text);
    value.SetFloat(static_cast<float>(static_cast<int32_t>(integer)) + fraction);
}

const OpRow* Lexer::ReadNumber(size_t pos, size_t& consumed, Var& value) {
    const char* errorAt = nullptr;
    ParseNumber(text_ + pos, consumed, value, errorAt);
    if (errorAt) {
        int shown = static_cast<int>(errorAt - (text_ + pos));
        Report("Unexpected token '%c' found after number '%.*s'", *errorAt, shown, text_ + pos);
        return nullptr;
    }
    return &ValueRow();
}

const OpRow* Lexer::ReadWord(size_t pos, size_t& consumed, Var& value) {
    const char* at = text_ + pos;
    size_t length = 1;
    while (Ascii::IsWordChar(at[length])) ++length;
    consumed = length;
    std::string_view word(at, length);
    if (word[0] == '@') {
        SysVariable(Word(word.substr(1)), value);
        return &ValueRow();
    }
    if (word == "true" || word == "false") {
        value.SetBool(word == "true");
        return &ValueRow();
    }
    if (word == "NULL") {
        value.SetNil();
        return &ValueRow();
    }
    value.SetStringConst(Word(word));
    return &NameRow();
}

void Lexer::SysVariable(const char* name, Var& value) {
    std::string_view variable(name);
    if (variable == "LINE" || variable == "PREVLINE") FillLineTable();
    if (variable == "LINE") {
        auto it = context_.lines.find(line_);
        value.SetStringConst(Word(it == context_.lines.end() ? std::string() : it->second));
    } else if (variable == "PREVLINE") {
        auto it = context_.lines.lower_bound(line_);
        value.SetStringConst(Word(it == context_.lines.begin() ? std::string() : std::prev(it)->second));
    } else if (variable == "LINENUMBER") {
        value.SetInt(line_);
    } else if (variable == "MODULE") {
        value.SetStringConst(Word(context_.moduleName));
    } else if (variable == "VERSION") {
        value.SetInt(kLanguageVersion);
    } else {
        Report("unknown sys variable %s", name);
    }
}

const char* Lexer::Word(std::string_view text) { return context_.words.AddWord(text.size(), text.data()); }

void Lexer::Report(const char* format, ...) {
    char message[Compiler::kMaxMessageLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    Compiler::Error(error_, context_.sourceName.c_str(), line_, "%s", message);
}

}  // namespace Vrel

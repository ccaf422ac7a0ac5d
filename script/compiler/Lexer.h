#pragma once
// Turns the source text of one compile into a flat list of token nodes under
// one root, fills the line table and replaces system variables by their
// values. Stops at the first error.

#include "script/compiler/CompileContext.h"
#include "script/compiler/TokenOracle.h"

#include <cstddef>
#include <string_view>

namespace Vrel {

class Lexer {
public:
    static constexpr int32_t kLanguageVersion = 34;

    explicit Lexer(CompileContext& context);

    // Builds a new token root in the context and scans the whole text into
    // it; false when an error was reported.
    bool Tokenize();

    // Reads an unsigned number at text; consumed is 0 when there is none.
    // On a character that may not follow the number, errorAt points to it.
    static void ParseNumber(const char* text, size_t& consumed, Var& value, const char*& errorAt);

private:
    void FillLineTable();
    bool ScanText();
    // One token at pos: the characters consumed and the row, or null for
    // blanks, comments and text inside comments.
    const OpRow* NextToken(size_t pos, size_t& consumed, Var& value, const OpRow* previous);
    const OpRow* ReadString(size_t pos, size_t& consumed, Var& value);
    const OpRow* ReadNumber(size_t pos, size_t& consumed, Var& value);
    const OpRow* ReadWord(size_t pos, size_t& consumed, Var& value);
    void SysVariable(const char* name, Var& value);
    const char* Word(std::string_view text);
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CompileContext& context_;
    const char* text_;
    size_t length_;
    TokenOracle oracle_;
    int32_t line_ = 1;
    int32_t commentDepth_ = 0;
    bool inLineComment_ = false;
    bool error_ = false;
    bool lineTableFilled_ = false;
};

}  // namespace Vrel

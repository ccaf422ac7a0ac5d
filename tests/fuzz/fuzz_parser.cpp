// Lexer and parser over arbitrary text: every input ends in a tree or a
// reported error, within the limits, without touching memory it does not
// own.

#include "script/compiler/CompileContext.h"
#include "script/compiler/Lexer.h"
#include "script/compiler/Parser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Vrel::CompileContext context("fuzz.cis", text.c_str());
    Vrel::Lexer lexer(context);
    if (!lexer.Tokenize()) return 0;
    Vrel::Parser parser(context);
    if (parser.Parse()) (void)Vrel::SNode::DumpToString(context.tree->FirstChild(), 0);
    return 0;
}

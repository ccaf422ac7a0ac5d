#pragma once
// The state of one compile request: the token list, the syntax tree, the
// code lists, the source and its names, and the words and lines that the
// lexer collects.

#include "platform/RefObj.h"
#include "script/compiler/SNode.h"
#include "script/compiler/Vocals.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/values/Var.h"

#include <map>
#include <string>

namespace Vrel {

// Text of each source line that has printable characters, by line number.
using LineTable = std::map<int32_t, std::string>;

struct CompileContext {
    // sourceName is the file path or alias; the module name follows from it.
    CompileContext(const char* sourceName, const char* sourceText);
    // The context of a function or module body inside an enclosing compile:
    // same source and messages, no module name, no flags, its own target.
    // Made in place where the caller keeps it: a function body costs no
    // allocation of its own.
    static CompileContext Nested(const CompileContext& outer, BinCode* target) {
        return CompileContext(outer, target);
    }
    // A nested context names its outermost context's text: both must not
    // move, and the outer one outlives every context nested in it.
    CompileContext(const CompileContext&) = delete;
    CompileContext& operator=(const CompileContext&) = delete;

    halvo::AutoRef<SNode> tokens;
    halvo::AutoRef<SNode> tree;
    halvo::AutoRef<SNode> parameterPrologue;
    halvo::AutoRef<SNode> code;
    halvo::AutoRef<BinCode> target;
    const char* sourceText = nullptr;
    std::string moduleName;

private:
    // Only the outermost context keeps the text; nested ones refer to it,
    // so a function body costs no copy of the path.
    std::string ownSourceName_;

public:
    const std::string& sourceName;
    Var result;
    bool functionBody = false;
    bool statementByStatement = false;
    // Read words live here; only the outermost context's lexer adds any.
    t_Vocals words;
    LineTable lines;

private:
    // Nested's: no module name to work out from the source name.
    CompileContext(const CompileContext& outer, BinCode* body);
};

// After the last '/' or '\', lower-cased, cut at the first '.'; "(memory)"
// when nothing is left.
std::string ModuleNameFromPath(const char* path);

}  // namespace Vrel

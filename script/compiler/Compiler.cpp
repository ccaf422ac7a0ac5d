#include "script/compiler/Compiler.h"

#include "script/runtime/ScriptVM.h"

#include <cstdarg>
#include <cstdio>

namespace Vrel {

bool Compiler::Error(bool& errorFlag, const char* source, int line, const char* format, ...) {
    if (!format || !*format) return false;
    if (errorFlag) return true;
    errorFlag = true;
    char message[kMaxMessageLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    // The message may carry source text: it goes on only as an argument.
    ScriptVM::Global().Error(source ? source : "(null)", line, "%s", message);
    return true;
}

}  // namespace Vrel

#pragma once
// The script compiler. For now the first-error reporter that the lexer and
// the parser share; the compile entry points join it with the code
// generator.

namespace Vrel {

class Compiler {
public:
    // Messages longer than this are cut, as the script machine cuts its own.
    static constexpr int kMaxMessageLength = 512;

    // Reports "%s(%d) : " with source and line, then the message, through
    // the script machine, unless errorFlag is already set; then sets it.
    // A null or empty format reports nothing and answers false.
    static bool Error(bool& errorFlag, const char* source, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
};

}  // namespace Vrel

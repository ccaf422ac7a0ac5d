#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>

namespace halvo {

void LogMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

}  // namespace halvo

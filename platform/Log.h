#pragma once
// Engine messages ("Class::Operation - what went wrong") go to the standard
// error stream: the program keeps no log file and shows no message box.

namespace halvo {

void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace halvo

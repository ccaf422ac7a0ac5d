#pragma once
// The files a wildcard pattern names ("*" any run, "?" any one character),
// matched case-insensitively on ASCII letters and listed in case-insensitive
// order, so that what an include loads, and in which order, does not depend
// on the file system.

#include <string>
#include <vector>

namespace Vrel {

// The directory part of pattern (up to its last '/' or '\') followed by
// each matching regular file's name.
std::vector<std::string> FindMatchingFiles(const char* pattern);

bool MatchesWildcard(const char* name, const char* pattern);

}  // namespace Vrel

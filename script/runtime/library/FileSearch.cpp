#include "script/runtime/library/FileSearch.h"

#include "platform/AsciiCase.h"
#include "platform/os/FolderListing.h"

#include <algorithm>
#include <cstring>

namespace Vrel {

namespace {

bool SameLetter(char a, char b) {
    return halvo::AsciiLower(static_cast<unsigned char>(a)) == halvo::AsciiLower(static_cast<unsigned char>(b));
}

size_t DirectoryLength(const std::string& path) {
    size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

bool MatchesWildcard(const char* name, const char* pattern) {
    if (!name || !pattern) return false;
    // Greedy with one back-track point: linear in practice, never recursive.
    const char* starAt = nullptr;
    const char* resumeName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starAt = ++pattern;
            resumeName = name;
        } else if (*pattern && (*pattern == '?' || SameLetter(*pattern, *name))) {
            ++pattern;
            ++name;
        } else if (starAt) {
            pattern = starAt;
            name = ++resumeName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

std::vector<std::string> FindMatchingFiles(const char* pattern) {
    std::vector<std::string> found;
    if (!pattern) return found;
    const std::string whole(pattern);
    const size_t directoryLength = DirectoryLength(whole);
    const std::string directory = whole.substr(0, directoryLength);
    const std::string namePattern = whole.substr(directoryLength);
    std::string folder = directory.empty() ? "." : directory;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    os::FolderListing listing;
    if (!listing.Open(folder.c_str())) return found;
    std::vector<std::string> names;
    os::FolderEntry entry;
    while (listing.Next(entry))
        if (entry.type == os::kEntryFile && MatchesWildcard(entry.name, namePattern.c_str()))
            names.emplace_back(entry.name, entry.length);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int order = halvo::AsciiCompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    for (const std::string& name : names) found.push_back(directory + name);
    return found;
}

}  // namespace Vrel

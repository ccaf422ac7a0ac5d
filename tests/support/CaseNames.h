#pragma once
// Readable names for the cases of parameterised tests, so that `ctest -R`
// can select one and a failure names it: the case's position and the words
// of a text that describes it (the expected message, say).

#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>

namespace testsupport {

// Enough words to tell cases apart in a listing, short enough to read.
inline constexpr size_t kMaxCaseNameLength = 48;

// "<index>_<words>": the words (letters and digits) of `text` joined by
// '_', as many whole words as fit. The index keeps cases with the same text
// apart.
inline std::string CaseName(size_t index, const char* text) {
    std::string name = std::to_string(index);
    std::string word;
    for (const char* c = text ? text : "";; ++c) {
        if (*c && std::isalnum(static_cast<unsigned char>(*c))) {
            word += *c;
            continue;
        }
        if (!word.empty()) {
            if (name.size() + 1 + word.size() > kMaxCaseNameLength) break;
            name += '_' + word;
            word.clear();
        }
        if (!*c) break;
    }
    return name;
}

// The same for an expected script message: its "file(line) : " prefix is
// the same in most cases and is left out.
inline std::string MessageCaseName(size_t index, const char* message) {
    const char* text = message ? std::strstr(message, " : ") : nullptr;
    return CaseName(index, text ? text + 3 : message);
}

}  // namespace testsupport

#pragma once
// The word list of one compile: identifier texts and string-literal
// contents that token and tree nodes point into.

#include <cstddef>
#include <vector>

namespace Vrel {

class t_Vocals : public std::vector<char*> {
public:
    t_Vocals() = default;
    t_Vocals(const t_Vocals&) = delete;
    t_Vocals& operator=(const t_Vocals&) = delete;
    virtual ~t_Vocals();

    // A NUL-terminated copy of length bytes of text, owned by the list.
    const char* AddWord(size_t length, const char* text);
};

}  // namespace Vrel

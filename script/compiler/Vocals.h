#pragma once
// The word list of one compile: identifier texts and string-literal
// contents that token and tree nodes point into.

#include <cstddef>
#include <vector>

namespace Vrel {

class t_Vocals : public std::vector<char*> {
public:
    // Words are packed into blocks of this size (a longer word gets a block
    // of its own), so that a compile's tens of thousands of words cost a
    // few allocations.
    static constexpr size_t kBlockBytes = 16 * 1024;

    t_Vocals() = default;
    t_Vocals(const t_Vocals&) = delete;
    t_Vocals& operator=(const t_Vocals&) = delete;
    virtual ~t_Vocals();

    // A NUL-terminated copy of length bytes of text, owned by the list and
    // kept until the list goes.
    const char* AddWord(size_t length, const char* text);

private:
    char* free_ = nullptr;
    size_t freeBytes_ = 0;
};

}  // namespace Vrel

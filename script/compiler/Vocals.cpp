#include "script/compiler/Vocals.h"

#include <cstring>

namespace Vrel {

t_Vocals::~t_Vocals() {
    for (char* block : *this) delete[] block;
}

const char* t_Vocals::AddWord(size_t length, const char* text) {
    const size_t bytes = length + 1;
    char* word = nullptr;
    if (bytes > kBlockBytes / 4) {
        word = new char[bytes];
        push_back(word);
    } else {
        if (bytes > freeBytes_) {
            free_ = new char[kBlockBytes];
            freeBytes_ = kBlockBytes;
            push_back(free_);
        }
        word = free_;
        free_ += bytes;
        freeBytes_ -= bytes;
    }
    if (length) std::memcpy(word, text, length);
    word[length] = '\0';
    return word;
}

}  // namespace Vrel

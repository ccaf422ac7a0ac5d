#include "script/compiler/Vocals.h"

#include <cstring>

namespace Vrel {

t_Vocals::~t_Vocals() {
    for (char* word : *this) delete[] word;
}

const char* t_Vocals::AddWord(size_t length, const char* text) {
    char* word = new char[length + 1];
    if (length) std::memcpy(word, text, length);
    word[length] = '\0';
    push_back(word);
    return word;
}

}  // namespace Vrel

// The text and number built-ins. Texts are 8-bit, code page 1252.

#include "script/runtime/library/BuiltinFunctions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace Vrel::builtins {

namespace {

// Single-precision pi, widened: angles have always been converted with it.
constexpr double kPi = 3.141592502593994;

float DegreesToRadians(float degrees) { return static_cast<float>(static_cast<double>(degrees) * kPi / 180.0); }

Var Mapped(const char* text, unsigned char (*map)(unsigned char)) {
    if (!text) return Var();
    std::string result(text);
    for (char& c : result) c = static_cast<char>(map(static_cast<unsigned char>(c)));
    return Var(result.c_str());
}

}  // namespace

unsigned char LowerCase1252(unsigned char c) {
    if (c >= 0x41 && c <= 0x5A) return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8E: return 0x9E;
        case 0x9F: return 0xFF;
        default: return c;
    }
}

unsigned char UpperCase1252(unsigned char c) {
    if (c >= 0x61 && c <= 0x7A) return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

Var StrCat(const char* first, const char* second) {
    std::string text(first ? first : "");
    text += second ? second : "";
    return Var(text.c_str());
}

Var StrStr(const char* haystack, const char* needle) {
    const char* found = std::strstr(haystack ? haystack : "", needle ? needle : "");
    return Var(found ? found : "");
}

int StrNCmp(const char* first, const char* second, int n) {
    if (!first) return second ? -1 : 0;
    if (!second) return 1;
    // A negative count compares whole texts, as it always did when it was
    // handed on as an unsigned size.
    return std::strncmp(first, second, static_cast<size_t>(static_cast<unsigned int>(n)));
}

Var SubStr(const char* text, int start, int length) {
    const std::string_view whole(text ? text : "");
    const int64_t size = static_cast<int64_t>(whole.size());
    int64_t begin = start;
    if (begin >= 0) {
        if (begin >= size) return Var();
    } else {
        if (-begin >= size) return Var();
        begin += size;
    }
    const int64_t rest = size - begin;
    const int64_t take = length >= 0 ? std::min<int64_t>(length, rest) : std::max<int64_t>(rest + length, 0);
    return Var(std::string(whole.substr(static_cast<size_t>(begin), static_cast<size_t>(take))).c_str());
}

int StrLen(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

Var StrLwr(const char* text) { return Mapped(text, &LowerCase1252); }

Var StrUpr(const char* text) { return Mapped(text, &UpperCase1252); }

Var StrRev(const char* text) {
    if (!text) return Var();
    std::string reversed(text);
    std::reverse(reversed.begin(), reversed.end());
    return Var(reversed.c_str());
}

float Sin(float degrees) { return static_cast<float>(std::sin(static_cast<double>(DegreesToRadians(degrees)))); }

float Cos(float degrees) { return static_cast<float>(std::cos(static_cast<double>(DegreesToRadians(degrees)))); }

}  // namespace Vrel::builtins

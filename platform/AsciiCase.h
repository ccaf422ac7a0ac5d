#pragma once
// Case-insensitive comparison of 8-bit names where only ASCII letters fold,
// so that the order never depends on the locale.

#include <cstddef>
#include <string_view>

namespace halvo {

inline unsigned char AsciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// <0, 0 or >0 like strcmp, comparing bytes as unsigned after folding.
inline int AsciiCompareNoCase(std::string_view a, std::string_view b) {
    size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        int diff = AsciiLower(static_cast<unsigned char>(a[i])) -
                   AsciiLower(static_cast<unsigned char>(b[i]));
        if (diff != 0) return diff;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

inline bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && AsciiCompareNoCase(a, b) == 0;
}

}  // namespace halvo

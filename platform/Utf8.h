#pragma once
// UTF-8 to UTF-16 decoding for the texts: every sequence gives exactly one
// 16-bit unit. Four-byte sequences (outside the 16-bit range) and damaged
// sequences give U+FFFD; a NUL is never consumed, so decoding never reads
// past the end of a NUL-terminated text.

#include <cstddef>

namespace Utf8 {

inline constexpr char16_t kReplacement = 0xFFFD;

// Decodes one sequence into `unit`; answers the bytes consumed (0 at the NUL).
size_t Decode(const char* text, char16_t& unit);
// Number of units Decode gives for the whole text; the byte length (without
// the NUL) through `byteLength` when it is not null.
size_t Length(const char* text, size_t* byteLength = nullptr);

}  // namespace Utf8

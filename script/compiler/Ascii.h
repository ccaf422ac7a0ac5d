#pragma once
// Character classes of the script source. Explicit ASCII tests: bytes from
// 0x80 up are never letters or digits, whatever the locale or the sign of
// char.

namespace Vrel::Ascii {

inline unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
inline bool IsDigit(char c) { return Byte(c) >= '0' && Byte(c) <= '9'; }
inline bool IsLetter(char c) {
    unsigned char b = Byte(c);
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}
inline bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
inline bool IsWordStart(char c) { return IsLetter(c) || c == '_' || c == '@'; }
// Control characters and every byte with the high bit set: skipped outside
// string literals, trimmed from the ends of lines.
inline bool IsSkippable(char c) { return Byte(c) < 0x20 || Byte(c) >= 0x80; }

}  // namespace Vrel::Ascii

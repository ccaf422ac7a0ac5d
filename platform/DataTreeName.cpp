// Element and attribute names as XML can hold them. The reader refuses a
// name that does not start with a letter, '_' or a byte of 0x80 and above,
// or that holds anything but those, digits, '-', '.' and ':'; an attribute
// like that makes the whole file unreadable.

#include "platform/DataTree.h"

namespace DataTree {

namespace {

constexpr std::string_view kEscapePrefix = "_-";
constexpr char kEscapeMark = '-';
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsNameStart(unsigned char c) { return IsAsciiLetter(c) || c == '_' || c >= 0x80; }

bool IsNameByte(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
    if (name.substr(0, kEscapePrefix.size()) == kEscapePrefix) return false;
    for (char c : name)
        if (!IsNameByte(static_cast<unsigned char>(c))) return false;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EncodeName(std::string_view name) {
    if (IsPlainName(name)) return std::string(name);
    std::string stored(kEscapePrefix);
    for (char c : name) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (IsNameByte(byte) && c != kEscapeMark) {
            stored += c;
        } else {
            stored += kEscapeMark;
            stored += kHexDigits[byte >> 4];
            stored += kHexDigits[byte & 0xF];
        }
    }
    return stored;
}

std::string DecodeName(std::string_view stored) {
    if (stored.substr(0, kEscapePrefix.size()) != kEscapePrefix) return std::string(stored);
    std::string name;
    for (size_t i = kEscapePrefix.size(); i < stored.size(); ++i) {
        bool escaped = stored[i] == kEscapeMark && i + 2 < stored.size();
        int high = escaped ? HexValue(stored[i + 1]) : -1;
        int low = escaped ? HexValue(stored[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            name += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            name += stored[i];  // not written by EncodeName; keep it as found
        }
    }
    return name;
}

}  // namespace DataTree

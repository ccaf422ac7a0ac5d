#include "platform/Loca.h"

#include "platform/FileManager.h"
#include "platform/Utf8.h"

#include <cstring>

namespace {

uint32_t ReadLe32(const char* bytes) {
    unsigned char raw[4];
    std::memcpy(raw, bytes, 4);  // the table need not be aligned
    return uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 | uint32_t(raw[3]) << 24;
}

// strcmp's order (unsigned bytes) between a key that is not terminated and
// a terminated table key.
int CompareKey(std::string_view key, const char* tableKey) {
    for (size_t i = 0; i < key.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(key[i]);
        unsigned char b = static_cast<unsigned char>(tableKey[i]);
        if (a != b) return a < b ? -1 : 1;
        if (b == 0) return 1;  // a key with a NUL inside: never read past the text
    }
    return tableKey[key.size()] == 0 ? 0 : -1;
}

// The key of a '#' text ends before the first blank, control character or
// byte of 0x80 and above.
std::string_view KeyOfHashText(const char* afterHash) {
    size_t length = 0;
    while (true) {
        unsigned char c = static_cast<unsigned char>(afterHash[length]);
        if (c <= ' ' || c == 0x7F || c >= 0x80) break;
        ++length;
    }
    return std::string_view(afterHash, length);
}

void AppendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | unit >> 6);
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | unit >> 12);
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

}  // namespace

Loca& Loca::Global() {
    static Loca table;
    return table;
}

bool Loca::Load(const char* languageCode) {
    if (!languageCode) return false;
    uint32_t size = 0;
    char* buffer = FileManager::Global().LoadFile(&size, kTableName, languageCode);
    if (!buffer || !Adopt(buffer, size)) return false;
    languageCode_ = languageCode;
    return true;
}

bool Loca::Adopt(char* buffer, uint32_t size) {
    LoadedFile owned(buffer);
    if (!IsSound(buffer, size)) return false;
    table_ = std::move(owned);
    size_ = size;
    count_ = ReadLe32(buffer + 4);
    indexOffset_ = ReadLe32(buffer + 12);
    return true;
}

// The buffer has a NUL after its last byte (LoadFile adds it), so a text
// that starts inside the table always ends.
bool Loca::IsSound(const char* buffer, uint32_t size) {
    if (size < kHeaderSize) return false;
    uint64_t count = ReadLe32(buffer + 4);
    uint64_t indexOffset = ReadLe32(buffer + 12);
    if (indexOffset + kIndexEntrySize * count > size) return false;
    for (uint64_t i = 0; i < 2 * count; ++i) {
        if (ReadLe32(buffer + indexOffset + 4 * i) >= size) return false;
    }
    return true;
}

uint32_t Loca::ReadWord(uint64_t offset) const { return ReadLe32(table_.get() + offset); }

const char* Loca::KeyAt(uint32_t index) const {
    return table_.get() + ReadWord(indexOffset_ + uint64_t(kIndexEntrySize) * index);
}

const char* Loca::ValueAt(uint32_t index) const {
    return table_.get() + ReadWord(indexOffset_ + uint64_t(kIndexEntrySize) * index + 4);
}

int32_t Loca::Find(const char* key) const { return key ? Find(std::string_view(key)) : -1; }

int32_t Loca::Find(std::string_view key) const {
    if (count_ == 0) return -1;
    uint32_t lo = 0, hi = count_ - 1;
    while (hi - lo > 1) {
        uint32_t mid = lo + (hi - lo) / 2;
        int order = CompareKey(key, KeyAt(mid));
        if (order == 0) return static_cast<int32_t>(mid);
        if (order < 0) hi = mid; else lo = mid;
    }
    if (CompareKey(key, KeyAt(lo)) == 0) return static_cast<int32_t>(lo);
    if (CompareKey(key, KeyAt(hi)) == 0) return static_cast<int32_t>(hi);
    return -1;
}

int32_t Loca::Translate(const char* text, std::u16string& out) const {
    out.clear();
    if (!text) return -1;
    std::string_view key = text[0] == '#' ? KeyOfHashText(text + 1) : std::string_view(text);
    int32_t index = Find(key);
    if (index < 0) {
        out = WidenBytes(key);
        return -1;
    }
    AssignUtf8(ValueAt(static_cast<uint32_t>(index)), out);
    return index;
}

void Loca::AssignUtf8(const char* utf8, std::u16string& out) {
    out.clear();
    if (!utf8) return;
    out.reserve(Utf8::Length(utf8));
    char16_t unit;
    while (size_t consumed = Utf8::Decode(utf8, unit)) {
        out.push_back(unit);
        utf8 += consumed;
    }
}

std::string Loca::WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        if (unit == 0) break;
        AppendUtf8(out, unit);
    }
    return out;
}

std::string Loca::ToUtf8(std::string_view text) { return WideToUtf8(WidenBytes(text)); }

std::u16string WidenBytes(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text) wide.push_back(static_cast<unsigned char>(c));
    return wide;
}

std::u16string MakeWideString(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

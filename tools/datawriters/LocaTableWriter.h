#pragma once
// Builds localisation tables ("loca/loca_%s.bin"): a 16-byte header, the
// texts, then the index sorted by unsigned key bytes. Keys and texts are
// written as given (UTF-8 for texts); LocaSource checks them first.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class LocaTableWriter {
public:
    static constexpr size_t kHeaderSize = 16;
    static constexpr uint32_t kMagic = 0x41434f4c;  // "LOCA"

    // A key added again keeps its last text.
    void Add(std::string_view key, std::string_view utf8Value) {
        entries_[std::string(key)] = std::string(utf8Value);
    }
    size_t Count() const { return entries_.size(); }
    std::string Build() const;

private:
    // std::string orders bytes as unsigned, which is the table's order.
    std::map<std::string, std::string> entries_;
};

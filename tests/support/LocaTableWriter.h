#pragma once
// Builds localisation tables ("loca/loca_%s.bin") for tests and fuzz seeds:
// a 16-byte header, the texts, then the index sorted by unsigned key bytes.

#include <map>
#include <string>
#include <string_view>

namespace testsupport {

class LocaTableWriter {
public:
    static constexpr size_t kHeaderSize = 16;

    void Add(std::string_view key, std::string_view utf8Value) {
        entries_[std::string(key)] = std::string(utf8Value);
    }
    std::string Build() const;

private:
    // std::string orders bytes as unsigned, which is the table's order.
    std::map<std::string, std::string> entries_;
};

}  // namespace testsupport

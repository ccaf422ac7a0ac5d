#pragma once
// A function's line map: the source name as an inline-text operand, then
// (line, position) operand pairs in ascending order of position.

#include "platform/RefObj.h"

#include <cstdint>
#include <vector>

namespace Vrel {

class MapFile : public halvo::RefObj {
public:
    MapFile(const uint8_t* bytes, uint32_t size);
    // Takes other bytes, keeping the storage where it fits.
    void Replace(const uint8_t* bytes, uint32_t size);

    // The line of the last pair at or before position; -1 when none.
    int GetLine(uint32_t position) const;
    // Also the position of that pair (range start) and of the first pair
    // past position (range end; left as it was past the last pair).
    int GetLineEx(uint32_t position, uint32_t& rangeStart, uint32_t& rangeEnd) const;
    // The file name behind the first byte, or null when the map has none.
    const char* GetSourceName() const;

    const std::vector<uint8_t>& GetBytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace Vrel

#pragma once
// A function's line map: the source name as an inline-text operand, then
// (line, position) operand pairs in ascending order of position.

#include "platform/RefObj.h"

#include <cstdint>
#include <memory>

namespace Vrel {

class MapFile : public halvo::RefObj {
public:
    // A copy of the bytes, kept right behind the object in one allocation:
    // a module of thousands of functions makes one map per function.
    static MapFile* Make(const uint8_t* bytes, uint32_t size);
    // Takes other bytes, keeping the storage where it fits.
    void Replace(const uint8_t* bytes, uint32_t size);

    // The line of the last pair at or before position; -1 when none.
    int GetLine(uint32_t position) const;
    // Also the position of that pair (range start) and of the first pair
    // past position (range end; left as it was past the last pair).
    int GetLineEx(uint32_t position, uint32_t& rangeStart, uint32_t& rangeEnd) const;
    // The file name behind the first byte, or null when the map has none.
    const char* GetSourceName() const;

    const uint8_t* GetBytes() const { return size_ > 0 ? bytes_ : nullptr; }
    uint32_t GetSize() const { return size_; }

    static void operator delete(void* block) { ::operator delete(block); }

private:
    explicit MapFile(uint32_t capacity);
    static void* operator new(size_t size, uint32_t trailing) { return ::operator new(size + trailing); }
    static void operator delete(void* block, uint32_t) { ::operator delete(block); }

    // The room behind the object, or spill_ once a longer map came.
    uint8_t* bytes_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
    std::unique_ptr<uint8_t[]> spill_;
};

}  // namespace Vrel

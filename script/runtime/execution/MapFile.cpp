#include "script/runtime/execution/MapFile.h"

#include "script/runtime/execution/Opcode.h"
#include "script/runtime/execution/Operand.h"

#include <cstring>

namespace Vrel {

MapFile* MapFile::Make(const uint8_t* bytes, uint32_t size) {
    if (!bytes) size = 0;
    MapFile* map = new (size) MapFile(size);
    map->Replace(bytes, size);
    return map;
}

// Only Make calls this, with room for capacity bytes behind the object.
MapFile::MapFile(uint32_t capacity) : bytes_(reinterpret_cast<uint8_t*>(this + 1)), capacity_(capacity) {}

void MapFile::Replace(const uint8_t* bytes, uint32_t size) {
    if (!bytes || size == 0) {
        size_ = 0;
        return;
    }
    if (size > capacity_) {
        spill_ = std::make_unique<uint8_t[]>(size);
        bytes_ = spill_.get();
        capacity_ = size;
    }
    std::memmove(bytes_, bytes, size);
    size_ = size;
}

int MapFile::GetLine(uint32_t position) const {
    uint32_t start = 0, end = 0;
    return GetLineEx(position, start, end);
}

int MapFile::GetLineEx(uint32_t position, uint32_t& rangeStart, uint32_t& rangeEnd) const {
    const uint32_t size = size_;
    const uint8_t* bytes = bytes_;
    uint32_t offset = 0;
    Var operand;
    if (!DecodeOperand(bytes, size, offset, operand, nullptr)) return -1;
    int result = -1;
    while (offset < size) {
        Var line, pairPosition;
        // A damaged tail ends the map where the last whole pair ended.
        if (!DecodeOperand(bytes, size, offset, line, nullptr)) break;
        if (!DecodeOperand(bytes, size, offset, pairPosition, nullptr)) break;
        uint32_t at = static_cast<uint32_t>(pairPosition.AsInt());
        if (at > position) {
            rangeEnd = at;
            break;
        }
        result = line.AsInt();
        rangeStart = at;
    }
    return result;
}

const char* MapFile::GetSourceName() const {
    if (size_ < 2 || (bytes_[0] & 0x3F) != kOperandInlineText) return nullptr;
    const char* text = reinterpret_cast<const char*>(bytes_ + 1);
    return std::memchr(text, 0, size_ - 1) ? text : nullptr;
}

}  // namespace Vrel

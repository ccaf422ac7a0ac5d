#include "script/runtime/MapFile.h"

#include "script/runtime/Opcode.h"
#include "script/runtime/Operand.h"

#include <cstring>

namespace Vrel {

MapFile::MapFile(const uint8_t* bytes, uint32_t size) { Replace(bytes, size); }

void MapFile::Replace(const uint8_t* bytes, uint32_t size) {
    if (bytes && size > 0)
        bytes_.assign(bytes, bytes + size);
    else
        bytes_.clear();
}

int MapFile::GetLine(uint32_t position) const {
    uint32_t start = 0, end = 0;
    return GetLineEx(position, start, end);
}

int MapFile::GetLineEx(uint32_t position, uint32_t& rangeStart, uint32_t& rangeEnd) const {
    const uint32_t size = static_cast<uint32_t>(bytes_.size());
    const uint8_t* bytes = bytes_.data();
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
    if (bytes_.size() < 2 || (bytes_[0] & 0x3F) != kOperandInlineText) return nullptr;
    const char* text = reinterpret_cast<const char*>(bytes_.data() + 1);
    return std::memchr(text, 0, bytes_.size() - 1) ? text : nullptr;
}

}  // namespace Vrel

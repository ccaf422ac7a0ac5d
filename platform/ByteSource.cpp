#include "platform/ByteSource.h"

#include <algorithm>
#include <cstring>

bool ByteSource::ReadU32(uint32_t* out) {
    uint8_t bytes[4];
    if (!ReadExact(bytes, sizeof bytes)) return false;
    *out = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
    return true;
}

size_t MemoryByteSource::Read(void* out, size_t count) {
    const size_t n = std::min(count, size_ - position_);
    if (n) std::memcpy(out, data_ + position_, n);
    position_ += n;
    return n;
}

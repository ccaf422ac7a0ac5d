#pragma once
// The reading side of an open file as the image decoders see it: they know
// how much is left before they allocate, and a short read is never mistaken
// for data.

#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `count` bytes into `out`; answers how many were copied.
    virtual size_t Read(void* out, size_t count) = 0;
    virtual uint64_t BytesLeft() const = 0;

    // True only when all `count` bytes were read.
    bool ReadExact(void* out, size_t count) { return Read(out, count) == count; }
    bool ReadU32(uint32_t* out);
};

// A file already loaded whole into memory (the buffer is borrowed).
class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}
    size_t Read(void* out, size_t count) override;
    uint64_t BytesLeft() const override { return size_ - position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

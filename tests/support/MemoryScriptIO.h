#pragma once
// Test-only module file stream over bytes in memory, so that module files
// can be compared byte for byte and read back from crafted bytes.

#include "script/runtime/machine/ScriptIO.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace testsupport {

class MemoryScriptIO : public Vrel::ScriptIO {
public:
    // A stream to write into.
    MemoryScriptIO() = default;
    // A stream that reads bytes.
    explicit MemoryScriptIO(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool OpenRead(const char*) override { return false; }
    void Read(void* buffer, uint32_t size) override {
        if (error_) return;
        if (size > bytes_.size() - position_) {
            error_ = true;
            return;
        }
        std::memcpy(buffer, bytes_.data() + position_, size);
        position_ += size;
    }
    void Close() override {}
    bool OpenWrite(const char*) override { return false; }
    void Write(const void* buffer, uint32_t size) override {
        if (error_) return;
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }
    uint64_t Remaining() const override { return bytes_.size() - position_; }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// Little-endian building blocks for crafted files.
class ByteWriter {
public:
    ByteWriter& U8(uint8_t value) {
        bytes.push_back(value);
        return *this;
    }
    ByteWriter& U16(uint16_t value) { return U8(static_cast<uint8_t>(value)).U8(static_cast<uint8_t>(value >> 8)); }
    ByteWriter& U32(uint32_t value) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    ByteWriter& Text(const char* text) {
        while (*text) U8(static_cast<uint8_t>(*text++));
        return *this;
    }
    // Member flag, u16 name length and name.
    ByteWriter& Member(const char* name) { return U8(1).U16(static_cast<uint16_t>(std::strlen(name))).Text(name); }
    // The start of a module body: parameter count, return type, an empty
    // variable table.
    ByteWriter& ModuleHead(uint8_t parameters = 0, const char* returnType = "") {
        U8(parameters).U16(static_cast<uint16_t>(std::strlen(returnType))).Text(returnType);
        return U16(0).U32(0);
    }

    std::vector<uint8_t> bytes;
};

}  // namespace testsupport

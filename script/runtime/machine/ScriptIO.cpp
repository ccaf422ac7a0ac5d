#include "script/runtime/machine/ScriptIO.h"

#include "script/runtime/values/VarExtension.h"

namespace Vrel {

void ScriptIO::ResetState() {
    error_ = false;
    writtenIds_.clear();
    nextId_ = 1;
    readObjects_.clear();
    nesting_ = 0;
}

uint32_t ScriptIO::IdentifierFor(const VarExtension* object, bool& isNew) {
    isNew = false;
    if (!object) return 0;
    auto [at, inserted] = writtenIds_.emplace(object, nextId_);
    if (inserted) {
        isNew = true;
        ++nextId_;
    }
    return at->second;
}

VarExtension* ScriptIO::FindRead(uint32_t identifier) const {
    auto at = readObjects_.find(identifier);
    return at == readObjects_.end() ? nullptr : at->second.Get();
}

void ScriptIO::EnterRead(uint32_t identifier, VarExtension* object) { readObjects_[identifier] = object; }

void WriteU8(ScriptIO& stream, uint8_t value) { stream.Write(&value, 1); }

void WriteU16(ScriptIO& stream, uint16_t value) {
    uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    stream.Write(bytes, sizeof bytes);
}

void WriteU32(ScriptIO& stream, uint32_t value) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    stream.Write(bytes, sizeof bytes);
}

void WriteBytes(ScriptIO& stream, const void* bytes, size_t size) {
    if (size > UINT32_MAX) {
        stream.SetError();
        return;
    }
    if (size > 0) stream.Write(bytes, static_cast<uint32_t>(size));
}

uint8_t ReadU8(ScriptIO& stream) {
    uint8_t value = 0;
    stream.Read(&value, 1);
    return stream.HasError() ? 0 : value;
}

uint16_t ReadU16(ScriptIO& stream) {
    uint8_t bytes[2] = {};
    stream.Read(bytes, sizeof bytes);
    if (stream.HasError()) return 0;
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadU32(ScriptIO& stream) {
    uint8_t bytes[4] = {};
    stream.Read(bytes, sizeof bytes);
    if (stream.HasError()) return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

std::string ReadBytes(ScriptIO& stream, uint64_t length) {
    if (stream.HasError()) return std::string();
    if (length > stream.Remaining()) {
        stream.SetError();
        return std::string();
    }
    std::string bytes(static_cast<size_t>(length), '\0');
    if (length > 0) stream.Read(bytes.data(), static_cast<uint32_t>(length));
    if (stream.HasError()) bytes.clear();
    return bytes;
}

std::string ReadString16(ScriptIO& stream) { return ReadBytes(stream, ReadU16(stream)); }

void WriteObjectRef(ScriptIO& stream, VarExtension* object) {
    bool isNew = false;
    WriteU32(stream, stream.IdentifierFor(object, isNew));
    if (!isNew) return;
    if (stream.Nesting() >= kMaxStreamNesting) {
        // Deeper than any reader follows: the file would be useless.
        stream.SetError();
        return;
    }
    ++stream.Nesting();
    object->Serialize(stream);
    --stream.Nesting();
}

}  // namespace Vrel

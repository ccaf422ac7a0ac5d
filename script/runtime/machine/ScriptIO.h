#pragma once
// The stream that compiled module files are written to and read from, and
// the object references inside it: every object is written once, with its
// body, and by its identifier alone afterwards. Numbers are little-endian.

#include "platform/RefObj.h"
#include "script/runtime/values/VarExtension.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

namespace Vrel {


class ScriptIO {
public:
    ScriptIO() = default;
    virtual ~ScriptIO() = default;
    ScriptIO(const ScriptIO&) = delete;
    ScriptIO& operator=(const ScriptIO&) = delete;

    virtual bool OpenRead(const char* path) = 0;
    // Reads size bytes; a short read sets the error flag, after which
    // nothing more is read.
    virtual void Read(void* buffer, uint32_t size) = 0;
    virtual void Close() = 0;
    virtual bool OpenWrite(const char* path) = 0;
    // Writes size bytes; a short write sets the error flag, after which
    // nothing more is written.
    virtual void Write(const void* buffer, uint32_t size) = 0;
    // Bytes left to read, so that lengths in a file can be checked before
    // anything is allocated for them.
    virtual uint64_t Remaining() const = 0;

    bool HasError() const { return error_; }
    void SetError() { error_ = true; }

    // ---- object references ----
    // Writing: the object's identifier, numbered from 1 in the order of first
    // appearance; isNew tells whether its body must follow.
    uint32_t IdentifierFor(const VarExtension* object, bool& isNew);
    // Reading: the object entered under identifier, or null.
    VarExtension* FindRead(uint32_t identifier) const;
    void EnterRead(uint32_t identifier, VarExtension* object);
    const std::map<uint32_t, halvo::AutoRef<VarExtension>>& GetReadObjects() const { return readObjects_; }
    // Bodies now being read or written inside one another.
    int& Nesting() { return nesting_; }

protected:
    // A fresh stream: no error, empty object tables.
    void ResetState();

    bool error_ = false;

private:
    std::unordered_map<const VarExtension*, uint32_t> writtenIds_;
    uint32_t nextId_ = 1;
    std::map<uint32_t, halvo::AutoRef<VarExtension>> readObjects_;
    int nesting_ = 0;
};

// Bodies nest at most this deep in a file, on writing and on reading.
constexpr int kMaxStreamNesting = 64;

// ---- numbers and texts ----
void WriteU8(ScriptIO& stream, uint8_t value);
void WriteU16(ScriptIO& stream, uint16_t value);
void WriteU32(ScriptIO& stream, uint32_t value);
void WriteBytes(ScriptIO& stream, const void* bytes, size_t size);
// Each read answers 0 (or nothing) once the stream has an error.
uint8_t ReadU8(ScriptIO& stream);
uint16_t ReadU16(ScriptIO& stream);
uint32_t ReadU32(ScriptIO& stream);
// length bytes; a length beyond what is left sets the error flag.
std::string ReadBytes(ScriptIO& stream, uint64_t length);
// A u16 length and that many bytes.
std::string ReadString16(ScriptIO& stream);

// The object's identifier (0 for none) and, the first time, its body.
void WriteObjectRef(ScriptIO& stream, VarExtension* object);

}  // namespace Vrel

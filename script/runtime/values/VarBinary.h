#pragma once
// A function's bytecode (script type "code"): a private copy of the bytes.

#include "script/runtime/values/VarExtension.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Vrel {

class DecodedCode;
class Vocabulary;

class VarBinary : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new VarBinary; }

    VarBinary();
    // A copy of the bytes, kept right behind the object in one allocation:
    // a module of thousands of functions makes one of these per function.
    static VarBinary* Make(const uint8_t* bytes, uint32_t size);
    ~VarBinary() override;

    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* block) { ::operator delete(block); }

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "code"; }

    const uint8_t* GetBytes() const { return bytes_; }
    uint32_t GetSize() const { return size_; }
    bool HoldsBytes(const uint8_t* bytes, uint32_t size) const;

    // The instructions decoded for running with the vocabulary; made anew
    // when the vocabulary differs from the last one.
    DecodedCode& Decoded(const Vocabulary* vocabulary);
    // The decoding made last, if any, whatever its vocabulary.
    DecodedCode* GetDecoded() const { return decoded_.get(); }

private:
    VarBinary(const uint8_t* bytes, uint32_t size);
    static void* operator new(size_t size, uint32_t trailing) { return ::operator new(size + trailing); }
    static void operator delete(void* block, uint32_t) { ::operator delete(block); }

    const uint8_t* bytes_ = nullptr;
    uint32_t size_ = 0;
    std::unique_ptr<DecodedCode> decoded_;
    std::vector<std::unique_ptr<DecodedCode>> retired_;
};

}  // namespace Vrel

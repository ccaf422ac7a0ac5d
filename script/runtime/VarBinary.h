#pragma once
// A function's bytecode (script type "code"): a private copy of the bytes.

#include "script/runtime/VarExtension.h"

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
    VarBinary(const uint8_t* bytes, uint32_t size);
    ~VarBinary() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "code"; }

    const uint8_t* GetBytes() const { return bytes_.data(); }
    uint32_t GetSize() const { return static_cast<uint32_t>(bytes_.size()); }
    bool HoldsBytes(const uint8_t* bytes, uint32_t size) const;

    // The instructions decoded for running with the vocabulary; made anew
    // when the vocabulary differs from the last one.
    DecodedCode& Decoded(const Vocabulary* vocabulary);
    // The decoding made last, if any, whatever its vocabulary.
    DecodedCode* GetDecoded() const { return decoded_.get(); }

private:
    std::vector<uint8_t> bytes_;
    std::unique_ptr<DecodedCode> decoded_;
    std::vector<std::unique_ptr<DecodedCode>> retired_;
};

}  // namespace Vrel

#pragma once
// A function's bytecode (script type "code"): a private copy of the bytes.

#include "script/runtime/VarExtension.h"

#include <cstdint>
#include <vector>

namespace Vrel {

class VarBinary : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new VarBinary; }

    VarBinary() = default;
    VarBinary(const uint8_t* bytes, uint32_t size) : bytes_(bytes, bytes + size) {}

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "code"; }

    const uint8_t* GetBytes() const { return bytes_.data(); }
    uint32_t GetSize() const { return static_cast<uint32_t>(bytes_.size()); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace Vrel

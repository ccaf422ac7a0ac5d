#include "script/runtime/values/VarBinary.h"

#include "script/runtime/execution/DecodedCode.h"

#include <cstring>

namespace Vrel {

const ClassRecord VarBinary::kClassRecord = {"VarBinary", &VarExtension::kClassRecord, &VarBinary::Create};

VarBinary::VarBinary() = default;

VarBinary* VarBinary::Make(const uint8_t* bytes, uint32_t size) {
    if (!bytes) size = 0;
    return new (size) VarBinary(bytes, size);
}

// Only Make calls this, with room for size bytes behind the object.
VarBinary::VarBinary(const uint8_t* bytes, uint32_t size) : size_(size) {
    if (size == 0) return;
    auto* trailing = reinterpret_cast<uint8_t*>(this + 1);
    std::memcpy(trailing, bytes, size);
    bytes_ = trailing;
}

VarBinary::~VarBinary() = default;

bool VarBinary::HoldsBytes(const uint8_t* bytes, uint32_t size) const {
    if (size != size_) return false;
    return size == 0 || (bytes && std::memcmp(bytes, bytes_, size) == 0);
}

DecodedCode& VarBinary::Decoded(const Vocabulary* vocabulary) {
    if (decoded_ && decoded_->Matches(vocabulary)) return *decoded_;
    // A frame further up may still point into the old decoding.
    if (decoded_) retired_.push_back(std::move(decoded_));
    decoded_ = std::make_unique<DecodedCode>(*this, vocabulary);
    return *decoded_;
}

}  // namespace Vrel

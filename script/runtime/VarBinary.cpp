#include "script/runtime/VarBinary.h"

#include "script/runtime/DecodedCode.h"

#include <cstring>

namespace Vrel {

const ClassRecord VarBinary::kClassRecord = {"VarBinary", &VarExtension::kClassRecord, &VarBinary::Create};

VarBinary::VarBinary() = default;

VarBinary::VarBinary(const uint8_t* bytes, uint32_t size) : bytes_(bytes, bytes + size) {}

VarBinary::~VarBinary() = default;

bool VarBinary::HoldsBytes(const uint8_t* bytes, uint32_t size) const {
    if (size != bytes_.size()) return false;
    return size == 0 || (bytes && std::memcmp(bytes, bytes_.data(), size) == 0);
}

DecodedCode& VarBinary::Decoded(const Vocabulary* vocabulary) {
    if (decoded_ && decoded_->Matches(vocabulary)) return *decoded_;
    // A frame further up may still point into the old decoding.
    if (decoded_) retired_.push_back(std::move(decoded_));
    decoded_ = std::make_unique<DecodedCode>(*this, vocabulary);
    return *decoded_;
}

}  // namespace Vrel

#include "script/runtime/DecodedCode.h"

#include "script/runtime/Opcode.h"
#include "script/runtime/Operand.h"
#include "script/runtime/VarBinary.h"
#include "script/runtime/Vocabulary.h"

namespace Vrel {

DecodedCode::DecodedCode(const VarBinary& code, const Vocabulary* vocabulary)
    : bytes_(code.GetBytes()),
      size_(code.GetSize()),
      vocabulary_(vocabulary),
      pool_(vocabulary ? vocabulary->GetPool() : nullptr),
      indexOf_(code.GetSize(), -1) {}

bool DecodedCode::Matches(const Vocabulary* vocabulary) const {
    return vocabulary == vocabulary_ && (!vocabulary || vocabulary->GetPool() == pool_);
}

const DecodedInstruction& DecodedCode::Decode(uint32_t pc) {
    DecodedInstruction& entry = entries_.emplace_back();
    indexOf_[pc] = static_cast<int32_t>(entries_.size() - 1);
    entry.opcode = bytes_[pc];
    uint32_t offset = pc + 1;
    if (entry.opcode >= kOpFirstWithoutOperand) {
        entry.next = offset;
        return entry;
    }
    // A sentinel tells whether the decoder wrote a value: types that are no
    // value types leave it untouched.
    entry.operand.SetIgnore();
    entry.operand.SetConstFlag(true);
    if (!DecodeOperand(bytes_, size_, offset, entry.operand, vocabulary_)) {
        entry.kind = OperandKind::kBroken;
        entry.operand.Clear();
        entry.next = size_;
        return entry;
    }
    const bool untouched = entry.operand.GetTag() == kTagIgnore && entry.operand.HasConstFlag();
    entry.kind = untouched ? OperandKind::kKeep : OperandKind::kValue;
    if (untouched) entry.operand.Clear();
    entry.next = offset;
    return entry;
}

}  // namespace Vrel

#pragma once
// A function's instructions decoded once: the interpreter reads opcode,
// operand and the next position from here instead of decoding the bytes on
// every step. Entries are made on first use at each position, so jumps to
// any byte behave as they do on the raw bytes.

#include "script/runtime/Var.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace Vrel {

class VarBinary;
class Vocabulary;

enum class OperandKind : uint8_t {
    kNone,      // opcodes from 128 on carry no operand
    kValue,     // the operand replaces the previous one
    kKeep,      // a type byte that is no value: the previous operand stays
    kBroken,    // the operand runs past the end of the code
};

struct DecodedInstruction {
    uint8_t opcode = 0;
    OperandKind kind = OperandKind::kNone;
    // Where the next instruction begins.
    uint32_t next = 0;
    Var operand;
};

class DecodedCode {
public:
    DecodedCode(const VarBinary& code, const Vocabulary* vocabulary);
    DecodedCode(const DecodedCode&) = delete;
    DecodedCode& operator=(const DecodedCode&) = delete;

    // The instruction that begins at pc (below the code size).
    const DecodedInstruction& At(uint32_t pc) {
        const int32_t index = indexOf_[pc];
        return index >= 0 ? entries_[static_cast<size_t>(index)] : Decode(pc);
    }

    // Operand texts point into the vocabulary's pool: a different vocabulary
    // or a moved pool needs a fresh decoding.
    bool Matches(const Vocabulary* vocabulary) const;

private:
    const DecodedInstruction& Decode(uint32_t pc);

    const uint8_t* bytes_;
    uint32_t size_;
    const Vocabulary* vocabulary_;
    const char* pool_;
    std::vector<int32_t> indexOf_;
    // A deque: entries never move, so the interpreter may point at them.
    std::deque<DecodedInstruction> entries_;
};

}  // namespace Vrel

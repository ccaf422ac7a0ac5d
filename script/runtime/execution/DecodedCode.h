#pragma once
// A function's instructions decoded once: the interpreter reads opcode,
// operand and the next position from here instead of decoding the bytes on
// every step. Entries are made on first use at each position, so jumps to
// any byte behave as they do on the raw bytes.

#include "script/runtime/execution/NameLookUp.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Vrel {

class FastBlock;
class VarBinary;

enum class OperandKind : uint8_t {
    kNone,      // opcodes from 128 on carry no operand
    kValue,     // the operand replaces the previous one
    kKeep,      // a type byte that is no value: the previous operand stays
    kBroken,    // the operand runs past the end of the code
};

// How the interpreter's quick loop runs an instruction. The quick forms do
// exactly what the general steps do on the common values; on anything else
// they run the general step of this one instruction.
enum class QuickForm : uint8_t {
    kUnlinked,    // not yet looked at
    kGeneral,
    kPushLocal,   // push int N, push var 0: a reference to local N
    kPushNumber,  // push of an int, float or bool constant
    kPushName,    // push text, push var by name: a look-up remembered below
    kPushMember,  // push member text, push name text, push var by name and member
    kBinary,
    kAssign,
    kEndOfStatement,
    kJump,
    kJumpFalse,
    kJumpTrue,
    kPostIncrement,
    kPostDecrement,
    // Fused at decode time with the binary operator right behind: the value
    // on top of the stack op the number (or the local), with no push. When
    // the values do not fit, the push runs alone and the operator after it.
    kNumberBinary,
    kLocalBinary,
    // kNumberBinary on a comparison whose result a conditional jump takes.
    kNumberCompareJump,
};

struct DecodedInstruction {
    uint8_t opcode = 0;
    OperandKind kind = OperandKind::kNone;
    QuickForm form = QuickForm::kUnlinked;
    // Where this instruction begins and where the next one does.
    uint32_t pc = 0;
    uint32_t next = 0;
    Var operand;
    // Filled by Link. slot: the local of kPushLocal, the position of the
    // name push of kPushMember. A quick form may cover the instructions up to
    // quickNext; lastOperand is the operand the last of them leaves current.
    int32_t slot = 0;
    uint32_t quickNext = 0;
    const Var* lastOperand = nullptr;
    // Entries met after this one (after quickNext) and at a jump target,
    // remembered once looked up; null until then or past the end.
    DecodedInstruction* quickFollower = nullptr;
    DecodedInstruction* jumpTarget = nullptr;
    // Fused forms: the operator, the jump taken over, and where the push
    // alone goes on (plainNext; plainFollower once looked up).
    uint8_t fusedOpcode = 0;
    uint32_t plainNext = 0;
    DecodedInstruction* fusedJump = nullptr;
    DecodedInstruction* plainFollower = nullptr;
    // By-name look-ups remembered for this instruction (see NameLookUp.h).
    NameCache nameCache;
    MemberCache memberCache;
    // The compiled block that begins here, once asked for (null: none).
    bool fastTried = false;
    FastBlock* fastBlock = nullptr;
};

class DecodedCode {
public:
    DecodedCode(const VarBinary& code, const Vocabulary* vocabulary);
    ~DecodedCode();
    DecodedCode(const DecodedCode&) = delete;
    DecodedCode& operator=(const DecodedCode&) = delete;

    // The instruction that begins at pc (below the code size).
    const DecodedInstruction& At(uint32_t pc) {
        const int32_t index = indexOf_[pc];
        return index >= 0 ? entries_[static_cast<size_t>(index)] : Decode(pc);
    }

    // The same entry, open to the quick loop's links; its form is worked
    // out on first use.
    DecodedInstruction& Linked(uint32_t pc) {
        const int32_t index = indexOf_[pc];
        DecodedInstruction& entry =
            index >= 0 ? entries_[static_cast<size_t>(index)] : const_cast<DecodedInstruction&>(Decode(pc));
        if (entry.form == QuickForm::kUnlinked) Link(entry);
        return entry;
    }
    uint32_t GetSize() const { return size_; }
    const uint8_t* GetBytes() const { return bytes_; }
    const Vocabulary* GetVocabulary() const { return vocabulary_; }

    // The entry at pc without its quick form worked out.
    DecodedInstruction& Entry(uint32_t pc) { return const_cast<DecodedInstruction&>(At(pc)); }

    // The compiled block that begins at the entry, built on first request;
    // null where the bytecode stays with the interpreter.
    FastBlock* FastBlockAt(DecodedInstruction& entry) {
        return entry.fastTried ? entry.fastBlock : BuildFastBlock(entry);
    }
    FastBlock* FastBlockAt(uint32_t pc) { return pc < size_ ? FastBlockAt(Entry(pc)) : nullptr; }

    // Operand texts point into the vocabulary's pool: a different vocabulary
    // or a moved pool needs a fresh decoding.
    bool Matches(const Vocabulary* vocabulary) const {
        return vocabulary == vocabulary_ && (!vocabulary || vocabulary->GetPool() == pool_);
    }
    // FastBlockAt(0), remembered: script calls from blocks enter here.
    FastBlock* EntryBlock() {
        if (!entryLooked_) {
            entryBlock_ = FastBlockAt(0u);
            entryLooked_ = true;
        }
        return entryBlock_;
    }

private:
    const DecodedInstruction& Decode(uint32_t pc);
    void Link(DecodedInstruction& entry);
    void FuseBinary(DecodedInstruction& entry);
    void LinkMemberPush(DecodedInstruction& entry, const DecodedInstruction& name);
    FastBlock* BuildFastBlock(DecodedInstruction& entry);

    const uint8_t* bytes_;
    uint32_t size_;
    const Vocabulary* vocabulary_;
    const char* pool_;
    std::vector<int32_t> indexOf_;
    // A deque: entries never move, so the interpreter may point at them.
    std::deque<DecodedInstruction> entries_;
    std::vector<std::unique_ptr<FastBlock>> blocks_;
    bool entryLooked_ = false;
    FastBlock* entryBlock_ = nullptr;
};

}  // namespace Vrel

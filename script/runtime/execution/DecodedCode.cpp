#include "script/runtime/execution/DecodedCode.h"

#include "script/runtime/execution/FastBlock.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/execution/Operand.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/Vocabulary.h"

namespace Vrel {

DecodedCode::DecodedCode(const VarBinary& code, const Vocabulary* vocabulary)
    : bytes_(code.GetBytes()),
      size_(code.GetSize()),
      vocabulary_(vocabulary),
      pool_(vocabulary ? vocabulary->GetPool() : nullptr),
      indexOf_(code.GetSize(), -1) {}

DecodedCode::~DecodedCode() = default;

FastBlock* DecodedCode::BuildFastBlock(DecodedInstruction& entry) {
    entry.fastTried = true;
    std::unique_ptr<FastBlock> block = FastBlock::Build(*this, entry.pc);
    if (!block) return nullptr;
    blocks_.push_back(std::move(block));
    entry.fastBlock = blocks_.back().get();
    return entry.fastBlock;
}

const DecodedInstruction& DecodedCode::Decode(uint32_t pc) {
    DecodedInstruction& entry = entries_.emplace_back();
    indexOf_[pc] = static_cast<int32_t>(entries_.size() - 1);
    entry.opcode = bytes_[pc];
    entry.pc = pc;
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

namespace {

constexpr uint32_t kUnlinkedJump = 0xFFFFFFFFu;

bool IsPlainNumber(const Var& value) {
    const uint32_t tag = value.GetTag();
    return tag == kTagInt || tag == kTagFloat || tag == kTagBool;
}

bool IsComparison(uint8_t opcode) { return opcode >= kOpLessEqual && opcode <= kOpNotEqual; }

}  // namespace

// A number or local push with the binary operator behind it becomes one
// step; a comparison also takes the conditional jump behind it.
void DecodedCode::FuseBinary(DecodedInstruction& entry) {
    if (entry.quickNext >= size_) return;
    const DecodedInstruction& op = At(entry.quickNext);
    if (op.kind != OperandKind::kNone || op.opcode < kOpMul || op.opcode > kOpBitOr) return;
    entry.plainNext = entry.quickNext;
    entry.fusedOpcode = op.opcode;
    entry.quickNext = op.next;
    const bool number = entry.form == QuickForm::kPushNumber;
    entry.form = number ? QuickForm::kNumberBinary : QuickForm::kLocalBinary;
    if (!number || !IsComparison(op.opcode) || op.next >= size_) return;
    DecodedInstruction& jump = Linked(op.next);
    if (jump.form != QuickForm::kJumpFalse && jump.form != QuickForm::kJumpTrue) return;
    entry.form = QuickForm::kNumberCompareJump;
    entry.fusedJump = &jump;
    entry.quickNext = jump.next;
    entry.lastOperand = &jump.operand;
}

void DecodedCode::LinkMemberPush(DecodedInstruction& entry, const DecodedInstruction& name) {
    if (name.opcode != kOpPushValue || name.kind != OperandKind::kValue || name.operand.GetTag() != kTagStringConst ||
        !name.operand.GetStringConst() || name.next >= size_)
        return;
    const DecodedInstruction& push = At(name.next);
    if (push.opcode != kOpPushVar || push.kind != OperandKind::kValue || push.operand.GetTag() != kTagInt ||
        push.operand.RawInt() != (kPushByName | kPushMember))
        return;
    entry.form = QuickForm::kPushMember;
    entry.slot = static_cast<int32_t>(name.pc);
    entry.quickNext = push.next;
    entry.lastOperand = &push.operand;
    entry.nameCache.generation = ~uint64_t{0};
}

void DecodedCode::Link(DecodedInstruction& entry) {
    entry.form = QuickForm::kGeneral;
    entry.quickNext = entry.next;
    entry.lastOperand = &entry.operand;
    const uint8_t opcode = entry.opcode;
    if (entry.kind == OperandKind::kBroken) return;
    if (opcode == kOpPushValue && entry.kind == OperandKind::kValue && IsPlainNumber(entry.operand)) {
        entry.form = QuickForm::kPushNumber;
        if (entry.operand.GetTag() != kTagInt || entry.next >= size_) {
            FuseBinary(entry);
            return;
        }
        const DecodedInstruction& follower = At(entry.next);
        if (follower.opcode == kOpPushVar && follower.kind == OperandKind::kValue &&
            follower.operand.GetTag() == kTagInt && follower.operand.RawInt() == 0) {
            entry.form = QuickForm::kPushLocal;
            entry.slot = entry.operand.RawInt();
            entry.quickNext = follower.next;
            entry.lastOperand = &follower.operand;
        }
        FuseBinary(entry);
        return;
    }
    if (opcode == kOpPushValue && entry.kind == OperandKind::kValue && entry.operand.GetTag() == kTagStringConst &&
        entry.operand.GetStringConst() && entry.next < size_) {
        const DecodedInstruction& follower = At(entry.next);
        if (follower.opcode == kOpPushVar && follower.kind == OperandKind::kValue &&
            follower.operand.GetTag() == kTagInt && follower.operand.RawInt() == kPushByName) {
            entry.form = QuickForm::kPushName;
            entry.quickNext = follower.next;
            entry.lastOperand = &follower.operand;
            // Never a hit before the first look-up fills it.
            entry.nameCache.generation = ~uint64_t{0};
            return;
        }
        LinkMemberPush(entry, follower);
        return;
    }
    if (opcode >= kOpMul && opcode <= kOpLogicalOr) entry.form = QuickForm::kBinary;
    if (opcode == kOpAssign) entry.form = QuickForm::kAssign;
    if (opcode == kOpEndOfStatement) entry.form = QuickForm::kEndOfStatement;
    if (opcode == kOpPostIncrement) entry.form = QuickForm::kPostIncrement;
    if (opcode == kOpPostDecrement) entry.form = QuickForm::kPostDecrement;
    const bool isJump = opcode == kOpJump || opcode == kOpJumpFalse || opcode == kOpJumpTrue;
    if (isJump && entry.kind == OperandKind::kValue && entry.operand.GetTag() == kTagPosition &&
        entry.operand.RawPosition() != kUnlinkedJump) {
        entry.form = opcode == kOpJump ? QuickForm::kJump
                     : opcode == kOpJumpFalse ? QuickForm::kJumpFalse
                                              : QuickForm::kJumpTrue;
    }
}

}  // namespace Vrel

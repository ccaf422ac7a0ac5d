#include "script/runtime/execution/FastBlock.h"

#include "script/runtime/execution/DecodedCode.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/execution/Operand.h"
#include "script/runtime/values/PlainNumbers.h"

#include <unordered_map>

namespace Vrel {

namespace {

constexpr uint32_t kUnlinkedJump = 0xFFFFFFFFu;
constexpr uint32_t kSwitchEntrySize = 5;
// Larger tables stay with the bytecode's search.
constexpr int kMaxFastSwitchCases = 1024;

bool IsText(const Var& value) { return value.GetTag() == kTagStringConst && value.GetStringConst(); }

// The jump target an instruction names, or kUnlinkedJump.
uint32_t JumpTarget(const DecodedInstruction& in) {
    if (in.kind != OperandKind::kValue || in.operand.GetTag() != kTagPosition) return kUnlinkedJump;
    return in.operand.RawPosition();
}

}  // namespace

class FastBlockBuilder {
public:
    FastBlockBuilder(DecodedCode& code, uint32_t start) : code_(code), start_(start) {}

    std::unique_ptr<FastBlock> Build() {
        block_ = std::make_unique<FastBlock>();
        block_->start_ = start_;
        uint32_t pc = start_;
        for (;;) {
            if (pc >= code_.GetSize() || block_->ops_.size() >= kMaxFastOperations) {
                Leave(pc);
                break;
            }
            DecodedInstruction& in = code_.Entry(pc);
            const Outcome outcome = in.kind == OperandKind::kBroken ? Outcome::kUnsupported : Translate(in);
            if (outcome == Outcome::kUnsupported) {
                Leave(pc);
                break;
            }
            if (in.kind == OperandKind::kValue) operand_ = &in.operand;
            if (outcome == Outcome::kEnded) break;
            pc = in.next;
        }
        // A block that hands over at once buys nothing.
        if (block_->ops_.size() == 1 && block_->ops_[0].code == FastCode::kLeave) return nullptr;
        return std::move(block_);
    }

private:
    enum class Outcome { kContinue, kEnded, kUnsupported };

    Outcome Translate(DecodedInstruction& in) {
        const uint8_t opcode = in.opcode;
        switch (opcode) {
            case kOpData:
            case kOpNothing: return Outcome::kContinue;
            case kOpPushValue: return PushValue(in);
            case kOpPushVar: return PushVar(in);
            case kOpEndOfStatement:
                MarkStatementStart(in.pc);
                Emit({.code = FastCode::kEndStatement});
                stack_.clear();
                listsBelow_.clear();
                positionBase_ = 0;
                return Outcome::kContinue;
            case kOpJump: return Jump(in);
            case kOpSwitch: return Switch(in);
            case kOpCall: return Call(in);
            case kOpParamCopy:
                Emit({.code = FastCode::kParamCopy, .exit = Exit(in.pc)});
                return Outcome::kContinue;
            case kOpReturn: return Return(in);
            case kOpArrayCreate: return ArrayCreate(in);
            case kOpArrayAssign: return ArrayAssign(in);
            case kOpJumpFalse:
            case kOpJumpTrue: return Branch(in);
            case kOpPreIncrement:
            case kOpPreDecrement: return Step(in, FastCode::kPrefix);
            case kOpPostIncrement:
            case kOpPostDecrement: return Step(in, FastCode::kPostfix);
            case kOpNegate: return Unary(in, FastCode::kNegate);
            case kOpNot: return Unary(in, FastCode::kNot);
            case kOpComplement: return Unary(in, FastCode::kComplement);
            case kOpPlus: return Unary(in, FastCode::kPlus);
            default: break;
        }
        if (opcode >= kOpMul && opcode <= kOpBitOr) return Binary(in);
        if (opcode >= kOpAssign && opcode <= kOpOrAssign) return Assign(in);
        return Outcome::kUnsupported;
    }

    // ---- stack items --------------------------------------------------------

    // The stack position of the next value: registers are numbered by it,
    // counting the values a list sent to the frame, which come back later.
    uint16_t Depth() const { return static_cast<uint16_t>(positionBase_ + stack_.size()); }
    FastItem& Top(size_t below = 0) { return stack_[stack_.size() - 1 - below]; }
    bool Has(size_t count) const { return stack_.size() >= count; }
    bool IsConstant(const FastItem& item, uint32_t tag) const {
        return item.base == FastBase::kConstant && block_->constants_[item.index].GetTag() == tag;
    }
    const Var& ConstantOf(const FastItem& item) const { return block_->constants_[item.index]; }
    // Texts serve as names; as operands they stay with the bytecode.
    bool IsNonNumber(const FastItem& item) const {
        return item.base == FastBase::kConstant && !IsPlainNumberTag(ConstantOf(item).GetTag());
    }
    static bool IsVariable(const FastItem& item) {
        return item.base == FastBase::kLocal || item.base == FastBase::kPointer;
    }

    bool Push(FastItem item) {
        if (Depth() >= kMaxFastDepth) return false;
        stack_.push_back(item);
        return true;
    }

    uint16_t AddConstant(const Var& value) {
        block_->constants_.emplace_back();
        block_->constants_.back().CopyWithoutConst(value);
        return static_cast<uint16_t>(block_->constants_.size() - 1);
    }

    // The hand-over at pc with the stack as it stands.
    uint16_t Exit(uint32_t pc) {
        FastExit exit;
        exit.pc = pc;
        exit.operand = operand_;
        exit.firstItem = static_cast<uint32_t>(block_->items_.size());
        exit.itemCount = static_cast<uint32_t>(stack_.size());
        block_->items_.insert(block_->items_.end(), stack_.begin(), stack_.end());
        block_->exits_.push_back(exit);
        return static_cast<uint16_t>(block_->exits_.size() - 1);
    }

    void Emit(FastOp op) { block_->ops_.push_back(op); }
    void Leave(uint32_t pc) { Emit({.code = FastCode::kLeave, .exit = Exit(pc)}); }

    // A value operand: a looked-up variable is read into the register of
    // its stack position first.
    void LoadValue(FastItem& item, uint16_t position, uint16_t exit) {
        if (item.base != FastBase::kPointer) return;
        Emit({.code = FastCode::kLoad, .dst = position, .a = item.index, .exit = exit});
        item = {FastBase::kRegister, position};
    }

    void NeedLocal(int slot) {
        if (slot + 1 > block_->localsNeeded_) block_->localsNeeded_ = slot + 1;
    }

    // ---- pushes -------------------------------------------------------------

    // push value: numbers and texts; other operands stay with the bytecode.
    Outcome PushValue(const DecodedInstruction& in) {
        if (in.kind != OperandKind::kValue) return Outcome::kUnsupported;
        if (!IsPlainNumberTag(in.operand.GetTag()) && !IsText(in.operand)) return Outcome::kUnsupported;
        return Push({FastBase::kConstant, AddConstant(in.operand)}) ? Outcome::kContinue : Outcome::kUnsupported;
    }

    // push var: a local by number, a variable by name, a member of either,
    // an element of either.
    Outcome PushVar(DecodedInstruction& in) {
        if (in.kind != OperandKind::kValue || in.operand.GetTag() != kTagInt || !Has(1)) return Outcome::kUnsupported;
        const int flags = in.operand.RawInt();
        const uint16_t exit = Exit(in.pc);
        switch (flags) {
            case 0: return PushLocal();
            case kPushByName: return PushName(in, exit);
            case kPushByName | kPushMember: return PushMember(in, exit);
            case kPushMember: return PushLocalMember(in, exit);
            case kPushIndex:
            case kPushByName | kPushIndex: return PushElement(in, flags, exit);
            default: return Outcome::kUnsupported;
        }
    }

    Outcome PushLocal() {
        FastItem& top = Top();
        if (!IsConstant(top, kTagInt)) return Outcome::kUnsupported;
        const int slot = ConstantOf(top).RawInt();
        if (slot < 0 || slot > kMaxFastLocal) return Outcome::kUnsupported;
        NeedLocal(slot);
        top = {FastBase::kLocal, static_cast<uint16_t>(slot)};
        return Outcome::kContinue;
    }

    Outcome PushName(DecodedInstruction& in, uint16_t exit) {
        FastItem& top = Top();
        if (top.base != FastBase::kConstant || !IsText(ConstantOf(top))) return Outcome::kUnsupported;
        const uint16_t position = static_cast<uint16_t>(Depth() - 1);
        Emit({.code = FastCode::kResolveName, .dst = position, .a = top.index, .exit = exit, .data = &in});
        top = {FastBase::kPointer, position};
        return Outcome::kContinue;
    }

    Outcome PushMember(DecodedInstruction& in, uint16_t exit) {
        if (!Has(2)) return Outcome::kUnsupported;
        const FastItem name = Top();
        const FastItem member = Top(1);
        if (name.base != FastBase::kConstant || !IsText(ConstantOf(name)) || member.base != FastBase::kConstant ||
            !IsText(ConstantOf(member)))
            return Outcome::kUnsupported;
        stack_.pop_back();
        const uint16_t position = static_cast<uint16_t>(Depth() - 1);
        Emit({.code = FastCode::kResolveMember, .dst = position, .a = name.index, .b = member.index, .exit = exit,
              .data = &in});
        Top() = {FastBase::kPointer, position};
        return Outcome::kContinue;
    }

    Outcome PushLocalMember(DecodedInstruction& in, uint16_t exit) {
        if (!Has(2)) return Outcome::kUnsupported;
        const FastItem slotItem = Top();
        const FastItem member = Top(1);
        if (!IsConstant(slotItem, kTagInt) || member.base != FastBase::kConstant || !IsText(ConstantOf(member)))
            return Outcome::kUnsupported;
        const int slot = ConstantOf(slotItem).RawInt();
        if (slot < 0 || slot > kMaxFastLocal) return Outcome::kUnsupported;
        NeedLocal(slot);
        stack_.pop_back();
        const uint16_t position = static_cast<uint16_t>(Depth() - 1);
        Emit({.code = FastCode::kResolveLocalMember, .dst = position, .a = static_cast<uint16_t>(slot),
              .b = member.index, .exit = exit, .data = &in});
        Top() = {FastBase::kPointer, position};
        return Outcome::kContinue;
    }

    Outcome PushElement(DecodedInstruction& in, int flags, uint16_t exit) {
        if (!Has(2)) return Outcome::kUnsupported;
        FastItem array = Top();
        FastItem index = Top(1);
        if (IsNonNumber(index)) return Outcome::kUnsupported;
        const uint16_t arrayPosition = static_cast<uint16_t>(Depth() - 1);
        const uint16_t position = static_cast<uint16_t>(Depth() - 2);
        if (flags & kPushByName) {
            if (array.base != FastBase::kConstant || !IsText(ConstantOf(array))) return Outcome::kUnsupported;
            Emit({.code = FastCode::kResolveName, .dst = arrayPosition, .a = array.index, .exit = exit, .data = &in});
            array = {FastBase::kPointer, arrayPosition};
        } else {
            if (!IsConstant(array, kTagInt)) return Outcome::kUnsupported;
            const int slot = ConstantOf(array).RawInt();
            if (slot < 0 || slot > kMaxFastLocal) return Outcome::kUnsupported;
            NeedLocal(slot);
            array = {FastBase::kLocal, static_cast<uint16_t>(slot)};
        }
        LoadValue(index, position, exit);
        Emit({.code = FastCode::kResolveElement, .aBase = array.base, .bBase = index.base, .dst = position,
              .a = array.index, .b = index.index, .exit = exit});
        stack_.pop_back();
        Top() = {FastBase::kPointer, position};
        return Outcome::kContinue;
    }

    // ---- operators ----------------------------------------------------------

    Outcome Binary(const DecodedInstruction& in) {
        if (!Has(2) || IsNonNumber(Top()) || IsNonNumber(Top(1))) return Outcome::kUnsupported;
        const uint16_t exit = Exit(in.pc);
        const uint16_t left = static_cast<uint16_t>(Depth() - 2);
        FastItem a = Top(1);
        FastItem b = Top();
        LoadValue(a, left, exit);
        LoadValue(b, static_cast<uint16_t>(left + 1), exit);
        const auto code = static_cast<FastCode>(static_cast<int>(FastCode::kMul) + (in.opcode - kOpMul));
        Emit({.code = code, .aBase = a.base, .bBase = b.base, .dst = left, .a = a.index, .b = b.index, .exit = exit});
        stack_.pop_back();
        Top() = {FastBase::kRegister, left};
        return Outcome::kContinue;
    }

    Outcome Unary(const DecodedInstruction& in, FastCode code) {
        if (!Has(1) || IsNonNumber(Top())) return Outcome::kUnsupported;
        const uint16_t exit = Exit(in.pc);
        const uint16_t position = static_cast<uint16_t>(Depth() - 1);
        FastItem a = Top();
        LoadValue(a, position, exit);
        Emit({.code = code, .aBase = a.base, .dst = position, .a = a.index, .exit = exit});
        Top() = {FastBase::kRegister, position};
        return Outcome::kContinue;
    }

    Outcome Step(const DecodedInstruction& in, FastCode code) {
        if (!Has(1) || !IsVariable(Top())) return Outcome::kUnsupported;
        const bool up = in.opcode == kOpPreIncrement || in.opcode == kOpPostIncrement;
        const uint16_t position = static_cast<uint16_t>(Depth() - 1);
        const FastItem target = Top();
        Emit({.code = code, .aBase = target.base, .dst = position, .a = target.index,
              .b = static_cast<uint16_t>(up ? 1 : 0xFFFF), .exit = Exit(in.pc)});
        if (code == FastCode::kPostfix) Top() = {FastBase::kRegister, position};
        return Outcome::kContinue;
    }

    Outcome Assign(const DecodedInstruction& in) {
        if (!Has(2) || !IsVariable(Top(1))) return Outcome::kUnsupported;
        if (IsNonNumber(Top())) return Outcome::kUnsupported;
        const uint16_t exit = Exit(in.pc);
        const FastItem target = Top(1);
        FastItem value = Top();
        LoadValue(value, static_cast<uint16_t>(Depth() - 1), exit);
        Emit({.code = in.opcode == kOpAssign ? FastCode::kAssign : FastCode::kCompound, .binary = in.opcode,
              .aBase = target.base, .bBase = value.base, .a = target.index, .b = value.index, .exit = exit});
        stack_.pop_back();
        return Outcome::kContinue;
    }

    // ---- lists ----------------------------------------------------------------

    // Lists live on the frame's stack: everything below goes there first.
    Outcome ArrayCreate(const DecodedInstruction& in) {
        if (in.kind != OperandKind::kValue || in.operand.GetTag() != kTagInt) return Outcome::kUnsupported;
        const int count = in.operand.RawInt();
        if (count < 0 || count > kMaxFastListCount) return Outcome::kUnsupported;
        Emit({.code = FastCode::kArrayCreate, .a = static_cast<uint16_t>(count), .exit = Exit(in.pc)});
        listsBelow_.push_back({stack_, positionBase_});
        positionBase_ = Depth();
        stack_.clear();
        return Outcome::kContinue;
    }

    // Only the value is ours: the list is the frame's top.
    Outcome ArrayAssign(const DecodedInstruction& in) {
        if (in.kind != OperandKind::kValue || in.operand.GetTag() != kTagInt || stack_.size() != 1)
            return Outcome::kUnsupported;
        const int index = in.operand.RawInt();
        if (index < 0 || index > kMaxFastListCount) return Outcome::kUnsupported;
        const FastItem value = Top();
        Emit({.code = FastCode::kArrayAssign, .aBase = value.base, .a = value.index,
              .b = static_cast<uint16_t>(index), .exit = Exit(in.pc)});
        stack_.clear();
        return Outcome::kContinue;
    }

    // call of a function looked up by name on a list made in this block:
    // the values the list sent to the frame come back after the call.
    Outcome Call(const DecodedInstruction& in) {
        if (listsBelow_.empty() || stack_.size() != 1 || Top().base != FastBase::kPointer ||
            listsBelow_.back().base + listsBelow_.back().items.size() + 1 >= static_cast<size_t>(kMaxFastDepth))
            return Outcome::kUnsupported;
        const FastItem callee = Top();
        const uint16_t exit = Exit(in.pc);
        // Handed over behind the call, everything is on the frame already.
        stack_.clear();
        const uint16_t after = Exit(in.next);
        stack_ = std::move(listsBelow_.back().items);
        positionBase_ = listsBelow_.back().base;
        listsBelow_.pop_back();
        const uint16_t result = Depth();
        const auto sentBack = static_cast<uint16_t>(stack_.size());
        Emit({.code = FastCode::kCall, .dst = result, .a = callee.index, .b = sentBack, .exit = exit,
              .exit2 = after});
        stack_.push_back({FastBase::kRegister, result});
        // A script function leaves its own last operand current: from here
        // the runner knows which.
        operand_ = nullptr;
        return Outcome::kContinue;
    }

    // return with one value above the return list made in this block.
    Outcome Return(const DecodedInstruction& in) {
        if (listsBelow_.empty() || stack_.size() != 1 || IsNonNumber(Top())) return Outcome::kUnsupported;
        FastItem value = Top();
        LoadValue(value, static_cast<uint16_t>(Depth() - 1), Exit(in.pc));
        Emit({.code = FastCode::kReturn, .aBase = value.base, .a = value.index, .exit = Exit(in.pc)});
        return Outcome::kEnded;
    }

    // ---- control flow -------------------------------------------------------

    bool StartsStatement(uint32_t pc) {
        return pc < code_.GetSize() && code_.Entry(pc).opcode == kOpEndOfStatement;
    }

    FastLink* Link(uint32_t pc, const Var* operand) {
        FastLink& link = block_->links_.emplace_back();
        link.pc = pc;
        link.operand = operand;
        return &link;
    }

    // The values below the ones an instruction takes are never read again
    // in this run: they are kept aside for the bytecode, unless every way
    // on starts a statement, which would drop them anyway.
    void KeepRest(size_t taken, bool dropped) {
        const size_t rest = stack_.size() - taken;
        if (!dropped) {
            for (size_t i = 0; i < rest; ++i) {
                const FastItem item = stack_[i];
                Emit({.code = FastCode::kKeep, .aBase = item.base, .a = item.index});
            }
        }
        stack_.erase(stack_.begin(), stack_.begin() + static_cast<std::ptrdiff_t>(rest));
    }

    // The comparison just emitted, when it made the condition register.
    FastOp* ComparisonMaking(const FastItem& condition) {
        if (block_->ops_.empty() || condition.base != FastBase::kRegister) return nullptr;
        FastOp& last = block_->ops_.back();
        const bool comparison = last.code >= FastCode::kLessEqual && last.code <= FastCode::kNotEqual;
        return comparison && last.dst == condition.index ? &last : nullptr;
    }

    // A statement start this block passed may be jumped back to: a loop
    // then runs inside the block. The operand current there comes from the
    // way in, so the straight way sets it.
    void MarkStatementStart(uint32_t pc) {
        if (operand_) {
            Emit({.code = FastCode::kSetOperand, .data = const_cast<Var*>(operand_)});
            operand_ = nullptr;
        }
        statementStarts_.emplace(pc, static_cast<uint16_t>(block_->ops_.size()));
    }

    Outcome Jump(const DecodedInstruction& in) {
        const uint32_t target = JumpTarget(in);
        if (target == kUnlinkedJump) return Outcome::kUnsupported;
        KeepRest(0, StartsStatement(target));
        const auto start = statementStarts_.find(target);
        if (start != statementStarts_.end()) {
            Emit({.code = FastCode::kJumpInBlock, .a = start->second, .data = const_cast<Var*>(&in.operand)});
            return Outcome::kEnded;
        }
        Emit({.code = FastCode::kJump, .data = Link(target, &in.operand)});
        return Outcome::kEnded;
    }

    Outcome Branch(const DecodedInstruction& in) {
        const uint32_t target = JumpTarget(in);
        if (target == kUnlinkedJump || !Has(1)) return Outcome::kUnsupported;
        if (IsNonNumber(Top())) return Outcome::kUnsupported;
        FastItem condition = Top();
        LoadValue(condition, static_cast<uint16_t>(Depth() - 1), Exit(in.pc));
        Top() = condition;
        const size_t rest = stack_.size() - 1;
        const bool dropped = StartsStatement(target) && StartsStatement(in.next);
        KeepRest(1, dropped);
        // The branch takes the condition off; the stack goes on empty.
        stack_.pop_back();
        if (rest == 0 || dropped) {
            if (FastOp* compare = ComparisonMaking(condition)) {
                compare->code = static_cast<FastCode>(static_cast<int>(FastCode::kLessEqualBranch) +
                                                      (static_cast<int>(compare->code) -
                                                       static_cast<int>(FastCode::kLessEqual)));
                compare->binary = static_cast<uint8_t>(in.opcode == kOpJumpTrue ? 1 : 0);
                compare->data = Link(target, &in.operand);
                return Outcome::kContinue;
            }
        }
        // Not taken, the run goes on in this block.
        stack_.push_back(condition);
        const uint16_t exit = Exit(in.pc);
        stack_.pop_back();
        Emit({.code = FastCode::kBranch, .binary = static_cast<uint8_t>(in.opcode == kOpJumpTrue ? 1 : 0),
              .aBase = condition.base, .a = condition.index, .exit = exit, .data = Link(target, &in.operand)});
        return Outcome::kContinue;
    }

    // switch: the value stays on the stack under the case code, as the
    // bytecode leaves it. Only tables of int case values are compiled.
    Outcome Switch(const DecodedInstruction& in) {
        if (in.kind != OperandKind::kValue || in.operand.GetTag() != kTagInt || !Has(1) || IsNonNumber(Top()))
            return Outcome::kUnsupported;
        const int entries = in.operand.RawInt();
        const uint64_t end = in.next + uint64_t{kSwitchEntrySize} * static_cast<uint64_t>(entries < 0 ? 0 : entries);
        if (entries < 0 || entries > kMaxFastSwitchCases || end > code_.GetSize()) return Outcome::kUnsupported;
        FastSwitch& table = block_->switches_.emplace_back();
        for (int i = 0; i < entries; ++i) {
            FastSwitch::Case entry;
            uint32_t caseEnd = 0;
            if (!ReadIntCase(in.next + static_cast<uint32_t>(i) * kSwitchEntrySize, entry.value, caseEnd))
                return Outcome::kUnsupported;
            if (!table.cases.empty() && table.cases.back().value >= entry.value) return Outcome::kUnsupported;
            entry.link = Link(caseEnd, &in.operand);
            table.cases.push_back(entry);
        }
        table.fallback = Link(static_cast<uint32_t>(end), &in.operand);
        FastItem value = Top();
        LoadValue(value, static_cast<uint16_t>(Depth() - 1), Exit(in.pc));
        // Once kept, the values leave the stack the hand-over rebuilds.
        KeepRest(0, false);
        Emit({.code = FastCode::kSwitch, .aBase = value.base, .a = value.index, .exit = Exit(in.pc), .data = &table});
        return Outcome::kEnded;
    }

    // The case value and the position behind it, as the switch reads them.
    bool ReadIntCase(uint32_t entry, int32_t& value, uint32_t& caseEnd) {
        const uint8_t* bytes = code_.GetBytes();
        const uint32_t size = code_.GetSize();
        if ((bytes[entry] & kTagMask) != kTagPosition) return false;
        const uint32_t target = static_cast<uint32_t>(bytes[entry + 1]) | static_cast<uint32_t>(bytes[entry + 2]) << 8 |
                                static_cast<uint32_t>(bytes[entry + 3]) << 16 |
                                static_cast<uint32_t>(bytes[entry + 4]) << 24;
        if (target >= size) return false;
        caseEnd = target + 1;  // past the "data" opcode, at the case value
        Var caseValue;
        if (!DecodeOperand(bytes, size, caseEnd, caseValue, code_.GetVocabulary()) || caseValue.GetTag() != kTagInt)
            return false;
        value = caseValue.RawInt();
        return true;
    }

    DecodedCode& code_;
    uint32_t start_;
    std::unique_ptr<FastBlock> block_;
    std::vector<FastItem> stack_;
    // For each list made and not yet called: the stack it sent to the frame
    // and where its positions began.
    struct ListBelow {
        std::vector<FastItem> items;
        uint16_t base = 0;
    };
    std::vector<ListBelow> listsBelow_;
    // Statement starts passed, by position: where each one's operations begin.
    std::unordered_map<uint32_t, uint16_t> statementStarts_;
    uint16_t positionBase_ = 0;
    const Var* operand_ = nullptr;
};

std::unique_ptr<FastBlock> FastBlock::Build(DecodedCode& code, uint32_t pc) {
    return FastBlockBuilder(code, pc).Build();
}

}  // namespace Vrel

#include "script/runtime/execution/FastRunner.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/DecodedCode.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/execution/NameLookUp.h"
#include "script/runtime/values/Op.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/PlainNumbers.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/t_Named.h"

#include <algorithm>
#include <bit>

namespace Vrel {

namespace {

// The bytecode operator a binary operation or a compound assignment
// applies.
int BinaryOpcode(FastCode code) { return kOpMul + (static_cast<int>(code) - static_cast<int>(FastCode::kMul)); }

int CompoundOpcode(uint8_t opcode) {
    switch (opcode) {
        case kOpMulAssign: return kOpMul;
        case kOpDivAssign: return kOpDiv;
        case kOpModAssign: return kOpMod;
        case kOpAddAssign: return kOpAdd;
        case kOpSubAssign: return kOpSub;
        case kOpShiftRightAssign: return kOpShiftRight;
        case kOpShiftLeftAssign: return kOpShiftLeft;
        case kOpAndAssign: return kOpBitAnd;
        case kOpXorAssign: return kOpBitXor;
        case kOpOrAssign: return kOpBitOr;
        default: return -1;
    }
}

// x op= y in place on two ints or two floats, as the operators make it.
bool CompoundNumber(uint8_t opcode, Var& target, const Var& value) {
    const uint32_t tag = target.GetTag();
    if (target.HasConstFlag() || (tag != kTagInt && tag != kTagFloat) || tag != value.GetTag()) return false;
    return Op::ApplyBinary(CompoundOpcode(opcode), target, value);
}

// a op b as the bytecode's result slot would hold it: a copy of a, with
// its flags, worked on in place by the operator itself.
bool GeneralBinary(FastCode code, Var& out, const Var& a, const Var& b) {
    if (!IsPlainNumberTag(a.GetTag()) || !IsPlainNumberTag(b.GetTag())) return false;
    if (&b == &out) return false;
    out.CopyWithoutConst(a);
    return Op::ApplyBinary(BinaryOpcode(code), out, b);
}

// The unary operators as the interpreter applies them to a copy of a.
bool GeneralUnary(FastCode code, Var& out, const Var& a) {
    if (!IsPlainNumberTag(a.GetTag())) return false;
    out.CopyWithoutConst(a);
    switch (code) {
        case FastCode::kNegate: return Op::Negate(out);
        case FastCode::kNot: return Op::Not(out);
        case FastCode::kComplement:
            if (out.GetTag() != kTagInt) return false;
            out.SetInt(~out.RawInt());
            return true;
        default: return true;
    }
}

bool Truth(const Var& value, bool& out) {
    switch (value.GetTag()) {
        case kTagBool: out = (value.RawPosition() & 0xFF) != 0; return true;
        case kTagInt: out = value.RawInt() != 0; return true;
        case kTagFloat: out = value.RawFloat() != 0.0f; return true;
        default: return false;
    }
}

}  // namespace

// Each operation jumps straight to the next one's handler: one indirect
// jump per operation, each at its own place, which predicts far better than
// one shared switch. A computed jump out of a scope runs no destructors:
// handlers hold nothing that has one, and call out where they need such
// values.
#define FAST_DISPATCH() goto* kHandlers[static_cast<int>(op->code)]
#define FAST_NEXT() \
    do {            \
        ++op;       \
        FAST_DISPATCH(); \
    } while (false)
#define FAST_OPERAND_A (bases[static_cast<int>(op->aBase)][op->a])
#define FAST_OPERAND_B (bases[static_cast<int>(op->bBase)][op->b])

bool FastRunner::Run(CallFrame& frame, DecodedCode& code, FastBlock& start, const Var*& operand) {
    // Handlers by operation, filled on the first run: a label address is
    // only known inside its function.
    static const void* kHandlers[kFastCodeCount] = {};
    if (!kHandlers[0]) {
        kHandlers[static_cast<int>(FastCode::kEndStatement)] = &&endStatement;
        kHandlers[static_cast<int>(FastCode::kResolveName)] = &&resolveName;
        kHandlers[static_cast<int>(FastCode::kResolveMember)] = &&resolveMember;
        kHandlers[static_cast<int>(FastCode::kResolveLocalMember)] = &&resolveLocalMember;
        kHandlers[static_cast<int>(FastCode::kResolveElement)] = &&resolveElement;
        kHandlers[static_cast<int>(FastCode::kLoad)] = &&load;
        kHandlers[static_cast<int>(FastCode::kMul)] = &&mul;
        kHandlers[static_cast<int>(FastCode::kDiv)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kMod)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kAdd)] = &&add;
        kHandlers[static_cast<int>(FastCode::kSub)] = &&sub;
        kHandlers[static_cast<int>(FastCode::kShiftLeft)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kShiftRight)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kLessEqual)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kLess)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kGreaterEqual)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kGreater)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kEqual)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kNotEqual)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kBitAnd)] = &&bitAnd;
        kHandlers[static_cast<int>(FastCode::kBitXor)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kBitOr)] = &&generic;
        kHandlers[static_cast<int>(FastCode::kNegate)] = &&unary;
        kHandlers[static_cast<int>(FastCode::kNot)] = &&unary;
        kHandlers[static_cast<int>(FastCode::kComplement)] = &&unary;
        kHandlers[static_cast<int>(FastCode::kPlus)] = &&unary;
        kHandlers[static_cast<int>(FastCode::kAssign)] = &&assign;
        kHandlers[static_cast<int>(FastCode::kCompound)] = &&compound;
        kHandlers[static_cast<int>(FastCode::kPrefix)] = &&step;
        kHandlers[static_cast<int>(FastCode::kPostfix)] = &&step;
        kHandlers[static_cast<int>(FastCode::kKeep)] = &&keep;
        kHandlers[static_cast<int>(FastCode::kArrayCreate)] = &&arrayCreate;
        kHandlers[static_cast<int>(FastCode::kArrayAssign)] = &&arrayAssign;
        kHandlers[static_cast<int>(FastCode::kCall)] = &&call;
        kHandlers[static_cast<int>(FastCode::kParamCopy)] = &&paramCopy;
        kHandlers[static_cast<int>(FastCode::kReturn)] = &&returnNumber;
        kHandlers[static_cast<int>(FastCode::kSwitch)] = &&switchCase;
        kHandlers[static_cast<int>(FastCode::kJump)] = &&jump;
        kHandlers[static_cast<int>(FastCode::kJumpInBlock)] = &&jumpInBlock;
        kHandlers[static_cast<int>(FastCode::kSetOperand)] = &&setOperand;
        kHandlers[static_cast<int>(FastCode::kBranch)] = &&branch;
        kHandlers[static_cast<int>(FastCode::kLeave)] = &&leave;
        kHandlers[static_cast<int>(FastCode::kLessEqualBranch)] = &&lessEqualBranch;
        kHandlers[static_cast<int>(FastCode::kLessBranch)] = &&lessBranch;
        kHandlers[static_cast<int>(FastCode::kGreaterEqualBranch)] = &&greaterEqualBranch;
        kHandlers[static_cast<int>(FastCode::kGreaterBranch)] = &&greaterBranch;
        kHandlers[static_cast<int>(FastCode::kEqualBranch)] = &&equalBranch;
        kHandlers[static_cast<int>(FastCode::kNotEqualBranch)] = &&notEqualBranch;
    }

    operandSlot_ = &operand;
    // Natives may change the member layout: re-read after each.
    uint64_t generation = t_Named::GetLayoutGeneration();
    const Var* current = operand;
    FastBlock* block = &start;
    const FastOp* op = nullptr;
    // Operands by base: registers, locals, constants (see FastBase).
    if (!registers_) EnterWindow(0);
    Var* bases[3] = {registers_, nullptr, nullptr};
    FastLink* link = nullptr;
    const void* function = frame.GetFunction();
    const t_Named& threadValues = thread_.GetThreadValues();
    // Nothing a block runs adds locals: the table stays where it is.
    const int localCount = frame.GetLocals().GetCount();
    localCount_ = localCount;
    locals_ = localCount > 0 ? frame.GetLocals().At(0) : nullptr;
    bases[1] = locals_;
    Forget();

enterBlock:
    if (localCount < block->GetLocalsNeeded()) return HandOverAt(frame, block->GetStart(), current, operand);
    constants_ = block->GetConstants();
    bases[2] = const_cast<Var*>(constants_);
    op = block->GetOps().data();
    FAST_DISPATCH();

endStatement:
    if (frame.GetCount() > 0 || frame.HasPins()) frame.EndStatement();
    Forget();
    FAST_NEXT();

resolveName: {
    auto* in = static_cast<DecodedInstruction*>(op->data);
    Var* found = CacheHit(in->nameCache, function, threadValues, generation);
    if (!found)
        found = CachedLookUp(in->nameCache, thread_, frame, vm_, constants_[op->a].GetStringConst(), generation);
    if (!found || (in->nameCache.pin && !Pin(frame, in->nameCache.pin))) goto guardFailed;
    pointers_[op->dst] = found;
    FAST_NEXT();
}

resolveMember: {
    auto* in = static_cast<DecodedInstruction*>(op->data);
    Var* found = CacheHit(in->nameCache, function, threadValues, generation);
    if (!found)
        found = CachedLookUp(in->nameCache, thread_, frame, vm_, constants_[op->a].GetStringConst(), generation);
    if (!found) goto guardFailed;
    VarExtension* structure = found->Followed().GetObject();
    // The cache holds only plain structures: the same object needs no
    // second look at its class.
    const MemberCache& cached = in->memberCache;
    Var* member = cached.generation == generation && cached.structure == structure && structure
                      ? cached.member
                      : CachedMember(in->memberCache, *found, constants_[op->b].GetStringConst(), generation);
    if (!member || (in->nameCache.pin && !Pin(frame, in->nameCache.pin)) || !Pin(frame, structure))
        goto guardFailed;
    pointers_[op->dst] = member;
    FAST_NEXT();
}

resolveLocalMember: {
    auto* in = static_cast<DecodedInstruction*>(op->data);
    Var& structure = locals_[op->a];
    Var* member = CachedMember(in->memberCache, structure, constants_[op->b].GetStringConst(), generation);
    if (!member || !Pin(frame, structure.Followed().GetObject())) goto guardFailed;
    pointers_[op->dst] = member;
    FAST_NEXT();
}

resolveElement: {
    Var& array = (op->aBase == FastBase::kLocal ? locals_[op->a] : *pointers_[op->a]).Followed();
    const Var& index = FAST_OPERAND_B.Followed();
    VarExtension* object = array.GetTag() == kTagObject ? array.GetObject() : nullptr;
    if (!object || index.GetTag() != kTagInt || object->GetClassInfo() != &VarArray::kClassRecord) goto guardFailed;
    Var* element = static_cast<VarArray*>(object)->GetAt(index.RawInt());
    if (!element || !Pin(frame, object)) goto guardFailed;
    pointers_[op->dst] = element;
    FAST_NEXT();
}

load: {
    const Var& source = pointers_[op->a]->Followed();
    if (!IsPlainNumberTag(source.GetTag())) goto guardFailed;
    registers_[op->dst].CopyWithoutConst(source);
    FAST_NEXT();
}

    // Two ints without flags take the short way; everything else the
    // general one, which gives the result the bytecode's slot would hold.
    // Two numbers of one kind without flags take the short way; everything
    // else the general one, which gives the result the bytecode's slot
    // would hold.
#define FAST_ARITHMETIC(label, intExpression, floatExpression)                                  \
    label : {                                                                                   \
        const Var& a = FAST_OPERAND_A;                                                          \
        const Var& b = FAST_OPERAND_B;                                                          \
        const uint32_t kinds = a.GetTagWord() | b.GetTagWord() << 8;                            \
        if (kinds == (kTagInt | kTagInt << 8)) {                                                \
            const uint32_t x = static_cast<uint32_t>(a.RawInt()), y = static_cast<uint32_t>(b.RawInt()); \
            registers_[op->dst].OverwritePlainInt(static_cast<int32_t>(intExpression));         \
            FAST_NEXT();                                                                        \
        }                                                                                       \
        if (kinds == (kTagFloat | kTagFloat << 8)) {                                            \
            const float x = a.RawFloat(), y = b.RawFloat();                                     \
            registers_[op->dst].OverwritePlainFloat(floatExpression);                           \
            FAST_NEXT();                                                                        \
        }                                                                                       \
        goto generic;                                                                           \
    }
    FAST_ARITHMETIC(add, x + y, x + y)
    FAST_ARITHMETIC(sub, x - y, x - y)
    FAST_ARITHMETIC(mul, x * y, x * y)
#undef FAST_ARITHMETIC
bitAnd: {
    const Var& a = FAST_OPERAND_A;
    const Var& b = FAST_OPERAND_B;
    if (a.GetTagWord() != kTagInt || b.GetTagWord() != kTagInt) goto generic;
    registers_[op->dst].OverwritePlainInt(a.RawInt() & b.RawInt());
    FAST_NEXT();
}
generic:
    if (!GeneralBinary(op->code, registers_[op->dst], FAST_OPERAND_A.Followed(), FAST_OPERAND_B.Followed()))
        goto guardFailed;
    FAST_NEXT();

unary:
    if (!GeneralUnary(op->code, registers_[op->dst], FAST_OPERAND_A.Followed())) goto guardFailed;
    FAST_NEXT();

assign: {
    Var& target = op->aBase == FastBase::kLocal ? locals_[op->a] : *pointers_[op->a];
    const Var& source = FAST_OPERAND_B;
    if (target.GetTagWord() == kTagInt && source.GetTagWord() == kTagInt) {
        target.OverwritePlainInt(source.RawInt());
        FAST_NEXT();
    }
    if (!AssignNumber(target, source.Followed())) goto guardFailed;
    FAST_NEXT();
}

compound: {
    Var& target = op->aBase == FastBase::kLocal ? locals_[op->a] : *pointers_[op->a];
    if (!CompoundNumber(op->binary, target, FAST_OPERAND_B.Followed())) goto guardFailed;
    FAST_NEXT();
}

step: {
    Var& target = op->aBase == FastBase::kLocal ? locals_[op->a] : *pointers_[op->a];
    if (target.GetTagWord() == kTagInt) {
        const int32_t old = target.RawInt();
        if (op->code == FastCode::kPostfix) registers_[op->dst].OverwritePlainInt(old);
        target.OverwritePlainInt(static_cast<int32_t>(static_cast<uint32_t>(old) + (op->b == 1 ? 1u : ~0u)));
        FAST_NEXT();
    }
    const uint32_t tag = target.GetTag();
    if ((tag != kTagInt && tag != kTagFloat) || target.HasConstFlag()) goto guardFailed;
    if (op->code == FastCode::kPostfix) registers_[op->dst].CopyWithoutConst(target);
    target.Increment(op->b == 1 ? 1 : -1);
    FAST_NEXT();
}

keep:
    if (!Keep(frame, *op)) return false;
    FAST_NEXT();

arrayCreate:
    // The common lists wait at once: one at the start of a statement, and
    // one inside a list with no element set yet.
    if (pendingList_ == kNoList) {
        if (keptCount_ == 0 && pinCount_ == 0 && block->GetExit(op->exit).itemCount == 0) {
            pendingList_ = op->a;
            FAST_NEXT();
        }
    } else if (outerList_ == kNoList && window_->listAssigned == 0 && keptCount_ == 0) {
        WaitAbove(*block, *op);
        FAST_NEXT();
    }
    if (!CreateList(frame, *block, *op)) return false;
    FAST_NEXT();

arrayAssign:
    if (op->b < pendingList_ && op->b < kMaxHeldElements) {
        HoldElement(*op);
        FAST_NEXT();
    }
    if (!AssignElement(frame, *op)) goto guardFailed;
    FAST_NEXT();

call:
    // Natives report errors at the call and may write the frame.
    frame.instructionStart = block->GetExit(op->exit).pc;
    frame.pc = block->GetExit(op->exit2).pc;
    switch (Call(frame, *op)) {
        case CallOutcome::kGoOn:
            generation = t_Named::GetLayoutGeneration();
            // After a script function its last operand is current, as the
            // interpreter leaves it on return.
            current = calledScript_ ? operand : block->GetExit(op->exit2).operand;
            FAST_NEXT();
        case CallOutcome::kHandOver:
            // Behind a script function the operand is the callee's, as set.
            if (!calledScript_) return Leave(frame, *block, block->GetExit(op->exit2), current, operand);
            return HandOverAt(frame, block->GetExit(op->exit2).pc, operand, operand);
        case CallOutcome::kNotHere: goto guardFailed;
        case CallOutcome::kFailed: return false;
    }
    return false;

paramCopy:
    if (OwedBy(frame) ? !CopyOwedParameters(frame) : !CopyParameters(frame)) goto guardFailed;
    FAST_NEXT();

returnNumber: {
    const FastExit& exit = block->GetExit(op->exit);
    frame.instructionStart = exit.pc;
    frame.pc = exit.pc + 1;
    // The operand current at the return stays current in the caller.
    operand = exit.operand ? exit.operand : current;
    switch (Return(frame, FAST_OPERAND_A.Followed())) {
        case FastCallHost::ReturnOutcome::kReturned: return true;
        case FastCallHost::ReturnOutcome::kRefused: goto guardFailed;
        case FastCallHost::ReturnOutcome::kFailed: return false;
    }
    return false;
}

switchCase: {
    const Var& value = FAST_OPERAND_A.Followed();
    if (value.GetTag() != kTagInt) goto guardFailed;
    link = static_cast<const FastSwitch*>(op->data)->Find(value.RawInt());
    goto followLink;
}

jump:
    link = static_cast<FastLink*>(op->data);
    goto followLink;

jumpInBlock:
    current = static_cast<const Var*>(op->data);
    op = block->GetOps().data() + op->a;
    FAST_DISPATCH();

setOperand:
    current = static_cast<const Var*>(op->data);
    FAST_NEXT();

branch: {
    bool truth = false;
    if (!Truth(FAST_OPERAND_A.Followed(), truth)) goto guardFailed;
    if (truth != (op->binary != 0)) FAST_NEXT();
    link = static_cast<FastLink*>(op->data);
    goto followLink;
}

#define FAST_COMPARE_BRANCH(label, intCompare, floatTruth)                                        \
    label : {                                                                                    \
        const Var& a = FAST_OPERAND_A;                                                           \
        const Var& b = FAST_OPERAND_B;                                                           \
        const uint32_t kinds = a.GetTagWord() | b.GetTagWord() << 8;                             \
        bool truth;                                                                              \
        if (kinds == (kTagInt | kTagInt << 8)) {                                                 \
            truth = a.RawInt() intCompare b.RawInt();                                            \
        } else if (kinds == (kTagFloat | kTagFloat << 8)) {                                      \
            const float x = a.RawFloat(), y = b.RawFloat();                                      \
            truth = floatTruth;                                                                  \
        } else {                                                                                 \
            goto compareBranch;                                                                  \
        }                                                                                        \
        if (truth != (op->binary != 0)) FAST_NEXT();                                             \
        link = static_cast<FastLink*>(op->data);                                                 \
        goto followLink;                                                                         \
    }
    // The negated float comparisons are negations, as the operator table
    // makes them: a NaN compares greater.
    FAST_COMPARE_BRANCH(lessBranch, <, x < y)
    FAST_COMPARE_BRANCH(lessEqualBranch, <=, x <= y)
    FAST_COMPARE_BRANCH(greaterBranch, >, !(x <= y))
    FAST_COMPARE_BRANCH(greaterEqualBranch, >=, !(x < y))
    FAST_COMPARE_BRANCH(equalBranch, ==, x == y)
    FAST_COMPARE_BRANCH(notEqualBranch, !=, !(x == y))
#undef FAST_COMPARE_BRANCH

compareBranch: {
    const auto comparison = static_cast<FastCode>(static_cast<int>(FastCode::kLessEqual) +
                                                  (static_cast<int>(op->code) -
                                                   static_cast<int>(FastCode::kLessEqualBranch)));
    Var& result = registers_[op->dst];
    if (!GeneralBinary(comparison, result, FAST_OPERAND_A.Followed(), FAST_OPERAND_B.Followed()))
        goto guardFailed;
    const bool truth = (result.RawPosition() & 0xFF) != 0;
    if (truth != (op->binary != 0)) FAST_NEXT();
    link = static_cast<FastLink*>(op->data);
    goto followLink;
}

followLink:
    if (!link->looked) {
        link->looked = true;
        link->block = code.FastBlockAt(link->pc);
    }
    current = link->operand;
    if (link->block) {
        block = link->block;
        goto enterBlock;
    }
    return HandOverAt(frame, link->pc, current, operand);

leave:
guardFailed:
    return Leave(frame, *block, block->GetExit(op->exit), current, operand);
}

#undef FAST_DISPATCH
#undef FAST_NEXT
#undef FAST_OPERAND_A
#undef FAST_OPERAND_B

bool FastRunner::Leave(CallFrame& frame, const FastBlock& block, const FastExit& exit, const Var* current,
                       const Var*& operand) {
    if (!Flush(frame) || !MaterializeItems(frame, block.GetItems() + exit.firstItem, exit.itemCount, Here()))
        return false;
    frame.pc = exit.pc;
    operand = exit.operand ? exit.operand : current;
    return true;
}

bool FastRunner::HandOverAt(CallFrame& frame, uint32_t pc, const Var* current, const Var*& operand) {
    if (!Flush(frame)) return false;
    frame.pc = pc;
    operand = current;
    return true;
}

Var* FastRunner::PushSlot(CallFrame& frame) {
    Var* slot = frame.Push();
    if (!slot) thread_.Error(&frame, "Fatal: value stack overflow (%u values)", kMaxStackValues);
    return slot;
}

// The kept values and pins go to the frame, where the bytecode has them.
bool FastRunner::FlushHeld(CallFrame& frame) {
    // A waiting list lies below the values kept after it.
    if (pendingList_ != kNoList && !RealizeList(frame)) return false;
    for (int i = 0; i < pinCount_; ++i) frame.Pin(pins_[i]);
    for (int i = 0; i < keptCount_; ++i) {
        Var* slot = PushSlot(frame);
        if (!slot) {
            Forget();
            return false;
        }
        slot->Assign(kept_[i]);
    }
    Forget();
    return true;
}

bool FastRunner::MaterializeItems(CallFrame& frame, const FastItem* items, uint32_t count,
                                  const ItemPlaces& places) {
    for (uint32_t i = 0; i < count; ++i) {
        Var* slot = PushSlot(frame);
        if (!slot) return false;
        ItemValue(places, items[i].base, items[i].index, *slot);
    }
    return true;
}

bool FastRunner::Keep(CallFrame& frame, const FastOp& op) {
    if (keptCount_ == kMaxKept && !Flush(frame)) return false;
    SlotValue(op.aBase, op.a, kept_[keptCount_++]);
    return true;
}

// A list waits until something needs it on the frame's stack: a return
// that follows at once never makes the list it would drop.
bool FastRunner::CreateList(CallFrame& frame, const FastBlock& block, const FastOp& op) {
    const FastExit& below = block.GetExit(op.exit);
    if (!Flush(frame) || !MaterializeItems(frame, block.GetItems() + below.firstItem, below.itemCount, Here()))
        return false;
    pendingList_ = op.a;
    return true;
}

bool FastRunner::RealizeList(CallFrame& frame) {
    Var list;
    if (!MakeArguments(frame, list)) return false;
    Var* slot = PushSlot(frame);
    if (slot) slot->Exchange(list);
    return slot != nullptr;
}

bool FastRunner::MakeList(CallFrame& frame, int count, FastWindow* window) {
    Var* slot = PushSlot(frame);
    if (!slot || !FillList(*slot, count, window)) {
        if (window) DropListValues(*window);
        return false;
    }
    return true;
}

bool FastRunner::FillList(Var& holder, int count, FastWindow* window) {
    halvo::AutoRef<VarArray> array = thread_.TakeArgumentArray(count);
    if (!array) array = VarArray::CreateWithCount(count);
    if (!array) return false;
    // Every list made here is a plain VarArray: one record look-up serves.
    if (arrayRecord_) {
        holder.SetObjectOfRecord(array.Get(), arrayRecord_);
    } else {
        holder.SetObject(array.Get());
        arrayRecord_ = holder.GetRecord();
    }
    if (!window || !window->listAssigned) return true;
    for (uint32_t assigned = window->listAssigned; assigned != 0; assigned &= assigned - 1) {
        const int index = std::countr_zero(assigned);
        if (Var* element = array->GetAt(index)) element->CopyWithoutConst(window->listValues[index]);
    }
    DropListValues(*window);
    return true;
}

// The pending list made in arguments, an empty value, as a stack slot would
// hold it; a list below it and the values between go to the frame first.
bool FastRunner::MakeArguments(CallFrame& frame, Var& arguments) {
    const int count = pendingList_;
    pendingList_ = kNoList;
    if (outerList_ != kNoList) {
        const int outer = outerList_;
        outerList_ = kNoList;
        if (!MakeOuterList(frame, outer, betweenItems_, betweenCount_,
                           {registers_, pointers_, locals_, betweenConstants_})) {
            DropListValues(*window_);
            return false;
        }
    }
    if (FillList(arguments, count, window_)) return true;
    DropListValues(*window_);
    return false;
}

bool FastRunner::MakeOuterList(CallFrame& frame, int count, const FastItem* between, uint32_t betweenCount,
                               const ItemPlaces& places) {
    return MakeList(frame, count, nullptr) && MaterializeItems(frame, between, betweenCount, places);
}

void FastRunner::DropListValues(FastWindow& window) {
    for (uint32_t assigned = window.listAssigned; assigned != 0; assigned &= assigned - 1)
        MakeEmpty(window.listValues[std::countr_zero(assigned)]);
    window.listAssigned = 0;
}

FastRunner::FastRunner(Thread& thread, ScriptVM& vm, FastCallHost& host)
    : thread_(thread),
      vm_(vm),
      host_(host),
      windows_(thread.GetFastWindows()),
      // Every call level a run may reach, and the run's own.
      firstWindow_(windows_.Claim(kMaxCallDepth + 1)) {}

FastRunner::~FastRunner() { windows_.GiveBack(firstWindow_); }

FastWindow& FastRunner::FirstEntry(size_t level) {
    FastWindow& window = windows_.At(firstWindow_ + level);
    levels_[level + 1] = &window;
    return window;
}

FastRunner::CallOutcome FastRunner::Call(CallFrame& frame, const FastOp& op) {
    calledScript_ = false;
    if (pendingList_ != kNoList && !vm_.GetDebugHandler()) {
        BinCode* function = ToBinCode(pointers_[op.a]->Followed());
        if (function && thread_.GetDepth() + 1 < kMaxCallDepth && CanCallDirectly(frame))
            return CallDirectly(frame, op, *function);
    }
    // Anything but a block may look at the stacks: the lists owed below
    // are made first.
    if (owedLevels_ > 0 && !SettleOwed()) return CallOutcome::kFailed;
    if (pendingList_ != kNoList && !vm_.GetDebugHandler()) {
        const Var& callee = pointers_[op.a]->Followed();
        detail::function_adapter* adapter = callee.GetTag() == kTagBind ? callee.GetBind() : nullptr;
        if (adapter) return CallNative(frame, op, *adapter);
    }
    if (pendingList_ != kNoList && !RealizeList(frame)) return CallOutcome::kFailed;
    if (frame.GetCount() == 0 || vm_.GetDebugHandler()) return CallOutcome::kNotHere;
    const Var& callee = pointers_[op.a]->Followed();
    if (callee.GetTag() == kTagBind) {
        detail::function_adapter* adapter = callee.GetBind();
        return adapter ? CallNative(frame, op, *adapter) : CallOutcome::kNotHere;
    }
    BinCode* function = ToBinCode(callee);
    if (!function || thread_.GetDepth() + 1 >= kMaxCallDepth) return CallOutcome::kNotHere;
    calledScript_ = true;
    return CallScript(frame, op, *function);
}

// What the interpreter does for a native call, on the list on top of the
// frame's stack.
FastRunner::CallOutcome FastRunner::CallNative(CallFrame& frame, const FastOp& op,
                                               detail::function_adapter& adapter) {
    Var arguments;
    // The native finds the list's slot on the stack, as the interpreter
    // leaves it, with the list moved out to the call: a list not made yet
    // goes straight to the call and an empty slot stands in for it.
    const bool listWaits = pendingList_ != kNoList;
    if (listWaits && !MakeArguments(frame, arguments)) return CallOutcome::kFailed;
    if (!Flush(frame)) return CallOutcome::kFailed;
    if (listWaits && !PushSlot(frame)) return CallOutcome::kFailed;
    const uint32_t listSlot = frame.GetCount() - 1;
    if (!listWaits) arguments.Exchange(frame.Top());
    t_Interface call;
    call.thread = &thread_;
    call.count = arguments.GetCount();
    call.args = &arguments;
    Var result;
    adapter.Call(&result, call);
    // Taken back, the result goes straight to its register, as it would
    // from the stack slot it skips.
    const bool goOn = MayGoOnAfterCall(frame, op, result, listSlot);
    if (goOn) {
        registers_[op.dst].CopyWithoutConst(result);
        frame.Truncate(listSlot - op.b);
    } else {
        Var* slot = frame.CallResultSlot(listSlot, thread_.GetCurrentFrame() == &frame);
        if (!slot) {
            thread_.Error(&frame, "Fatal: value stack overflow (%u values)", kMaxStackValues);
            return CallOutcome::kFailed;
        }
        slot->CopyWithoutConst(result);
    }
    thread_.KeepArgumentArray(arguments);
    return goOn ? CallOutcome::kGoOn : CallOutcome::kHandOver;
}

// The call the interpreter makes, with the callee run nested on the
// interpreter: the frame's stack holds the list and the callee reference as
// the bytecode leaves them, and the callee's return delivers its result
// there. The block's registers wait in their window meanwhile.
FastRunner::CallOutcome FastRunner::CallScript(CallFrame& frame, const FastOp& op, BinCode& function) {
    halvo::AutoRef<BinCode> keep(&function);
    if (!Flush(frame)) return CallOutcome::kFailed;
    Var* slot = PushSlot(frame);
    if (!slot) return CallOutcome::kFailed;
    slot->SetReference(pointers_[op.a]);
    thread_.PushFrame(&function);
    // The callee's return stops at this frame, where the block goes on.
    const bool wasEnteredFromNative = frame.enteredFromNative;
    frame.enteredFromNative = true;
    Var* const savedLocals = locals_;
    const int savedLocalCount = localCount_;
    const Var* const savedConstants = constants_;
    const size_t level = level_;
    EnterWindow(level + 1);
    const bool ran = host_.RunCallee(false);
    EnterWindow(level);
    locals_ = savedLocals;
    localCount_ = savedLocalCount;
    constants_ = savedConstants;
    Forget();
    calledScript_ = true;
    if (!ran) return CallOutcome::kFailed;
    if (thread_.GetState() != kThreadReturned) {
        // Stopped inside: the callee's later return goes on in the bytecode.
        frame.enteredFromNative = wasEnteredFromNative;
        return CallOutcome::kHandOver;
    }
    frame.enteredFromNative = wasEnteredFromNative;
    thread_.SetState(kThreadRunning);
    return TakeBackResult(frame, op) ? CallOutcome::kGoOn : CallOutcome::kHandOver;
}

bool FastRunner::CanCallDirectly(const CallFrame& frame) const {
    return pendingList_ <= kMaxHeldElements && keptCount_ == 0 && pinCount_ <= kMaxOwedPins &&
           // The owed list and callee slot must fit when they are made.
           frame.GetCount() + 2 < kMaxStackValues;
}

// The callee's frame holds the function while it runs; nothing here uses
// it after the frame is gone.
FastRunner::CallOutcome FastRunner::CallDirectly(CallFrame& frame, const FastOp& op, BinCode& function) {
    calledScript_ = true;
    OwedCall& owed = window_->owed;
    owed.caller = &frame;
    owed.count = pendingList_;
    owed.outerCount = outerList_;
    owed.betweenItems = betweenItems_;
    owed.betweenCount = betweenCount_;
    owed.betweenConstants = betweenConstants_;
    owed.calleeVariable = pointers_[op.a];
    owed.pinCount = pinCount_;
    std::copy_n(pins_.begin(), pinCount_, owed.pins.begin());
    pendingList_ = kNoList;
    outerList_ = kNoList;
    pinCount_ = 0;
    const size_t level = level_;
    owedLevels_ = std::max(owedLevels_, level + 1);
    thread_.PushFrame(&function);
    CallFrame& callee = *thread_.GetCurrentFrame();
    owed.callee = &callee;
    // What entering the frame on the bytecode leaves for line tracking.
    callee.entryLinePending = true;
    callee.entryPc = 0;
    // The callee's return stops at this frame, where the block goes on.
    const bool wasEnteredFromNative = frame.enteredFromNative;
    frame.enteredFromNative = true;
    Var* const savedLocals = locals_;
    const int savedLocalCount = localCount_;
    const Var* const savedConstants = constants_;
    EnterWindow(level + 1);
    DecodedCode* code = nullptr;
    FastBlock* entry = EntryBlock(callee, code);
    returnedUnseen_ = false;
    bool ran = !entry || Run(callee, *code, *entry, *operandSlot_);
    const bool returnedUnseen = ran && returnedUnseen_;
    returnedUnseen_ = false;
    if (!returnedUnseen) {
        const bool backHere =
            ran && thread_.GetState() == kThreadReturned && thread_.GetCurrentFrame() == &frame;
        // The bytecode runs the callee from here, or an error ends the run:
        // what the calls owe their callers' stacks is made now.
        const bool settled = SettleOwed();
        ran = ran && settled;
        if (ran && !backHere) ran = host_.RunCallee(entry != nullptr);
    }
    EnterWindow(level);
    locals_ = savedLocals;
    localCount_ = savedLocalCount;
    constants_ = savedConstants;
    frame.enteredFromNative = wasEnteredFromNative;
    calledScript_ = true;
    if (returnedUnseen) return TakeOwedResult(frame, op);
    Forget();
    if (!ran) return CallOutcome::kFailed;
    if (thread_.GetState() != kThreadReturned) return CallOutcome::kHandOver;
    thread_.SetState(kThreadRunning);
    return TakeBackResult(frame, op) ? CallOutcome::kGoOn : CallOutcome::kHandOver;
}

FastBlock* FastRunner::EntryBlock(CallFrame& callee, DecodedCode*& code) {
    VarBinary* binary = callee.GetCode();
    if (!binary) return nullptr;
    const Vocabulary* vocabulary = callee.GetVocabulary();
    code = binary->GetDecoded();
    if (!code || !code->Matches(vocabulary)) code = &binary->Decoded(vocabulary);
    return code->EntryBlock();
}

FastRunner::CallOutcome FastRunner::TakeOwedResult(CallFrame& frame, const FastOp& op) {
    OwedCall& owed = window_->owed;
    const Var& result = thread_.GetValue();
    if (!IsPlainNumberTag(result.GetTag())) {
        // The bytecode goes on with the result where the call leaves it:
        // in the list's slot, the list made and let go as on delivery.
        const bool made = SettleCall(level_);
        Forget();
        if (!made) return CallOutcome::kFailed;
        thread_.DeliverResult(frame, result);
        return CallOutcome::kHandOver;
    }
    owed.caller = nullptr;
    // The callee's return left nothing held: only the list's elements go.
    if (window_->listAssigned) DropListValues(*window_);
    // The statement's pins and the list below wait here again, as if the
    // call had not been; values between that went to the frame come back.
    std::copy_n(owed.pins.begin(), owed.pinCount, pins_.begin());
    pinCount_ = owed.pinCount;
    registers_[op.dst].CopyWithoutConst(result);
    if (owed.outerCount != kNoList) {
        pendingList_ = owed.outerCount;
    } else {
        frame.Truncate(frame.GetCount() - op.b);
    }
    return CallOutcome::kGoOn;
}

bool FastRunner::SettleOwed() {
    bool settled = true;
    for (size_t level = 0; level < owedLevels_; ++level)
        if (!SettleCall(level)) settled = false;
    owedLevels_ = 0;
    return settled;
}

// What the call would have left on the caller's stack: the list, the pins
// and the callee slot, in that order.
bool FastRunner::SettleCall(size_t level) {
    FastWindow& window = WindowAt(level);
    OwedCall& owed = window.owed;
    CallFrame* caller = owed.caller;
    if (!caller) return true;
    owed.caller = nullptr;
    if (owed.outerCount != kNoList) {
        VarTable& locals = caller->GetLocals();
        const ItemPlaces places{window.registers.data(), window.pointers.data(),
                                locals.GetCount() > 0 ? locals.At(0) : nullptr, owed.betweenConstants};
        if (!MakeOuterList(*caller, owed.outerCount, owed.betweenItems, owed.betweenCount, places)) {
            DropListValues(window);
            return false;
        }
    }
    if (!MakeList(*caller, owed.count, &window)) return false;
    for (int i = 0; i < owed.pinCount; ++i) caller->Pin(owed.pins[i]);
    Var* slot = PushSlot(*caller);
    if (!slot) return false;
    slot->SetReference(owed.calleeVariable);
    return true;
}

// What the parameter copy does when every argument is a number of its
// parameter's own kind and every parameter gets one; anything else is left
// to the instruction, which may redo the copies made here.
bool FastRunner::CopyParameters(CallFrame& frame) {
    const uint32_t depth = thread_.GetDepth();
    CallFrame* caller = depth > 0 ? thread_.GetFrame(depth - 1) : nullptr;
    if (!caller || caller->GetCount() < 2) return false;
    const Var& arguments = caller->At(caller->GetCount() - 2);
    VarExtension* object = arguments.GetTag() == kTagObject ? arguments.GetObject() : nullptr;
    if (!object || object->GetClassInfo() != &VarArray::kClassRecord) return false;
    auto* list = static_cast<VarArray*>(object);
    const int parameters = frame.GetFunction()->GetParamCount();
    const int passed = list->GetCount();
    if (passed != parameters || parameters > localCount_) return false;
    for (int i = 0; i < passed; ++i) {
        const Var* argument = list->GetAt(i);
        if (!argument || !AssignParameterNumber(locals_[i], *argument)) return false;
    }
    return true;
}

// The same, from the elements the caller's owed list would hold.
bool FastRunner::CopyOwedParameters(CallFrame& frame) {
    const int parameters = frame.GetFunction()->GetParamCount();
    if (callerWindow_->owed.count != parameters || parameters > localCount_ ||
        callerWindow_->listAssigned != (1u << parameters) - 1)
        return false;
    for (int i = 0; i < parameters; ++i)
        if (!AssignParameterNumber(locals_[i], callerWindow_->listValues[i])) return false;
    return true;
}

FastCallHost::ReturnOutcome FastRunner::Return(CallFrame& frame, const Var& value) {
    // A list with elements is what the instruction returns from.
    if (!IsPlainNumberTag(value.GetTag()) || window_->listAssigned || outerList_ != kNoList)
        return FastCallHost::ReturnOutcome::kRefused;
    // The return list nobody saw is never made: leaving the frame would
    // drop it unread. Refused, the instruction gets it after all.
    const int pending = pendingList_;
    pendingList_ = kNoList;
    if (!Flush(frame)) return FastCallHost::ReturnOutcome::kFailed;
    Var result;
    result.CopyWithoutConst(value);
    const bool owedByCaller = OwedBy(frame);
    const FastCallHost::ReturnOutcome outcome = owedByCaller && !vm_.GetDebugHandler()
                                                    ? ReturnUnseen(frame, result)
                                                    : host_.ReturnNumber(frame, result, !owedByCaller);
    if (outcome == FastCallHost::ReturnOutcome::kRefused) pendingList_ = pending;
    return outcome;
}

// What the return instruction does, but for the delivery: the caller's
// stack has no list to take the result. Nothing but blocks ran since the
// call, so no debug handler watches.
FastCallHost::ReturnOutcome FastRunner::ReturnUnseen(CallFrame& frame, const Var& result) {
    Var& value = thread_.EmptyReturnValue(*frame.GetFunction());
    if (!value.AssignTyped(result)) return FastCallHost::ReturnOutcome::kRefused;
    thread_.DropValues(frame);
    thread_.PopFrame();
    // The callee's operand goes on in the caller, and must outlive the
    // callee's decoding.
    Var& held = host_.HeldOperand();
    if (*operandSlot_ != &held) {
        held.Assign(**operandSlot_);
        *operandSlot_ = &held;
    }
    returnedUnseen_ = true;
    return FastCallHost::ReturnOutcome::kReturned;
}

bool FastRunner::TakeBackResult(CallFrame& frame, const FastOp& op) {
    if (!StillHere(frame) || frame.GetCount() < op.b + 1u) return false;
    const Var& result = frame.Top();
    if (!IsPlainNumberTag(result.GetTag())) return false;
    registers_[op.dst].CopyWithoutConst(result);
    frame.Truncate(frame.GetCount() - op.b - 1);
    return true;
}

// The run goes on in the block only when the call left the thread running
// here, as quick as before, with a number result and the values below the
// list still on the stack.
bool FastRunner::MayGoOnAfterCall(CallFrame& frame, const FastOp& op, const Var& result, uint32_t listSlot) {
    if (thread_.GetState() == kThreadReturned) thread_.SetState(kThreadRunning);
    CallFrame* current = thread_.GetCurrentFrame();
    if (!current || !current->GetFunction()) {
        thread_.SetState(kThreadReturned);
        return false;
    }
    return StillHere(frame) && IsPlainNumberTag(result.GetTag()) && frame.GetCount() > listSlot &&
           listSlot >= op.b;
}

// After a call: the thread runs on in this frame on the quick loop, with
// its locals where the block found them.
bool FastRunner::StillHere(CallFrame& frame) const {
    if (thread_.GetCurrentFrame() != &frame || thread_.GetState() != kThreadRunning) return false;
    if (vm_.GetDebugHandler() || vm_.IsStepLimited()) return false;
    VarTable& locals = frame.GetLocals();
    return locals.GetCount() == localCount_ && (localCount_ == 0 || locals.At(0) == locals_);
}

// Past the elements a waiting list holds: the list is made first.
bool FastRunner::AssignElement(CallFrame& frame, const FastOp& op) {
    if (pendingList_ != kNoList && !RealizeList(frame)) return false;
    if (frame.GetCount() == 0) return false;
    Var& list = frame.Top();
    VarExtension* object = list.GetTag() == kTagObject ? list.GetObject() : nullptr;
    if (!object || object->GetClassInfo() != &VarArray::kClassRecord) return false;
    Var* element = static_cast<VarArray*>(object)->GetAt(op.b);
    if (!element) return false;
    Var value;
    SlotValue(op.aBase, op.a, value);
    element->CopyWithoutConst(value);
    return true;
}

bool FastRunner::PinAfterFlush(CallFrame& frame, VarExtension* container) {
    if (!Flush(frame)) return false;
    pins_[pinCount_++] = container;
    return true;
}

}  // namespace Vrel

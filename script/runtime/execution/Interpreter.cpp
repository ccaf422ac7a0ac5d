#include "script/runtime/execution/Interpreter.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/DecodedCode.h"
#include "script/runtime/execution/FastRunner.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/values/Op.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/execution/Operand.h"
#include "script/runtime/values/PlainNumbers.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace Vrel {

namespace {

constexpr uint32_t kUnlinkedJump = 0xFFFFFFFFu;
constexpr uint32_t kSwitchEntrySize = 5;

uint32_t ReadLittleEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ApplyCompound(int opcode, Var& target, const Var& value) {
    switch (opcode) {
        case kOpAssign: return target.AssignTyped(value);
        case kOpMulAssign: return Op::Mul(target, value);
        case kOpDivAssign: return Op::Div(target, value);
        case kOpModAssign: return Op::Mod(target, value);
        case kOpAddAssign: return Op::Add(target, value);
        case kOpSubAssign: return Op::Sub(target, value);
        case kOpShiftRightAssign: return Op::ShiftRight(target, value);
        case kOpShiftLeftAssign: return Op::ShiftLeft(target, value);
        case kOpAndAssign: return Op::And(target, value);
        case kOpXorAssign: return Op::Xor(target, value);
        case kOpOrAssign: return Op::Or(target, value);
        default: return false;
    }
}

// Two ints or two floats, the operands of nearly every operator a loop
// runs: the result as the operator table gives it, in left. False leaves
// the general path to decide (division, mixed kinds, objects).
// Whether FastBinary answers opcode on two values of tag.
bool FastBinaryHandles(uint8_t opcode, uint32_t tag) {
    if (tag == kTagInt) return opcode >= kOpMul && opcode <= kOpBitOr && opcode != kOpDiv && opcode != kOpMod;
    if (tag == kTagFloat)
        return opcode == kOpMul || opcode == kOpDiv || opcode == kOpAdd || opcode == kOpSub ||
               (opcode >= kOpLessEqual && opcode <= kOpNotEqual);
    return false;
}

bool FastBinary(uint8_t opcode, Var& left, const Var& right) {
    const uint32_t tag = left.GetTag();
    if (tag != right.GetTag()) return false;
    if (tag == kTagInt) {
        const uint32_t x = static_cast<uint32_t>(left.RawInt());
        const uint32_t y = static_cast<uint32_t>(right.RawInt());
        const int32_t sx = left.RawInt(), sy = right.RawInt();
        switch (opcode) {
            case kOpMul: left.SetInt(static_cast<int32_t>(x * y)); return true;
            case kOpAdd: left.SetInt(static_cast<int32_t>(x + y)); return true;
            case kOpSub: left.SetInt(static_cast<int32_t>(x - y)); return true;
            case kOpShiftLeft: left.SetInt(static_cast<int32_t>(x << (y & 31))); return true;
            case kOpShiftRight: left.SetInt(sx >> (y & 31)); return true;
            case kOpLessEqual: left.SetBool(sx <= sy); return true;
            case kOpLess: left.SetBool(sx < sy); return true;
            case kOpGreaterEqual: left.SetBool(sx >= sy); return true;
            case kOpGreater: left.SetBool(sx > sy); return true;
            case kOpEqual: left.SetBool(sx == sy); return true;
            case kOpNotEqual: left.SetBool(sx != sy); return true;
            case kOpBitAnd: left.SetInt(sx & sy); return true;
            case kOpBitXor: left.SetInt(sx ^ sy); return true;
            case kOpBitOr: left.SetInt(sx | sy); return true;
            default: return false;
        }
    }
    if (tag == kTagFloat) {
        const float x = left.RawFloat(), y = right.RawFloat();
        // The negated comparisons are negations, as the operator table
        // makes them: a NaN compares greater.
        switch (opcode) {
            case kOpMul: left.SetFloat(x * y); return true;
            case kOpDiv: left.SetFloat(x / y); return true;
            case kOpAdd: left.SetFloat(x + y); return true;
            case kOpSub: left.SetFloat(x - y); return true;
            case kOpLessEqual: left.SetBool(x <= y); return true;
            case kOpLess: left.SetBool(x < y); return true;
            case kOpGreaterEqual: left.SetBool(!(x < y)); return true;
            case kOpGreater: left.SetBool(!(x <= y)); return true;
            case kOpEqual: left.SetBool(x == y); return true;
            case kOpNotEqual: left.SetBool(!(x == y)); return true;
            default: return false;
        }
    }
    return false;
}

// Arrays may hold themselves, or one array many times: a walk over what
// they hold is bounded by the elements it may visit, or a few nested
// self-holding arrays would take forever. Past the bound nothing more is
// looked at.
constexpr int kMaxDetachVisits = 1 << 16;

bool HoldsReferences(const Var& value, int depth, int& visits) {
    VarArray* array = ToVarArray(value);
    if (!array || depth >= kMaxDeclarationDepth) return false;
    for (int i = 0; i < array->GetCount(); ++i) {
        if (--visits < 0) return false;
        const Var& element = *array->GetAt(i);
        if (element.GetTag() == kTagReference || HoldsReferences(element, depth + 1, visits)) return true;
    }
    return false;
}

// Argument arrays hold references to variables (natives need lvalues). An
// array that outlives its statement, stored or returned, gets a copy that
// holds the values instead: the variables may die first.
void DetachReferences(Var& value, int depth, int& visits) {
    if (!HoldsReferences(value, depth, visits)) return;
    VarArray* array = ToVarArray(value);
    halvo::AutoRef<VarArray> copy(VarArray::CreateWithCount(array->GetCount()));
    for (int i = 0; i < array->GetCount(); ++i) {
        Var* element = copy->GetAt(i);
        element->CopyWithoutConst(array->GetAt(i)->Followed());
        DetachReferences(*element, depth + 1, visits);
    }
    value.SetObject(copy.Get());
}

void DetachReferences(Var& value, int depth = 0) {
    int visits = kMaxDetachVisits;
    DetachReferences(value, depth, visits);
}

// "s += text" on a string no one else holds grows it where it is: the
// variable would get a new string of the same text, and nothing could tell
// the two apart. The record is set as storing a new string would set it.
bool AppendInPlace(Var& target, const Var& value) {
    if (target.GetTag() != kTagObject) return false;
    VarExtension* object = target.GetObject();
    if (!object || object->GetClassInfo() != &VarString::kClassRecord || object->GetRefCount() != 1) return false;
    const Var& right = Op::Operand(value);
    if (right.GetTag() == kTagObject && right.GetObject() == object) return false;
    if (const char* tail = right.GetCString()) static_cast<VarString*>(object)->Append(tail);
    target.SetObject(object);
    return true;
}

// What push var took off the stack, from the top down.
struct VariablePath {
    const char* name = nullptr;
    int slot = -1;
    bool indexed = false;
    int index = 0;
    const char* member = nullptr;
    const char* module = nullptr;
    uint32_t consumed = 0;
};

class Interpreter : public FastCallHost {
public:
    explicit Interpreter(Thread& thread) : thread_(thread), vm_(thread.GetVM()), fast_(thread, vm_, *this) {}
    bool Run();

private:
    // The frames from the current one on, until the thread stops running
    // or runs off the end of a function's code.
    // leftBlock: a compiled block just handed over at the frame's pc.
    bool RunFrames(bool leftBlock = false);
    bool RunCallee(bool resumed) override;
    ReturnOutcome ReturnNumber(CallFrame& frame, const Var& result, bool deliver) override;
    // Runs instructions while no debug handler watches and no step limit
    // counts them: the loop the game and the tools without a debugger use.
    // True when the careful loop should take over (or the run is over).
    bool RunQuick(bool leftBlock);
    bool QuickBinary(uint8_t opcode);
    bool QuickAssign();
    bool QuickPostfix(int step);
    bool QuickCondition(bool& condition);
    bool FusedBinary(uint8_t opcode, const Var& right);
    bool RunFused(DecodedInstruction& instruction, DecodedInstruction*& jumpTo);
    // The decoded entry at `position`, remembered in `link` after the first
    // look-up; null past the end of the code, with the frame's pc left there.
    inline DecodedInstruction* Follow(DecodedInstruction*& link, uint32_t position);
    bool PushUnfused(DecodedInstruction& instruction);
    // resumed: the frame was entered before, by a compiled block.
    bool EnterCurrentFrame(bool resumed = false);
    void TrackLine();
    void SettleEntryLine(CallFrame& frame);
    bool Step(uint8_t opcode);
    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool FailAt(const CallFrame& frame, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool Push(const Var& value);
    bool StepLimitReached() { return Fail("Fatal: execution step limit reached"); }
    // Under a step limit, large results cost steps by their size, so that
    // the limit bounds memory as well as time.
    bool ChargeSize(const Var& result);

    bool PushVar();
    bool ReadPath(int flags, VariablePath& path);
    // Null with failed set when a message was reported already.
    Var* Resolve(const VariablePath& path, bool& failed);
    // How messages name the variable of a path.
    static std::string Describe(const VariablePath& path);
    bool QuickPushName(DecodedInstruction& instruction);
    bool QuickPushMember(DecodedInstruction& instruction);
    Var* SelectMember(Var* variable, const VariablePath& path);
    bool Unary(uint8_t opcode);
    bool Postfix(uint8_t opcode);
    bool Binary(uint8_t opcode);
    bool AssignTo(uint8_t opcode);
    bool ArrayCreate();
    bool ArrayAssign();
    bool Jump(uint8_t opcode);
    bool Switch();
    bool ReadCaseValue(uint32_t entry, uint32_t& caseEnd, Var& caseValue);
    bool Call();
    bool CallNative(detail::function_adapter* adapter);
    bool Return(uint8_t opcode);
    bool DeliverResult(const Var& result);
    // Leaves frame, the current one; the interpreter may be on another
    // frame when a block runs frame nested.
    bool LeaveFrame(CallFrame& frame);
    // The current operand, copied where it outlives the decoding it came
    // from.
    void HoldOperand();
    bool ParamCopy();

    Thread& thread_;
    ScriptVM& vm_;
    FastRunner fast_;
    CallFrame* frame_ = nullptr;
    const uint8_t* code_ = nullptr;
    uint32_t size_ = 0;
    DecodedCode* decoded_ = nullptr;
    // The current operand: an entry of the decoded code, or HeldOperand()
    // once the frame it came from is left. Operand types that are no value
    // types leave the previous one in place.
    const Var* operand_ = &HeldOperand();
    // The record of a plain VarArray, once a look-up found one; records are
    // never removed, so it stays right for the run.
    const TypeRecord* arrayRecord_ = nullptr;
};

bool Interpreter::Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    thread_.ErrorV(frame_, format, args);
    va_end(args);
    return false;
}

bool Interpreter::FailAt(const CallFrame& frame, const char* format, ...) {
    va_list args;
    va_start(args, format);
    thread_.ErrorV(&frame, format, args);
    va_end(args);
    return false;
}

bool Interpreter::Push(const Var& value) {
    Var* slot = frame_->Push();
    if (!slot) return Fail("Fatal: value stack overflow (%u values)", kMaxStackValues);
    slot->CopyWithoutConst(value);
    return true;
}

bool Interpreter::ChargeSize(const Var& result) {
    if (!vm_.IsStepLimited()) return true;
    const char* text = result.GetCString();
    uint64_t size = text ? std::strlen(text) : static_cast<uint64_t>(result.GetCount());
    return vm_.TakeSteps(size / 1024) || StepLimitReached();
}

bool Interpreter::Run() {
    thread_.SetState(kThreadRunning);
    CallFrame* frame = thread_.GetCurrentFrame();
    if (!frame || !frame->GetFunction()) {
        // Nothing to run: a thread woken after its last return.
        thread_.SetState(kThreadIdle);
        return true;
    }
    if (!EnterCurrentFrame()) return false;
    return RunFrames();
}

bool Interpreter::RunFrames(bool leftBlock) {
    while (thread_.GetState() == kThreadRunning && frame_->pc < size_) {
        if (!vm_.GetDebugHandler() && !vm_.IsStepLimited()) {
            if (!RunQuick(leftBlock)) return false;
            leftBlock = false;
            continue;
        }
        leftBlock = false;
        if (vm_.GetDebugHandler()) {
            TrackLine();
            if (thread_.GetState() != kThreadRunning) break;
        }
        frame_->instructionStart = frame_->pc;
        if (!vm_.TakeSteps(1)) return StepLimitReached();
        const DecodedInstruction& instruction = decoded_->At(frame_->pc);
        frame_->pc = instruction.next;
        if (instruction.kind == OperandKind::kValue) {
            operand_ = &instruction.operand;
        } else if (instruction.kind == OperandKind::kBroken) {
            return Fail("Fatal: incomplete operand of '%s'", GetCommandName(instruction.opcode));
        }
        if (!Step(instruction.opcode)) return false;
    }
    return true;
}

bool Interpreter::RunCallee(bool resumed) {
    CallFrame* const caller = frame_;
    const uint8_t* const callerCode = code_;
    const uint32_t callerSize = size_;
    DecodedCode* const callerDecoded = decoded_;
    const bool ran = EnterCurrentFrame(resumed) && RunFrames(resumed);
    // The operand must outlive the callee's decoding, as on any return.
    HoldOperand();
    frame_ = caller;
    code_ = callerCode;
    size_ = callerSize;
    decoded_ = callerDecoded;
    return ran;
}

bool Interpreter::RunQuick(bool leftBlock) {
    DecodedInstruction* instruction = &decoded_->Linked(frame_->pc);
    // After a compiled block hands over, the instruction it stopped at runs
    // here once, or the block would take it back at once.
    bool justLeftBlock = leftBlock;
    for (;;) {
        if (!justLeftBlock && (!instruction->fastTried || instruction->fastBlock)) {
            if (FastBlock* block = decoded_->FastBlockAt(*instruction)) {
                if (!fast_.Run(*frame_, *decoded_, *block, operand_)) return false;
                // A native the block called may have changed the thread.
                if (thread_.GetCurrentFrame() != frame_) return thread_.GetState() != kThreadRunning || EnterCurrentFrame();
                if (thread_.GetState() != kThreadRunning || vm_.GetDebugHandler() || vm_.IsStepLimited()) return true;
                if (frame_->pc >= size_) return true;
                instruction = &decoded_->Linked(frame_->pc);
                justLeftBlock = true;
                continue;
            }
        }
        justLeftBlock = false;
        bool quick = false;
        DecodedInstruction* jumpTo = nullptr;
        switch (instruction->form) {
            case QuickForm::kPushLocal: {
                Var* local = frame_->GetLocals().At(instruction->slot);
                Var* slot = local ? frame_->Push() : nullptr;
                if (slot) {
                    slot->SetReference(local);
                    operand_ = instruction->lastOperand;
                    quick = true;
                }
                break;
            }
            case QuickForm::kPushNumber:
                if (Var* slot = frame_->Push()) {
                    operand_ = &instruction->operand;
                    slot->CopyWithoutConst(instruction->operand);
                    quick = true;
                }
                break;
            case QuickForm::kPushName: quick = QuickPushName(*instruction); break;
            case QuickForm::kPushMember: quick = QuickPushMember(*instruction); break;
            case QuickForm::kBinary: quick = QuickBinary(instruction->opcode); break;
            case QuickForm::kAssign: quick = QuickAssign(); break;
            case QuickForm::kEndOfStatement:
                frame_->EndStatement();
                quick = true;
                break;
            case QuickForm::kPostIncrement: quick = QuickPostfix(1); break;
            case QuickForm::kPostDecrement: quick = QuickPostfix(-1); break;
            case QuickForm::kJump:
                operand_ = &instruction->operand;
                jumpTo = instruction;
                quick = true;
                break;
            case QuickForm::kNumberBinary:
            case QuickForm::kLocalBinary:
            case QuickForm::kNumberCompareJump:
                if (RunFused(*instruction, jumpTo)) {
                    quick = true;
                    break;
                }
                if (!PushUnfused(*instruction)) break;
                instruction = Follow(instruction->plainFollower, instruction->plainNext);
                if (!instruction) return true;
                continue;
            case QuickForm::kJumpFalse:
            case QuickForm::kJumpTrue: {
                bool condition = false;
                if (!QuickCondition(condition)) break;
                operand_ = &instruction->operand;
                if (condition == (instruction->form == QuickForm::kJumpTrue)) jumpTo = instruction;
                quick = true;
                break;
            }
            default: break;
        }
        if (jumpTo) {
            instruction = Follow(jumpTo->jumpTarget, jumpTo->operand.RawPosition());
            if (!instruction) return true;
            continue;
        }
        if (quick) {
            instruction = Follow(instruction->quickFollower, instruction->quickNext);
            if (!instruction) return true;
            continue;
        }
        frame_->instructionStart = instruction->pc;
        frame_->pc = instruction->next;
        if (instruction->kind == OperandKind::kValue) {
            operand_ = &instruction->operand;
        } else if (instruction->kind == OperandKind::kBroken) {
            return Fail("Fatal: incomplete operand of '%s'", GetCommandName(instruction->opcode));
        }
        if (!Step(instruction->opcode)) return false;
        if (thread_.GetState() != kThreadRunning || vm_.GetDebugHandler() || vm_.IsStepLimited()) return true;
        if (frame_->pc >= size_) return true;
        instruction = &decoded_->Linked(frame_->pc);
    }
}

bool Interpreter::QuickBinary(uint8_t opcode) {
    const uint32_t count = frame_->GetCount();
    if (count < 2) return false;
    Var& left = frame_->At(count - 2);
    if (left.GetTag() == kTagReference) left.CopyWithoutConst(left.Followed());
    if (!FastBinary(opcode, left, frame_->At(count - 1).Followed())) return false;
    frame_->Pop();
    return true;
}

bool Interpreter::QuickAssign() {
    const uint32_t count = frame_->GetCount();
    if (count < 2) return false;
    Var* target = frame_->At(count - 2).GetReferenced();
    if (!target || !AssignNumber(*target, frame_->At(count - 1).Followed())) return false;
    frame_->Pop();
    return true;
}

bool Interpreter::QuickPostfix(int step) {
    if (frame_->GetCount() == 0) return false;
    Var& top = frame_->Top();
    Var* variable = top.GetReferenced();
    if (!variable) return false;
    Var& target = variable->Followed();
    if (variable->HasConstFlag() || target.HasConstFlag() || target.GetTag() != kTagInt) return false;
    top.CopyWithoutConst(target);
    return target.Increment(step);
}

// The top of the stack op right, in place, when FastBinary takes the pair;
// nothing changes otherwise.
bool Interpreter::FusedBinary(uint8_t opcode, const Var& right) {
    if (frame_->GetCount() == 0) return false;
    Var& left = frame_->Top();
    const Var& value = left.Followed();
    if (value.GetTag() != right.GetTag() || !FastBinaryHandles(opcode, value.GetTag())) return false;
    if (&value != &left) left.CopyWithoutConst(value);
    return FastBinary(opcode, left, right);
}

// A fused push, operator (and jump) as one step; false, with nothing
// changed, when the values need the separate steps.
DecodedInstruction* Interpreter::Follow(DecodedInstruction*& link, uint32_t position) {
    if (link) return link;
    if (position >= size_) {
        frame_->pc = position;
        return nullptr;
    }
    link = &decoded_->Linked(position);
    return link;
}

bool Interpreter::RunFused(DecodedInstruction& instruction, DecodedInstruction*& jumpTo) {
    if (instruction.form == QuickForm::kLocalBinary) {
        const Var* local = frame_->GetLocals().At(instruction.slot);
        if (!local || !FusedBinary(instruction.fusedOpcode, local->Followed())) return false;
        operand_ = instruction.lastOperand;
        return true;
    }
    if (!FusedBinary(instruction.fusedOpcode, instruction.operand)) return false;
    if (instruction.form == QuickForm::kNumberBinary) {
        operand_ = &instruction.operand;
        return true;
    }
    // The comparison left a bool on top: the jump takes it.
    const bool condition = (frame_->Top().RawPosition() & 0xFF) != 0;
    frame_->Pop();
    DecodedInstruction* jump = instruction.fusedJump;
    operand_ = &jump->operand;
    if (condition == (jump->form == QuickForm::kJumpTrue)) jumpTo = jump;
    return true;
}

// The push of a fused form on its own, as its unfused form runs it.
bool Interpreter::PushUnfused(DecodedInstruction& instruction) {
    if (instruction.form == QuickForm::kLocalBinary) {
        Var* local = frame_->GetLocals().At(instruction.slot);
        Var* slot = local ? frame_->Push() : nullptr;
        if (!slot) return false;
        slot->SetReference(local);
        operand_ = instruction.lastOperand;
        return true;
    }
    Var* slot = frame_->Push();
    if (!slot) return false;
    operand_ = &instruction.operand;
    slot->CopyWithoutConst(instruction.operand);
    return true;
}

bool Interpreter::QuickCondition(bool& condition) {
    if (frame_->GetCount() == 0) return false;
    const Var& top = frame_->Top();
    if (top.GetTag() != kTagBool) return false;
    condition = (top.RawPosition() & 0xFF) != 0;
    frame_->Pop();
    return true;
}

void Interpreter::HoldOperand() {
    Var& held = HeldOperand();
    if (operand_ == &held) return;
    held.Assign(*operand_);
    operand_ = &held;
}

bool Interpreter::EnterCurrentFrame(bool resumed) {
    frame_ = thread_.GetCurrentFrame();
    VarBinary* code = frame_ ? frame_->GetCode() : nullptr;
    if (!code) {
        code_ = nullptr;
        size_ = 0;
        return Fail("No code specified for executing");
    }
    code_ = code->GetBytes();
    size_ = code->GetSize();
    decoded_ = &code->Decoded(frame_->GetVocabulary());
    // The operand must outlive the decoding it came from.
    HoldOperand();
    if (resumed) return true;
    // Only a debug handler reads lines as they change: without one, the
    // entry line waits until a handler asks.
    frame_->entryLinePending = true;
    frame_->entryPc = frame_->pc;
    if (vm_.GetDebugHandler()) SettleEntryLine(*frame_);
    return true;
}

void Interpreter::SettleEntryLine(CallFrame& frame) {
    frame.entryLinePending = false;
    MapFile* map = frame.GetFunction()->GetMapFile();
    frame.rangeStart = 0;
    frame.rangeEnd = UINT32_MAX;
    frame.currentLine = map ? map->GetLineEx(frame.entryPc, frame.rangeStart, frame.rangeEnd) : -1;
    frame.reportedLine = frame.currentLine;
}

void Interpreter::TrackLine() {
    CallFrame& frame = *frame_;
    if (frame.entryLinePending) SettleEntryLine(frame);
    if (frame.pc < frame.rangeStart || frame.pc >= frame.rangeEnd) {
        MapFile* map = frame.GetFunction()->GetMapFile();
        frame.rangeStart = 0;
        frame.rangeEnd = UINT32_MAX;
        frame.currentLine = map ? map->GetLineEx(frame.pc, frame.rangeStart, frame.rangeEnd) : -1;
    }
    if (frame.currentLine == frame.reportedLine) return;
    frame.reportedLine = frame.currentLine;
    if (frame.currentLine != -1) vm_.GetDebugHandler()->LineChanged(&thread_);
}

bool Interpreter::Step(uint8_t opcode) {
    switch (opcode) {
        case kOpData:
        case kOpNothing: return true;
        case kOpPushValue: return Push(*operand_);
        case kOpPushVar: return PushVar();
        case kOpArrayCreate: return ArrayCreate();
        case kOpArrayAssign: return ArrayAssign();
        case kOpJump:
        case kOpJumpTrue:
        case kOpJumpTrueCheck:
        case kOpJumpFalse:
        case kOpJumpFalseCheck: return Jump(opcode);
        case kOpSwitch: return Switch();
        case kOpLabel: return Fail("unexpected command found: OP_LABEL");
        case kOpCall: return Call();
        case kOpReturn:
        case kOpStop: return Return(opcode);
        case kOpEndOfStatement: frame_->EndStatement(); return true;
        case kOpParamCopy: return ParamCopy();
        default: break;
    }
    if (opcode >= kOpAssign && opcode <= kOpOrAssign) return AssignTo(opcode);
    if (opcode >= kOpPreIncrement && opcode <= kOpLastUnary) return Unary(opcode);
    if (opcode == kOpPostIncrement || opcode == kOpPostDecrement) return Postfix(opcode);
    if (opcode > kOpPostDecrement && opcode <= kOpLastPostfix) return false;
    if (opcode >= kOpMul && opcode <= kOpLastBinary) return Binary(opcode);
    return Fail("Unsupported or invalid operation: %d (%s)", opcode, GetCommandName(opcode));
}

// ---- push var ---------------------------------------------------------------

bool Interpreter::ReadPath(int flags, VariablePath& path) {
    const uint32_t count = frame_->GetCount();
    auto next = [&]() -> Var* { return path.consumed < count ? &frame_->At(count - 1 - path.consumed++) : nullptr; };
    Var* top = next();
    if (!top) return Fail("missing variable name");
    if (flags & kPushByName) {
        path.name = top->GetCString();
        if (!path.name) return Fail("missing variable name");
    } else {
        path.slot = top->AsInt();
    }
    if (flags & kPushIndex) {
        Var* index = next();
        if (!index) return Fail("missing array index");
        path.indexed = true;
        path.index = index->AsInt();
    }
    // With both a member and a module the member lies above the module, as
    // the code generator pushes them.
    if (flags & kPushMember) {
        Var* member = next();
        path.member = member ? member->GetCString() : nullptr;
        if (!path.member) return Fail("missing property map name");
    }
    if (flags & kPushModule) {
        Var* module = next();
        if (!module) return Fail("missing module");
        path.module = module->GetCString();
        if (!path.module) return Fail("missing module name");
    }
    return true;
}

bool Interpreter::QuickPushName(DecodedInstruction& instruction) {
    NameCache& cache = instruction.nameCache;
    Var* variable = CachedLookUp(cache, thread_, *frame_, vm_, instruction.operand.GetStringConst(),
                                 t_Named::GetLayoutGeneration());
    Var* slot = variable ? frame_->Push() : nullptr;
    if (!slot) return false;
    if (cache.pin) frame_->Pin(cache.pin);
    slot->SetReference(variable);
    operand_ = instruction.lastOperand;
    return true;
}

bool Interpreter::QuickPushMember(DecodedInstruction& instruction) {
    const uint64_t generation = t_Named::GetLayoutGeneration();
    const DecodedInstruction& namePush = decoded_->At(static_cast<uint32_t>(instruction.slot));
    NameCache& cache = instruction.nameCache;
    Var* variable = CachedLookUp(cache, thread_, *frame_, vm_, namePush.operand.GetStringConst(), generation);
    Var* member = variable ? CachedMember(instruction.memberCache, *variable, instruction.operand.GetStringConst(),
                                          generation)
                           : nullptr;
    Var* slot = member ? frame_->Push() : nullptr;
    if (!slot) return false;
    if (cache.pin) frame_->Pin(cache.pin);
    frame_->Pin(variable->Followed().GetObject());
    slot->SetReference(member);
    operand_ = instruction.lastOperand;
    return true;
}

std::string Interpreter::Describe(const VariablePath& path) {
    char text[256];
    if (path.name && path.module) {
        std::snprintf(text, sizeof text, "%.125s::%.125s", path.module, path.name);
        return text;
    }
    if (path.name) {
        std::snprintf(text, sizeof text, "%.250s", path.name);
        return text;
    }
    return "(unknown)";
}

Var* Interpreter::Resolve(const VariablePath& path, bool& failed) {
    if (path.name && path.module) {
        Var* moduleMember = vm_.GetRootModule()->GetMember(path.module);
        BinCode* module = moduleMember ? ToBinCode(*moduleMember) : nullptr;
        if (!module) {
            failed = true;
            Fail("module %s not found", path.module);
            return nullptr;
        }
        frame_->Pin(module);
        return module->GetMember(path.name);
    }
    if (path.name) {
        BinCode* scope = nullptr;
        Var* variable = LookUpByName(thread_, *frame_, vm_, path.name, scope);
        frame_->Pin(scope);
        return variable;
    }
    return frame_->GetLocals().At(path.slot);
}

Var* Interpreter::SelectMember(Var* variable, const VariablePath& path) {
    const char* member = path.member;
    Var& target = variable->Followed();
    if (!target.GetObject()) {
        // Constants and natives keep what they are; any other empty value
        // becomes a structure on first member access.
        if (variable->HasConstFlag() || target.HasConstFlag() || target.GetTag() == kTagBind) {
            Fail("Unable to get the member '%s' of the structure %s.", member, Describe(path).c_str());
            return nullptr;
        }
        const TypeRecord* record = target.GetRecord();
        target.SetObject(new t_Named);
        if (record && record->classRecord && ClassRecord::IsKindOf(record->classRecord, &t_Named::kClassRecord))
            target.SetRecord(record);
    }
    VarExtension* object = target.GetObject();
    Var* found = object->GetMember(member);
    if (!found) {
        found = object->GetOrAddMember(member);
        if (found) found->SetAutoFlag(true);
    }
    if (!found) {
        Fail("Unable to get the member '%s' of the structure %s.", member, Describe(path).c_str());
        return nullptr;
    }
    frame_->Pin(object);
    return found;
}

bool Interpreter::PushVar() {
    const int flags = operand_->GetTag() == kTagInt ? operand_->RawInt() : operand_->AsInt();
    // A local by number: the number on top becomes the reference to it.
    if (flags == 0 && frame_->GetCount() > 0 && frame_->Top().GetTag() == kTagInt) {
        Var& top = frame_->Top();
        if (Var* local = frame_->GetLocals().At(top.RawInt())) {
            MakeEmpty(top);
            top.SetReference(local);
            return true;
        }
    }
    VariablePath path;
    if (!ReadPath(flags, path)) return false;
    bool failed = false;
    Var* variable = Resolve(path, failed);
    if (failed) return false;
    if (!variable) return Fail("The variable '%s' is undefined.", Describe(path).c_str());
    if (path.member) {
        variable = SelectMember(variable, path);
        if (!variable) return false;
    }
    if (path.indexed) {
        Var& target = variable->Followed();
        Var* element = target.GetOrAddElement(path.index);
        if (!element) return Fail("index %d is out of range or value is not an array", path.index);
        frame_->Pin(target.GetObject());
        variable = element;
    }
    frame_->Truncate(frame_->GetCount() - path.consumed);
    frame_->Push()->SetReference(variable);
    return true;
}

// ---- operators --------------------------------------------------------------

bool Interpreter::Unary(uint8_t opcode) {
    const char* name = GetCommandName(opcode);
    if (frame_->GetCount() == 0) return Fail("Fatal: Accessing stack outside range at '%s'", name);
    Var& top = frame_->Top();
    if (opcode == kOpPreIncrement || opcode == kOpPreDecrement || opcode == kOpMakeConst) {
        Var* variable = top.GetReferenced();
        if (!variable) {
            if (opcode == kOpPreIncrement) return Fail("Fatal: Trying to increment a non lvalue");
            if (opcode == kOpPreDecrement) return Fail("Fatal: Trying to decrement a non lvalue");
            return Fail("Fatal: Trying to make a non lvalue const");
        }
        if (opcode == kOpMakeConst) {
            variable->SetConstFlag(true);
            return true;
        }
        Var& target = variable->Followed();
        if (variable->HasConstFlag() || target.HasConstFlag()) return Fail("Unable to modify a const variable.");
        return opcode == kOpPreIncrement ? target.Increment(1) : Op::Add(target, Var(-1));
    }
    if (top.GetTag() == kTagReference) top.CopyWithoutConst(top.Followed());
    bool done = false;
    switch (opcode) {
        case kOpComplement:
            done = top.GetTag() == kTagInt;
            if (done) top.SetInt(~top.RawInt());
            break;
        case kOpNot: done = Op::Not(top); break;
        case kOpPlus: done = true; break;
        case kOpNegate: done = Op::Negate(top); break;
        default: return Fail("Sorry, the unary operation %s is not implemented yet", name);
    }
    if (!done) return Fail("Unable to execute unary operation '%s' on value '%s'", name, top.ToString().c_str());
    return true;
}

bool Interpreter::Postfix(uint8_t opcode) {
    const char* name = GetCommandName(opcode);
    if (frame_->GetCount() == 0) return Fail("Fatal: Accessing stack outside range at '%s'", name);
    Var& top = frame_->Top();
    Var* variable = top.GetReferenced();
    if (!variable) return Fail("Fatal: Unable to execute %s on non lvalue", name);
    Var& target = variable->Followed();
    if (variable->HasConstFlag() || target.HasConstFlag()) return Fail("Unable to modify a const variable.");
    if (target.GetTag() == kTagInt) {
        top.CopyWithoutConst(target);
        return target.Increment(opcode == kOpPostIncrement ? 1 : -1);
    }
    Var old;
    old.CopyWithoutConst(target);
    bool changed = opcode == kOpPostIncrement ? target.Increment(1) : Op::Add(target, Var(-1));
    top.CopyWithoutConst(old);
    return changed;
}

bool Interpreter::Binary(uint8_t opcode) {
    const uint32_t count = frame_->GetCount();
    if (count < 2) return Fail("Fatal: Accessing stack outside range at '%s'", GetCommandName(opcode));
    Var& left = frame_->At(count - 2);
    if (left.GetTag() == kTagReference) left.CopyWithoutConst(left.Followed());
    if (FastBinary(opcode, left, frame_->At(count - 1).Followed())) {
        frame_->Pop();
        return !vm_.IsStepLimited() || ChargeSize(frame_->Top());
    }
    const char* name = GetCommandName(opcode);
    Var right;
    right.CopyWithoutConst(frame_->At(count - 1).Followed());
    DetachReferences(right);
    if (!Op::ApplyBinary(opcode, left, right)) {
        return Fail("Unable to execute binary operation '%s' on value %s(%s) and %s(%s)", name,
                    left.ToString().c_str(), left.GetTypeName(), right.ToString().c_str(), right.GetTypeName());
    }
    frame_->Pop();
    return ChargeSize(frame_->Top());
}

bool Interpreter::AssignTo(uint8_t opcode) {
    const uint32_t count = frame_->GetCount();
    if (opcode == kOpAssign && count >= 2) {
        // A number stored over a number of its own kind: the typed
        // assignment's plain copy, keeping the variable's auto and const bits.
        Var* target = frame_->At(count - 2).GetReferenced();
        if (target && AssignNumber(*target, frame_->At(count - 1).Followed())) {
            frame_->Pop();
            return true;
        }
    }
    const char* name = GetCommandName(opcode);
    if (count < 2) return Fail("ScriptVM::_DoAssign - InternalError: Missing paramters on assign(%s)", name);
    Var* target = frame_->At(count - 2).GetReferenced();
    if (!target) return Fail("Can only assign(%s) values to lvalues", name);
    if (target->HasConstFlag()) return Fail("Unable to modify a const variable.");
    // A copy: storing may release the container the value lives in.
    Var value;
    value.Assign(frame_->At(count - 1).Followed());
    DetachReferences(value);
    if (opcode == kOpAddAssign && AppendInPlace(*target, value)) {
        frame_->Pop();
        return ChargeSize(*target);
    }
    if (!ApplyCompound(opcode, *target, value)) {
        return Fail("Unable to assign(%s) the value %s to a variable with type '%s'", name, value.ToString().c_str(),
                    target->GetTypeName());
    }
    frame_->Pop();
    return ChargeSize(*target);
}

bool Interpreter::ArrayCreate() {
    const int count = operand_->AsInt();
    if (count > kMaxArrayCount)
        return Fail("Fatal: list of %d values is too long (at most %d)", count, kMaxArrayCount);
    halvo::AutoRef<VarArray> array;
    if (count >= 0) array = thread_.TakeArgumentArray(count);
    if (!array) array = VarArray::CreateWithCount(count);
    if (!array) return Fail("Fatal: Accessing array outside range('%d')", count);
    if (vm_.IsStepLimited() && !ChargeSize(Var(static_cast<VarExtension*>(array.Get())))) return false;
    Var* slot = frame_->Push();
    if (!slot) return Fail("Fatal: value stack overflow (%u values)", kMaxStackValues);
    // Every array made here is a plain VarArray: one record look-up serves
    // the run once it has found a record.
    if (arrayRecord_) {
        slot->SetObjectOfRecord(array.Get(), arrayRecord_);
    } else {
        slot->SetObject(array.Get());
        if (array->GetClassInfo() == &VarArray::kClassRecord) arrayRecord_ = slot->GetRecord();
    }
    return true;
}

bool Interpreter::ArrayAssign() {
    const int index = operand_->AsInt();
    if (frame_->GetCount() < 2) return Fail("Fatal: Accessing stack outside range");
    Var value;
    value.CopyWithoutConst(frame_->Top());
    frame_->Pop();
    Var& array = frame_->Top();
    if (array.GetTag() == kTagReference) array.Assign(array.Followed());
    VarExtension* object = array.GetObject();
    Var* element = object ? object->GetAt(index) : nullptr;
    if (!element) return Fail("Fatal: Accessing array outside range('%d')", index);
    element->CopyWithoutConst(value);
    return true;
}

// ---- control flow -----------------------------------------------------------

bool Interpreter::Jump(uint8_t opcode) {
    if (operand_->GetTag() != kTagPosition) return Fail("programm counter expected at OP_JUMP");
    const uint32_t target = operand_->RawPosition();
    if (target == kUnlinkedJump) return Fail("fatal: unlinkt jump found to -1");
    if (opcode == kOpJump) {
        frame_->pc = target;
        return true;
    }
    if (frame_->GetCount() == 0) return Fail("jump condition expected at OP_JUMP_TRUE");
    bool condition = false;
    const Var& top = frame_->Top();
    if (top.GetTag() == kTagBool) {
        condition = (top.RawPosition() & 0xFF) != 0;
    } else {
        top.ToBool(condition);
    }
    if (opcode == kOpJumpTrue || opcode == kOpJumpFalse) frame_->Pop();
    const bool onTrue = opcode == kOpJumpTrue || opcode == kOpJumpTrueCheck;
    if (condition == onTrue) frame_->pc = target;
    return true;
}

bool Interpreter::ReadCaseValue(uint32_t entry, uint32_t& caseEnd, Var& caseValue) {
    if ((code_[entry] & kTagMask) != kTagPosition) return false;
    const uint32_t target = ReadLittleEndian(code_ + entry + 1);
    if (target >= size_) return false;
    caseEnd = target + 1;  // past the "data" opcode, at the case value
    return DecodeOperand(code_, size_, caseEnd, caseValue, frame_->GetVocabulary());
}

bool Interpreter::Switch() {
    const int entries = operand_->AsInt();
    const uint32_t table = frame_->pc;
    const uint64_t end = table + uint64_t{kSwitchEntrySize} * static_cast<uint64_t>(entries < 0 ? 0 : entries);
    if (!operand_->IsInt() || entries < 0 || end > size_) return Fail("fatal: invalid switch table");
    if (frame_->GetCount() == 0) return Fail("Fatal: Accessing stack outside range at '%s'", "switch");
    Var value;
    value.CopyWithoutConst(frame_->Top().Followed());
    int64_t low = 0, high = entries - 1;
    while (low <= high) {
        const int64_t middle = low + (high - low) / 2;
        uint32_t caseEnd = 0;
        Var caseValue;
        if (!ReadCaseValue(table + static_cast<uint32_t>(middle) * kSwitchEntrySize, caseEnd, caseValue))
            return Fail("fatal: invalid switch table");
        if (Var::CaseLess(value, caseValue)) {
            high = middle - 1;
        } else if (Var::CaseLess(caseValue, value)) {
            low = middle + 1;
        } else {
            frame_->pc = caseEnd;
            return true;
        }
    }
    frame_->pc = static_cast<uint32_t>(end);
    return true;
}

// ---- calls and returns ------------------------------------------------------

bool Interpreter::Call() {
    if (frame_->GetCount() < 2) return Fail("fatal: to less arguments on stack at function call");
    const Var& top = frame_->Top();
    if (top.GetTag() == kTagReference && !top.GetReferenced()) return Fail("fatal: function is not defined");
    const Var& callee = top.Followed();
    if (BinCode* function = ToBinCode(callee)) {
        halvo::AutoRef<BinCode> keep(function);
        if (thread_.GetDepth() + 1 >= kMaxCallDepth)
            return Fail("Unable to call script function, because maximal call depth(%d) is reached",
                        static_cast<int>(kMaxCallDepth));
        thread_.PushFrame(function);
        if (DebugHandler* handler = vm_.GetDebugHandler())
            handler->FunctionEntered(&thread_, TextOrUnknown(function->GetName()));
        return EnterCurrentFrame();
    }
    if (callee.GetTag() == kTagBind) return CallNative(callee.GetBind());
    return Fail("trying to call a non function");
}

bool Interpreter::CallNative(detail::function_adapter* adapter) {
    if (!adapter) return Fail("C-Function not found");
    if (DebugHandler* handler = vm_.GetDebugHandler()) handler->BeforeNativeCall(&thread_, adapter);
    CallFrame* caller = frame_;
    caller->Pop();
    // The list's slot stays while the native runs, so the native sees the
    // stack the bytecode has; the list itself moves out, since a nested run
    // on this thread may move the stack.
    const uint32_t listSlot = caller->GetCount() - 1;
    Var arguments;
    // Declared after the arguments, so it runs first when the call ends.
    struct KeepArray {
        Thread& thread;
        Var& arguments;
        ~KeepArray() { thread.KeepArgumentArray(arguments); }
    } keepArray{thread_, arguments};
    arguments.Exchange(caller->Top());
    t_Interface call;
    call.thread = &thread_;
    call.count = arguments.GetCount();
    call.args = &arguments;
    Var result;
    adapter->Call(&result, call);
    Var* slot = caller->CallResultSlot(listSlot, thread_.GetCurrentFrame() == caller);
    if (!slot) return Fail("Fatal: value stack overflow (%u values)", kMaxStackValues);
    slot->CopyWithoutConst(result);
    if (DebugHandler* handler = vm_.GetDebugHandler()) handler->AfterNativeCall(&thread_);
    if (thread_.GetState() == kThreadReturned) thread_.SetState(kThreadRunning);
    CallFrame* current = thread_.GetCurrentFrame();
    if (!current || !current->GetFunction()) {
        thread_.SetState(kThreadReturned);
        return true;
    }
    if (current != caller && thread_.GetState() == kThreadRunning) return EnterCurrentFrame();
    return true;
}


bool Interpreter::Return(uint8_t opcode) {
    const char* returnType = frame_->GetFunction()->GetReturnType().c_str();
    Var& value = thread_.EmptyReturnValue(*frame_->GetFunction());
    bool hasValue = opcode == kOpReturn && frame_->GetCount() > 0;
    Var result;
    if (hasValue) {
        // The thread's value never refers to a variable: the frame it lives
        // in is about to go.
        result.CopyWithoutConst(frame_->Top().Followed());
        const TypeRecord* record = value.GetRecord();
        const bool declaredArray =
            ToVarArray(value) || value.HasAutoFlag() ||
            (record && record->classRecord && ClassRecord::IsKindOf(record->classRecord, &VarArray::kClassRecord));
        VarArray* list = ToVarArray(result);
        if (list && !declaredArray) {
            if (list->GetCount() > 1) {
                MakeEmpty(value);
                return Fail("Too much return values found for a %s function", returnType);
            }
            // Only the one value leaves the frame: it alone needs its
            // references detached, not a copy of the whole list.
            Var first;
            if (list->GetCount() == 1) {
                first.CopyWithoutConst(list->GetAt(0)->Followed());
                DetachReferences(first, 1);
            }
            hasValue = !first.IsNil();
            result = first;
            // The list the return statement made is done with.
            thread_.KeepArgumentArray(frame_->Top());
        } else {
            DetachReferences(result);
        }
    }
    if (hasValue) {
        if (!value.AssignTyped(result)) {
            const bool isVoid = value.GetTag() == kTagNil && !value.HasAutoFlag();
            MakeEmpty(value);
            if (isVoid) return Fail("void functions cannot return a value");
            return Fail("A %s function cannot return a %s value.", returnType, result.GetTypeName());
        }
        if (!DeliverResult(value)) return false;
    } else {
        if (!value.HasAutoFlag() && !value.IsNil()) return Fail("return: missing return value (%s)", returnType);
        MakeEmpty(value);
    }
    return LeaveFrame(*frame_);
}

// Return's way with a number, without the value on the stack: the value
// never refers to a variable and is no list.
FastCallHost::ReturnOutcome Interpreter::ReturnNumber(CallFrame& frame, const Var& result, bool deliver) {
    Var& value = thread_.EmptyReturnValue(*frame.GetFunction());
    if (!value.AssignTyped(result)) return ReturnOutcome::kRefused;
    if (deliver && !DeliverResult(value)) return ReturnOutcome::kFailed;
    // Left from a block that runs it nested, the frame's operand goes on in
    // the caller.
    const bool nested = frame_ != &frame;
    if (!LeaveFrame(frame)) return ReturnOutcome::kFailed;
    if (nested) HoldOperand();
    return ReturnOutcome::kReturned;
}

bool Interpreter::DeliverResult(const Var& result) {
    CallFrame* caller = thread_.GetFrame(thread_.GetDepth() - 1);
    if (caller && caller->GetCount() >= 2) thread_.DeliverResult(*caller, result);
    return true;
}

bool Interpreter::LeaveFrame(CallFrame& frame) {
    if (DebugHandler* handler = vm_.GetDebugHandler()) handler->FunctionReturned(&thread_);
    thread_.DropValues(frame);
    if (frame_ == &frame) frame_ = nullptr;
    thread_.PopFrame();
    CallFrame* below = thread_.GetCurrentFrame();
    if (thread_.GetDepth() == 0 || !below || !below->GetFunction()) {
        if (below && thread_.GetDepth() == 0) below->enteredFromNative = false;
        thread_.SetState(kThreadIdle);
        return true;
    }
    if (below->enteredFromNative) {
        below->enteredFromNative = false;
        thread_.SetState(kThreadReturned);
        return true;
    }
    return EnterCurrentFrame();
}

bool Interpreter::ParamCopy() {
    const uint32_t depth = thread_.GetDepth();
    if (depth == 0) return false;
    CallFrame* caller = thread_.GetFrame(depth - 1);
    if (!caller || caller->GetCount() < 2) return false;
    const Var& arguments = caller->At(caller->GetCount() - 2);
    BinCode* function = frame_->GetFunction();
    const int parameters = function->GetParamCount();
    const int passed = arguments.GetCount();
    // The name only for messages: finding it walks the parent's members.
    auto name = [function] { return TextOrUnknown(function->GetName()); };
    // Values that do not fit are the call's fault: its messages name the
    // line that makes it, where the callee has not run a line yet. A call
    // from native code has no line; there the callee's frame stands.
    const CallFrame& site = caller->GetFunction() ? *caller : *frame_;
    if (passed > parameters) {
        vm_.Error(site.GetFunction()->GetSourceName(), site.GetLine(),
                  "Try to call the function '%s' which is defined with %d paramters with %d values.", name(), parameters,
                  passed);
        return false;
    }
    for (int i = 0; i < parameters; ++i) {
        Var* local = frame_->GetLocals().At(i);
        if (!local) return false;
        if (i < passed) {
            const Var* argument = arguments.GetElement(i);
            if (argument && AssignParameterNumber(*local, *argument)) continue;
            if (!argument || !local->AssignTyped(*argument)) {
                return FailAt(site,
                              "Unable to initialize the parameter %d of function call of '%s'. A parameter from the "
                              "type '%s' was expected, but it was found a value of the type '%s'",
                              i + 1, name(), local->GetTypeName(), argument ? argument->GetTypeName() : "(null)");
            }
        } else if (local->IsDeclaration()) {
            return FailAt(site, "Missing parameters at function call of '%s'. The parameter %d is missing.", name(),
                          i + 1);
        }
    }
    return true;
}

}  // namespace

bool Execute(Thread& thread) {
    halvo::AutoRef<Thread> keep(&thread);
    Interpreter interpreter(thread);
    return interpreter.Run();
}

}  // namespace Vrel

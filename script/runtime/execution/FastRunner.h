#pragma once
// Runs compiled blocks (FastBlock.h) on a call frame until one hands over
// to the bytecode: at a position no block covers, or where a value is not
// what the block was made for. The frame is then left exactly as the
// bytecode would have left it at that position.

#include "script/runtime/execution/FastBlock.h"
#include "script/runtime/execution/FastWindows.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Vrel {

class BinCode;
class CallFrame;
class DecodedCode;
class ScriptVM;
class Thread;
class VarExtension;
struct TypeRecord;
namespace detail {
class function_adapter;
}

// What a block needs of the interpreter that runs it: a script function a
// block calls runs on the interpreter, nested, until it returns.
class FastCallHost {
public:
    virtual ~FastCallHost() = default;
    // Runs the current frame. True when it returned to the frame below
    // (the thread then says kThreadReturned) or the thread stopped running;
    // false after an error, reported on the thread. resumed: a block ran
    // the frame from its entry and handed over at its pc, so that the
    // instruction there runs on the bytecode first.
    virtual bool RunCallee(bool resumed) = 0;
    enum class ReturnOutcome { kReturned, kRefused, kFailed };
    // Returns result, a number, from frame, the current one, as the return
    // instruction would, the frame's stack holding the return list on top.
    // kRefused (nothing delivered) when the function's type takes no such
    // value: the instruction then reports it. Without deliver the result
    // stays in the thread's value only: the caller owes its list (see
    // OwedCall) and takes the result from there.
    virtual ReturnOutcome ReturnNumber(CallFrame& frame, const Var& result, bool deliver) = 0;

    // Where the current operand is copied when the decoding it points into
    // may go: after a return, and when the interpreter changes frames.
    Var& HeldOperand() { return heldOperand_; }

private:
    Var heldOperand_;
};

class FastRunner {
public:
    FastRunner(Thread& thread, ScriptVM& vm, FastCallHost& host);
    ~FastRunner();
    FastRunner(const FastRunner&) = delete;
    FastRunner& operator=(const FastRunner&) = delete;

    // Runs block and the blocks it leads to. On return the frame's pc is
    // where the bytecode goes on and operand is the operand current there.
    // False after an error, reported on the thread.
    bool Run(CallFrame& frame, DecodedCode& code, FastBlock& block, const Var*& operand);

private:
    // Values the bytecode leaves on the stack below the running statement,
    // and containers it pins, held here until a statement ends or the
    // bytecode takes over.
    static constexpr int kMaxKept = 64;

    bool Leave(CallFrame& frame, const FastBlock& block, const FastExit& exit, const Var* operand,
               const Var*& current);
    bool Flush(CallFrame& frame) {
        // Mostly there is nothing to hand over.
        return (pendingList_ == kNoList && pinCount_ == 0 && keptCount_ == 0) || FlushHeld(frame);
    }
    bool FlushHeld(CallFrame& frame);
    bool HandOverAt(CallFrame& frame, uint32_t pc, const Var* current, const Var*& operand);
    // A new slot on the frame's stack; null, reported, when it is full.
    Var* PushSlot(CallFrame& frame);
    // Where the items of one level live: its window, its frame's locals and
    // the constants of the block that named them.
    struct ItemPlaces {
        Var* registers;
        Var** pointers;
        Var* locals;
        const Var* constants;
    };
    ItemPlaces Here() const { return {registers_, pointers_, locals_, constants_}; }
    // What a stack slot holding the item would hold. Slots given here hold
    // no object: kept values and fresh slots.
    static void ItemValue(const ItemPlaces& places, FastBase base, uint16_t index, Var& slot) {
        if (base == FastBase::kLocal) {
            slot.OverwriteReference(places.locals + index);
        } else if (base == FastBase::kPointer) {
            slot.OverwriteReference(places.pointers[index]);
        } else {
            MakeEmpty(slot);
            slot.CopyWithoutConst(base == FastBase::kRegister ? places.registers[index] : places.constants[index]);
        }
    }
    void SlotValue(FastBase base, uint16_t index, Var& slot) const { ItemValue(Here(), base, index, slot); }
    bool MaterializeItems(CallFrame& frame, const FastItem* items, uint32_t count, const ItemPlaces& places);
    bool Keep(CallFrame& frame, const FastOp& op);
    bool CreateList(CallFrame& frame, const FastBlock& block, const FastOp& op);
    // The list op makes waits above the pending one, which has no element
    // set yet, with the values the bytecode has between the two.
    void WaitAbove(const FastBlock& block, const FastOp& op) {
        const FastExit& between = block.GetExit(op.exit);
        outerList_ = pendingList_;
        betweenItems_ = block.GetItems() + between.firstItem;
        betweenCount_ = between.itemCount;
        betweenConstants_ = constants_;
        pendingList_ = op.a;
    }
    // Element b of the pending list = A, waiting with the list.
    void HoldElement(const FastOp& op) {
        Var& value = window_->listValues[op.b];
        const uint32_t bit = 1u << op.b;
        if (window_->listAssigned & bit) MakeEmpty(value);
        SlotValue(op.aBase, op.a, value);
        window_->listAssigned |= bit;
    }
    bool AssignElement(CallFrame& frame, const FastOp& op);
    // kGoOn: the block goes on behind the call; kHandOver: the bytecode does;
    // kNotHere: the call instruction runs instead; kFailed: reported.
    enum class CallOutcome { kGoOn, kHandOver, kNotHere, kFailed };
    CallOutcome Call(CallFrame& frame, const FastOp& op);
    CallOutcome CallNative(CallFrame& frame, const FastOp& op, detail::function_adapter& adapter);
    CallOutcome CallScript(CallFrame& frame, const FastOp& op, BinCode& function);
    // The call without its list: the callee runs on its entry block
    // nested here, and its list is made only when something could see it.
    bool CanCallDirectly(const CallFrame& frame) const;
    CallOutcome CallDirectly(CallFrame& frame, const FastOp& op, BinCode& function);
    // The callee's entry block, null when its entry stays with the
    // bytecode.
    static FastBlock* EntryBlock(CallFrame& callee, DecodedCode*& code);
    // The result the callee left in the thread's value, the list it was
    // owed never made.
    CallOutcome TakeOwedResult(CallFrame& frame, const FastOp& op);
    // Every level's owed list, pins and callee slot go to its caller's
    // stack: before anything but a block runs.
    bool SettleOwed();
    bool SettleCall(size_t level);
    // The result on top of the frame's stack goes to its register and the
    // values below the list come back, when the run may go on here.
    bool TakeBackResult(CallFrame& frame, const FastOp& op);
    bool CopyParameters(CallFrame& frame);
    bool CopyOwedParameters(CallFrame& frame);
    // Whether frame's caller still owes the list of the call that made it.
    bool OwedBy(const CallFrame& frame) const {
        return callerWindow_ && callerWindow_->owed.caller && callerWindow_->owed.callee == &frame;
    }
    FastCallHost::ReturnOutcome Return(CallFrame& frame, const Var& value);
    bool MayGoOnAfterCall(CallFrame& frame, const FastOp& op, const Var& result, uint32_t listSlot);
    bool StillHere(CallFrame& frame) const;
    bool Pin(CallFrame& frame, VarExtension* container) {
        // A second pin of the container just pinned keeps nothing more alive.
        if (pinCount_ > 0 && pins_[pinCount_ - 1] == container) return true;
        if (pinCount_ == kMaxKept) return PinAfterFlush(frame, container);
        pins_[pinCount_++] = container;
        return true;
    }
    bool PinAfterFlush(CallFrame& frame, VarExtension* container);
    void Forget() {
        keptCount_ = 0;
        pinCount_ = 0;
        pendingList_ = kNoList;
        outerList_ = kNoList;
        if (window_->listAssigned) DropListValues(*window_);
    }
    bool RealizeList(CallFrame& frame);
    // A list of count elements on top of frame's stack, with the elements
    // that wait in window, if any.
    bool MakeList(CallFrame& frame, int count, FastWindow* window);
    // The list made in holder, an empty value.
    bool FillList(Var& holder, int count, FastWindow* window);
    bool MakeArguments(CallFrame& frame, Var& arguments);
    // A list below the pending one and the values between, on frame.
    bool MakeOuterList(CallFrame& frame, int count, const FastItem* between, uint32_t betweenCount,
                       const ItemPlaces& places);
    static void DropListValues(FastWindow& window);

    // Registers of one nesting level: a script function called from a
    // block runs its own blocks in the next window while the caller's wait.
    void EnterWindow(size_t level) {
        FastWindow* window = levels_[level + 1];
        if (!window) window = &FirstEntry(level);
        level_ = level;
        window_ = window;
        callerWindow_ = levels_[level];
        registers_ = window->registers.data();
        pointers_ = window->pointers.data();
    }
    FastWindow& FirstEntry(size_t level);
    FastWindow& WindowAt(size_t level) { return levels_[level + 1] ? *levels_[level + 1] : FirstEntry(level); }
    // The return from a frame a block called, its caller's list never
    // made: the result stays in the thread's value.
    FastCallHost::ReturnOutcome ReturnUnseen(CallFrame& frame, const Var& result);

    Thread& thread_;
    ScriptVM& vm_;
    FastCallHost& host_;
    FastWindows& windows_;
    size_t firstWindow_ = 0;
    size_t level_ = 0;
    FastWindow* window_ = nullptr;
    // The window of the level that called this one, whose call may be owed.
    FastWindow* callerWindow_ = nullptr;
    // Levels below this may owe a call.
    size_t owedLevels_ = 0;
    // The interpreter's current operand, which every run here reports to.
    const Var** operandSlot_ = nullptr;
    // Whether the last call ran a script function (which changes the
    // current operand) rather than a native.
    bool calledScript_ = false;
    Var* registers_ = nullptr;
    Var** pointers_ = nullptr;
    Var* locals_ = nullptr;
    int localCount_ = 0;
    const Var* constants_ = nullptr;
    std::array<Var, kMaxKept> kept_;
    int keptCount_ = 0;
    std::array<VarExtension*, kMaxKept> pins_{};
    // The counts below are written and read one by one in quick succession:
    // pointers lie between them, so that no read takes two of them as one
    // wider word just after one was written, which stalls the read.
    int pinCount_ = 0;
    // A list made before the pending one, with no element set yet, and the
    // values the bytecode has between the two: all wait until the pending
    // list must exist. Set only while a list is pending.
    const FastItem* betweenItems_ = nullptr;
    // The element count of a list made but not yet on the frame's stack.
    static constexpr int kNoList = -1;
    int pendingList_ = kNoList;
    const Var* betweenConstants_ = nullptr;
    int outerList_ = kNoList;
    uint32_t betweenCount_ = 0;
    // The windows of this run's levels, once entered, one place up: the
    // first entry stands for the caller of level 0, which has none.
    std::array<FastWindow*, kMaxCallDepth + 2> levels_{};
    // Set by a return into a block whose list was never made.
    bool returnedUnseen_ = false;
    // The record of a plain VarArray, once a list made here found it.
    const TypeRecord* arrayRecord_ = nullptr;
};

}  // namespace Vrel

#pragma once
// Runs compiled blocks (FastBlock.h) on a call frame until one hands over
// to the bytecode: at a position no block covers, or where a value is not
// what the block was made for. The frame is then left exactly as the
// bytecode would have left it at that position.

#include "script/runtime/FastBlock.h"
#include "script/runtime/FastWindows.h"
#include "script/runtime/Var.h"

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
    // Runs the frame just pushed. True when it returned to the frame below
    // (the thread then says kThreadReturned) or the thread stopped running;
    // false after an error, reported on the thread.
    virtual bool RunCallee() = 0;
    enum class ReturnOutcome { kReturned, kRefused, kFailed };
    // Returns result, a number, from the current frame as the return
    // instruction would, the frame's stack holding the return list on top.
    // kRefused (nothing delivered) when the function's type takes no such
    // value: the instruction then reports it.
    virtual ReturnOutcome ReturnNumber(const Var& result) = 0;
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
    bool Materialize(CallFrame& frame, const FastItem& item);
    void SlotValue(FastBase base, uint16_t index, Var& slot) const;
    bool Keep(CallFrame& frame, const FastOp& op);
    bool CreateList(CallFrame& frame, const FastBlock& block, const FastOp& op);
    bool AssignElement(CallFrame& frame, const FastOp& op);
    // kGoOn: the block goes on behind the call; kHandOver: the bytecode does;
    // kNotHere: the call instruction runs instead; kFailed: reported.
    enum class CallOutcome { kGoOn, kHandOver, kNotHere, kFailed };
    CallOutcome Call(CallFrame& frame, const FastOp& op);
    CallOutcome CallNative(CallFrame& frame, const FastOp& op, detail::function_adapter& adapter);
    CallOutcome CallScript(CallFrame& frame, const FastOp& op, BinCode& function);
    // The result on top of the frame's stack goes to its register and the
    // values below the list come back, when the run may go on here.
    bool TakeBackResult(CallFrame& frame, const FastOp& op);
    bool CopyParameters(CallFrame& frame);
    FastCallHost::ReturnOutcome Return(CallFrame& frame, const Var& value);
    bool MayGoOnAfterCall(CallFrame& frame, const FastOp& op, const Var& result);
    bool StillHere(CallFrame& frame) const;
    bool Pin(CallFrame& frame, VarExtension* container);
    void Forget() {
        keptCount_ = 0;
        pinCount_ = 0;
        pendingList_ = kNoList;
    }
    bool RealizeList(CallFrame& frame);

    // Registers of one nesting level: a script function called from a
    // block runs its own blocks in the next window while the caller's wait.
    void EnterWindow(size_t level);

    Thread& thread_;
    ScriptVM& vm_;
    FastCallHost& host_;
    FastWindows& windows_;
    size_t firstWindow_ = 0;
    size_t level_ = 0;
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
    int pinCount_ = 0;
    // The element count of a list made but not yet on the frame's stack.
    static constexpr int kNoList = -1;
    int pendingList_ = kNoList;
    // The record of a plain VarArray, once a list made here found it.
    const TypeRecord* arrayRecord_ = nullptr;
};

}  // namespace Vrel

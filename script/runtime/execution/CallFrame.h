#pragma once
// One active function call of a script thread: program counter, locals and
// value stack. Slot 0 of a thread is the base frame, which runs no function
// and holds the arguments and results of calls made from native code.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstdint>
#include <vector>

namespace Vrel {

// A value stack beyond this is runaway code, not a program.
constexpr uint32_t kMaxStackValues = 1u << 20;

class CallFrame {
public:
    // The base frame.
    CallFrame() = default;
    // A frame for function: locals copied from its variable table, with
    // declarations made empty values of their types. The frame keeps the
    // function, its outermost module, its bytecode and its string table
    // alive: a module may be released or recompiled while it runs.
    explicit CallFrame(BinCode* function);
    ~CallFrame();
    // A frame kept for reuse: Close lets go of everything the call held, as
    // destroying the frame would; Open makes it a fresh frame for function.
    void Open(BinCode* function);
    void Close();
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

    BinCode* GetFunction() const { return function_.Get(); }
    BinCode* GetModule() const { return module_.Get(); }
    VarBinary* GetCode() const { return code_.Get(); }
    Vocabulary* GetVocabulary() const { return vocabulary_.Get(); }
    VarTable& GetLocals() { return locals_; }

    // The line of the instruction now executing, through the line map; -1
    // without one.
    int GetLine() const;

    // Value stack. Push answers null when the stack is full.
    uint32_t GetCount() const { return count_; }
    Var* Push() {
        // Slots above the count are always empty (see Pop).
        if (count_ < values_.size()) return &values_[count_++];
        return PushGrowing();
    }
    Var& At(uint32_t index) { return values_[index]; }
    Var& Top() { return values_[count_ - 1]; }
    void Pop() {
        if (count_ == 0) return;
        Var& slot = values_[--count_];
        slot.Clear();
        slot.SetAutoFlag(false);
        slot.SetConstFlag(false);
    }
    // Releases the values above count.
    void Truncate(uint32_t count) {
        while (count_ > count) Pop();
    }
    // The slot a native call's result takes: the argument list's, at index.
    // What a nested run on this frame left above it goes unless the thread
    // has moved on to a frame of its own; a slot a native let go is made
    // again. Null when the stack is full.
    Var* CallResultSlot(uint32_t index, bool dropAbove) {
        if (dropAbove) Truncate(index + 1);
        while (count_ <= index)
            if (!Push()) return nullptr;
        return &values_[index];
    }
    // End of statement: the stack empties and the containers that
    // references pointed into are let go.
    void EndStatement() {
        Truncate(0);
        if (pinCount_ > 0) ReleasePins();
    }

    bool HasPins() const { return pinCount_ > 0; }

    // Keeps a container alive (and an array's element storage in place)
    // until the statement ends, so that references into it stay valid.
    void Pin(VarExtension* container) {
        if (!container) return;
        // A statement that names the same module again needs no second
        // hold: both would be let go one after the other.
        if (pinCount_ > 0) {
            const Pinned& last = pins_[pinCount_ - 1];
            if (last.container.Get() == container && !last.storagePinned) return;
        }
        // Modules, pinned for name look-ups, are the common case: a place
        // is free and no storage needs holding.
        const ClassRecord* cls = container->GetClassInfo();
        if (cls == &BinCode::kClassRecord && pinCount_ < pins_.size()) {
            Pinned& pin = pins_[pinCount_++];
            pin.container = container;
            pin.storagePinned = false;
            return;
        }
        PinOfClass(container, cls);
    }

    uint32_t pc = 0;
    // Where the instruction being executed began: errors report its line.
    uint32_t instructionStart = 0;
    int reportedLine = -1;
    int currentLine = -1;
    uint32_t rangeStart = 0;
    uint32_t rangeEnd = 0;
    bool enteredFromNative = false;
    // The line of the entry position is worked out only when a debug
    // handler first asks for lines in this frame.
    bool entryLinePending = false;
    uint32_t entryPc = 0;

private:
    Var* PushGrowing();
    void ReleasePins();
    // Pin past the common case: arrays, other classes, a new place.
    void PinOfClass(VarExtension* container, const ClassRecord* cls);

    halvo::AutoRef<BinCode> function_;
    halvo::AutoRef<BinCode> module_;
    halvo::AutoRef<VarBinary> code_;
    halvo::AutoRef<Vocabulary> vocabulary_;
    VarTable locals_;
    std::vector<Var> values_;
    uint32_t count_ = 0;
    struct Pinned {
        halvo::AutoRef<VarExtension> container;
        bool storagePinned = false;
    };
    // Places are kept from statement to statement: the first pinCount_ hold
    // this statement's pins, the rest are empty.
    std::vector<Pinned> pins_;
    uint32_t pinCount_ = 0;
};

}  // namespace Vrel

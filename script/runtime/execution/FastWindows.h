#pragma once
// Register windows for compiled blocks, owned by the thread they run on so
// that a thread resumed pass after pass finds its registers in place. Each
// run claims the windows of every nesting level it may reach; runs nest on
// the native stack, so claims are given back in reverse order.

#include "script/runtime/execution/FastBlock.h"
#include "script/runtime/values/Var.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Vrel {

class CallFrame;
class VarExtension;

// Elements of a list made in a block that wait in its window until the list
// must exist; longer lists are made at once.
constexpr int kMaxHeldElements = 8;
// Containers a call made from a block may leave unpinned while it runs.
constexpr int kMaxOwedPins = 4;

// A script function called from a block before its argument list was
// made: nothing but compiled blocks has run since, so nothing has seen the
// caller's stack. The list (its elements wait in the window), the pins and
// the callee slot are owed to the caller's stack until something could
// look at it, and never made when the callee returns straight into the
// block.
struct OwedCall {
    CallFrame* caller = nullptr;  // null: nothing is owed
    CallFrame* callee = nullptr;
    int count = 0;
    // A list below, with no element set, and the values between, that wait
    // with this one (count -1: none).
    int outerCount = -1;
    const FastItem* betweenItems = nullptr;
    uint32_t betweenCount = 0;
    const Var* betweenConstants = nullptr;
    Var* calleeVariable = nullptr;
    std::array<VarExtension*, kMaxOwedPins> pins{};
    int pinCount = 0;
};

struct FastWindow {
    std::array<Var, kMaxFastDepth> registers;
    std::array<Var*, kMaxFastDepth> pointers{};
    // The list waiting at this level: element i is in listValues[i] when
    // bit i of listAssigned is set; unassigned entries are empty.
    std::array<Var, kMaxHeldElements> listValues;
    uint32_t listAssigned = 0;
    OwedCall owed;
};

class FastWindows {
public:
    // The window at index, made on first use; it stays where it is.
    FastWindow& At(size_t index) {
        while (windows_.size() <= index) windows_.push_back(std::make_unique<FastWindow>());
        return *windows_[index];
    }
    // The first of count indexes no other run holds.
    size_t Claim(size_t count) {
        const size_t first = claimed_;
        claimed_ += count;
        return first;
    }
    void GiveBack(size_t first) { claimed_ = first; }

private:
    std::vector<std::unique_ptr<FastWindow>> windows_;
    size_t claimed_ = 0;
};

}  // namespace Vrel

#pragma once
// Register windows for compiled blocks, owned by the thread they run on so
// that a thread resumed pass after pass finds its registers in place. Each
// run claims the windows of every nesting level it may reach; runs nest on
// the native stack, so claims are given back in reverse order.

#include "script/runtime/FastBlock.h"
#include "script/runtime/Var.h"

#include <array>
#include <memory>
#include <vector>

namespace Vrel {

struct FastWindow {
    std::array<Var, kMaxFastDepth> registers;
    std::array<Var*, kMaxFastDepth> pointers{};
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

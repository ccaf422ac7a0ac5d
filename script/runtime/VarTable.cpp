#include "script/runtime/VarTable.h"

#include <algorithm>

namespace Vrel {

VarTable::VarTable() : names_(new Vocabulary) {}

VarTable::~VarTable() { Clear(); }

void VarTable::Clear() {
    std::unique_ptr<Var[]> old = std::move(values_);
    count_ = capacity_ = 0;
    old.reset();
    names_->Clear();
}

void VarTable::Grow(int capacity) {
    capacity = std::min(capacity, kMaxVariables);
    if (capacity <= capacity_) return;
    std::unique_ptr<Var[]> grown(new Var[static_cast<size_t>(capacity)]);
    for (int i = 0; i < count_; ++i) grown[i].Assign(values_[i]);
    std::unique_ptr<Var[]> old = std::move(values_);
    values_ = std::move(grown);
    capacity_ = capacity;
    old.reset();
}

void VarTable::Reserve(int capacity) { Grow(capacity); }

Var* VarTable::Add(const char* name, const char* typeText, int* number) {
    if (count_ >= kMaxVariables) return nullptr;
    if (count_ == capacity_) Grow(5 + count_ * 5 / 4);
    // Always appended, also for a repeated name: the n-th text must name
    // variable n.
    if (names_->Append(name ? name : "") < 0) return nullptr;
    int slot = count_++;
    if (number) *number = slot;
    Var& value = values_[slot];
    if (typeText) value.SetDeclaration(typeText);
    return &value;
}

Var* VarTable::At(int number) { return number >= 0 && number < count_ ? &values_[number] : nullptr; }

const Var* VarTable::At(int number) const {
    return number >= 0 && number < count_ ? &values_[number] : nullptr;
}

void VarTable::CopyFrom(const VarTable& other) {
    if (&other == this) return;
    names_->CopyFrom(*other.names_);
    std::unique_ptr<Var[]> copy(other.capacity_ > 0 ? new Var[static_cast<size_t>(other.capacity_)] : nullptr);
    for (int i = 0; i < other.count_; ++i) copy[i].Assign(other.values_[i]);
    std::unique_ptr<Var[]> old = std::move(values_);
    values_ = std::move(copy);
    count_ = other.count_;
    capacity_ = other.capacity_;
    old.reset();
}

}  // namespace Vrel

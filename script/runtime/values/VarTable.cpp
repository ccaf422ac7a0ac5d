#include "script/runtime/values/VarTable.h"

#include "script/runtime/values/TypeRegistry.h"

#include <algorithm>

namespace Vrel {

VarTable::VarTable() : names_(new Vocabulary) {}

// The names go with their last holder, once: clearing them first, or making
// a fresh table for a shared one, only to drop it, is wasted work. Values
// still go first, while the table reads as empty, since releasing one may
// reach back here.
VarTable::~VarTable() {
    std::unique_ptr<Var[]> old = std::move(values_);
    count_ = capacity_ = 0;
    declared_.clear();
    old.reset();
}

void VarTable::Clear() {
    std::unique_ptr<Var[]> old = std::move(values_);
    count_ = capacity_ = 0;
    // A rebuilt table may hold other texts at the old addresses.
    declared_.clear();
    old.reset();
    if (namesShared_) {
        names_ = new Vocabulary;
        namesShared_ = false;
    } else {
        names_->Clear();
    }
}

void VarTable::UnshareNames() {
    if (!namesShared_) return;
    halvo::AutoRef<Vocabulary> own(new Vocabulary);
    own->CopyFrom(*names_);
    names_ = own;
    namesShared_ = false;
}

void VarTable::ShareFrom(const VarTable& other) {
    if (&other == this) return;
    ReleaseValues();
    MakeRoomFor(other);
    for (int i = 0; i < other.count_; ++i) values_[i].Assign(other.values_[i]);
    count_ = other.count_;
    names_ = other.names_;
    namesShared_ = true;
}

void VarTable::Reallocate(const VarTable& other) {
    values_.reset(other.capacity_ > 0 ? new Var[static_cast<size_t>(other.capacity_)] : nullptr);
    capacity_ = other.capacity_;
}

const TypeRecord* VarTable::LookUpDeclared(int number, const char* typeText) {
    TypeRegistry& registry = TypeRegistry::Global();
    if (number < 0 || number >= count_) return registry.FindDeclared(typeText);
    if (static_cast<size_t>(number) >= declared_.size()) declared_.resize(static_cast<size_t>(count_));
    DeclaredEntry& entry = declared_[static_cast<size_t>(number)];
    // A found record stands for its name for good.
    if (entry.typeText == typeText && typeText && (entry.record || entry.registrySize == registry.Size()))
        return entry.record;
    entry.typeText = typeText;
    entry.record = registry.FindDeclared(typeText);
    entry.registrySize = registry.Size();
    return entry.record;
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
    UnshareNames();
    // Always appended, also for a repeated name: the n-th text must name
    // variable n.
    if (names_->Append(name ? name : "") < 0) return nullptr;
    int slot = count_++;
    if (number) *number = slot;
    Var& value = values_[slot];
    if (typeText) value.SetDeclaration(typeText);
    return &value;
}


const Var* VarTable::At(int number) const {
    return number >= 0 && number < count_ ? &values_[number] : nullptr;
}

void VarTable::CopyFrom(const VarTable& other) {
    if (&other == this) return;
    UnshareNames();
    names_->CopyFrom(*other.names_);
    std::unique_ptr<Var[]> copy(other.capacity_ > 0 ? new Var[static_cast<size_t>(other.capacity_)] : nullptr);
    for (int i = 0; i < other.count_; ++i) copy[i].Assign(other.values_[i]);
    std::unique_ptr<Var[]> old = std::move(values_);
    values_ = std::move(copy);
    declared_.clear();
    count_ = other.count_;
    capacity_ = other.capacity_;
    old.reset();
}

}  // namespace Vrel

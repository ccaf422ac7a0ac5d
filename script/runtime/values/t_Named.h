#pragma once
// The structure value (script type "struct"): members by name, in byte-wise
// name order. Modules, functions and threads embed one for their members.

#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarExtension.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace Vrel {

// Byte-wise name order, as std::less<> gives it, with the short names that
// members nearly always have compared in place instead of by a library call:
// a module of thousands of functions compares a dozen names per look-up.
struct MemberNameLess {
    using is_transparent = void;
    static constexpr size_t kInlineBytes = 16;
    bool operator()(std::string_view a, std::string_view b) const {
        const size_t common = a.size() < b.size() ? a.size() : b.size();
        if (common > kInlineBytes) {
            const int order = a.compare(0, common, b.substr(0, common));
            if (order != 0) return order < 0;
            return a.size() < b.size();
        }
        for (size_t i = 0; i < common; ++i) {
            const auto x = static_cast<unsigned char>(a[i]);
            const auto y = static_cast<unsigned char>(b[i]);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};

// Member map nodes (and the other objects of fixed size every compiled
// function holds) come from per-thread lists of equal blocks carved from
// shared chunks instead of one heap allocation each: a module of thousands of
// functions holds a few members per function, made at every compile and let
// go at shutdown. There are two block sizes, a member node's and a code
// object's. The chunks stay for the process, so what is kept is the largest
// number of blocks alive at once. Larger sizes (and address checking builds,
// so that a use after release is still caught) take the heap.
namespace member_blocks {
void* Take(size_t bytes);
void Give(void* block, size_t bytes);
}  // namespace member_blocks

template <typename T>
struct MemberAllocator {
    using value_type = T;
    MemberAllocator() = default;
    template <typename U>
    MemberAllocator(const MemberAllocator<U>&) {}
    T* allocate(size_t count) {
        if (count != 1) return static_cast<T*>(::operator new(count * sizeof(T)));
        return static_cast<T*>(member_blocks::Take(sizeof(T)));
    }
    void deallocate(T* block, size_t count) {
        if (count != 1) {
            ::operator delete(block);
            return;
        }
        member_blocks::Give(block, sizeof(T));
    }
    template <typename U>
    bool operator==(const MemberAllocator<U>&) const {
        return true;
    }
};

using MemberMap = std::map<std::string, Var, MemberNameLess, MemberAllocator<std::pair<const std::string, Var>>>;

class t_Named : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new t_Named; }

    t_Named() = default;
    ~t_Named() override { MembersChanged(); }

    // Counts every change in which members exist anywhere (added, removed,
    // a structure gone) and in how modules link up: the interpreter keeps
    // the outcome of a by-name look-up while this stays the same.
    static uint64_t GetLayoutGeneration() { return LayoutGeneration().load(std::memory_order_relaxed); }
    static void MembersChanged() { LayoutGeneration().fetch_add(1, std::memory_order_relaxed); }

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "DataHolder"; }
    // "(name::value,...)" in name order.
    std::string ToString() const override;
    int GetCount() const override { return static_cast<int>(members_.size()); }
    Var* GetMember(const char* name) override { return FindMember(name); }
    Var* GetOrAddMember(const char* name) override;
    // The members in name order, without the "~p" and "~m" links; see
    // ModuleFile.cpp.
    bool Serialize(ScriptIO& stream) override;

    Var* FindMember(const char* name);
    // A new member made an empty value of the declared type; an existing one
    // changes only when the declared type differs from what it holds.
    Var* AddMember(const char* name, const char* typeText);
    bool RemoveMember(const char* name);
    void ClearMembers() {
        members_.clear();
        MembersChanged();
    }
    void CopyMembers(const t_Named& other);
    void AddMembers(const t_Named& other);

    MemberMap& GetMembers() { return members_; }
    const MemberMap& GetMembers() const { return members_; }

private:
    // members_.lower_bound, answered from the end for the "~" links.
    MemberMap::iterator LowerBound(std::string_view key);

    static std::atomic<uint64_t>& LayoutGeneration() {
        static std::atomic<uint64_t> generation{0};
        return generation;
    }

    MemberMap members_;
};

// The structure an object value holds, else null.
t_Named* ToNamed(const Var& value);

}  // namespace Vrel

#include "script/runtime/values/t_Named.h"

#include "platform/BlockPool.h"
#include "script/runtime/values/PrintPath.h"

#include <cstring>
#include <new>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace Vrel {

const ClassRecord t_Named::kClassRecord = {"t_Named", &VarExtension::kClassRecord, &t_Named::Create};

namespace member_blocks {
namespace {

// Room for a map node: the tree links, the name and the value.
constexpr size_t kBlockBytes = 96;
static_assert(4 * sizeof(void*) + sizeof(std::pair<const std::string, Var>) <= kBlockBytes,
              "a member map node fits a block");
// Room for the larger objects a compiled function holds (its code object).
constexpr size_t kLargeBlockBytes = 256;
// A module of thousands of functions holds a few members per function.
constexpr size_t kFirstChunkBlocks = 1024;
using SmallBlocks = halvo::BlockPool<kBlockBytes, kFirstChunkBlocks>;
using LargeBlocks = halvo::BlockPool<kLargeBlockBytes, kFirstChunkBlocks>;

}  // namespace

void* Take(size_t bytes) {
    if (!halvo::kPoolBlocks || bytes > kLargeBlockBytes) return ::operator new(bytes);
    return bytes <= kBlockBytes ? SmallBlocks::Take() : LargeBlocks::Take();
}

void Give(void* block, size_t bytes) {
    if (!block) return;
    if (!halvo::kPoolBlocks || bytes > kLargeBlockBytes) {
        ::operator delete(block);
        return;
    }
    if (bytes <= kBlockBytes)
        SmallBlocks::Give(block);
    else
        LargeBlocks::Give(block);
}

}  // namespace member_blocks

namespace {
constexpr size_t kMaxTextLength = 240;
// Members a tail walk looks at before it hands over to the tree's own search.
constexpr int kTailSteps = 6;
}  // namespace

// The links and tables ("~b", "~p", "~v", ...) sort behind every plain name,
// so in a module of thousands of functions they sit a few steps from the end:
// a short walk back finds their place without a dozen text compares down the
// tree. Any other name, or a tail longer than the walk, takes the tree search.
MemberMap::iterator t_Named::LowerBound(std::string_view key) {
    if (!key.empty() && key[0] == '~') {
        auto it = members_.end();
        for (int step = 0; step < kTailSteps && it != members_.begin(); ++step) {
            auto before = std::prev(it);
            if (members_.key_comp()(before->first, key)) return it;
            it = before;
        }
        if (it == members_.begin()) return it;
    }
    return members_.lower_bound(key);
}

Var* t_Named::FindMember(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    return it == members_.end() || it->first != key ? nullptr : &it->second;
}

// One walk down the map finds the member or the place for a new one: a
// module takes thousands of functions this way.
Var* t_Named::GetOrAddMember(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) {
        it = members_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple());
        MembersChanged();
    }
    return &it->second;
}

Var* t_Named::AddMember(const char* name, const char* typeText) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) {
        Var& member =
            members_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple())
                ->second;
        MembersChanged();
        if (typeText) member.InitType(typeText);
        return &member;
    }
    Var& member = it->second;
    if (typeText) {
        Var declared;
        declared.InitType(typeText);
        if (std::strcmp(declared.GetTypeName(), member.GetTypeName()) != 0) {
            member.Clear();
            member.Assign(declared);
        }
    }
    return &member;
}

bool t_Named::RemoveMember(const char* name) {
    if (!name) return false;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) return false;
    members_.erase(it);
    MembersChanged();
    return true;
}

void t_Named::CopyMembers(const t_Named& other) {
    if (&other == this) return;
    members_.clear();
    MembersChanged();
    AddMembers(other);
}

void t_Named::AddMembers(const t_Named& other) {
    if (&other == this) return;
    // Existing members may take other objects (code, names, links).
    MembersChanged();
    for (const auto& [name, value] : other.members_) {
        auto it = members_.find(name);
        if (it == members_.end()) {
            members_.emplace(name, value);
            MembersChanged();
        } else {
            it->second.Assign(value);
        }
    }
}

std::string t_Named::ToString() const {
    PrintPath path(this);
    std::string text = "(";
    bool first = true;
    for (const auto& [name, value] : members_) {
        std::string valueText = value.ToString();
        size_t separator = first ? 0 : 1;
        if (text.size() + separator + name.size() + 2 + valueText.size() > kMaxTextLength) {
            text += ",...";
            break;
        }
        if (!first) text += ",";
        text += name;
        text += "::";
        text += valueText;
        first = false;
    }
    text += ")";
    return text;
}

t_Named* ToNamed(const Var& value) {
    VarExtension* object = value.GetObject();
    return object && object->IsKindOf(t_Named::kClassRecord) ? static_cast<t_Named*>(object) : nullptr;
}

}  // namespace Vrel

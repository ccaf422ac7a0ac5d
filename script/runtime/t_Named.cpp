#include "script/runtime/t_Named.h"

#include "script/runtime/PrintPath.h"

#include <cstring>
#include <string_view>
#include <tuple>
#include <utility>

namespace Vrel {

const ClassRecord t_Named::kClassRecord = {"t_Named", &VarExtension::kClassRecord, &t_Named::Create};

namespace {
constexpr size_t kMaxTextLength = 240;
}

Var* t_Named::FindMember(const char* name) {
    if (!name) return nullptr;
    auto it = members_.find(std::string_view(name));
    return it == members_.end() ? nullptr : &it->second;
}

// One walk down the map finds the member or the place for a new one: a
// module takes thousands of functions this way.
Var* t_Named::GetOrAddMember(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = members_.lower_bound(key);
    if (it == members_.end() || it->first != key) {
        it = members_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple());
        MembersChanged();
    }
    return &it->second;
}

Var* t_Named::AddMember(const char* name, const char* typeText) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = members_.lower_bound(key);
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
    auto it = members_.find(std::string_view(name));
    if (it == members_.end()) return false;
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

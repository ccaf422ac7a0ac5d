#include "script/runtime/values/VarExtension.h"

#include "script/runtime/values/Var.h"

#include <cstdio>

namespace Vrel {

const ClassRecord VarExtension::kClassRecord = {"VarExtension", nullptr, nullptr};

std::string VarExtension::ToString() const {
    char text[128];
    std::snprintf(text, sizeof text, "%s(%8p)", GetTypeName(), static_cast<const void*>(this));
    return text;
}

bool VarExtension::OpEqual(Var& result, const Var& other) {
    const Var& target = other.Followed();
    bool same = target.GetTag() == kTagObject && target.GetObject() == this;
    result.SetBool(same);
    return true;
}

}  // namespace Vrel

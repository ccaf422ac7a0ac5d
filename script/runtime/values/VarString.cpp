#include "script/runtime/values/VarString.h"

#include "script/runtime/values/Var.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace Vrel {

const ClassRecord VarString::kClassRecord = {"VarString", &VarExtension::kClassRecord, &VarString::Create};

bool VarString::Assign(const Var& source) {
    const char* text = nullptr;
    if (source.GetTag() == kTagStringConst) {
        text = source.GetStringConst();
    } else if (source.Followed().GetTag() == kTagObject) {
        text = source.GetCString();
    }
    if (!text) return false;
    if (text != text_.c_str()) text_ = text;
    return true;
}

bool VarString::OpAdd(Var& result, const Var& other) {
    // Sized once: a copy that then grows copies the text twice, and texts
    // built by repeated "s = s + ..." are copied on every step.
    const char* otherText = other.GetCString();
    std::string joined;
    joined.reserve(text_.size() + (otherText ? std::strlen(otherText) : 0));
    joined += text_;
    if (otherText) joined += otherText;
    // Built first, stored last: result may hold the only reference to this
    // string, and other may be result itself ("s += s").
    halvo::AutoRef<VarString> sum(new VarString(std::move(joined)));
    result.SetObject(sum.Get());
    return true;
}

bool VarString::ToBool(bool& out) const {
    out = !text_.empty();
    return true;
}

bool VarString::ToInt(int& out) const {
    out = TextToInt(text_.c_str());
    return true;
}

bool VarString::ToFloat(float& out) const {
    out = static_cast<float>(std::strtod(text_.c_str(), nullptr));
    return true;
}

bool VarString::CompareWith(const Var& other, int& order) const {
    const char* otherText = other.GetCString();
    if (!otherText) return false;
    order = std::string_view(text_).compare(otherText);
    return true;
}

bool VarString::OpLess(Var& result, const Var& other) {
    int order = 0;
    bool answer = CompareWith(other, order) && order < 0;
    result.SetBool(answer);
    return true;
}

bool VarString::OpLessEqual(Var& result, const Var& other) {
    int order = 0;
    bool answer = CompareWith(other, order) && order <= 0;
    result.SetBool(answer);
    return true;
}

bool VarString::OpEqual(Var& result, const Var& other) {
    int order = 0;
    bool answer = CompareWith(other, order) && order == 0;
    result.SetBool(answer);
    return true;
}

}  // namespace Vrel

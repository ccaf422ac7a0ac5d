#include "script/runtime/values/VarUnicode.h"

#include "script/runtime/values/Var.h"

namespace Vrel {

const ClassRecord VarUnicode::kClassRecord = {"VarUnicode", &VarExtension::kClassRecord, &VarUnicode::Create};

namespace {

std::u16string_view Widened(const char* text, std::u16string& storage) {
    storage.clear();
    for (const char* p = text; *p; ++p) storage.push_back(static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(*p))));
    return storage;
}

// The 8-bit text a source offers: a string constant, or the text of what a
// reference or object value leads to.
const char* SourceText(const Var& source) { return source.GetCString(); }

}  // namespace

VarUnicode::VarUnicode(const std::vector<char16_t>& units) : units_(units) {
    if (units_.empty()) SetText("");
}

void VarUnicode::SetUnits(std::u16string_view units) {
    units_.assign(units.begin(), units.end());
    if (units_.empty()) SetText("");
}

void VarUnicode::SetText(const char* text) {
    units_.clear();
    if (!text) return;
    std::u16string widened;
    Widened(text, widened);
    units_.assign(widened.begin(), widened.end());
    units_.push_back(0);
}

std::u16string_view VarUnicode::GetText() const {
    std::u16string_view all(units_.data(), units_.size());
    size_t end = all.find(u'\0');
    return end == std::u16string_view::npos ? all : all.substr(0, end);
}

std::string VarUnicode::ToString() const {
    std::string text = "uni(";
    for (char16_t unit : GetText()) text.push_back(static_cast<char>(unit & 0xFF));
    text += ")";
    return text;
}

bool VarUnicode::Assign(const Var& source) {
    const char* text = SourceText(source);
    if (!text) return false;
    SetText(text);
    return true;
}

bool VarUnicode::OpAdd(Var& result, const Var& other) {
    std::u16string joined(GetText());
    if (VarUnicode* otherUnicode = ToVarUnicode(other)) {
        joined += otherUnicode->GetText();
    } else if (const char* text = SourceText(other)) {
        std::u16string widened;
        joined += Widened(text, widened);
    } else {
        return false;
    }
    std::vector<char16_t> units(joined.begin(), joined.end());
    units.push_back(0);
    halvo::AutoRef<VarUnicode> sum(new VarUnicode(units));
    result.SetObject(sum.Get());
    return true;
}

bool VarUnicode::CompareWith(const Var& other, int& order) const {
    VarUnicode* otherUnicode = ToVarUnicode(other);
    if (!otherUnicode) return false;
    std::u16string_view a = GetText();
    std::u16string_view b = otherUnicode->GetText();
    // A shorter text counts as ending in 0 units, which sort first.
    order = a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    return true;
}

bool VarUnicode::OpLess(Var& result, const Var& other) {
    int order = 0;
    if (!CompareWith(other, order)) return false;
    result.SetBool(order < 0);
    return true;
}

bool VarUnicode::OpLessEqual(Var& result, const Var& other) {
    int order = 0;
    if (!CompareWith(other, order)) return false;
    result.SetBool(order <= 0);
    return true;
}

bool VarUnicode::OpEqual(Var& result, const Var& other) {
    int order = 0;
    if (!CompareWith(other, order)) return false;
    result.SetBool(order == 0);
    return true;
}

VarUnicode* ToVarUnicode(const Var& value) {
    VarExtension* object = value.GetObject();
    return object && object->IsKindOf(VarUnicode::kClassRecord) ? static_cast<VarUnicode*>(object) : nullptr;
}

}  // namespace Vrel

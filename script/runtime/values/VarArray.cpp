#include "script/runtime/values/VarArray.h"

#include "script/runtime/values/PrintPath.h"

namespace Vrel {

const ClassRecord VarArray::kClassRecord = {"VarArray", &VarExtension::kClassRecord, &VarArray::Create};

namespace {

constexpr size_t kMaxTextLength = 240;

// Values not worth carrying into a resized block: their places stay nil.
bool IsEmptySlot(const Var& value) {
    if (value.GetTag() == kTagReference) return value.Followed().GetTag() == kTagNil;
    return value.IsNil();
}

}  // namespace

VarArray* VarArray::CreateWithCount(int count) {
    if (count < 0 || count > kMaxArrayCount) return nullptr;
    auto* array = new VarArray;
    array->Resize(count);
    return array;
}

const char* VarArray::SetSizeOf(Var& variable, const Var& size) {
    // Only a variable that holds no array yet gets a new one: replacing it
    // would lose its contents.
    if (variable.HasAutoFlag() && !ToVarArray(variable)) variable.SetObject(new VarArray);
    VarArray* array = ToVarArray(variable);
    if (!array) return "SetSize expected an array as first argument";
    if (!size.IsNumber()) return "SetSize expected a size value as second argument";
    float requested = 0.0f;
    int count = size.IsInt() ? size.AsInt() : (size.ToFloat(requested), FloatToInt(requested));
    if (!array->Resize(count)) return "SetSize expected a size value as second argument";
    return nullptr;
}

bool VarArray::Resize(int n) {
    if (n < 0 || n > kMaxArrayCount) return false;
    if (static_cast<uint32_t>(n) == count_) return true;
    std::unique_ptr<Var[]> fresh(n > 0 ? new Var[static_cast<size_t>(n)] : nullptr);
    for (int i = 0; i < n; ++i) fresh[i].SetAutoFlag(true);
    uint32_t kept = std::min(static_cast<uint32_t>(n), count_);
    for (uint32_t i = 0; i < kept; ++i)
        if (!IsEmptySlot(elements_[i])) fresh[i].Assign(elements_[i]);
    // The old block goes only after the new one is complete: its elements
    // may own what is being copied.
    std::unique_ptr<Var[]> old = std::move(elements_);
    elements_ = std::move(fresh);
    count_ = static_cast<uint32_t>(n);
    capacity_ = count_;
    RetireStorage(std::move(old));
    return true;
}

void VarArray::RetireStorage(std::unique_ptr<Var[]> old) {
    if (old && storagePins_ > 0) retired_.push_back(std::move(old));
}

void VarArray::UnpinStorage() {
    if (storagePins_ > 0 && --storagePins_ == 0) {
        std::vector<std::unique_ptr<Var[]>> retired = std::move(retired_);
        retired_.clear();
    }
}

bool VarArray::Assign(const Var& source) {
    int n = source.GetCount();
    if (n > static_cast<int>(count_)) return false;
    for (int i = 0; i < n; ++i) {
        const Var* element = source.GetElement(i);
        if (!element || !elements_[i].AssignTyped(*element)) return false;
    }
    return true;
}

bool VarArray::OpAdd(Var& result, const Var& other) {
    VarArray* otherArray = ToVarArray(other);
    if (otherArray) {
        // "a += a" reads the elements it is appending: count them first.
        uint32_t added = otherArray->count_;
        uint32_t start = count_;
        if (!Resize(static_cast<int>(start + added))) return false;
        for (uint32_t i = 0; i < added; ++i) elements_[start + i].CopyWithoutConst(otherArray->elements_[i]);
    } else {
        Var copy;
        copy.CopyWithoutConst(other.Followed());
        uint32_t start = count_;
        if (!Resize(static_cast<int>(start + 1))) return false;
        elements_[start].CopyWithoutConst(copy);
    }
    if (result.GetObject() != this) result.SetObject(this);
    return true;
}

std::string VarArray::ToString() const {
    PrintPath path(this);
    std::string text = "(";
    for (uint32_t i = 0; i < count_; ++i) {
        std::string element = elements_[i].ToString();
        size_t separator = i > 0 ? 1 : 0;
        if (text.size() + separator + element.size() > kMaxTextLength) {
            text += ",...";
            break;
        }
        if (separator) text += ",";
        text += element;
    }
    text += ")";
    return text;
}

}  // namespace Vrel

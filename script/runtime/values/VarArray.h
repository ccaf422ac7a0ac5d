#pragma once
// The script's array of values (type "array"). Arrays never grow through
// element access; they grow by Resize and by "+".

#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarExtension.h"

#include <memory>
#include <vector>

namespace Vrel {

class VarArray : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new VarArray; }
    // A new array of count nil elements that take any type, or null when the
    // count is negative or above kMaxArrayCount.
    static VarArray* CreateWithCount(int count);
    // What "SetSize" does to its variable: null on success, else the message
    // to report.
    static const char* SetSizeOf(Var& variable, const Var& size);

    VarArray() = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "array"; }
    std::string ToString() const override;
    int GetCount() const override { return static_cast<int>(count_); }
    bool Assign(const Var& source) override;
    Var* GetAt(int index) override {
        return static_cast<uint32_t>(index) < count_ ? &elements_[static_cast<uint32_t>(index)] : nullptr;
    }
    Var* GetOrAddAt(int index) override { return GetAt(index); }
    bool OpAdd(Var& result, const Var& other) override;

    // Keeps the first min(n, count) elements; new places are nil and take
    // any type. Refuses a negative count or one above kMaxArrayCount.
    bool Resize(int n);

    // Argument arrays are reused: Empty releases the elements as the
    // array's end would (last first), Reuse makes it count nil elements that
    // take any type. Reuse refuses (false) while storage is pinned or kept.
    // A count within the storage the array ever had takes no new storage,
    // so calls with two and three arguments in turn allocate nothing: the
    // places past the count were emptied when the count was larger.
    void Empty() {
        for (uint32_t i = count_; i > 0; --i) {
            Var& element = elements_[i - 1];
            element.Clear();
            element.SetConstFlag(false);
            element.SetAutoFlag(true);
        }
    }
    bool Reuse(int count) {
        if (storagePins_ > 0 || !retired_.empty()) return false;
        if (count < 0 || static_cast<uint32_t>(count) > capacity_) return Resize(count);
        count_ = static_cast<uint32_t>(count);
        return true;
    }

    // While pinned, a resize keeps the replaced element storage until the
    // last unpin: a running statement may still hold references into it.
    void PinStorage() { ++storagePins_; }
    void UnpinStorage();

private:
    void RetireStorage(std::unique_ptr<Var[]> old);

    std::unique_ptr<Var[]> elements_;
    uint32_t count_ = 0;
    // Places in elements_; only a reused argument array has more than count_.
    uint32_t capacity_ = 0;
    int storagePins_ = 0;
    std::vector<std::unique_ptr<Var[]>> retired_;
};

// The array an object value holds, else null.
inline VarArray* ToVarArray(const Var& value) { return CastTo<VarArray>(value.GetObject()); }

}  // namespace Vrel

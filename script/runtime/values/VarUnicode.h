#pragma once
// The script's string of 16-bit characters (type "unicode"). The text ends
// at the first 0 unit or at the end of the units, whichever comes first.

#include "script/runtime/values/VarExtension.h"

#include <string_view>
#include <vector>

namespace Vrel {

class VarUnicode : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new VarUnicode; }

    VarUnicode() = default;
    explicit VarUnicode(const char* text) { SetText(text); }
    // Exactly these units; none gives the empty text with its 0 unit.
    explicit VarUnicode(const std::vector<char16_t>& units);

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "unicode"; }
    // "uni(" + the low byte of each character + ")".
    std::string ToString() const override;
    bool Assign(const Var& source) override;
    bool OpAdd(Var& result, const Var& other) override;
    bool OpLess(Var& result, const Var& other) override;
    bool OpLessEqual(Var& result, const Var& other) override;
    bool OpEqual(Var& result, const Var& other) override;

    // One unit per byte, sign-extended, then a 0 unit; null leaves no units.
    void SetText(const char* text);
    // Exactly these units, as the constructor takes them, in the storage the
    // string already has.
    void SetUnits(std::u16string_view units);
    std::u16string_view GetText() const;
    const std::vector<char16_t>& GetUnits() const { return units_; }

private:
    // -1, 0 or 1 against another unicode string; false for anything else.
    bool CompareWith(const Var& other, int& order) const;

    std::vector<char16_t> units_;
};

// The unicode string an object value holds, else null.
VarUnicode* ToVarUnicode(const Var& value);

}  // namespace Vrel

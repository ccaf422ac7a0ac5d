#pragma once
// The script's 8-bit string object (type "string").

#include "script/runtime/values/VarExtension.h"

#include <string>

namespace Vrel {

class VarString : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new VarString; }

    VarString() = default;
    explicit VarString(const char* text) : text_(text ? text : "") {}
    explicit VarString(std::string text) : text_(std::move(text)) {}

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "string"; }
    std::string ToString() const override { return text_; }
    bool Assign(const Var& source) override;
    bool OpAdd(Var& result, const Var& other) override;
    bool ToBool(bool& out) const override;
    bool ToInt(int& out) const override;
    bool ToFloat(float& out) const override;
    const char* GetCString() const override { return text_.c_str(); }
    bool OpLess(Var& result, const Var& other) override;
    bool OpLessEqual(Var& result, const Var& other) override;
    bool OpEqual(Var& result, const Var& other) override;

    const std::string& GetText() const { return text_; }
    void SetText(const char* text) { text_ = text ? text : ""; }
    void Append(const char* tail) { text_ += tail; }

private:
    // Byte-wise order of the own text against the other's; false when the
    // other value has no text.
    bool CompareWith(const Var& other, int& order) const;

    std::string text_;
};

}  // namespace Vrel

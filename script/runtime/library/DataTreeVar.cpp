#include "script/runtime/library/DataTreeVar.h"

#include "platform/Loca.h"
#include "platform/NumberText.h"
#include "script/runtime/values/VarString.h"
#include "script/runtime/values/VarUnicode.h"

#include <string_view>
#include <vector>

namespace DataTree {

namespace {

constexpr const char* kInvalidValue = "(invalid)";

bool HasHighByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

void EncodeText(const char* text, std::string& out) {
    if (HasHighByte(text)) {
        out = "~u_" + Loca::ToUtf8(text);
    } else {
        out = "~s_";
        out += text;
    }
}

Vrel::VarUnicode* DecodeUnicode(const char* utf8) {
    std::u16string text;
    Loca::AssignUtf8(utf8, text);
    return new Vrel::VarUnicode(std::vector<char16_t>(text.begin(), text.end()));
}

}  // namespace

void EncodeValue(const Vrel::Var& value, std::string& out) {
    const Vrel::Var& target = value.Followed();
    float number = 0.0f;
    if (value.GetTag() == Vrel::kTagInt) {
        out = "~i_" + NumberText::FormatInt(value.RawInt());
    } else if (target.IsNumber() && target.ToFloat(number)) {
        out = "~f_" + NumberText::FormatFloat(number);
    } else if (target.GetTag() == Vrel::kTagBool) {
        bool on = false;
        target.ToBool(on);
        out = on ? "~b_1" : "~b_0";
    } else if (Vrel::VarUnicode* unicode = Vrel::ToVarUnicode(value)) {
        out = "~u_" + Loca::WideToUtf8(unicode->GetText());
    } else if (const char* text = value.GetCString()) {
        EncodeText(text, out);
    } else {
        out = kInvalidValue;
    }
}

void DecodeValue(const char* stored, Vrel::Var& out) {
    if (!stored) stored = "";
    char prefix = ValuePrefix(stored);
    const char* rest = prefix ? stored + kPrefixLength : stored;
    switch (prefix) {
        case 'b': out.SetFloat(rest[0] != '0' ? 1.0f : 0.0f); break;
        case 'f': out.SetFloat(static_cast<float>(NumberText::ParseFloat(rest))); break;
        case 'i': out.SetInt(NumberText::ParseInt(rest)); break;
        case 's': out.SetObject(new Vrel::VarString(rest)); break;
        case 'u': out.SetObject(DecodeUnicode(rest)); break;
        default: out.SetObject(new Vrel::VarString(stored)); break;
    }
}

bool SetVar(const char* path, const Vrel::Var& value) {
    std::string text;
    EncodeValue(value, text);
    return SetString(path, text.c_str());
}

bool GetVar(const char* path, Vrel::Var& out) {
    const char* stored = GetStoredText(path);
    if (!stored) return false;
    DecodeValue(stored, out);
    return true;
}

}  // namespace DataTree

#include "script/runtime/ScriptVM.h"

#include "script/runtime/TypeRegistry.h"
#include "script/runtime/Var.h"
#include "script/runtime/VarArray.h"
#include "script/runtime/VarString.h"
#include "script/runtime/VarUnicode.h"
#include "script/runtime/t_Named.h"

#include <cstdarg>
#include <cstdio>

namespace Vrel {

ScriptVM::ScriptVM() { FillTypeRegistry(); }

ScriptVM::~ScriptVM() = default;

ScriptVM& ScriptVM::Global() {
    static ScriptVM machine;
    return machine;
}

void ScriptVM::FillTypeRegistry() {
    TypeRegistry& registry = TypeRegistry::Global();
    registry.Add("void", kTagNil, nullptr);
    registry.Add("auto", kTagAuto, nullptr);
    registry.Add("int", kTagInt, nullptr);
    registry.Add("float", kTagFloat, nullptr);
    registry.Add("bool", kTagBool, nullptr);
    registry.Add("bind", kTagBind, nullptr);
    registry.Add("string", kTagObject, &VarString::kClassRecord);
    registry.Add("unicode", kTagObject, &VarUnicode::kClassRecord);
    registry.Add("array", kTagObject, &VarArray::kClassRecord);
    registry.Add("struct", kTagObject, &t_Named::kClassRecord);
}

void ScriptVM::IgnoreText(const char*) {}

void ScriptVM::Error(const char* source, int line, const char* format, ...) {
    if (!format || !*format) return;
    char prefix[512];
    std::snprintf(prefix, sizeof prefix, "%s(%d) : ", source ? source : "(null)", line);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(prefix);
    if (length > 0) {
        std::string message(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(message.data(), message.size(), format, args);
        message.resize(static_cast<size_t>(length));
        text += message;
    }
    va_end(args);
    Output(text.c_str());
}

void ScriptVM::Output(const char* text) {
    if (!text) return;
    if (debugHandler_) {
        if (debugHandler_->IsErrorChannel())
            debugHandler_->OnError(text);
        else
            debugHandler_->OnWarning(text);
    } else if (secondCallback_) {
        secondCallback_(text);
    } else if (firstCallback_) {
        firstCallback_(text);
    }
}

void ScriptVM::RetainTextBlock(std::unique_ptr<char[]> block) {
    if (block) retainedBlocks_.push_back(std::move(block));
}

const char* ScriptVM::InternText(std::string_view text) {
    auto it = internedTexts_.find(text);
    if (it == internedTexts_.end()) it = internedTexts_.emplace(text).first;
    return it->c_str();
}

}  // namespace Vrel

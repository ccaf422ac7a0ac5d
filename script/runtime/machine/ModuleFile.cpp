#include "script/runtime/machine/ModuleFile.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/machine/ScriptIO.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/t_Named.h"

#include <cstring>
#include <string>

namespace Vrel {

namespace {

// Every value takes at least its tag word: a count that needs more bytes
// than are left cannot be right.
constexpr uint64_t kMinValueBytes = 4;

bool IsLink(const std::string& name) { return name.size() >= 2 && name[0] == '~' && (name[1] == 'p' || name[1] == 'm'); }

bool IsParentLink(const std::string& name) { return name.size() >= 2 && name[0] == '~' && name[1] == 'p'; }

void WriteText(ScriptIO& stream, const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    WriteU32(stream, static_cast<uint32_t>(length));
    WriteBytes(stream, text, length);
}

// True when candidate is module or one of its ancestors.
bool IsSelfOrAncestor(const BinCode* candidate, const BinCode* module) {
    for (int hop = 0; module && hop <= kMaxModuleNesting; ++hop, module = module->GetParent())
        if (module == candidate) return true;
    return false;
}

BinCode* ReadObjectRef(ScriptIO& stream, bool& fresh) {
    fresh = false;
    uint32_t identifier = ReadU32(stream);
    if (stream.HasError() || identifier == 0) return nullptr;
    if (VarExtension* known = stream.FindRead(identifier)) return static_cast<BinCode*>(known);
    if (stream.Nesting() >= kMaxStreamNesting) {
        stream.SetError();
        return nullptr;
    }
    auto* module = new BinCode;
    // Entered before its body, so that the body may refer to it.
    stream.EnterRead(identifier, module);
    ++stream.Nesting();
    uint8_t parameters = ReadU8(stream);
    std::string returnType = ReadString16(stream);
    bool complete = !stream.HasError() && module->GetVariables().Read(stream) &&
                    ReadMembers(stream, module->GetMembers(), module);
    --stream.Nesting();
    if (!complete) {
        stream.SetError();
        return nullptr;
    }
    module->SetParamCount(parameters);
    if (!returnType.empty()) module->SetReturnType(std::move(returnType));
    fresh = true;
    return module;
}

}  // namespace

// ---- values -------------------------------------------------------------------

void WriteValue(ScriptIO& stream, const Var& value) {
    WriteU32(stream, value.GetTagWord());
    switch (value.GetTag()) {
        case kTagBool: {
            bool truth = false;
            value.ToBool(truth);
            WriteU8(stream, truth ? 1 : 0);
            break;
        }
        case kTagInt:
        case kTagFloat:
        case kTagPosition: WriteU32(stream, value.RawPosition()); break;
        // An address means nothing in another run.
        case kTagReference: WriteU32(stream, 0); break;
        case kTagStringConst: WriteText(stream, value.GetStringConst()); break;
        case kTagDeclaration: WriteText(stream, value.GetName()); break;
        case kTagObject: {
            VarExtension* object = value.GetObject();
            WriteU8(stream, object ? 1 : 0);
            if (object) WriteObjectRef(stream, object);
            break;
        }
        default: break;
    }
}

bool ReadValue(ScriptIO& stream, Var& value, bool* fresh) {
    if (fresh) *fresh = false;
    MakeEmpty(value);
    const uint32_t word = ReadU32(stream);
    if (stream.HasError()) return false;
    switch (word & kTagMask) {
        case kTagNil: break;
        case kTagIgnore: value.SetIgnore(); break;
        case kTagBool: value.SetBool(ReadU8(stream) != 0); break;
        case kTagInt: value.SetInt(static_cast<int32_t>(ReadU32(stream))); break;
        case kTagFloat: {
            uint32_t bits = ReadU32(stream);
            float number;
            std::memcpy(&number, &bits, sizeof number);
            value.SetFloat(number);
            break;
        }
        case kTagPosition: value.SetPosition(ReadU32(stream)); break;
        case kTagReference: ReadU32(stream); break;
        case kTagStringConst:
        case kTagDeclaration: {
            std::string text = ReadBytes(stream, ReadU32(stream));
            if (!stream.HasError()) value.SetString(text.c_str());
            break;
        }
        case kTagObject: {
            uint8_t present = ReadU8(stream);
            if (present > 1) stream.SetError();
            bool isFresh = false;
            BinCode* module = present == 1 ? ReadObjectRef(stream, isFresh) : nullptr;
            if (present == 1 && !module) stream.SetError();
            if (stream.HasError()) break;
            value.SetObject(module);
            if (fresh) *fresh = isFresh;
            break;
        }
        // Pointers, binds and unknown tags would be raw addresses or
        // nothing at all: nil, with the flags kept.
        default: break;
    }
    if (stream.HasError()) {
        MakeEmpty(value);
        return false;
    }
    value.SetAutoFlag(word & kAutoFlag);
    value.SetConstFlag(word & kConstFlag);
    return true;
}

// ---- members ------------------------------------------------------------------

void WriteMembers(ScriptIO& stream, const t_Named& members) {
    for (const auto& [name, value] : members.GetMembers()) {
        if (IsLink(name)) continue;
        WriteU8(stream, 1);
        WriteU16(stream, static_cast<uint16_t>(name.size()));
        WriteBytes(stream, name.data(), name.size() & 0xFFFF);
        WriteValue(stream, value);
    }
    WriteU8(stream, 0);
}

bool ReadMembers(ScriptIO& stream, t_Named& members, BinCode* owner) {
    for (;;) {
        uint8_t flag = ReadU8(stream);
        if (stream.HasError() || flag > 1) break;
        if (flag == 0) return true;
        std::string name = ReadString16(stream);
        Var value;
        bool fresh = false;
        if (!ReadValue(stream, value, &fresh)) break;
        // The parent link is set here, never taken from the file.
        if (IsParentLink(name)) continue;
        Var* member = members.GetOrAddMember(name.c_str());
        MakeEmpty(*member);
        member->Assign(value);
        BinCode* module = ToBinCode(value);
        if (fresh && module && owner && !IsSelfOrAncestor(module, owner)) module->SetParent(owner);
    }
    stream.SetError();
    return false;
}

void DiscardReadObjects(ScriptIO& stream) {
    for (const auto& [identifier, object] : stream.GetReadObjects()) {
        auto* module = static_cast<BinCode*>(object.Get());
        module->GetMembers().ClearMembers();
        module->GetVariables().Clear();
    }
}

// ---- object bodies --------------------------------------------------------------

bool BinCode::Serialize(ScriptIO& stream) {
    WriteU8(stream, paramCount_);
    WriteU16(stream, static_cast<uint16_t>(returnType_.size()));
    WriteBytes(stream, returnType_.data(), returnType_.size() & 0xFFFF);
    variables_.Write(stream);
    WriteMembers(stream, members_);
    return !stream.HasError();
}

BinCode* BinCode::ReadObject(ScriptIO& stream) {
    bool fresh = false;
    return ReadObjectRef(stream, fresh);
}

bool t_Named::Serialize(ScriptIO& stream) {
    WriteMembers(stream, *this);
    return !stream.HasError();
}

void VarTable::Write(ScriptIO& stream) const {
    WriteU16(stream, static_cast<uint16_t>(count_));
    const int32_t poolSize = names_->GetUsed();
    WriteU32(stream, static_cast<uint32_t>(poolSize));
    WriteBytes(stream, names_->GetPool(), static_cast<size_t>(poolSize));
    for (int i = 0; i < count_; ++i) WriteValue(stream, values_[i]);
}

bool VarTable::Read(ScriptIO& stream) {
    Clear();
    const uint16_t slots = ReadU16(stream);
    const uint32_t poolSize = ReadU32(stream);
    if (slots > kMaxFileSlots || slots * kMinValueBytes > stream.Remaining()) stream.SetError();
    std::string pool = ReadBytes(stream, poolSize);
    // A pool starts with the empty text and ends with a terminator.
    if (!pool.empty() && (pool.front() != '\0' || pool.back() != '\0')) stream.SetError();
    if (stream.HasError()) return false;
    names_->RestorePool(pool.data(), static_cast<int32_t>(pool.size()));
    Reserve(slots + 2);
    for (int i = 0; i < slots; ++i) {
        if (!ReadValue(stream, values_[i])) {
            Clear();
            return false;
        }
        count_ = i + 1;
    }
    return true;
}

bool Thread::Serialize(ScriptIO& stream) {
    WriteU32(stream, static_cast<uint32_t>(state_));
    WriteU32(stream, depth_);
    WriteValue(stream, value_);
    WriteMembers(stream, threadValues_);
    for (uint32_t i = 0; i <= depth_ && i < kMaxCallDepth; ++i) {
        CallFrame* frame = frames_[i].get();
        if (!frame) {
            // A thread never run, or reset, has no frames: an empty one
            // stands in.
            WriteU32(stream, 0);
            WriteU32(stream, 0);
            WriteU32(stream, 0);
            WriteU32(stream, 0);
            VarTable().Write(stream);
            continue;
        }
        WriteU32(stream, frame->pc);
        WriteObjectRef(stream, frame->GetModule());
        WriteObjectRef(stream, frame->GetFunction());
        WriteU32(stream, frame->GetCount());
        for (uint32_t v = 0; v < frame->GetCount(); ++v) WriteValue(stream, frame->At(v));
        frame->GetLocals().Write(stream);
    }
    return !stream.HasError();
}

}  // namespace Vrel

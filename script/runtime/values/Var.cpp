#include "script/runtime/values/Var.h"

#include "platform/Math.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/values/PrintPath.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/VarString.h"
#include "script/runtime/values/Vocabulary.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Vrel {

namespace {

// A reference chain longer than this is damaged data, not a program.
constexpr int kMaxReferenceHops = 64;

// Escaped so that no compiler reads it as a trigraph.
constexpr const char* kUnprintable = "(\?\?\?)";

// Releasing an object may release what it holds, and so on down a chain of
// any length. Releases that happen while one is running are queued and run
// by the outermost one, so the native stack never grows with the chain.
struct ReleaseQueue {
    std::vector<VarExtension*> pending;
    bool draining = false;
};

ReleaseQueue& Queue() {
    // Never destroyed: objects are still released during static destruction.
    static auto* queue = new ReleaseQueue;
    return *queue;
}

void ReleaseObject(VarExtension* object) {
    ReleaseQueue& queue = Queue();
    if (queue.draining) {
        queue.pending.push_back(object);
        return;
    }
    queue.draining = true;
    object->Release();
    while (!queue.pending.empty()) {
        VarExtension* next = queue.pending.back();
        queue.pending.pop_back();
        next->Release();
    }
    queue.draining = false;
}

Var& Scratch() {
    static Var scratch;
    scratch.Clear();
    scratch.SetAutoFlag(false);
    scratch.SetConstFlag(false);
    return scratch;
}

void AppendLittleEndian(std::vector<uint8_t>& buffer, uint32_t word) {
    for (int i = 0; i < 4; ++i) buffer.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

}  // namespace

// ---- setters ---------------------------------------------------------------

void Var::ReleaseHeldObject() {
    VarExtension* old = value_.object;
    value_.raw = 0;
    ReleaseObject(old);
}

void Var::SetType(uint32_t tag) {
    ReleaseHeld();
    value_.raw = 0;
    if (tag == kTagAuto) {
        SetTagBits(kTagNil);
        SetAutoFlag(true);
    } else {
        SetTagBits(tag);
    }
}

void Var::SetPointer(void* address) {
    ReleaseHeld();
    value_.pointer = address;
    SetTagBits(kTagPointer);
}

void Var::SetStringConst(const char* text) {
    ReleaseHeld();
    value_.text = text;
    SetTagBits(kTagStringConst);
}

void Var::SetDeclaration(const char* typeText) {
    ReleaseHeld();
    value_.text = typeText;
    SetTagBits(kTagDeclaration);
}

void Var::SetString(const char* text) { SetObject(new VarString(text)); }

void Var::SetObject(VarExtension* object) {
    SetObjectOfRecord(object, object ? TypeRegistry::Global().FindForObject(*object) : record_);
}

void Var::SetObjectOfRecord(VarExtension* object, const TypeRecord* record) {
    // The new reference comes first: the old object may be the new one, or
    // its only owner.
    if (object) object->AddRef();
    VarExtension* old = GetTag() == kTagObject ? value_.object : nullptr;
    value_.raw = 0;
    value_.object = object;
    SetTagBits(kTagObject);
    record_ = record;
    if (old) ReleaseObject(old);
}

void Var::SetBind(detail::function_adapter* adapter) {
    if (adapter) adapter->AddRef();
    ReleaseHeld();
    value_.bind = adapter;
    SetTagBits(kTagBind);
}

void Var::SetIgnore() {
    ReleaseHeld();
    value_.raw = 0;
    SetTagBits(kTagIgnore);
}

void Var::AssignSlow(const Var& source) {
    if (&source == this) return;
    // Everything is read before anything is released: the source may live
    // inside the object this value lets go of.
    const uint32_t sourceWord = source.tagWord_;
    const Payload sourceValue = source.value_;
    const TypeRecord* sourceRecord = source.record_;
    if ((sourceWord & kTagMask) == kTagObject) {
        // A copy into a value without a type keeps the declared type of an
        // object variable that is still empty.
        bool adoptRecord = !sourceValue.object && !record_;
        SetObject(sourceValue.object);
        if (adoptRecord) record_ = sourceRecord;
        return;
    }
    ReleaseHeld();
    value_ = sourceValue;
    tagWord_ = (tagWord_ & ~(kTagMask | kAutoFlag | kConstFlag)) | (sourceWord & (kTagMask | kAutoFlag | kConstFlag));
}

// ---- accessors -------------------------------------------------------------

const Var& Var::FollowedChain() const {
    const Var* v = this;
    for (int hop = 0; hop < kMaxReferenceHops && v->GetTag() == kTagReference && v->value_.reference; ++hop)
        v = v->value_.reference;
    return *v;
}


detail::function_adapter* Var::GetBind() const {
    const Var& v = Followed();
    return v.GetTag() == kTagBind ? v.value_.bind : nullptr;
}

void* Var::GetPointer() const {
    const Var& v = Followed();
    return v.GetTag() == kTagPointer ? v.value_.pointer : nullptr;
}


const char* Var::GetStringConst() const {
    const Var& v = Followed();
    return v.GetTag() == kTagStringConst ? v.value_.text : nullptr;
}

const char* Var::GetName() const {
    if (GetTag() == kTagDeclaration) return value_.text;
    if (GetTag() == kTagReference) return GetStringConst();
    return nullptr;
}

const char* Var::GetCString() const {
    const Var& v = Followed();
    if (v.GetTag() == kTagStringConst) return v.value_.text;
    if (v.GetTag() == kTagObject && v.value_.object) return v.value_.object->GetCString();
    return nullptr;
}

const char* Var::GetTypeName() const {
    switch (GetTag()) {
        case kTagNil: return "nil";
        case kTagBool: return "bool";
        case kTagInt: return "int";
        case kTagFloat: return "float";
        case kTagPosition: return "position";
        case kTagReference: {
            const Var& target = Followed();
            return target.GetTag() == kTagReference ? "(unknown)" : target.GetTypeName();
        }
        case kTagPointer: return "pointer";
        case kTagStringConst: return "string";
        case kTagDeclaration: return "declaration";
        case kTagObject: return record_ ? record_->name.c_str() : "(NULL)";
        case kTagBind: return "bind";
        case kTagIgnore: return "ignore";
        default: return "(unknown)";
    }
}

bool Var::IsNil() const {
    const Var& v = Followed();
    switch (v.GetTag()) {
        case kTagNil: return true;
        case kTagPointer:
        case kTagObject:
        case kTagBind: return v.value_.raw == 0;
        default: return false;
    }
}

bool Var::IsNumber() const {
    uint32_t tag = Followed().GetTag();
    return tag == kTagInt || tag == kTagFloat;
}

bool Var::IsText() const {
    if (GetTag() == kTagStringConst) return true;
    return GetTag() == kTagReference && Followed().GetTag() == kTagObject;
}

// ---- conversions -----------------------------------------------------------

bool Var::ToBool(bool& out) const {
    const Var& v = Followed();
    switch (v.GetTag()) {
        case kTagNil: out = false; return true;
        case kTagBool: out = v.value_.b != 0; return true;
        case kTagInt: out = v.value_.i != 0; return true;
        case kTagFloat: out = v.value_.f != 0.0f; return true;
        case kTagPosition: out = v.value_.u != 0; return true;
        case kTagPointer:
        case kTagBind: out = v.value_.raw != 0; return true;
        case kTagStringConst: out = v.value_.text && *v.value_.text; return true;
        case kTagObject:
            if (!v.value_.object) {
                out = false;
            } else if (!v.value_.object->ToBool(out)) {
                out = true;
            }
            return true;
        default: return false;
    }
}

bool Var::ToInt(int& out) const {
    const Var& v = Followed();
    switch (v.GetTag()) {
        case kTagBool: out = v.value_.b != 0; return true;
        case kTagInt: out = v.value_.i; return true;
        case kTagFloat: out = FloatToInt(v.value_.f); return true;
        case kTagPosition: out = static_cast<int32_t>(v.value_.u); return true;
        case kTagStringConst: out = TextToInt(v.value_.text); return true;
        case kTagObject: return v.value_.object && v.value_.object->ToInt(out);
        default: return false;
    }
}

bool Var::ToFloat(float& out) const {
    const Var& v = Followed();
    switch (v.GetTag()) {
        case kTagBool: out = v.value_.b ? 1.0f : 0.0f; return true;
        case kTagInt: out = static_cast<float>(v.value_.i); return true;
        case kTagFloat: out = v.value_.f; return true;
        case kTagObject: return v.value_.object && v.value_.object->ToFloat(out);
        default: return false;
    }
}

int Var::AsInt() const {
    int value = 0;
    return ToInt(value) ? value : 0;
}

std::string Var::ToString() const {
    char text[64];
    switch (GetTag()) {
        case kTagNil: return "NULL";
        case kTagBool: return value_.b ? "1" : "0";
        case kTagInt: std::snprintf(text, sizeof text, "%d", value_.i); return text;
        case kTagFloat: {
            // Room for any double in "%f": the compiler cannot tell that
            // a float's text is far shorter.
            char floatText[320];
            std::snprintf(floatText, sizeof floatText, "%f", static_cast<double>(value_.f));
            return floatText;
        }
        case kTagPosition: std::snprintf(text, sizeof text, "%d(pos)", value_.i); return text;
        case kTagReference: {
            const Var& target = Followed();
            return target.GetTag() == kTagReference ? kUnprintable : target.ToString();
        }
        case kTagPointer: std::snprintf(text, sizeof text, "%p(ptr)", value_.pointer); return text;
        case kTagStringConst: return value_.text ? value_.text : kUnprintable;
        case kTagObject:
            if (!value_.object) return "(null)";
            if (PrintPath::MustElide(value_.object)) return "...";
            return value_.object->ToString();
        case kTagBind:
            std::snprintf(text, sizeof text, "%p(cfunc)", static_cast<void*>(value_.bind));
            return text;
        default: return kUnprintable;
    }
}

// ---- elements and members --------------------------------------------------

Var* Var::GetElement(int index) {
    Var& v = Followed();
    if (v.GetTag() == kTagObject) return v.value_.object ? v.value_.object->GetAt(index) : nullptr;
    return index == 0 ? &v : nullptr;
}

const Var* Var::GetElement(int index) const { return const_cast<Var*>(this)->GetElement(index); }

Var* Var::GetOrAddElement(int index) {
    assert(SharedEmpty().GetTag() == kTagNil && "the shared empty value was written");
    Var& v = Followed();
    if (v.GetTag() == kTagObject) {
        if (!v.value_.object) return nullptr;
        Var* element = v.value_.object->GetOrAddAt(index);
        return element ? element : &Scratch();
    }
    return index == 0 ? &v : &Scratch();
}

int Var::GetCount() const {
    const Var& v = Followed();
    if (v.GetTag() == kTagNil) return 0;
    if (v.GetTag() == kTagObject) return v.value_.object ? v.value_.object->GetCount() : 0;
    return 1;
}

Var* Var::GetMember(const char* name) const {
    if (GetTag() == kTagObject && value_.object) return value_.object->GetMember(name);
    return nullptr;
}

Var* Var::GetOrAddMember(const char* name) {
    Var& v = Followed();
    if (v.GetTag() == kTagObject && v.value_.object) return v.value_.object->GetOrAddMember(name);
    return nullptr;
}

const Var& Var::SharedEmpty() {
    static const Var empty{};
    return empty;
}

// ---- declarations and typed assignment -------------------------------------

void Var::InitType(const char* typeText) {
    int budget = kMaxArrayCount;
    InitTypeBounded(typeText, 0, budget);
}

void Var::InitTypeBounded(const char* typeText, int depth, int& budget) {
    if (!typeText || depth >= kMaxDeclarationDepth) {
        SetNil();
        return;
    }
    if (typeText[0] == '#') {
        long long requested = std::strtoll(typeText + 1, nullptr, 10);
        int count = static_cast<int>(requested < 0 ? 0 : requested > budget ? budget : requested);
        budget -= count;
        const char* colon = std::strchr(typeText, ':');
        const char* elementText = colon ? colon + 1 : nullptr;
        halvo::AutoRef<VarArray> array(new VarArray);
        array->Resize(count);
        if (count > 0 && elementText) {
            Var* first = array->GetAt(0);
            InitDeclaredElement(*first, elementText, depth + 1, budget);
            // Object elements each get their own object: copies would share one.
            bool separate = first->GetTag() == kTagObject;
            for (int i = 1; i < count; ++i) {
                if (separate)
                    InitDeclaredElement(*array->GetAt(i), elementText, depth + 1, budget);
                else
                    array->GetAt(i)->Assign(*first);
            }
        }
        SetObject(array.Get());
        return;
    }
    InitTypeFromRecord(TypeRegistry::Global().FindDeclared(typeText));
}

// A resized array's new elements take any value; an element of a declared
// type takes only what converts to it, so it starts without that freedom
// (an "auto" element type gives it back).
void Var::InitDeclaredElement(Var& element, const char* typeText, int depth, int& budget) {
    element.SetAutoFlag(false);
    element.InitTypeBounded(typeText, depth, budget);
}

void Var::InitTypeFromRecordSlow(const TypeRecord* record) {
    if (!record) {
        SetNil();
    } else if (record->tag != kTagObject) {
        SetType(record->tag);
    } else {
        ReleaseHeld();
        value_.raw = 0;
        SetTagBits(kTagObject);
        record_ = record;
    }
}

void Var::CreateObject() {
    if (GetTag() != kTagObject || value_.object || !record_) return;
    const ClassRecord* cls = record_->classRecord;
    if (!cls || !cls->factory || !ClassRecord::IsKindOf(cls, &VarExtension::kClassRecord)) return;
    const TypeRecord* record = record_;
    SetObject(static_cast<VarExtension*>(cls->factory()));
    record_ = record;
}

bool Var::AssignTypedSlow(const Var& source) {
    if (GetTag() == kTagDeclaration) InitType(value_.text);
    if (source.GetTag() == kTagIgnore) return true;
    // A destination keeps its own const bit: copying a constant never makes
    // the variable constant.
    const bool wasConst = HasConstFlag();
    if (HasAutoFlag()) {
        Assign(source);
        SetAutoFlag(true);
        SetConstFlag(wasConst);
        return true;
    }
    if (GetTag() == source.GetTag()) {
        Assign(source);
        SetConstFlag(wasConst);
        return true;
    }
    switch (GetTag()) {
        case kTagBool: {
            bool value = value_.b != 0;
            if (!source.ToBool(value)) return false;
            SetBool(value);
            return true;
        }
        case kTagInt: {
            int value = value_.i;
            if (!source.ToInt(value)) return false;
            SetInt(value);
            return true;
        }
        case kTagFloat: {
            float value = value_.f;
            if (!source.ToFloat(value)) return false;
            SetFloat(value);
            return true;
        }
        case kTagObject: return AssignToObject(source);
        case kTagBind: {
            const Var& target = source.Followed();
            if (target.GetTag() != kTagBind) return false;
            SetBind(target.value_.bind);
            return true;
        }
        default: return false;
    }
}

bool Var::AssignToObject(const Var& source) {
    const Var& target =
        source.GetTag() == kTagReference && source.value_.reference ? *source.value_.reference : source;
    if (target.GetTag() != kTagObject) {
        if (target.IsNil()) {
            ReleaseHeld();
            value_.raw = 0;
            return true;
        }
        CreateObject();
        halvo::AutoRef<VarExtension> object(value_.object);
        return object && object->Assign(target);
    }
    VarExtension* object = target.value_.object;
    // Structures and threads carry no record of their own: their class
    // decides whether they fit the declared type.
    bool sameType = target.record_ == record_;
    bool kindFits = object && record_ && record_->classRecord && object->IsKindOf(*record_->classRecord);
    if (!sameType && !kindFits) return false;
    SetObject(object);
    return true;
}

bool Var::Increment(int n) {
    if (GetTag() == kTagInt) {
        value_.i = static_cast<int32_t>(static_cast<uint32_t>(value_.i) + static_cast<uint32_t>(n));
        return true;
    }
    if (GetTag() == kTagFloat) {
        value_.f += static_cast<float>(n);
        return true;
    }
    return false;
}

// ---- case ordering ---------------------------------------------------------

bool Var::CaseLess(const Var& xRef, const Var& yRef) {
    const Var& x = xRef.Followed();
    const Var& y = yRef.Followed();
    int rank = std::max(OperandRank(x.GetTag()), OperandRank(y.GetTag()));
    switch (rank) {
        case 0: return false;
        case 1: {
            bool a = false, b = false;
            x.ToBool(a);
            y.ToBool(b);
            return a < b;
        }
        case 2: {
            int a = 0, b = 0;
            x.ToInt(a);
            y.ToInt(b);
            return a < b;
        }
        case 3: {
            float a = 0.0f, b = 0.0f;
            x.ToFloat(a);
            y.ToFloat(b);
            return a < b;
        }
        default: break;
    }
    int byName = std::strcmp(x.GetTypeName(), y.GetTypeName());
    if (byName != 0) return byName < 0;
    if (x.GetTag() == kTagObject && x.value_.object) {
        Var result;
        halvo::AutoRef<VarExtension> object(x.value_.object);
        if (!object->OpLess(result, y)) {
            ScriptVM::Global().Output("Invalid variable type in case statement");
            return false;
        }
        bool less = false;
        result.ToBool(less);
        return less;
    }
    if (x.GetTag() == kTagStringConst) {
        // y is a string constant or a string object: both have type "string".
        const char* a = x.value_.text;
        const char* b = y.GetCString();
        if (!a || !b) return !a && b;
        return std::strcmp(a, b) < 0;
    }
    return std::memcmp(&x.value_, &y.value_, sizeof x.value_) < 0;
}

// ---- operand encoding ------------------------------------------------------

bool Var::WriteOperand(std::vector<uint8_t>& buffer, Vocabulary* vocabulary) const {
    const uint8_t autoBit = HasAutoFlag() ? 0x40 : 0;
    switch (GetTag()) {
        case kTagNil: buffer.push_back(autoBit | 0); return true;
        case kTagIgnore: buffer.push_back(autoBit | kTagIgnore); return true;
        case kTagBool:
            buffer.push_back(autoBit | kTagBool);
            buffer.push_back(value_.b ? 1 : 0);
            return true;
        case kTagInt: {
            const uint32_t word = static_cast<uint32_t>(value_.i);
            if (word == 0) {
                buffer.push_back(autoBit | 6);
                return true;
            }
            // k+1 bytes hold the value with its sign: every whole byte of
            // redundant sign bits above them is left out.
            const int k = 3 - __builtin_clrsb(value_.i) / 8;
            buffer.push_back(static_cast<uint8_t>(autoBit | (5 - k)));
            for (int i = k; i >= 0; --i) buffer.push_back(static_cast<uint8_t>(word >> (8 * i)));
            return true;
        }
        case kTagFloat: {
            uint32_t bits;
            std::memcpy(&bits, &value_.f, sizeof bits);
            buffer.push_back(autoBit | kTagFloat);
            AppendLittleEndian(buffer, bits);
            return true;
        }
        case kTagPosition:
            buffer.push_back(autoBit | kTagPosition);
            AppendLittleEndian(buffer, value_.u);
            return true;
        case kTagStringConst:
        case kTagObject: {
            const char* text = GetCString();
            if (!text) break;
            if (vocabulary) {
                buffer.push_back(autoBit | kTagStringConst);
                AppendLittleEndian(buffer, static_cast<uint32_t>(vocabulary->Add(text)));
            } else {
                buffer.push_back(autoBit | 16);
                buffer.insert(buffer.end(), text, text + std::strlen(text) + 1);
            }
            return true;
        }
        default: break;
    }
    buffer.push_back(0);
    return false;
}


int32_t ReadPackedInt(const uint8_t* bytes, int n) {
    if (!bytes || n < 0 || n > 3) return 0;
    uint32_t word = (bytes[0] & 0x80) ? 0xFFFFFFFFu : 0u;
    for (int i = 0; i <= n; ++i) word = (word << 8) | bytes[i];
    return static_cast<int32_t>(word);
}

int32_t FloatToInt(float value) { return TruncateToInt(value); }

int32_t TextToInt(const char* text) {
    if (!text) return 0;
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

int OperandRank(uint32_t tag) {
    switch (tag) {
        case kTagNil: return 0;
        case kTagBool: return 1;
        case kTagInt: return 2;
        case kTagFloat: return 3;
        default: return 4;
    }
}

}  // namespace Vrel

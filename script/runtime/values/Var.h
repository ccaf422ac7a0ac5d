#pragma once
// The tagged script value: a tag word, one pointer-sized value word and the
// type record of an object value. An object value holds one counted
// reference on its VarExtension.

#include "script/runtime/values/TypeRecord.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Vrel {

class VarExtension;
class Vocabulary;
namespace detail {
class function_adapter;
}

enum VarTag : uint32_t {
    kTagNil = 0,
    kTagBool = 1,
    kTagInt = 2,
    kTagFloat = 7,
    kTagPosition = 8,
    kTagReference = 9,
    kTagPointer = 10,
    kTagStringConst = 11,
    kTagDeclaration = 12,
    kTagObject = 13,
    kTagBind = 14,
    kTagIgnore = 15,
    kTagAuto = 31,  // registry tag of "auto": a nil that takes any type
};

constexpr uint32_t kTagMask = 0x3F;
constexpr uint32_t kAutoFlag = 0x40;
constexpr uint32_t kConstFlag = 0x80;

// Limits on what compile-time counts and loaded files can ask for.
constexpr int kMaxArrayCount = 1 << 20;
constexpr int kMaxDeclarationDepth = 32;

class Var {
public:
    Var() = default;
    ~Var() { Clear(); }
    Var(const Var& other) { Assign(other); }
    Var& operator=(const Var& other) {
        Assign(other);
        return *this;
    }
    explicit Var(bool value) { SetBool(value); }
    explicit Var(int value) { SetInt(value); }
    explicit Var(float value) { SetFloat(value); }
    explicit Var(const char* text) { SetString(text); }
    explicit Var(VarExtension* object) { SetObject(object); }

    // Setters: release a held object, then write tag and payload. Flags and
    // the record word stay unless stated.
    void SetNil() { SetPlain(kTagNil, 0); }
    void SetType(uint32_t tag);
    void SetBool(bool value) { SetPlain(kTagBool, value ? 1 : 0); }
    void SetInt(int32_t value) {
        ReleaseHeld();
        value_.raw = 0;
        value_.i = value;
        SetTagBits(kTagInt);
    }
    void SetFloat(float value) {
        ReleaseHeld();
        value_.raw = 0;
        value_.f = value;
        SetTagBits(kTagFloat);
    }
    // Quick writes over a value known to hold no object (the fast runner's
    // registers and plain number variables): tag, payload and exactly the
    // given flag bits.
    void OverwritePlainInt(int32_t value, uint32_t flags = 0) {
        value_.raw = 0;
        value_.i = value;
        tagWord_ = kTagInt | flags;
    }
    void OverwritePlainFloat(float value, uint32_t flags = 0) {
        value_.raw = 0;
        value_.f = value;
        tagWord_ = kTagFloat | flags;
    }
    void OverwritePlainBool(bool value, uint32_t flags = 0) {
        value_.raw = 0;
        value_.u = value ? 1 : 0;
        tagWord_ = kTagBool | flags;
    }
    // What SetReference leaves in a value that holds no object, with no
    // flags and no record.
    void OverwriteReference(Var* target) {
        if (target && target->GetTag() == kTagReference) target = target->value_.reference;
        value_.raw = 0;
        value_.reference = target;
        tagWord_ = kTagReference;
        record_ = nullptr;
    }
    void SetPosition(uint32_t offset) { SetPlain(kTagPosition, offset); }
    void SetReference(Var* target) {
        if (target && target->GetTag() == kTagReference) target = target->value_.reference;
        ReleaseHeld();
        value_.reference = target;
        SetTagBits(kTagReference);
    }
    void SetPointer(void* address);
    void SetStringConst(const char* text);
    void SetDeclaration(const char* typeText);
    void SetString(const char* text);
    void SetObject(VarExtension* object);
    // SetObject with the record a look-up found before for an object of the
    // same exact class: that look-up gives every such object one record.
    void SetObjectOfRecord(VarExtension* object, const TypeRecord* record);
    void SetBind(detail::function_adapter* adapter);
    void SetIgnore();
    // Releases, makes nil and drops the record; the flags stay.
    void Clear() {
        ReleaseHeld();
        value_.raw = 0;
        SetTagBits(kTagNil);
        record_ = nullptr;
    }

    // Gives up the object this value itself holds without releasing it: the
    // caller takes over the counted reference. The value is left nil; flags
    // and record stay. Null (and nothing changes) for any other value.
    VarExtension* HandOverObject() {
        if (GetTag() != kTagObject) return nullptr;
        VarExtension* object = value_.object;
        value_.raw = 0;
        SetTagBits(kTagNil);
        return object;
    }

    // Copies without resolving: a reference stays a reference. Non-object
    // sources bring their tag and both flags.
    void Assign(const Var& source) {
        // Plain values need no registry look-up and release nothing first.
        if ((source.tagWord_ & kTagMask) != kTagObject && GetTag() != kTagObject) {
            value_ = source.value_;
            tagWord_ = (tagWord_ & ~kCopiedBits) | (source.tagWord_ & kCopiedBits);
            return;
        }
        AssignSlow(source);
    }
    // Trades contents, counted references included: a move without the
    // record look-up a copy of an object makes.
    void Exchange(Var& other) {
        std::swap(tagWord_, other.tagWord_);
        std::swap(value_, other.value_);
        std::swap(record_, other.record_);
    }
    // A copy that is never const: for values copied onto the stack and
    // elements appended to arrays.
    void CopyWithoutConst(const Var& source) {
        Assign(source);
        SetConstFlag(false);
    }

    // Direct, unresolved state.
    uint32_t GetTag() const { return tagWord_ & kTagMask; }
    uint32_t GetTagWord() const { return tagWord_; }
    bool HasAutoFlag() const { return tagWord_ & kAutoFlag; }
    bool HasConstFlag() const { return tagWord_ & kConstFlag; }
    void SetAutoFlag(bool on) { SetFlag(kAutoFlag, on); }
    void SetConstFlag(bool on) { SetFlag(kConstFlag, on); }
    const TypeRecord* GetRecord() const { return record_; }
    void SetRecord(const TypeRecord* record) { record_ = record; }
    int32_t RawInt() const { return value_.i; }
    float RawFloat() const { return value_.f; }
    uint32_t RawPosition() const { return value_.u; }
    // The payload of a string constant / an object value itself, read
    // without a tag check.
    const char* RawText() const { return value_.text; }
    VarExtension* RawObject() const { return value_.object; }

    // The value finally reached through references.
    const Var& Followed() const {
        if (GetTag() != kTagReference || !value_.reference) return *this;
        // One hop is the common case: a reference to a variable.
        if (value_.reference->GetTag() != kTagReference) return *value_.reference;
        return FollowedChain();
    }
    Var& Followed() { return const_cast<Var&>(static_cast<const Var*>(this)->Followed()); }

    VarExtension* GetObject() const {
        const Var& v = Followed();
        return v.GetTag() == kTagObject ? v.value_.object : nullptr;
    }
    detail::function_adapter* GetBind() const;
    void* GetPointer() const;
    Var* GetReferenced() const { return GetTag() == kTagReference ? value_.reference : nullptr; }
    const char* GetStringConst() const;
    const char* GetName() const;
    // The type text of this value itself when it is a declaration (no
    // reference followed), else null.
    const char* GetDeclarationText() const { return GetTag() == kTagDeclaration ? value_.text : nullptr; }
    const char* GetCString() const;
    const char* GetTypeName() const;

    bool IsNil() const;
    bool IsBool() const { return Followed().GetTag() == kTagBool; }
    bool IsInt() const { return Followed().GetTag() == kTagInt; }
    bool IsNumber() const;
    bool IsObject() const { return Followed().GetTag() == kTagObject; }
    bool IsDeclaration() const { return Followed().GetTag() == kTagDeclaration; }
    bool IsBind() const { return Followed().GetTag() == kTagBind; }
    bool IsConst() const { return Followed().HasConstFlag(); }
    bool IsText() const;

    // Conversions: on failure out keeps what the caller put there.
    bool ToBool(bool& out) const;
    bool ToInt(int& out) const;
    bool ToFloat(float& out) const;
    int AsInt() const;
    std::string ToString() const;

    Var* GetElement(int index);
    const Var* GetElement(int index) const;
    // Never answers the shared empty value: a missing element is a scratch
    // nil, so a store into it changes nothing anyone else reads.
    Var* GetOrAddElement(int index);
    int GetCount() const;
    Var* GetMember(const char* name) const;
    Var* GetOrAddMember(const char* name);

    // Declarations and typed assignment.
    void InitType(const char* typeText);
    // InitType of a plain type name that found this record (null: none).
    void InitTypeFromRecord(const TypeRecord* record) {
        // The plain value types, the common case of a call's locals.
        const uint32_t tag = record ? record->tag : kTagNil;
        if (tag == kTagAuto || tag == kTagObject) {
            InitTypeFromRecordSlow(record);
            return;
        }
        ReleaseHeld();
        value_.raw = 0;
        SetTagBits(tag);
    }
    void CreateObject();
    bool AssignTyped(const Var& source) {
        // Same plain type on both sides: a copy that keeps this value's
        // const bit. Objects, declarations, ignored values and variables
        // that take any type go the long way.
        const uint32_t tag = GetTag();
        if (tag == (source.tagWord_ & kTagMask) && tag != kTagObject && tag != kTagDeclaration &&
            tag != kTagIgnore && !HasAutoFlag()) {
            value_ = source.value_;
            tagWord_ = (tagWord_ & ~(kTagMask | kAutoFlag)) | (source.tagWord_ & (kTagMask | kAutoFlag));
            return true;
        }
        return AssignTypedSlow(source);
    }
    bool Increment(int n);

    // Strict order of switch case values.
    static bool CaseLess(const Var& x, const Var& y);

    // Appends the value as one typed bytecode operand.
    bool WriteOperand(std::vector<uint8_t>& buffer, Vocabulary* vocabulary) const;

    // One nil that lookups hand out by const reference. Stays nil.
    static const Var& SharedEmpty();

private:
    void SetFlag(uint32_t flag, bool on) { tagWord_ = on ? (tagWord_ | flag) : (tagWord_ & ~flag); }
    void SetTagBits(uint32_t tag) { tagWord_ = (tagWord_ & ~kTagMask) | (tag & kTagMask); }
    static constexpr uint32_t kCopiedBits = kTagMask | kAutoFlag | kConstFlag;
    void ReleaseHeld() {
        if (GetTag() == kTagObject && value_.object) ReleaseHeldObject();
    }
    void ReleaseHeldObject();
    void SetPlain(uint32_t tag, uint32_t word) {
        ReleaseHeld();
        value_.raw = 0;
        value_.u = word;
        SetTagBits(tag);
    }
    void AssignSlow(const Var& source);
    void InitTypeFromRecordSlow(const TypeRecord* record);
    bool AssignTypedSlow(const Var& source);
    const Var& FollowedChain() const;
    void InitTypeBounded(const char* typeText, int depth, int& budget);
    static void InitDeclaredElement(Var& element, const char* typeText, int depth, int& budget);
    bool AssignToObject(const Var& source);

    union Payload {
        uintptr_t raw = 0;
        int32_t i;
        uint32_t u;
        float f;
        uint8_t b;
        Var* reference;
        void* pointer;
        const char* text;
        VarExtension* object;
        detail::function_adapter* bind;
    };

    uint32_t tagWord_ = 0;
    Payload value_;
    const TypeRecord* record_ = nullptr;
};

static_assert(sizeof(Var) <= 24, "a value stays three words");

// Reads n+1 bytes, most significant first, sign-extended from the first.
int32_t ReadPackedInt(const uint8_t* bytes, int n);
// The rank of a value tag in mixed operations and case ordering: nil 0,
// bool 1, int 2, float 3, everything else 4; the higher rank decides.
int OperandRank(uint32_t tag);
// Float to int, truncating; NaN gives 0 and the range is clamped.
int32_t FloatToInt(float value);
// The decimal prefix as atol reads it, clamped to 32 bits; null gives 0.
int32_t TextToInt(const char* text);

}  // namespace Vrel

#pragma once
// A compiled function or module (script type "func"). A module's members
// hold its functions, its variables, its string table "~v", its bytecode
// "~b" and its parent link "~p"; the root module holds every loaded module
// and the native functions under "~bind".

#include "script/runtime/execution/MapFile.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/VarTable.h"
#include "script/runtime/values/t_Named.h"

#include <cstdint>
#include <string>

namespace Vrel {

class VarBinary;
class Vocabulary;

// Parent chains are data a file can shape: no walk goes further.
constexpr int kMaxModuleNesting = 64;

class BinCode : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new BinCode; }

    BinCode() = default;

    // One per compiled function: from the member block lists instead of
    // the heap.
    static void* operator new(size_t size) { return member_blocks::Take(size); }
    static void operator delete(void* block, size_t size) { member_blocks::Give(block, size); }

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "func"; }
    Var* GetMember(const char* name) override { return members_.FindMember(name); }
    // Never creates: a module's members come only from its compile.
    Var* GetOrAddMember(const char* name) override { return members_.FindMember(name); }
    // Parameter count, return type, variable table and members; see
    // ModuleFile.cpp.
    bool Serialize(ScriptIO& stream) override;
    // An object reference from a module file: the object read before under
    // that identifier, or a new module with its body. Null for identifier 0;
    // the stream's error flag tells a broken file.
    static BinCode* ReadObject(ScriptIO& stream);

    void CreateVocabulary();
    Vocabulary* GetVocabulary() const;

    // The parent is held weakly: a function may outlive its module. "~p"
    // still shows the link as a pointer value for scripts that list
    // members, but only the weak reference is ever followed.
    BinCode* GetParent() const { return parent_.Get(); }
    void SetParent(BinCode* parent);
    BinCode* GetRoot();
    // The ancestor just below the root (this object when its parent is the
    // root or it has none): what a running frame must keep alive.
    BinCode* GetOutermost();

    VarBinary* GetCode() const;
    // What a call of this function opens its frame with, worked out again
    // only after the member layout generation moved.
    struct RunParts {
        BinCode* outermost = nullptr;
        VarBinary* code = nullptr;
        Vocabulary* vocabulary = nullptr;
    };
    const RunParts& GetRunParts() {
        if (runPartsGeneration_ != t_Named::GetLayoutGeneration()) RefreshRunParts();
        return runParts_;
    }
    void SetCode(uint32_t size, const uint8_t* bytes);
    void SetMapFile(const uint8_t* bytes, uint32_t size);
    MapFile* GetMapFile() const { return lineMap_.Get(); }

    // "(unkown)" without line map; "(unknown)" when the map names nothing.
    const char* GetSourceName() const;
    // The name under which the parent holds this object; "(unknown)"
    // without parent; null when the parent does not hold it.
    const char* GetName() const;
    const char* GetModuleName();

    int GetParamCount() const { return paramCount_; }
    void SetParamCount(int count) { paramCount_ = static_cast<uint8_t>(count); }
    const std::string& GetReturnType() const { return returnType_; }
    void SetReturnType(const char* type) {
        returnType_ = type ? type : "void";
        returnRecord_ = nullptr;
    }
    void SetReturnType(std::string type) {
        returnType_ = std::move(type);
        returnRecord_ = nullptr;
    }
    // The type record the return type names, remembered once found (a name
    // keeps its record for good); null for an array declaration ("#...") or
    // a name no type has yet.
    const TypeRecord* GetReturnRecord();
    VarTable& GetVariables() { return variables_; }
    const VarTable& GetVariables() const { return variables_; }
    t_Named& GetMembers() { return members_; }
    const t_Named& GetMembers() const { return members_; }

private:
    void RefreshRunParts();

    uint8_t paramCount_ = 0;
    uint64_t runPartsGeneration_ = ~uint64_t{0};
    RunParts runParts_;
    std::string returnType_ = "void";
    const TypeRecord* returnRecord_ = nullptr;
    VarTable variables_;
    t_Named members_;
    halvo::AutoRef<MapFile> lineMap_;
    halvo::WeakRef<BinCode> parent_;
};

// The code object an object value holds, else null.
inline BinCode* ToBinCode(const Var& value) { return CastTo<BinCode>(value.GetObject()); }

// For "%s": a missing text reads "(unknown)".
inline const char* TextOrUnknown(const char* text) { return text ? text : "(unknown)"; }

}  // namespace Vrel

#pragma once
// The numbered variables of a function, module or call frame. Variable n is
// named by the n-th text of the name vocabulary.

#include "script/runtime/values/Var.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Vrel {

class ScriptIO;
struct TypeRecord;

// Variable numbers are 16-bit in the data model.
constexpr int kMaxVariables = 32767;

class VarTable {
public:
    VarTable();
    ~VarTable();
    VarTable(const VarTable&) = delete;
    VarTable& operator=(const VarTable&) = delete;

    // A new variable under the name, numbered by the old count; a
    // declaration text makes it a declaration value. Null when the table is
    // full.
    Var* Add(const char* name, const char* typeText, int* number);
    Var* At(int number) { return number >= 0 && number < count_ ? &values_[number] : nullptr; }
    const Var* At(int number) const;
    void CopyFrom(const VarTable& other);
    // A copy of other's values under other's own names: a call frame and
    // its function name their variables alike, so the frame shares them
    // (until it adds a variable of its own). Keeps this table's storage.
    void ShareFrom(const VarTable& other);
    // ShareFrom for a call frame of the function whose table is function:
    // declarations of plain type names become empty values of their types
    // on the way (see DeclaredRecord). False when some variable needs the
    // whole initialisation still: an array declaration, a declaration
    // without text, a reference or an object value.
    bool ShareDeclaredFrom(VarTable& function) {
        if (&function == this) return false;
        ReleaseValues();
        MakeRoomFor(function);
        bool complete = true;
        const int count = function.count_;
        for (int i = 0; i < count; ++i) complete &= ShareDeclared(function, i);
        count_ = count;
        names_ = function.names_;
        namesShared_ = true;
        return complete;
    }
    // Clears the values; storage and names stay for the next ShareFrom.
    void ReleaseValues() {
        // Newest first, as a destroyed table would go.
        for (int i = count_; i-- > 0;) {
            Var& value = values_[i];
            value.Clear();
            value.SetAutoFlag(false);
            value.SetConstFlag(false);
        }
        count_ = 0;
        if (!declared_.empty()) declared_.clear();
    }
    // The record the plain type name typeText (no "#" array text) finds,
    // remembered for variable number: a function's frames initialise its
    // declared locals on every call. The answer holds while the variable
    // keeps the text at that address and the table is not rebuilt; a miss
    // holds only until a type is added.
    const TypeRecord* DeclaredRecord(int number, const char* typeText) {
        if (static_cast<size_t>(number) < declared_.size()) {
            const DeclaredEntry& entry = declared_[static_cast<size_t>(number)];
            if (entry.record && entry.typeText == typeText && typeText) return entry.record;
        }
        return LookUpDeclared(number, typeText);
    }
    void Clear();

    int GetCount() const { return count_; }
    int GetCapacity() const { return capacity_; }
    Vocabulary& GetNames() const { return *names_; }
    // Makes room for at least capacity values (used when a table is read).
    void Reserve(int capacity);

    // Slot count, name pool and values (ModuleFile.cpp). Read replaces the
    // table and answers false for a broken one.
    void Write(ScriptIO& stream) const;
    bool Read(ScriptIO& stream);

private:
    void Grow(int capacity);
    // Storage for other's values, for a table whose values were released.
    void MakeRoomFor(const VarTable& other) {
        if (capacity_ < other.count_) Reallocate(other);
    }
    void Reallocate(const VarTable& other);
    // Variable number of function copied, a plain declaration made a
    // value; false when it needs more (see ShareDeclaredFrom).
    bool ShareDeclared(VarTable& function, int number) {
        const Var& source = function.values_[number];
        Var& value = values_[number];
        value.Assign(source);
        const uint32_t tag = source.GetTag();
        if (tag == kTagDeclaration) {
            const char* text = source.GetDeclarationText();
            if (!text || text[0] == '#') return false;
            value.InitTypeFromRecord(function.DeclaredRecord(number, text));
            return true;
        }
        return tag != kTagReference && tag != kTagObject;
    }
    const TypeRecord* LookUpDeclared(int number, const char* typeText);
    void UnshareNames();

    std::unique_ptr<Var[]> values_;
    int count_ = 0;
    int capacity_ = 0;
    halvo::AutoRef<Vocabulary> names_;
    bool namesShared_ = false;

    struct DeclaredEntry {
        const char* typeText = nullptr;
        const TypeRecord* record = nullptr;
        size_t registrySize = 0;
    };
    std::vector<DeclaredEntry> declared_;
};

}  // namespace Vrel

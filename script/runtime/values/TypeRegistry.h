#pragma once
// Script type names ("int", "string", "widget", ...) and what a declaration
// of each becomes. Values keep raw pointers to records, so a record, once
// made, is never replaced or freed before the process ends.

#include "script/runtime/values/TypeRecord.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

struct ClassRecord;

namespace Vrel {

class VarExtension;

class TypeRegistry {
public:
    static TypeRegistry& Global();

    // Adds the type unless the name is taken; either way answers the record
    // that now stands for the name.
    const TypeRecord* Add(std::string_view name, uint32_t tag, const ClassRecord* classRecord);
    const TypeRecord* Find(std::string_view name) const;
    // Find for the declaration texts that frames initialise on every call:
    // remembers what each text found.
    const TypeRecord* FindDeclared(const char* name);
    // The record named after the object's type name, or null.
    const TypeRecord* FindForObject(const VarExtension& object);
    size_t Size() const { return records_.size(); }

private:
    // Saves the by-name look-up on every object store: what the last object
    // of a class found, under the type name it gave. A miss holds only while
    // no type was added since.
    struct ClassEntry {
        const ClassRecord* classRecord = nullptr;
        // Type names are texts of their class: the same address is the
        // same name. Another address is compared by its text.
        const char* typeNameAddress = nullptr;
        std::string typeName;
        const TypeRecord* record = nullptr;
        size_t registrySize = 0;
    };
    static constexpr size_t kClassCacheSize = 64;
    void RememberLast(const ClassRecord* cls, const char* typeName, const TypeRecord* record);

    struct NameEntry {
        std::string name;
        const TypeRecord* record = nullptr;
        size_t registrySize = 0;
        bool used = false;
    };
    static constexpr size_t kNameCacheSize = 64;

    std::map<std::string, std::unique_ptr<TypeRecord>, std::less<>> records_;
    ClassEntry byClass_[kClassCacheSize];
    // The last found record, by class and type name address: argument
    // arrays make most object stores a run of one class.
    const ClassRecord* lastClass_ = nullptr;
    const char* lastTypeName_ = nullptr;
    const TypeRecord* lastRecord_ = nullptr;
    NameEntry byName_[kNameCacheSize];
};

}  // namespace Vrel

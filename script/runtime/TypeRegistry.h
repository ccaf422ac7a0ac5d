#pragma once
// Script type names ("int", "string", "widget", ...) and what a declaration
// of each becomes. Values keep raw pointers to records, so a record, once
// made, is never replaced or freed before the process ends.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct ClassRecord;

namespace Vrel {

class VarExtension;

struct TypeRecord {
    uint32_t tag;                     // value tag, or 31 for "auto"
    const ClassRecord* classRecord;   // object types only
    std::string name;
};

class TypeRegistry {
public:
    static TypeRegistry& Global();

    // Adds the type unless the name is taken; either way answers the record
    // that now stands for the name.
    const TypeRecord* Add(std::string_view name, uint32_t tag, const ClassRecord* classRecord);
    const TypeRecord* Find(std::string_view name) const;
    // The record named after the object's type name, or null.
    const TypeRecord* FindForObject(const VarExtension& object);
    size_t Size() const { return records_.size(); }

private:
    std::map<std::string, std::unique_ptr<TypeRecord>, std::less<>> records_;
    // Saves the by-name look-up on every object store. Only hits are kept:
    // a type registered later must still be found.
    std::unordered_map<const ClassRecord*, const TypeRecord*> byClass_;
};

}  // namespace Vrel

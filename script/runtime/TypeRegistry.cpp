#include "script/runtime/TypeRegistry.h"

#include "script/runtime/VarExtension.h"

#include <cstring>

namespace Vrel {

TypeRegistry& TypeRegistry::Global() {
    // Never destroyed: values that outlive static destruction still point
    // at its records.
    static TypeRegistry* registry = new TypeRegistry;
    return *registry;
}

const TypeRecord* TypeRegistry::Add(std::string_view name, uint32_t tag, const ClassRecord* classRecord) {
    if (const TypeRecord* existing = Find(name)) return existing;
    auto record = std::make_unique<TypeRecord>(TypeRecord{tag, classRecord, std::string(name)});
    const TypeRecord* result = record.get();
    records_.emplace(std::string(name), std::move(record));
    return result;
}

const TypeRecord* TypeRegistry::Find(std::string_view name) const {
    auto it = records_.find(name);
    return it == records_.end() ? nullptr : it->second.get();
}

const TypeRecord* TypeRegistry::FindForObject(const VarExtension& object) {
    const char* typeName = object.GetTypeName();
    if (!typeName) return nullptr;
    const ClassRecord* cls = object.GetClassInfo();
    auto cached = byClass_.find(cls);
    if (cached != byClass_.end() && cached->second->name == typeName) return cached->second;
    const TypeRecord* record = Find(typeName);
    if (record) byClass_[cls] = record;
    return record;
}

}  // namespace Vrel

#include "script/runtime/values/TypeRegistry.h"

#include "script/runtime/values/VarExtension.h"

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

const TypeRecord* TypeRegistry::FindDeclared(const char* name) {
    if (!name) return nullptr;
    NameEntry& entry = byName_[(reinterpret_cast<uintptr_t>(name) >> 3) % kNameCacheSize];
    // The text is compared, not its address: a text at an old address may
    // be another one now.
    if (entry.used && entry.name == name && (entry.record || entry.registrySize == records_.size()))
        return entry.record;
    const TypeRecord* record = Find(name);
    entry.name = name;
    entry.record = record;
    entry.registrySize = records_.size();
    entry.used = true;
    return record;
}

const TypeRecord* TypeRegistry::FindForObject(const VarExtension& object) {
    const char* typeName = object.GetTypeName();
    if (!typeName) return nullptr;
    const ClassRecord* cls = object.GetClassInfo();
    // Only found records are kept here: a found record stands for its name
    // for good, and a name at the same address of the same class is the
    // same text (see ClassEntry).
    if (cls == lastClass_ && typeName == lastTypeName_) return lastRecord_;
    ClassEntry& entry = byClass_[(reinterpret_cast<uintptr_t>(cls) >> 4) % kClassCacheSize];
    if (entry.classRecord == cls && (entry.typeNameAddress == typeName || entry.typeName == typeName) &&
        (entry.record || entry.registrySize == records_.size())) {
        entry.typeNameAddress = typeName;
        RememberLast(cls, typeName, entry.record);
        return entry.record;
    }
    const TypeRecord* record = Find(typeName);
    entry.classRecord = cls;
    entry.typeNameAddress = typeName;
    entry.typeName = typeName;
    entry.record = record;
    entry.registrySize = records_.size();
    RememberLast(cls, typeName, record);
    return record;
}

void TypeRegistry::RememberLast(const ClassRecord* cls, const char* typeName, const TypeRecord* record) {
    if (!record) return;
    lastClass_ = cls;
    lastTypeName_ = typeName;
    lastRecord_ = record;
}

}  // namespace Vrel

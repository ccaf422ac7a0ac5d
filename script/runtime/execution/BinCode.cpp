#include "script/runtime/execution/BinCode.h"

#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/Vocabulary.h"

namespace Vrel {

const ClassRecord BinCode::kClassRecord = {"BinCode", &VarExtension::kClassRecord, &BinCode::Create};

void BinCode::CreateVocabulary() {
    halvo::AutoRef<Vocabulary> vocabulary(new Vocabulary);
    // String constants decoded from the code point into this pool, and
    // scripts keep them in variables past recompiles and releases.
    vocabulary->KeepBlocksAlive();
    members_.GetOrAddMember("~v")->SetObject(vocabulary.Get());
    t_Named::MembersChanged();
}

Vocabulary* BinCode::GetVocabulary() const {
    const BinCode* module = this;
    for (int hop = 0; module && hop < kMaxModuleNesting; ++hop, module = module->GetParent()) {
        const Var* member = const_cast<t_Named&>(module->members_).FindMember("~v");
        if (!member) continue;
        VarExtension* object = member->GetObject();
        return object && object->IsKindOf(Vocabulary::kClassRecord) ? static_cast<Vocabulary*>(object) : nullptr;
    }
    return nullptr;
}

void BinCode::SetParent(BinCode* parent) {
    members_.GetOrAddMember("~p")->SetPointer(parent);
    parent_ = parent;
    t_Named::MembersChanged();
}

BinCode* BinCode::GetRoot() {
    BinCode* module = this;
    for (int hop = 0; hop < kMaxModuleNesting && module->GetParent(); ++hop) module = module->GetParent();
    return module;
}

BinCode* BinCode::GetOutermost() {
    BinCode* module = this;
    for (int hop = 0; hop < kMaxModuleNesting; ++hop) {
        BinCode* parent = module->GetParent();
        if (!parent || !parent->GetParent()) break;
        module = parent;
    }
    return module;
}

VarBinary* BinCode::GetCode() const {
    const Var* member = const_cast<t_Named&>(members_).FindMember("~b");
    VarExtension* object = member ? member->GetObject() : nullptr;
    return object && object->IsKindOf(VarBinary::kClassRecord) ? static_cast<VarBinary*>(object) : nullptr;
}

void BinCode::SetCode(uint32_t size, const uint8_t* bytes) {
    if (size < 1 || !bytes) {
        members_.RemoveMember("~b");
        return;
    }
    Var* member = members_.GetOrAddMember("~b");
    // A module compiled statement by statement stores the same two bytes
    // after every definition: while nothing but this member holds the code,
    // equal bytes keep the object, and with it every cache made for it.
    VarExtension* current = member->GetObject();
    if (current && current->GetRefCount() == 1 && current->IsKindOf(VarBinary::kClassRecord) &&
        static_cast<VarBinary*>(current)->HoldsBytes(bytes, size))
        return;
    member->SetObject(VarBinary::Make(bytes, size));
    t_Named::MembersChanged();
}

void BinCode::RefreshRunParts() {
    runPartsGeneration_ = t_Named::GetLayoutGeneration();
    runParts_ = {GetOutermost(), GetCode(), GetVocabulary()};
}

void BinCode::SetMapFile(const uint8_t* bytes, uint32_t size) {
    // Nobody keeps a map but its function: one held only here is refilled
    // in place instead of made anew for every statement of a module.
    if (lineMap_ && lineMap_->GetRefCount() == 1)
        lineMap_->Replace(bytes, size);
    else
        lineMap_ = MapFile::Make(bytes, size);
}

const char* BinCode::GetSourceName() const {
    if (!lineMap_) return "(unkown)";
    return TextOrUnknown(lineMap_->GetSourceName());
}

const char* BinCode::GetName() const {
    BinCode* parent = GetParent();
    if (!parent) return "(unknown)";
    for (const auto& [name, value] : parent->members_.GetMembers()) {
        if (!name.empty() && name[0] == '~') continue;
        if (value.GetTag() == kTagObject && value.GetObject() == this) return name.c_str();
    }
    return nullptr;
}

const TypeRecord* BinCode::GetReturnRecord() {
    if (!returnRecord_ && !returnType_.empty() && returnType_[0] != '#')
        returnRecord_ = TypeRegistry::Global().FindDeclared(returnType_.c_str());
    return returnRecord_;
}

const char* BinCode::GetModuleName() {
    if (!GetParent()) return "(global)";
    return GetOutermost()->GetName();
}

}  // namespace Vrel

#pragma once
// Base of everything a script value can hold beyond a plain word. Each
// operation has a do-nothing default; a class overrides what it supports.

#include "platform/ClassRecord.h"
#include "platform/RefObj.h"

#include <string>

namespace Vrel {

class Var;
class ScriptIO;

class VarExtension : public halvo::RefObj {
public:
    static const ClassRecord kClassRecord;

    ~VarExtension() override = default;
    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    virtual const char* GetTypeName() const { return "VarExtension"; }
    // "%s(%8p)" with the type name and the address.
    virtual std::string ToString() const;
    virtual int GetCount() const { return 0; }
    virtual bool Assign(const Var& /*source*/) { return false; }
    virtual Var* GetMember(const char* /*name*/) { return nullptr; }
    virtual Var* GetAt(int /*index*/) { return nullptr; }
    virtual Var* GetOrAddMember(const char* /*name*/) { return nullptr; }
    virtual Var* GetOrAddAt(int /*index*/) { return nullptr; }

    // Operator slots. result is the left operand's slot, which holds this
    // object: an implementation must compute everything before it stores
    // into result, since the store may destroy this object and other.
    virtual bool OpAdd(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpSub(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpMul(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpDiv(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpMod(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpAnd(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpOr(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpXor(Var& /*result*/, const Var& /*other*/) { return false; }

    virtual bool ToBool(bool& /*out*/) const { return false; }
    virtual bool ToInt(int& /*out*/) const { return false; }
    virtual bool ToFloat(float& /*out*/) const { return false; }
    virtual const char* GetCString() const { return nullptr; }

    virtual bool OpLess(Var& /*result*/, const Var& /*other*/) { return false; }
    virtual bool OpLessEqual(Var& /*result*/, const Var& /*other*/) { return false; }
    // Identity: true only for the very same object.
    virtual bool OpEqual(Var& result, const Var& other);
    virtual bool Serialize(ScriptIO& /*stream*/) { return false; }

    bool IsKindOf(const ClassRecord& record) const {
        return ClassRecord::IsKindOf(GetClassInfo(), &record);
    }
};

}  // namespace Vrel

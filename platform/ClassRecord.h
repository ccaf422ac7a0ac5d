#pragma once
// The engine's own run-time type identification. Each class that can be
// tested for its kind has one static record; objects report theirs through a
// virtual GetClassInfo() that each record-carrying family declares.

#include "platform/RefObj.h"

struct ClassRecord {
    using Factory = halvo::RefObj* (*)();

    const char* name;            // bare class name, as named in data and scripts
    const ClassRecord* parent;   // null at the top of a family
    Factory factory;             // null for abstract classes

    // True when target occurs in the chain from record up through its parents.
    static bool IsKindOf(const ClassRecord* record, const ClassRecord* target);
    // Same walk comparing names byte-wise (case-sensitive); false for null.
    static bool IsKindOfName(const ClassRecord* record, const char* name);

    // The object when its record chain contains target, else null. Takes no
    // reference: the caller's reference keeps the object alive.
    template <class T>
    static T* Cast(const halvo::AutoRef<T>& ref, const ClassRecord* target) {
        return KindOrNull(ref.Get(), target);
    }
    template <class T>
    static T* CastWeak(const halvo::WeakRef<T>& ref, const ClassRecord* target) {
        return KindOrNull(ref.Get(), target);
    }

    // An object of target's own class, the common case, needs no walk.
    template <class T>
    static T* KindOrNull(T* object, const ClassRecord* target) {
        if (!object) return nullptr;
        const ClassRecord* record = object->GetClassInfo();
        return record == target || IsKindOf(record, target) ? object : nullptr;
    }
};

// Cast to a concrete class by its own record: CastTo<GuiText>(widgetRef).
template <class To, class From>
To* CastTo(const halvo::AutoRef<From>& ref) {
    return static_cast<To*>(ClassRecord::Cast(ref, &To::kClassRecord));
}
template <class To, class From>
To* CastTo(From* object) {
    return static_cast<To*>(ClassRecord::KindOrNull(object, &To::kClassRecord));
}

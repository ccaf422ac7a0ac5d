#pragma once
// What a script type name stands for. Values keep raw pointers to records;
// the registry (TypeRegistry.h) makes them and never frees them.

#include <cstdint>
#include <string>

struct ClassRecord;

namespace Vrel {

struct TypeRecord {
    uint32_t tag;                     // value tag, or 31 for "auto"
    const ClassRecord* classRecord;   // object types only
    std::string name;
};

}  // namespace Vrel

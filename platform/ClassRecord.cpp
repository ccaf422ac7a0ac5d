#include "platform/ClassRecord.h"

#include <cstring>

bool ClassRecord::IsKindOf(const ClassRecord* record, const ClassRecord* target) {
    for (const ClassRecord* r = record; r; r = r->parent)
        if (r == target) return true;
    return false;
}

bool ClassRecord::IsKindOfName(const ClassRecord* record, const char* name) {
    if (!name) return false;
    for (const ClassRecord* r = record; r; r = r->parent)
        if (std::strcmp(r->name, name) == 0) return true;
    return false;
}

#include "script/runtime/VarBinary.h"

namespace Vrel {

const ClassRecord VarBinary::kClassRecord = {"VarBinary", &VarExtension::kClassRecord, &VarBinary::Create};

}  // namespace Vrel

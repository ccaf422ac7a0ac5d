#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/values/Var.h"

namespace Vrel {

void t_Interface::InitDeclaration(Var& element) { element.InitType(element.GetName()); }

}  // namespace Vrel

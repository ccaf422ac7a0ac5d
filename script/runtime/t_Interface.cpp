#include "script/runtime/FunctionAdapter.h"
#include "script/runtime/Var.h"

namespace Vrel {

void t_Interface::InitDeclaration(Var& element) { element.InitType(element.GetName()); }

}  // namespace Vrel

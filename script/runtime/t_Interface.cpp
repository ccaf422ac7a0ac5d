#include "script/runtime/FunctionAdapter.h"
#include "script/runtime/Var.h"

namespace Vrel {

Var* t_Interface::GetArg(int index) const {
    if (!args || index < 0 || index >= count) return nullptr;
    Var* element = args->GetElement(index);
    if (!element) return nullptr;
    if (Var* target = element->GetReferenced()) element = target;
    if (element->GetTag() == kTagDeclaration) element->InitType(element->GetName());
    return element;
}

}  // namespace Vrel

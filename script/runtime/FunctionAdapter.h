#pragma once
// What a bind value holds: the adapter of one native function. Adapters
// live as long as the program; a bind value adds a reference and never
// releases it.

#include "platform/RefObj.h"

namespace Vrel::detail {

class function_adapter : public halvo::RefObj {
public:
    ~function_adapter() override = default;
};

}  // namespace Vrel::detail

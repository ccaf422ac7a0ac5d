#pragma once
// Calls a function of a script module on a thread made for the call, the
// way the game talks to its HUD modules. The call returns when the function
// finishes or its thread starts to wait (the scheduler then keeps it).

#include "platform/RefObj.h"
#include "script/runtime/values/Var.h"

namespace halvo {
class GuiWidget;
}

// The function's result as a float; 0 when it is not numeric, when the
// function waits, or when module or function is missing (reported by the
// script runtime).
float CallModuleFunction(const char* module, const char* function, const Vrel::Var* arguments = nullptr,
                         int count = 0);

// The widget the function answers (a chat bubble the "cutscene" module
// builds, say); null when it answers anything else or cannot run.
halvo::AutoRef<halvo::GuiWidget> CallModuleForWidget(const char* module, const char* function,
                                                     const Vrel::Var* arguments, int count);

#pragma once
// How the GUI's script functions read the argument lists they check
// themselves: a widget argument, variables passed by reference, texts, and
// the name/value pairs that become a parameter structure. Every reader
// answers "nothing" for what does not fit and reports nothing: the
// functions turn that into their neutral results.

#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/t_Named.h"

namespace halvo {

class GuiWidget;

// Argument `index` when it is an object (one reference followed) whose
// class chain contains GuiWidget, else null.
GuiWidget* WidgetArg(const Vrel::t_Interface& call, int index);
// The text of argument `index` (a string constant, a text object, or the
// text a reference reaches), else null.
const char* TextArg(const Vrel::t_Interface& call, int index);
// The variable that argument `index` refers to when the script passed a
// variable, else null (a plain value cannot be written back).
Vrel::Var* VariableArg(const Vrel::t_Interface& call, int index);
// Argument `index` as a float; 0 for a missing argument or a non-number.
float NumberArg(const Vrel::t_Interface& call, int index);
// Argument `index` converted to bool; false when it does not convert.
bool TruthArg(const Vrel::t_Interface& call, int index);

// The pairs (first, first + 1), (first + 2, first + 3), ... while both
// exist, as members of `into`: a copy of each value (objects by reference)
// under its name; a pair whose name has no text is skipped, an unpaired
// last argument ignored.
void FillPairs(const Vrel::t_Interface& call, int first, Vrel::t_Named& into);

// An object value, or nil for none.
Vrel::Var ObjectResult(Vrel::VarExtension* object);

}  // namespace halvo

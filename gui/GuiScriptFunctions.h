#pragma once
// The GUI's script functions ("GuiCreate", "GuiGetValue", "LoadXML" and the
// others) and its script types "widget", "animation" and "xmldoc". The GUI
// manager registers them while it is built, so they exist before any script
// compiles; releasing the machine's modules drops the functions, and
// registering again brings them back (the types stay: a registry name keeps
// its first record).
//
// Functions that take the raw argument list check it themselves and answer
// a neutral result (nil, false, 0 or nothing) without a message; only the
// typed ones ("GuiInitAnimation", "GuiSetKeyboardFocus",
// "GuiAddGlobalListener", "GuiRemoveGlobalListener", "LoadXML") have wrong
// arguments reported, by the binding.

namespace Vrel {
class ScriptVM;
}

namespace halvo {

void RegisterGuiScriptFunctions(Vrel::ScriptVM& vm);

}  // namespace halvo

#include "gui/GuiScriptFunctions.h"

#include "gui/GuiAnimator.h"
#include "gui/GuiMain.h"
#include "gui/GuiScriptArgs.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "gui/GuiXml.h"
#include "gui/LScript.h"
#include "platform/Loca.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarUnicode.h"

#include <string>

namespace halvo {

namespace {

using Vrel::t_Interface;
using Vrel::Var;

// The parameter member that names a widget's or an animator's type.
constexpr const char* kParamType = "type";
// The thread value that marks a script as allowed to search the whole GUI.
constexpr const char* kThreadValueModule = "module";

// The text of the "type" member, null when there is none.
const char* TypeOf(Vrel::t_Named& parameters) {
    Var* type = parameters.FindMember(kParamType);
    return type ? type->GetCString() : nullptr;
}

// ---- creation -----------------------------------------------------------

bool GuiInitAnimation(GuiWidget* widget, float speed, bool flag, int count) {
    return widget ? widget->StartTextureAnim(speed, flag, count) : false;
}

Var GuiCreate(t_Interface& call) {
    if (call.count < 3) return Var();
    GuiWidget* parent = WidgetArg(call, 0);
    AutoRef<Vrel::t_Named> parameters(new Vrel::t_Named);
    FillPairs(call, 1, *parameters);
    if (!parameters->FindMember(kParamType)) return Var();
    return ObjectResult(GuiCreateWidget(TypeOf(*parameters), *parameters, parent).Get());
}

Var GuiCreateByStruct(t_Interface& call) {
    if (call.count != 2) return Var();
    GuiWidget* parent = WidgetArg(call, 0);
    const Var* structure = call.GetArg(1);
    AutoRef<Vrel::t_Named> parameters(structure ? CastTo<Vrel::t_Named>(structure->GetObject()) : nullptr);
    if (!parent || !parameters || !parameters->FindMember(kParamType)) return Var();
    return ObjectResult(GuiCreateWidget(TypeOf(*parameters), *parameters, parent).Get());
}

bool GuiCreateAnimator(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    if (call.count < 3 || !widget) return false;
    AutoRef<Vrel::t_Named> parameters(new Vrel::t_Named);
    FillPairs(call, 1, *parameters);
    if (!parameters->FindMember(kParamType)) return false;
    return StartAnimation(widget, TypeOf(*parameters), *parameters);
}

// ---- coordinates --------------------------------------------------------

// The widget and the two variables of the conversions; false when the call
// is not exactly that.
bool PointCall(t_Interface& call, GuiWidget*& widget, Var*& x, Var*& y) {
    if (call.count != 3) return false;
    widget = WidgetArg(call, 0);
    x = VariableArg(call, 1);
    y = VariableArg(call, 2);
    return widget && x && y;
}

float VariableNumber(const Var& variable) {
    float number = 0.0f;
    if (!variable.IsNumber() || !variable.ToFloat(number)) return 0.0f;
    return number;
}

void StorePoint(Var& x, Var& y, Vec2 point) {
    x.SetFloat(point.x);
    y.SetFloat(point.y);
}

bool GuiGetAnchorWorldPos(t_Interface& call) {
    GuiWidget* widget = nullptr;
    Var *x = nullptr, *y = nullptr;
    if (!PointCall(call, widget, x, y)) return false;
    StorePoint(*x, *y, widget->GetAnchorOffset());
    return true;
}

bool GuiWorld2Local(t_Interface& call) {
    GuiWidget* widget = nullptr;
    Var *x = nullptr, *y = nullptr;
    if (!PointCall(call, widget, x, y)) return false;
    StorePoint(*x, *y, widget->ScreenToLocal({VariableNumber(*x), VariableNumber(*y)}));
    return true;
}

bool GuiLocal2World(t_Interface& call) {
    GuiWidget* widget = nullptr;
    Var *x = nullptr, *y = nullptr;
    if (!PointCall(call, widget, x, y)) return false;
    StorePoint(*x, *y, widget->LocalToScreen({VariableNumber(*x), VariableNumber(*y)}));
    return true;
}

Var GuiPick(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    if (call.count < 3 || !widget) return Var();
    return ObjectResult(widget->Pick(NumberArg(call, 1), NumberArg(call, 2), kPickPointer));
}

// ---- animators and input flags ------------------------------------------

bool GuiIsAnimationRunning(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    return widget && widget->HasAnimators();
}

bool GuiStopAllAnims(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    if (call.count != 2 || !widget) return false;
    widget->StopAllAnimators(TruthArg(call, 1));
    return true;
}

bool GuiTrackMouseMovement(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    if (call.count < 2 || !widget) return false;
    widget->SetTrackMotion(TruthArg(call, 1));
    return true;
}

// ---- removal and properties ---------------------------------------------

bool GuiDestroy(t_Interface& call) {
    if (call.count < 1) return false;
    GuiWidget* widget = WidgetArg(call, 0);
    if (widget && widget->GetParent()) widget->RemoveAndDetach();
    return true;
}

Var GuiGetValue(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    const char* name = TextArg(call, 1);
    if (call.count < 2 || !widget || !name) return Var();
    Var* property = widget->Properties().FindMember(name);
    return property ? Vrel::builtins::CopyOf(property) : Var();
}

void GuiSetValue(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    const char* name = TextArg(call, 1);
    if (call.count < 3 || !widget || !name) return;
    Vrel::builtins::StoreCopy(*widget->Properties().GetOrAddMember(name), call.GetArg(2));
}

bool GuiRemoveValue(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    const char* name = TextArg(call, 1);
    return widget && name && widget->Properties().RemoveMember(name);
}

// ---- drag ---------------------------------------------------------------

void GuiDragWidget(t_Interface& call) {
    GuiWidget* host = WidgetArg(call, 0);
    GuiWidget* item = WidgetArg(call, 1);
    if (call.count >= 2 && host && item) host->StartDrag(item);
}

bool GuiIsDragging(t_Interface& call) {
    GuiWidget* host = WidgetArg(call, 0);
    return host && host->GetDragImage();
}

void GuiDragEnd(t_Interface& call) {
    GuiWidget* host = WidgetArg(call, 0);
    if (host && host->GetDragImage()) host->EndDrag();
}

// ---- listeners ----------------------------------------------------------

AutoRef<LScript> NewScriptListener(const char* module) {
    AutoRef<LScript> listener(new LScript);
    listener->SetModule(module);
    return listener;
}

// The module goes by its name: a listener made from a module object or a
// number would never be called, and the author would never learn why.
bool GuiAddListener(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    const char* module = TextArg(call, 1);
    if (!module) {
        Vrel::builtins::Report(call,
                               "GuiAddListener(widget, string module) - bad parameter: the module goes by its name");
        return false;
    }
    if (!widget) return false;
    widget->AddListener(NewScriptListener(module).Get());
    return true;
}

// A missing text adds nothing: a listener without a module could never
// handle an event, and the caller is told it failed.
bool GuiAddGlobalListener(const char* module) {
    GuiWidget* root = GuiMain::Global().GetRoot();
    if (!module || !root) return false;
    root->AddListener(NewScriptListener(module).Get());
    return true;
}

void GuiRemoveGlobalListener(const char* module) {
    AutoRef<GuiWidget> root(GuiMain::Global().GetRoot());
    if (!module || !root) return;
    for (size_t i = 0; i < root->GetListenerCount();) {
        GuiListener* listener = root->GetListener(i);
        const bool match = listener->GetClassInfo() == &LScript::kClassRecord &&
                           static_cast<LScript*>(listener)->GetModuleName() == module;
        if (match) root->RemoveListener(listener);
        else ++i;
    }
}

// ---- tree ---------------------------------------------------------------

Var GuiGetChild(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    return ObjectResult(widget ? widget->GetFirstChild() : nullptr);
}

int GuiGetChildCount(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    int count = 0;
    for (GuiWidget* child = widget ? widget->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
        ++count;
    return count;
}

Var GuiGetNext(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    return ObjectResult(widget ? widget->GetNextSibling() : nullptr);
}

Var GuiGetParent(t_Interface& call) {
    GuiWidget* widget = WidgetArg(call, 0);
    return ObjectResult(widget ? widget->GetParent() : nullptr);
}

void GuiMoveFront(t_Interface& call) {
    AutoRef<GuiWidget> widget(WidgetArg(call, 0));
    AutoRef<GuiWidget> parent(widget ? widget->GetParent() : nullptr);
    if (!parent) return;
    widget->SetParent(nullptr, true);
    widget->SetParent(parent.Get(), false);
}

Var GuiFindFirst(t_Interface& call) {
    if (call.count < 1) return Var();
    GuiWidget* root = WidgetArg(call, 0);
    if (!root && call.thread && call.thread->GetThreadValues().FindMember(kThreadValueModule))
        root = GuiMain::Global().GetRoot();
    if (!root) return Var();
    AutoRef<Vrel::t_Named> criteria(new Vrel::t_Named);
    FillPairs(call, 1, *criteria);
    return ObjectResult(root->FindFirst(*criteria).Get());
}

// ---- events and focus ---------------------------------------------------

void GuiNotify(t_Interface& call) {
    AutoRef<GuiWidget> widget(WidgetArg(call, 0));
    if (call.count < 2 || !widget) return;
    AutoRef<Vrel::t_Named> payload(new Vrel::t_Named);
    FillPairs(call, 1, *payload);
    widget->Notify(kEventNotify, widget.Get(), GuiEventData::Object(payload.Get()));
}

bool GuiSetKeyboardFocus(GuiWidget* widget) { return widget ? widget->TakeFocus() : false; }

// ---- texts --------------------------------------------------------------

// A unicode string as it is; other text translated when the table holds it,
// else each byte widened to one unit. False when the argument has no text.
bool TextToShow(t_Interface& call, int index, std::u16string& shown) {
    const Var* arg = call.GetArg(index);
    if (const Vrel::VarUnicode* unicode = arg ? Vrel::ToVarUnicode(*arg) : nullptr) {
        shown.assign(unicode->GetText());
        return true;
    }
    const char* text = TextArg(call, index);
    if (!text) return false;
    if (Loca::Global().Translate(text, shown) >= 0) return true;
    shown.clear();
    for (const char* c = text; *c; ++c) shown += static_cast<char16_t>(static_cast<unsigned char>(*c));
    return true;
}

void GuiChangeText(t_Interface& call) {
    AutoRef<GuiText> text(call.count >= 2 ? CastTo<GuiText>(WidgetArg(call, 0)) : nullptr);
    std::u16string shown;
    if (text && TextToShow(call, 1, shown)) text->SetText(shown);
}

// ---- XML documents ------------------------------------------------------

Var LoadXML(const char* file) {
    if (!file) return Var();
    AutoRef<GuiXML> document(new GuiXML);
    return document->Load(file) ? ObjectResult(document.Get()) : Var();
}

Var FindXmlNode(t_Interface& call) {
    const Var* documentArg = call.GetArg(0);
    GuiXML* document = documentArg ? GuiXML::FromValue(*documentArg) : nullptr;
    const char* path = TextArg(call, 1);
    if (call.count < 2 || !document || !path) return Var();
    return ObjectResult(document->FindNode(path).Get());
}

}  // namespace

void RegisterGuiScriptFunctions(Vrel::ScriptVM& vm) {
    using Vrel::detail::AdapterFor;
    Vrel::TypeRegistry& types = Vrel::TypeRegistry::Global();
    types.Add("widget", Vrel::kTagObject, &GuiWidget::kClassRecord);
    types.Add("animation", Vrel::kTagObject, &GuiAnimator::kClassRecord);
    types.Add("xmldoc", Vrel::kTagObject, &GuiXML::kClassRecord);

    vm.AddCFunction("GuiInitAnimation", AdapterFor<&GuiInitAnimation>());
    vm.AddCFunction("GuiCreate", AdapterFor<&GuiCreate>());
    vm.AddCFunction("GuiCreateByStruct", AdapterFor<&GuiCreateByStruct>());
    vm.AddCFunction("GuiCreateAnimator", AdapterFor<&GuiCreateAnimator>());
    vm.AddCFunction("GuiGetAnchorWorldPos", AdapterFor<&GuiGetAnchorWorldPos>());
    vm.AddCFunction("GuiWorld2Local", AdapterFor<&GuiWorld2Local>());
    vm.AddCFunction("GuiLocal2World", AdapterFor<&GuiLocal2World>());
    vm.AddCFunction("GuiPick", AdapterFor<&GuiPick>());
    vm.AddCFunction("GuiIsAnimationRunning", AdapterFor<&GuiIsAnimationRunning>());
    vm.AddCFunction("GuiStopAllAnims", AdapterFor<&GuiStopAllAnims>());
    vm.AddCFunction("GuiTrackMouseMovement", AdapterFor<&GuiTrackMouseMovement>());
    vm.AddCFunction("GuiDestroy", AdapterFor<&GuiDestroy>());
    vm.AddCFunction("GuiGetValue", AdapterFor<&GuiGetValue>());
    vm.AddCFunction("GuiSetValue", AdapterFor<&GuiSetValue>());
    vm.AddCFunction("GuiDragWidget", AdapterFor<&GuiDragWidget>());
    vm.AddCFunction("GuiIsDragging", AdapterFor<&GuiIsDragging>());
    vm.AddCFunction("GuiDragEnd", AdapterFor<&GuiDragEnd>());
    vm.AddCFunction("GuiRemoveValue", AdapterFor<&GuiRemoveValue>());
    vm.AddCFunction("GuiAddListener", AdapterFor<&GuiAddListener>());
    vm.AddCFunction("GuiAddGlobalListener", AdapterFor<&GuiAddGlobalListener>());
    vm.AddCFunction("GuiRemoveGlobalListener", AdapterFor<&GuiRemoveGlobalListener>());
    vm.AddCFunction("GuiGetChild", AdapterFor<&GuiGetChild>());
    vm.AddCFunction("GuiGetChildCount", AdapterFor<&GuiGetChildCount>());
    vm.AddCFunction("GuiGetNext", AdapterFor<&GuiGetNext>());
    vm.AddCFunction("GuiGetParent", AdapterFor<&GuiGetParent>());
    vm.AddCFunction("GuiMoveFront", AdapterFor<&GuiMoveFront>());
    vm.AddCFunction("GuiNotify", AdapterFor<&GuiNotify>());
    vm.AddCFunction("GuiSetKeyboardFocus", AdapterFor<&GuiSetKeyboardFocus>());
    vm.AddCFunction("GuiFindFirst", AdapterFor<&GuiFindFirst>());
    vm.AddCFunction("GuiChangeText", AdapterFor<&GuiChangeText>());
    vm.AddCFunction("LoadXML", AdapterFor<&LoadXML>());
    vm.AddCFunction("FindXmlNode", AdapterFor<&FindXmlNode>());
}

}  // namespace halvo

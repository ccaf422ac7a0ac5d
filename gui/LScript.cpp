#include "gui/LScript.h"

#include "gui/GuiAnimator.h"
#include "gui/GuiWidget.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"

namespace halvo {

namespace {

// The frequent events share the own thread; the others get a new one.
constexpr bool kOwnThread = false;
constexpr bool kNewThread = true;

// An object argument; nil for none, so a script can test it.
Vrel::Var ObjectValue(Vrel::VarExtension* object) {
    return object ? Vrel::Var(object) : Vrel::Var();
}

}  // namespace

const ClassRecord LScript::kClassRecord = {"LScript", &GuiListener::kClassRecord, &LScript::Create};

RefObj* LScript::Create() { return new LScript; }

// ---- handlers -----------------------------------------------------------

void LScript::OnRemove(GuiWidget* removed) {
    const Vrel::Var args[] = {ObjectValue(removed)};
    Call(kNewThread, "OnRemove", args, 1);
}

void LScript::OnInputBegin(GuiWidget* sender) {
    const Vrel::Var args[] = {ObjectValue(sender)};
    Call(kNewThread, "OnInputBegin", args, 1);
}

void LScript::OnInputEnd(GuiWidget* sender) {
    const Vrel::Var args[] = {ObjectValue(sender)};
    Call(kNewThread, "OnInputEnd", args, 1);
}

void LScript::OnUpdate(double timeMs, double dtMs) {
    const Vrel::Var args[] = {Vrel::Var(static_cast<float>(timeMs)), Vrel::Var(static_cast<float>(dtMs))};
    Call(kOwnThread, "OnUpdate", args, 2);
}

bool LScript::OnKey(uint16_t key, uint16_t character) {
    const Vrel::Var args[] = {Vrel::Var(static_cast<int>(key)), Vrel::Var(static_cast<int>(character))};
    return Call(kOwnThread, "OnKey", args, 2);
}

bool LScript::OnMouseButtonDown(GuiWidget* sender, uint8_t button, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(static_cast<int>(button)), Vrel::Var(x), Vrel::Var(y)};
    return Call(kNewThread, "OnMouseButtonDown", args, 4);
}

bool LScript::OnMouseButtonUp(GuiWidget* sender, uint8_t button, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(static_cast<int>(button)), Vrel::Var(x), Vrel::Var(y)};
    return Call(kNewThread, "OnMouseButtonUp", args, 4);
}

bool LScript::OnButton(GuiWidget* sender) {
    const Vrel::Var args[] = {ObjectValue(sender)};
    return Call(kOwnThread, "OnButton", args, 1);
}

void LScript::OnRadio(GuiWidget* sender) {
    const Vrel::Var args[] = {ObjectValue(sender)};
    Call(kOwnThread, "OnRadio", args, 1);
}

void LScript::OnWheel(GuiWidget* sender, int32_t delta) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(static_cast<int>(delta))};
    Call(kOwnThread, "OnWheel", args, 2);
}

void LScript::OnMouseMove(GuiWidget* sender, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(x), Vrel::Var(y)};
    Call(kOwnThread, "OnMouseMove", args, 3);
}

void LScript::OnEnter(GuiWidget* sender, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(x), Vrel::Var(y)};
    Call(kNewThread, "OnEnter", args, 3);
}

void LScript::OnLeave(GuiWidget* sender, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(x), Vrel::Var(y)};
    Call(kNewThread, "OnLeave", args, 3);
}

void LScript::OnSliderBegin(GuiWidget* sender, float value) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(value)};
    Call(kNewThread, "OnSliderBegin", args, 2);
}

void LScript::OnSliderChanged(GuiWidget* sender, float value) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(value)};
    Call(kNewThread, "OnSliderChanged", args, 2);
}

void LScript::OnSliderChanging(GuiWidget* sender, float value) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(value)};
    Call(kOwnThread, "OnSliderChanging", args, 2);
}

void LScript::OnMovieFinished(GuiWidget* sender) {
    const Vrel::Var args[] = {ObjectValue(sender)};
    Call(kNewThread, "OnMovieFinished", args, 1);
}

void LScript::OnAnimationEnd(GuiWidget* sender, GuiAnimator* animator) {
    const Vrel::Var args[] = {ObjectValue(sender), ObjectValue(animator)};
    Call(kNewThread, "OnAnimationEnd", args, 2);
}

void LScript::OnDragMove(GuiWidget* sender, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(x), Vrel::Var(y)};
    Call(kNewThread, "OnDragMove", args, 3);
}

void LScript::OnDragEnd(GuiWidget* sender, uint8_t button, float x, float y) {
    const Vrel::Var args[] = {ObjectValue(sender), Vrel::Var(static_cast<int>(button)), Vrel::Var(x), Vrel::Var(y)};
    Call(kNewThread, "OnDragEnd", args, 4);
}

bool LScript::OnNotify(GuiWidget* sender, Vrel::VarExtension* payload) {
    const Vrel::Var args[] = {ObjectValue(sender), ObjectValue(payload)};
    return Call(kNewThread, "OnNotify", args, 2);
}

// ---- binding and calls --------------------------------------------------

void LScript::SetModule(const char* moduleName) {
    moduleName_ = moduleName ? moduleName : "";
    ownThread_ = new Vrel::Thread;
}

bool LScript::IsOwnThreadBusy() const {
    const int32_t state = ownThread_->GetState();
    // A thread still on the native stack (a handler whose script raised an
    // event for this same listener) is busy whatever its state says: a
    // handler that returned to a native caller leaves it "returned" while
    // the outer run still owns its frames.
    return ownThread_->IsExecuting() || state == Vrel::kThreadRunning || state == Vrel::kThreadSleeping ||
           state == Vrel::kThreadPaused;
}

bool LScript::Call(bool newThread, const char* function, const Vrel::Var* arguments, int count) {
    if (!function || moduleName_.empty()) return false;
    // The handler may remove the widget that owns this listener.
    AutoRef<LScript> self(this);
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    Vrel::BinCode* module = vm.FindModule(moduleName_.c_str());
    Vrel::Var* member = module ? module->GetMember(function) : nullptr;
    Vrel::BinCode* code = member ? Vrel::ToBinCode(*member) : nullptr;
    if (!code) return false;
    AutoRef<Vrel::Thread> thread;
    if (newThread) {
        thread = new Vrel::Thread(vm);
    } else {
        if (!ownThread_ || IsOwnThreadBusy()) return false;
        thread = ownThread_;
    }
    const bool ran = thread->Run(code, false, arguments, count);
    const int32_t state = thread->GetState();
    if (state == Vrel::kThreadSleeping || state == Vrel::kThreadPaused) return true;
    // A failed run answers false: the own thread's value may still hold the
    // previous handler's result.
    bool answer = false;
    const Vrel::Var& value = thread->GetValue();
    return ran && value.GetTag() == Vrel::kTagBool && value.ToBool(answer) && answer;
}

}  // namespace halvo

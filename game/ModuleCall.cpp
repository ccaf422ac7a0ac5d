#include "game/ModuleCall.h"

#include "gui/GuiWidget.h"
#include "script/runtime/execution/Thread.h"

float CallModuleFunction(const char* module, const char* function, const Vrel::Var* arguments, int count) {
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    if (!Vrel::Thread::RunFunction(thread.Get(), module, function, arguments, count)) return 0;
    const int32_t state = thread->GetState();
    if (state == Vrel::kThreadSleeping || state == Vrel::kThreadPaused) return 0;
    float result = 0;
    if (!thread->GetValue().ToFloat(result)) return 0;
    return result;
}

halvo::AutoRef<halvo::GuiWidget> CallModuleForWidget(const char* module, const char* function,
                                                     const Vrel::Var* arguments, int count) {
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    Vrel::Thread::RunFunction(thread.Get(), module, function, arguments, count);
    const Vrel::Var& result = thread->GetValue();
    Vrel::VarExtension* object = result.GetTag() == Vrel::kTagObject ? result.GetObject() : nullptr;
    if (!object || !ClassRecord::IsKindOf(object->GetClassInfo(), &halvo::GuiWidget::kClassRecord)) return {};
    return halvo::AutoRef<halvo::GuiWidget>(static_cast<halvo::GuiWidget*>(object));
}

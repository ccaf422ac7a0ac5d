#pragma once
// The listener through which scripts handle widget events: each handler
// calls the script function of the same name ("OnButton", "OnKey", ...) in
// one module, bound by name, and a module handles exactly the events it
// defines. The frequent events (update, key, button, radio, wheel, pointer
// motion, slider dragging) share the listener's own script thread and are
// dropped while it is busy, so a handler that sleeps holds them back; every
// other event runs on a thread of its own and is never dropped. A handler
// that sleeps or pauses counts as having handled its event; otherwise only
// a returned bool true does.

#include "gui/GuiListener.h"
#include "platform/ClassRecord.h"
#include "platform/RefObj.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"

#include <string>

namespace halvo {

class LScript : public GuiListener {
public:
    static const ClassRecord kClassRecord;
    // A listener with no module and no thread: it handles nothing.
    static RefObj* Create();

    LScript() = default;
    ~LScript() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    void OnRemove(GuiWidget* removed) override;
    void OnInputBegin(GuiWidget* sender) override;
    void OnInputEnd(GuiWidget* sender) override;
    void OnUpdate(double timeMs, double dtMs) override;
    bool OnKey(uint16_t key, uint16_t character) override;
    bool OnMouseButtonDown(GuiWidget* sender, uint8_t button, float x, float y) override;
    bool OnMouseButtonUp(GuiWidget* sender, uint8_t button, float x, float y) override;
    bool OnButton(GuiWidget* sender) override;
    void OnRadio(GuiWidget* sender) override;
    void OnWheel(GuiWidget* sender, int32_t delta) override;
    void OnMouseMove(GuiWidget* sender, float x, float y) override;
    void OnEnter(GuiWidget* sender, float x, float y) override;
    void OnLeave(GuiWidget* sender, float x, float y) override;
    void OnSliderBegin(GuiWidget* sender, float value) override;
    void OnSliderChanged(GuiWidget* sender, float value) override;
    void OnSliderChanging(GuiWidget* sender, float value) override;
    void OnMovieFinished(GuiWidget* sender) override;
    void OnAnimationEnd(GuiWidget* sender, GuiAnimator* animator) override;
    void OnDragMove(GuiWidget* sender, float x, float y) override;
    void OnDragEnd(GuiWidget* sender, uint8_t button, float x, float y) override;
    bool OnNotify(GuiWidget* sender, Vrel::VarExtension* payload) override;

    // Binds the module (looked up in lower case at each event) and gives
    // the listener a fresh own thread.
    void SetModule(const char* moduleName);
    const std::string& GetModuleName() const { return moduleName_; }
    Vrel::Thread* GetOwnThread() const { return ownThread_.Get(); }

    // Runs `function` of the module with the arguments; the handler's answer
    // as described above. False, running nothing, for a null name, a missing
    // module or function, a member that is no compiled function, or a busy
    // own thread (running, sleeping, paused, or on the native stack).
    bool Call(bool newThread, const char* function, const Vrel::Var* arguments, int count);

private:
    bool IsOwnThreadBusy() const;

    std::string moduleName_;
    AutoRef<Vrel::Thread> ownThread_;
};

}  // namespace halvo

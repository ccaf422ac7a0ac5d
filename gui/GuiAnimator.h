#pragma once
// Base of the widget animators (script type "animation"): an animator changes
// one widget's properties over time. It holds its widget weakly and a copy
// of its parameters, which scripts can read but not write. The widget owns
// its running animators and steps them in its Update; a step answering false
// ends the animator, which the widget then reports as event 14.

#include "platform/ClassRecord.h"
#include "platform/RefObj.h"
#include "script/runtime/values/t_Named.h"

namespace halvo {

class GuiWidget;

class GuiAnimator : public Vrel::VarExtension {
public:
    static const ClassRecord kClassRecord;

    // Parameters every kind may read.
    static constexpr const char* kParamTime = "time";
    static constexpr const char* kParamDelay = "delay";

    GuiAnimator() = default;
    ~GuiAnimator() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "animation"; }
    int GetCount() const override { return parameters_.GetCount(); }
    Vrel::Var* GetMember(const char* name) override;
    Vrel::Var* GetOrAddMember(const char*) override { return nullptr; }

    // Stores the target, copies the parameters and clears the delay; false
    // when there is no target. Every kind calls it first.
    virtual bool Init(GuiWidget* target, const Vrel::t_Named& parameters);
    // One step; false once the animation has ended.
    virtual bool Update(double timeMs, double dtMs) = 0;
    // Ends early: false applies the final state, true leaves things as they are.
    virtual void Finish(bool immediate) = 0;

    // Null once the widget has died.
    GuiWidget* GetTarget() const;
    double GetDelay() const { return delay_; }
    void SetDelay(double delayMs) { delay_ = delayMs; }
    const Vrel::t_Named& Parameters() const { return parameters_; }

protected:
    // A parameter as a float: the fallback when missing, not numeric or
    // not finite.
    float ReadParameter(const char* name, float fallback = 0.0f) const;
    bool HasParameter(const char* name) const;
    // "time" for the kinds that divide by it: at least 1 ms.
    float ReadDuration() const;
    void ClearTarget() { target_.Reset(); }

    WeakRef<GuiWidget> target_;
    Vrel::t_Named parameters_;
    double delay_ = 0;
};

// Creates the animator by type name, initialises it on the widget (its
// "delay" parameter becoming the delay) and adds it to the widget's running
// animators. False, raising nothing, for an unknown type or a refused Init.
bool StartAnimation(GuiWidget* widget, const char* typeName, const Vrel::t_Named& parameters);

}  // namespace halvo

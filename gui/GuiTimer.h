#pragma once
// Waits "time" ms (1 when absent; no lower limit) and ends (type name
// "Timer"); its end event is what scripts wait for. Changes no property.

#include "gui/GuiAnimator.h"

namespace halvo {

class GuiTimer : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    GuiTimer() = default;
    ~GuiTimer() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

private:
    double remainingMs_ = 0;
    bool done_ = false;
};

}  // namespace halvo

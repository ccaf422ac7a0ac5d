#pragma once
// Removes its widget from the tree once "time" ms (0 when absent) have run
// out (type name "Remover"). It reports the base record "GuiAnimator".

#include "gui/GuiAnimator.h"

namespace halvo {

class GuiRemover : public GuiAnimator {
public:
    GuiRemover() = default;
    ~GuiRemover() override = default;

    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

private:
    // Forgets the target first, so that a handler that finishes this remover
    // during the removal finds nothing left to remove.
    void RemoveTarget();

    double remainingMs_ = 0;
};

}  // namespace halvo

#pragma once
// A star that flies in, pulses, fades out and removes its widget (type name
// "StarAnimator", registered by the game). It waits its own "delay", flies
// to "xpos"/"ypos" over "time" ms, pulses "scale" between 0.5 and 1.5 while
// it holds for 1.5 s and then fades "alpha" out over a second, and removes
// the widget one step after the alpha reached 0.

#include "gui/GuiAnimator.h"
#include "gui/GuiMover.h"

namespace halvo {

class GuiStarAnimator : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    enum Phase : int32_t {
        kPhaseWait = 0,    // the own "delay"
        kPhaseFly = 1,     // moving to the target position
        kPhaseHold = 2,    // pulsing in place
        kPhaseFade = 3,    // pulsing while the alpha falls
        kPhaseRemove = 4,  // the next step removes the widget
    };

    GuiStarAnimator() = default;
    ~GuiStarAnimator() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

    Phase GetPhase() const { return phase_; }

private:
    void Fly(GuiWidget& target, float dtMs);
    void Pulse(GuiWidget& target, float dtMs);
    void Hold(double dtMs);
    void Fade(GuiWidget& target, float dtMs);

    Phase phase_ = kPhaseWait;
    double waitMs_ = 0;
    GuiMoveAxis x_;
    GuiMoveAxis y_;
    float pulse_ = 1;
    float fade_ = 1;
};

}  // namespace halvo

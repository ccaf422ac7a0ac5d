#pragma once
// Moves a widget's "xpos"/"ypos" to the parameters "xpos"/"ypos" over
// "time" ms (type name "Mover"); each axis stops on its own when it
// arrives.

#include "gui/GuiAnimator.h"
#include "platform/Math.h"

namespace halvo {

// One axis of a straight move at constant speed; shared with the star.
struct GuiMoveAxis {
    float at = 0;
    float to = 0;
    float speed = 0;  // per ms; 0 once arrived

    void Start(float from, float target, float durationMs);
    void Step(float dtMs);
};

class GuiMover : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    GuiMover() = default;
    ~GuiMover() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

private:
    GuiMoveAxis x_;
    GuiMoveAxis y_;
    bool done_ = false;
};

}  // namespace halvo

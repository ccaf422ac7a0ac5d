#pragma once
// Pulses a widget's "scale" around the parameter "scale" (type name
// "Pulsar", registered by the game): after its "delay" the scale swings
// with "frequenz" (radians per second) and settles on that scale as "time"
// ms run out, then the pulsar ends with the scale as it is.

#include "gui/GuiAnimator.h"

namespace halvo {

class GuiPulsarAnimator : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    static constexpr const char* kParamScale = "scale";
    static constexpr const char* kParamFrequency = "frequenz";

    GuiPulsarAnimator() = default;
    ~GuiPulsarAnimator() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

private:
    bool finished_ = false;
    bool started_ = false;
    float frequency_ = 0;
    float size_ = 0;
    double startMs_ = 0;
    double endMs_ = 0;
};

}  // namespace halvo

#pragma once
// Fades a widget's "alpha" to the parameter "alpha" over "time" ms after its
// "delay" (type name "Alpha"), so that a line can stand a while and then
// fade. Refused when the widget already has that alpha.

#include "gui/GuiAnimator.h"

namespace halvo {

class GuiAlpha : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    static constexpr const char* kParamAlpha = "alpha";

    GuiAlpha() = default;
    ~GuiAlpha() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;
    // Whether it is still to bring its widget's alpha up, its delay
    // included.
    bool RaisesAlpha() const { return !done_ && targetAlpha_ > alpha_; }

private:
    float alpha_ = 1;
    float targetAlpha_ = 0;
    float speed_ = 0;  // per ms
    bool done_ = false;
};

}  // namespace halvo

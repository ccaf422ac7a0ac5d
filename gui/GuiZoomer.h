#pragma once
// Zooms a widget's "scale" to the parameter "scale" over "time" ms after
// its "delay" (type name "Zoomer"). The start scale is read at the first
// step after the delay; when it already equals the target the zoomer ends
// there without writing.

#include "gui/GuiAnimator.h"

namespace halvo {

class GuiZoomer : public GuiAnimator {
public:
    static const ClassRecord kClassRecord;

    static constexpr const char* kParamScale = "scale";

    GuiZoomer() = default;
    ~GuiZoomer() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool Init(GuiWidget* target, const Vrel::t_Named& parameters) override;
    bool Update(double timeMs, double dtMs) override;
    void Finish(bool immediate) override;

private:
    bool started_ = false;
    float scale_ = 0;
    float targetScale_ = 0;
    float speed_ = 0;  // per ms
    bool done_ = false;
};

}  // namespace halvo

#include "gui/GuiAnimator.h"

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"

#include <cmath>
#include <string_view>

namespace halvo {

namespace {

// The shortest duration the kinds that divide by "time" accept.
constexpr float kMinDurationMs = 1.0f;

}  // namespace

const ClassRecord GuiAnimator::kClassRecord = {"GuiAnimator", &Vrel::VarExtension::kClassRecord, nullptr};

Vrel::Var* GuiAnimator::GetMember(const char* name) { return name ? parameters_.FindMember(name) : nullptr; }

GuiWidget* GuiAnimator::GetTarget() const { return target_.Get(); }

bool GuiAnimator::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    target_ = target;
    parameters_.CopyMembers(parameters);
    delay_ = 0;
    return target != nullptr;
}

bool GuiAnimator::HasParameter(const char* name) const {
    return name && parameters_.GetMembers().find(std::string_view(name)) != parameters_.GetMembers().end();
}

float GuiAnimator::ReadParameter(const char* name, float fallback) const {
    if (!name) return fallback;
    auto it = parameters_.GetMembers().find(std::string_view(name));
    float number = fallback;
    if (it == parameters_.GetMembers().end() || !it->second.ToFloat(number) || !std::isfinite(number))
        return fallback;
    return number;
}

float GuiAnimator::ReadDuration() const {
    const float time = ReadParameter(kParamTime, 0.0f);
    return time > 0 ? time : kMinDurationMs;
}

bool StartAnimation(GuiWidget* widget, const char* typeName, const Vrel::t_Named& parameters) {
    AutoRef<GuiAnimator> animator = GuiMain::Global().CreateAnimator(typeName);
    if (!animator) return false;
    AutoRef<GuiWidget> held(widget);
    if (!animator->Init(widget, parameters)) return false;
    auto delay = parameters.GetMembers().find(std::string_view(GuiAnimator::kParamDelay));
    float delayMs = 0;
    if (delay != parameters.GetMembers().end() && delay->second.ToFloat(delayMs) && std::isfinite(delayMs))
        animator->SetDelay(delayMs);
    if (widget) widget->AddAnimator(animator.Get());
    return true;
}

}  // namespace halvo

#include "gui/GuiListener.h"

#include "gui/GuiAnimator.h"

namespace halvo {

const ClassRecord GuiListener::kClassRecord = {"GuiListener", nullptr, &GuiListener::Create};

RefObj* GuiListener::Create() { return new GuiListener; }

bool IsStoppingEvent(int32_t id) {
    return id == kEventButton || id == kEventKey || id == kEventMouseDown || id == kEventMouseUp ||
           id == kEventNotify;
}

GuiEventData GuiEventData::Input(const InputEvent& event) {
    GuiEventData data;
    data.input = &event;
    data.x = event.x;
    data.y = event.y;
    return data;
}

GuiEventData GuiEventData::Point(float x, float y) {
    GuiEventData data;
    data.x = x;
    data.y = y;
    return data;
}

GuiEventData GuiEventData::Value(float value) {
    GuiEventData data;
    data.value = value;
    return data;
}

GuiEventData GuiEventData::Wheel(int32_t delta) {
    GuiEventData data;
    data.delta = delta;
    return data;
}

GuiEventData GuiEventData::Animation(GuiAnimator* animator) {
    GuiEventData data;
    data.animator = animator;
    data.object = animator;
    return data;
}

GuiEventData GuiEventData::Object(Vrel::VarExtension* object) {
    GuiEventData data;
    data.object = object;
    return data;
}

bool GuiListener::Deliver(int32_t id, GuiWidget* sender, const GuiEventData& data) {
    static const InputEvent kNoInput;
    const InputEvent& input = data.input ? *data.input : kNoInput;
    switch (id) {
        case kEventButton: return OnButton(sender);
        case kEventRadio: OnRadio(sender); return false;
        case kEventKey: return OnKey(input.virtualKey, input.character);
        case kEventMouseDown: return OnMouseButtonDown(sender, input.button, input.x, input.y);
        case kEventMouseUp: return OnMouseButtonUp(sender, input.button, input.x, input.y);
        case kEventMouseMove: OnMouseMove(sender, data.x, data.y); return false;
        case kEventEnter: OnEnter(sender, data.x, data.y); return false;
        case kEventLeave: OnLeave(sender, data.x, data.y); return false;
        case kEventSliderBegin: OnSliderBegin(sender, data.value); return false;
        case kEventSliderChanging: OnSliderChanging(sender, data.value); return false;
        case kEventSliderChanged: OnSliderChanged(sender, data.value); return false;
        case kEventMovieFinished: OnMovieFinished(sender); return false;
        case kEventInputBegin: OnInputBegin(sender); return false;
        case kEventInputEnd: OnInputEnd(sender); return false;
        case kEventAnimationEnd: OnAnimationEnd(sender, data.animator); return false;
        case kEventDragMove: OnDragMove(sender, data.x, data.y); return false;
        case kEventDragEnd: OnDragEnd(sender, input.button, input.x, input.y); return false;
        case kEventWheel: OnWheel(sender, data.delta); return false;
        case kEventNotify: return OnNotify(sender, data.object);
        default: return false;
    }
}

}  // namespace halvo

#pragma once
// Receiver of widget events: one handler per event, each doing nothing and
// answering "not handled" by default. Widgets own their listeners; a
// listener learns which widget an event came from through the sender
// argument, which stays the originating widget while the event bubbles.

#include "platform/ClassRecord.h"
#include "platform/InputQueue.h"
#include "platform/RefObj.h"

#include <cstdint>

namespace Vrel {
class VarExtension;
}

namespace halvo {

class GuiWidget;
class GuiAnimator;

// The numbered widget events. Scripts and data use these numbers, so they
// never change. "stops" marks the events whose delivery ends at the first
// listener that answers true.
enum GuiEventId : int32_t {
    kEventButton = 0,           // OnButton; stops
    kEventRadio = 1,            // OnRadio
    kEventKey = 2,              // OnKey (no sender); stops
    kEventMouseDown = 3,        // OnMouseButtonDown; stops
    kEventMouseUp = 4,          // OnMouseButtonUp; stops
    kEventMouseMove = 5,        // OnMouseMove
    kEventEnter = 6,            // OnEnter, point in the sender's local coordinates
    kEventLeave = 7,            // OnLeave, point in the sender's local coordinates
    kEventSliderBegin = 8,      // OnSliderBegin
    kEventSliderChanging = 9,   // OnSliderChanging
    kEventSliderChanged = 10,   // OnSliderChanged
    kEventMovieFinished = 11,   // OnMovieFinished
    kEventInputBegin = 12,      // OnInputBegin
    kEventInputEnd = 13,        // OnInputEnd
    kEventAnimationEnd = 14,    // OnAnimationEnd
    kEventDragMove = 15,        // OnDragMove
    kEventDragEnd = 16,         // OnDragEnd
    kEventWheel = 17,           // OnWheel
    kEventNotify = 18,          // OnNotify, a script object; stops
};
inline constexpr int32_t kEventCount = 19;

// True for the events whose delivery ends at the first true answer.
bool IsStoppingEvent(int32_t id);

// What an event carries besides its id and sender; which field counts
// depends on the id (see GuiEventId). The pointers are lent for the call.
struct GuiEventData {
    const InputEvent* input = nullptr;      // key, button down/up, drag end
    float x = 0, y = 0;                     // motion, enter, leave, drag move
    float value = 0;                        // slider events
    int32_t delta = 0;                      // wheel
    GuiAnimator* animator = nullptr;        // animation end
    Vrel::VarExtension* object = nullptr;   // script notification

    static GuiEventData None() { return {}; }
    static GuiEventData Input(const InputEvent& event);
    static GuiEventData Point(float x, float y);
    static GuiEventData Value(float value);
    static GuiEventData Wheel(int32_t delta);
    static GuiEventData Animation(GuiAnimator* animator);
    static GuiEventData Object(Vrel::VarExtension* object);
};

class GuiListener : public RefObj {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    GuiListener() = default;
    ~GuiListener() override = default;

    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    virtual void OnRemove(GuiWidget* /*removed*/) {}
    virtual void OnInputBegin(GuiWidget* /*sender*/) {}
    virtual void OnInputEnd(GuiWidget* /*sender*/) {}
    virtual void OnUpdate(double /*timeMs*/, double /*dtMs*/) {}
    virtual bool OnKey(uint16_t /*key*/, uint16_t /*character*/) { return false; }
    virtual bool OnMouseButtonDown(GuiWidget*, uint8_t /*button*/, float /*x*/, float /*y*/) { return false; }
    virtual bool OnMouseButtonUp(GuiWidget*, uint8_t /*button*/, float /*x*/, float /*y*/) { return false; }
    virtual bool OnButton(GuiWidget*) { return false; }
    virtual void OnRadio(GuiWidget*) {}
    virtual void OnWheel(GuiWidget*, int32_t /*delta*/) {}
    virtual void OnMouseMove(GuiWidget*, float /*x*/, float /*y*/) {}
    virtual void OnEnter(GuiWidget*, float /*x*/, float /*y*/) {}
    virtual void OnLeave(GuiWidget*, float /*x*/, float /*y*/) {}
    virtual void OnSliderBegin(GuiWidget*, float /*value*/) {}
    virtual void OnSliderChanged(GuiWidget*, float /*value*/) {}
    virtual void OnSliderChanging(GuiWidget*, float /*value*/) {}
    virtual void OnMovieFinished(GuiWidget*) {}
    virtual void OnAnimationEnd(GuiWidget*, GuiAnimator*) {}
    virtual void OnDragMove(GuiWidget*, float /*x*/, float /*y*/) {}
    virtual void OnDragEnd(GuiWidget*, uint8_t /*button*/, float /*x*/, float /*y*/) {}
    virtual bool OnNotify(GuiWidget*, Vrel::VarExtension* /*payload*/) { return false; }

    // Calls the handler of event `id` with what `data` carries for it and
    // gives back its answer; handlers without an answer, and ids outside the
    // list, answer false.
    bool Deliver(int32_t id, GuiWidget* sender, const GuiEventData& data);
};

}  // namespace halvo

#pragma once
// Shared helpers of the GUI tests: a listener that logs every event as text
// and can act inside its handlers, input records in design units, a scripted
// animator, widget construction from name/value pairs, a fixture that leaves
// the GUI manager clean, and the checks every widget class passes.

#include "gui/GuiAnimator.h"
#include "gui/GuiListener.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/InputQueue.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/t_Named.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using halvo::AutoRef;
using halvo::GuiWidget;

// The "name" property of a widget, "-" for none.
inline std::string NameOf(GuiWidget* widget) {
    if (!widget) return "-";
    Vrel::Var* name = widget->GetMember("name");
    const char* text = name ? name->GetCString() : nullptr;
    return text ? text : "?";
}

inline AutoRef<Vrel::t_Named> Params(std::initializer_list<std::pair<const char*, Vrel::Var>> members) {
    AutoRef<Vrel::t_Named> params(new Vrel::t_Named);
    for (const auto& [name, value] : members) params->GetOrAddMember(name)->Assign(value);
    return params;
}

// A "Frame" named `name` at (x, y) of size w x h under `parent`, pickable.
inline AutoRef<GuiWidget> MakeFrame(GuiWidget* parent, const char* name, float x, float y, float w, float h,
                                    bool pick = true) {
    auto params = Params({{"name", Vrel::Var(name)}, {"xpos", Vrel::Var(x)}, {"ypos", Vrel::Var(y)},
                          {"xsize", Vrel::Var(w)}, {"ysize", Vrel::Var(h)}, {"pick", Vrel::Var(pick)}});
    return halvo::GuiCreateWidget("Frame", *params, parent);
}

// Logs "<id> <sender name>" (and the point or value where the event has
// one); answers `answer` for the stopping events; runs `action` first.
class RecordingListener : public halvo::GuiListener {
public:
    explicit RecordingListener(std::vector<std::string>* log, std::string tag = "")
        : log_(log), tag_(std::move(tag)) {}

    bool answer = false;
    std::function<void(int32_t id, GuiWidget* sender)> action;
    std::function<void(GuiWidget* removed)> onRemove;
    std::function<void()> onUpdate;
    int updates = 0;

    void OnRemove(GuiWidget* removed) override {
        Log("remove " + NameOf(removed));
        if (onRemove) onRemove(removed);
    }
    void OnUpdate(double, double) override {
        ++updates;
        if (onUpdate) onUpdate();
    }
    void OnInputBegin(GuiWidget* s) override { Event(halvo::kEventInputBegin, s, ""); }
    void OnInputEnd(GuiWidget* s) override { Event(halvo::kEventInputEnd, s, ""); }
    bool OnKey(uint16_t key, uint16_t ch) override {
        Event(halvo::kEventKey, nullptr, " " + std::to_string(key) + " " + std::to_string(ch));
        return answer;
    }
    bool OnMouseButtonDown(GuiWidget* s, uint8_t b, float, float) override {
        Event(halvo::kEventMouseDown, s, " " + std::to_string(b));
        return answer;
    }
    bool OnMouseButtonUp(GuiWidget* s, uint8_t b, float, float) override {
        Event(halvo::kEventMouseUp, s, " " + std::to_string(b));
        return answer;
    }
    bool OnButton(GuiWidget* s) override {
        Event(halvo::kEventButton, s, "");
        return answer;
    }
    void OnRadio(GuiWidget* s) override { Event(halvo::kEventRadio, s, ""); }
    void OnWheel(GuiWidget* s, int32_t d) override { Event(halvo::kEventWheel, s, " " + std::to_string(d)); }
    void OnMouseMove(GuiWidget* s, float x, float y) override { Event(halvo::kEventMouseMove, s, Point(x, y)); }
    void OnEnter(GuiWidget* s, float x, float y) override { Event(halvo::kEventEnter, s, Point(x, y)); }
    void OnLeave(GuiWidget* s, float x, float y) override { Event(halvo::kEventLeave, s, Point(x, y)); }
    void OnSliderBegin(GuiWidget* s, float v) override { Event(halvo::kEventSliderBegin, s, Number(v)); }
    void OnSliderChanged(GuiWidget* s, float v) override { Event(halvo::kEventSliderChanged, s, Number(v)); }
    void OnSliderChanging(GuiWidget* s, float v) override { Event(halvo::kEventSliderChanging, s, Number(v)); }
    void OnMovieFinished(GuiWidget* s) override { Event(halvo::kEventMovieFinished, s, ""); }
    void OnAnimationEnd(GuiWidget* s, halvo::GuiAnimator*) override { Event(halvo::kEventAnimationEnd, s, ""); }
    void OnDragMove(GuiWidget* s, float x, float y) override { Event(halvo::kEventDragMove, s, Point(x, y)); }
    void OnDragEnd(GuiWidget* s, uint8_t b, float, float) override {
        Event(halvo::kEventDragEnd, s, " " + std::to_string(b));
    }
    bool OnNotify(GuiWidget* s, Vrel::VarExtension*) override {
        Event(halvo::kEventNotify, s, "");
        return answer;
    }

private:
    static std::string Point(float x, float y) {
        return " " + std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
    }
    static std::string Number(float v) {
        char text[32];
        std::snprintf(text, sizeof text, " %g", v);
        return text;
    }
    void Event(int32_t id, GuiWidget* sender, const std::string& extra) {
        Log(std::to_string(id) + " " + NameOf(sender) + extra);
        if (action) action(id, sender);
    }
    void Log(const std::string& line) {
        if (log_) log_->push_back(tag_.empty() ? line : tag_ + ":" + line);
    }
    std::vector<std::string>* log_;
    std::string tag_;
};

// An animator whose steps and finish are test code.
class ScriptedAnimator : public halvo::GuiAnimator {
public:
    std::function<bool(ScriptedAnimator&)> step;
    std::function<void(ScriptedAnimator&, bool)> finish;
    int steps = 0;
    int finishes = 0;

    bool Update(double, double) override {
        ++steps;
        return step ? step(*this) : false;
    }
    void Finish(bool immediate) override {
        ++finishes;
        if (finish) finish(*this, immediate);
    }
};

inline InputEvent MakeInput(uint8_t kind, float x, float y, uint8_t button = InputEvent::kLeft) {
    InputEvent event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    event.button = kind == InputEvent::kPointer ? uint8_t{InputEvent::kNoButton} : button;
    return event;
}
inline InputEvent Press(float x, float y) { return MakeInput(InputEvent::kButtonDown, x, y); }
inline InputEvent Release(float x, float y) { return MakeInput(InputEvent::kButtonUp, x, y); }
inline InputEvent Move(float x, float y) { return MakeInput(InputEvent::kPointer, x, y); }
inline InputEvent Wheel(float x, float y, int16_t delta) {
    InputEvent event = MakeInput(InputEvent::kWheel, x, y, InputEvent::kNoButton);
    event.wheel = delta;
    return event;
}
inline InputEvent Key(uint16_t key, uint16_t character) {
    InputEvent event;
    event.kind = InputEvent::kKey;
    event.virtualKey = key;
    event.character = character;
    return event;
}

// A press and release at one point through `frame`.
inline void Click(GuiWidget* frame, float x, float y) {
    frame->RouteInput(Move(x, y));
    frame->RouteInput(Press(x, y));
    frame->RouteInput(Release(x, y));
}

// Leaves the GUI manager as it found it: no widgets under the root, no
// hover, capture or focus, no root listeners.
class GuiFixture : public ::testing::Test {
protected:
    halvo::GuiMain& gui = halvo::GuiMain::Global();
    GuiWidget* root = gui.GetRoot();
    // For listeners on the root, which are removed after the test body.
    std::vector<std::string> rootLog;

    void TearDown() override {
        gui.ClearHover();
        gui.ClearKeyboardFocus();
        root->Remove(root);
        root->DetachChildren();
    }
};

// What every widget class must pass: its record chain reaches "GuiWidget",
// the factory name makes one with the given defaults, and a widget whose
// only owner lets it go inside its own event handler survives the call.
inline void CheckWidgetBasics(const char* typeName, const ClassRecord& record,
                              std::initializer_list<std::pair<const char*, Vrel::Var>> defaults,
                              const Vrel::t_Named& initParams) {
    EXPECT_TRUE(ClassRecord::IsKindOf(&record, &GuiWidget::kClassRecord)) << typeName;
    AutoRef<GuiWidget> made = halvo::GuiMain::Global().CreateWidget(typeName);
    ASSERT_TRUE(made) << typeName;
    EXPECT_EQ(made->GetClassInfo(), &record) << typeName;
    EXPECT_STREQ(made->GetTypeName(), "widget");
    for (const auto& [name, value] : defaults) {
        Vrel::Var* property = made->GetMember(name);
        ASSERT_TRUE(property) << typeName << " lacks " << name;
        Vrel::Var left(*property);
        EXPECT_EQ(left.ToString(), value.ToString()) << typeName << " " << name;
    }
    // Removal during its own event: the frame is its only owner.
    AutoRef<GuiWidget> frame = halvo::GuiCreateWidget("Frame", Vrel::t_Named(), nullptr);
    GuiWidget* widget = halvo::GuiCreateWidget(typeName, initParams, frame.Get()).Get();
    ASSERT_TRUE(widget) << typeName;
    std::vector<std::string> log;
    AutoRef<RecordingListener> listener(new RecordingListener(&log));
    listener->action = [](int32_t, GuiWidget* sender) {
        if (sender) sender->RemoveAndDetach();
    };
    widget->AddListener(listener.Get());
    widget->SetHover(true, 0, 0);
    EXPECT_EQ(frame->GetFirstChild(), nullptr) << typeName;
}

}  // namespace testsupport

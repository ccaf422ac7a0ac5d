// The script listener: which script function each event calls and with
// what, what it answers, and which thread runs it.

#include "gui/LScript.h"
#include "gui/GuiScriptTestSupport.h"

namespace {

using halvo::AutoRef;
using halvo::GuiEventData;
using halvo::GuiWidget;
using halvo::LScript;
using testsupport::GuiScriptTest;
using Vrel::Var;

class LScriptTest : public GuiScriptTest {
protected:
    AutoRef<LScript> Listen(const char* module) {
        AutoRef<LScript> listener(new LScript);
        listener->SetModule(module);
        return listener;
    }
};

// Every handler, with the values it passes, in the order of the event list.
const char* const kLoggingModule = R"(
function auto N(widget w) { return GuiGetValue(w, "name"); }
function void OnUpdate(float t, float dt) { Log("OnUpdate", t, dt); }
function void OnRemove(widget w) { Log("OnRemove", N(w)); }
function void OnInputBegin(widget w) { Log("OnInputBegin", N(w)); }
function void OnInputEnd(widget w) { Log("OnInputEnd", N(w)); }
function bool OnKey(int k, int c) { Log("OnKey", k, c); return true; }
function bool OnMouseButtonDown(widget w, int b, float x, float y) { Log("OnMouseButtonDown", N(w), b, x, y); return true; }
function bool OnMouseButtonUp(widget w, int b, float x, float y) { Log("OnMouseButtonUp", N(w), b, x, y); return false; }
function bool OnButton(widget w) { Log("OnButton", N(w)); return true; }
function void OnRadio(widget w) { Log("OnRadio", N(w)); }
function void OnWheel(widget w, int d) { Log("OnWheel", N(w), d); }
function void OnMouseMove(widget w, float x, float y) { Log("OnMouseMove", N(w), x, y); }
function void OnEnter(widget w, float x, float y) { Log("OnEnter", N(w), x, y); }
function void OnLeave(widget w, float x, float y) { Log("OnLeave", N(w), x, y); }
function void OnSliderBegin(widget w, float v) { Log("OnSliderBegin", N(w), v); }
function void OnSliderChanged(widget w, float v) { Log("OnSliderChanged", N(w), v); }
function void OnSliderChanging(widget w, float v) { Log("OnSliderChanging", N(w), v); }
function void OnMovieFinished(widget w) { Log("OnMovieFinished", N(w)); }
function void OnAnimationEnd(widget w, animation a) { Log("OnAnimationEnd", N(w), GetMember(a, "time")); }
function void OnDragMove(widget w, float x, float y) { Log("OnDragMove", N(w), x, y); }
function void OnDragEnd(widget w, int b, float x, float y) { Log("OnDragEnd", N(w), b, x, y); }
function bool OnNotify(widget w, struct p) { Log("OnNotify", N(w), GetMember(p, "say")); return true; }
)";

TEST_F(LScriptTest, EachEventCallsTheFunctionOfItsNameWithItsValues) {
    Load("menu", kLoggingModule);
    AutoRef<LScript> listener = Listen("Menu");  // modules are found in lower case
    AutoRef<GuiWidget> frame = testsupport::MakeFrame(nullptr, "box", 0, 0, 10, 10);
    InputEvent input = testsupport::Press(3, 4);
    input.virtualKey = 65;
    input.character = 97;
    AutoRef<testsupport::ScriptedAnimator> animator(new testsupport::ScriptedAnimator);
    animator->Init(frame.Get(), *testsupport::Params({{"time", Var(250)}}));
    AutoRef<Vrel::t_Named> payload = testsupport::Params({{"say", Var("hi")}});

    listener->OnUpdate(1234.5, 17.0);
    listener->OnRemove(frame.Get());
    struct Case {
        int32_t id;
        GuiEventData data;
        bool answer;
        const char* line;
    };
    const Case cases[] = {
        {halvo::kEventButton, GuiEventData::None(), true, "OnButton box"},
        {halvo::kEventRadio, GuiEventData::None(), false, "OnRadio box"},
        {halvo::kEventKey, GuiEventData::Input(input), true, "OnKey 65 97"},
        {halvo::kEventMouseDown, GuiEventData::Input(input), true, "OnMouseButtonDown box 1 3.000000 4.000000"},
        {halvo::kEventMouseUp, GuiEventData::Input(input), false, "OnMouseButtonUp box 1 3.000000 4.000000"},
        {halvo::kEventMouseMove, GuiEventData::Point(1, 2), false, "OnMouseMove box 1.000000 2.000000"},
        {halvo::kEventEnter, GuiEventData::Point(1, 2), false, "OnEnter box 1.000000 2.000000"},
        {halvo::kEventLeave, GuiEventData::Point(1, 2), false, "OnLeave box 1.000000 2.000000"},
        {halvo::kEventSliderBegin, GuiEventData::Value(0.25f), false, "OnSliderBegin box 0.250000"},
        {halvo::kEventSliderChanging, GuiEventData::Value(0.5f), false, "OnSliderChanging box 0.500000"},
        {halvo::kEventSliderChanged, GuiEventData::Value(0.75f), false, "OnSliderChanged box 0.750000"},
        {halvo::kEventMovieFinished, GuiEventData::None(), false, "OnMovieFinished box"},
        {halvo::kEventInputBegin, GuiEventData::None(), false, "OnInputBegin box"},
        {halvo::kEventInputEnd, GuiEventData::None(), false, "OnInputEnd box"},
        {halvo::kEventAnimationEnd, GuiEventData::Animation(animator.Get()), false, "OnAnimationEnd box 250"},
        {halvo::kEventDragMove, GuiEventData::Point(5, 6), false, "OnDragMove box 5.000000 6.000000"},
        {halvo::kEventDragEnd, GuiEventData::Input(input), false, "OnDragEnd box 1 3.000000 4.000000"},
        {halvo::kEventWheel, GuiEventData::Wheel(-2), false, "OnWheel box -2"},
        {halvo::kEventNotify, GuiEventData::Object(payload.Get()), true, "OnNotify box hi"},
    };
    for (const Case& entry : cases) {
        log.clear();
        EXPECT_EQ(listener->Deliver(entry.id, frame.Get(), entry.data), entry.answer) << entry.line;
        EXPECT_EQ(log, std::vector<std::string>{entry.line}) << AllMessages();
    }
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(LScriptTest, OnlyABoolTrueFromACompiledFunctionHandlesAnEvent) {
    Load("answers", R"(
int OnButton = 1;
function int OnKey(int k, int c) { return 1; }
function bool OnMouseButtonDown(widget w, int b, float x, float y) { return true; }
)");
    Load("failing", R"(
function bool OnButton(widget w) { if (GuiGetValue(w, "fail")) { Missing(); } return true; }
)");
    AutoRef<GuiWidget> frame = testsupport::MakeFrame(nullptr, "box", 0, 0, 10, 10);
    AutoRef<LScript> listener = Listen("answers");
    // A variable named like a handler is not run; an int 1 is not true.
    EXPECT_FALSE(listener->OnButton(frame.Get()));
    EXPECT_FALSE(listener->OnKey(1, 1));
    EXPECT_TRUE(listener->OnMouseButtonDown(frame.Get(), 0, 0, 0));
    EXPECT_FALSE(listener->OnMouseButtonUp(frame.Get(), 0, 0, 0));
    // A handler that fails answers false, not what its thread held before.
    AutoRef<LScript> failing = Listen("failing");
    EXPECT_TRUE(failing->OnButton(frame.Get()));
    frame->WriteBool("fail", true);
    EXPECT_FALSE(failing->OnButton(frame.Get()));
    EXPECT_NE(AllMessages().find("'Missing' is undefined"), std::string::npos) << AllMessages();
    // No module, no name, no function: nothing runs.
    EXPECT_FALSE(Listen("nowhere")->OnButton(frame.Get()));
    EXPECT_FALSE(AutoRef<LScript>(new LScript)->OnButton(frame.Get()));
    EXPECT_FALSE(listener->Call(false, nullptr, nullptr, 0));
}

TEST_F(LScriptTest, ASleepingHandlerHoldsBackTheOwnThreadsEventsButNotTheOthers) {
    Load("sleepy", R"(
function bool OnButton(widget w) { Log("button"); Sleep(100); Log("button woke"); return false; }
function bool OnKey(int k, int c) { Log("key"); return true; }
function void OnUpdate(float t, float dt) { Log("update"); }
function void OnEnter(widget w, float x, float y) { Log("enter", x); Sleep(50); Log("entered", x); }
)");
    AutoRef<GuiWidget> frame = testsupport::MakeFrame(nullptr, "box", 0, 0, 10, 10);
    AutoRef<LScript> listener = Listen("sleepy");
    EXPECT_TRUE(listener->OnButton(frame.Get()));  // sleeping counts as handled
    EXPECT_FALSE(listener->OnButton(frame.Get()));
    EXPECT_FALSE(listener->OnKey(1, 1));
    listener->OnUpdate(0, 17);
    listener->OnEnter(frame.Get(), 1, 0);
    listener->OnEnter(frame.Get(), 2, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"button", "enter 1.000000", "enter 2.000000"}));
    log.clear();
    vm.Update(60.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"entered 1.000000", "entered 2.000000"}));
    log.clear();
    vm.Update(60.0f);
    EXPECT_EQ(log, std::vector<std::string>{"button woke"});
    EXPECT_TRUE(listener->OnKey(1, 1));
    listener->OnUpdate(0, 17);
    EXPECT_EQ(log, (std::vector<std::string>{"button woke", "key", "update"}));
}

TEST_F(LScriptTest, AnEventRaisedFromInsideItsOwnThreadsHandlerIsDropped) {
    AutoRef<LScript> listener = Listen("nested");
    AutoRef<GuiWidget> frame = testsupport::MakeFrame(nullptr, "box", 0, 0, 10, 10);
    std::vector<int> answers;
    // The native first calls a script function on the handler's thread, so
    // the thread has "returned" to it, then raises the same event again.
    AddNative("Again", [&](Var&, Vrel::t_Interface& call) {
        Vrel::Thread::CallFunction(vm, call.thread, Function("nested", "Helper"), false, nullptr, 0);
        answers.push_back(call.thread->GetState());
        answers.push_back(listener->OnButton(frame.Get()));
    });
    Load("nested", R"(
function int Helper() { return 7; }
function bool OnButton(widget w) { Log("button"); Again(); return true; }
)");
    EXPECT_TRUE(listener->OnButton(frame.Get()));
    EXPECT_EQ(log, std::vector<std::string>{"button"});
    EXPECT_EQ(answers, (std::vector<int>{Vrel::kThreadReturned, 0}));
    EXPECT_TRUE(listener->OnButton(frame.Get()));  // free again afterwards
}

}  // namespace

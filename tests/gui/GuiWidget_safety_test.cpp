// Handlers run script synchronously and may release, detach or refocus any
// widget while the engine is still walking over it. These cases are meant
// for the address-checking build, where a use of freed memory fails loudly.

#include "gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::MakeFrame;
using testsupport::RecordingListener;
using testsupport::ScriptedAnimator;

class GuiSafetyTest : public testsupport::GuiFixture {
protected:
    std::vector<std::string> log;
};

// Raises the click of a button on release, then touches itself the way a
// button does (property, click sound) without holding itself first.
class ClickProbe : public GuiWidget {
public:
    bool OnInput(const InputEvent& event) override {
        if (event.kind != InputEvent::kButtonUp) return GuiWidget::OnInput(event);
        const bool handled = Notify(halvo::kEventButton, this, halvo::GuiEventData::None());
        WriteFloat("clicks", ReadFloat("clicks") + 1);
        halvo::GuiMain::Global().PlaySound(halvo::kSoundButton, this);
        return handled;
    }
};

// Logs focus changes; may move the focus elsewhere when losing it.
class FocusProbe : public GuiWidget {
public:
    std::vector<std::string>* log = nullptr;
    GuiWidget* redirect = nullptr;
    void OnFocusGained() override {
        GuiWidget::OnFocusGained();
        log->push_back("gained " + testsupport::NameOf(this));
    }
    void OnFocusLost(GuiWidget* next) override {
        GuiWidget::OnFocusLost(next);
        log->push_back("lost " + testsupport::NameOf(this));
        if (redirect) halvo::GuiMain::Global().SetKeyboardFocus(redirect);
    }
    bool OnInput(const InputEvent& event) override {
        if (event.kind == InputEvent::kKey) log->push_back("key " + testsupport::NameOf(this));
        return event.kind == InputEvent::kKey || GuiWidget::OnInput(event);
    }
    void OnCaptureCancelled() override { log->push_back("cancelled " + testsupport::NameOf(this)); }
};

// A widget whose class no record can make again: its drag copy fails.
class Uncopyable : public GuiWidget {
public:
    static const ClassRecord kRecord;
    const ClassRecord* GetClassInfo() const override { return &kRecord; }
};
const ClassRecord Uncopyable::kRecord = {"Uncopyable", &GuiWidget::kClassRecord, nullptr};

template <class T>
AutoRef<T> Attach(GuiWidget* parent, const char* name, float x, float y, float w, float h) {
    AutoRef<T> widget(new T);
    auto params = testsupport::Params({{"name", Vrel::Var(name)}, {"xpos", Vrel::Var(x)}, {"ypos", Vrel::Var(y)},
                                       {"xsize", Vrel::Var(w)}, {"ysize", Vrel::Var(h)}, {"pick", Vrel::Var(true)}});
    widget->Init(*params);
    if (parent) widget->SetParent(parent, false);
    return widget;
}

TEST_F(GuiSafetyTest, AnimatorRemovingTheWidgetOfItsOnlyReferenceEndsCleanly) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1);
    AutoRef<RecordingListener> top(new RecordingListener(&log, "frame"));
    frame->AddListener(top.Get());
    GuiWidget* w = MakeFrame(frame.Get(), "w", 0, 0, 10, 10).Get();
    AutoRef<RecordingListener> own(new RecordingListener(&log, "w"));
    w->AddListener(own.Get());
    AutoRef<ScriptedAnimator> remover(new ScriptedAnimator);
    remover->step = [](ScriptedAnimator& self) {
        if (GuiWidget* target = self.GetTarget()) target->RemoveAndDetach();
        return false;
    };
    ASSERT_TRUE(remover->Init(w, Vrel::t_Named()));
    w->AddAnimator(remover.Get());
    AutoRef<ScriptedAnimator> later(new ScriptedAnimator);
    later->Init(w, Vrel::t_Named());
    later->step = [](ScriptedAnimator&) { return true; };
    w->AddAnimator(later.Get());
    frame->Update(0, 17);
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    EXPECT_EQ(remover->GetTarget(), nullptr);  // the widget is gone
    EXPECT_EQ(later->steps, 1);  // the widget lives until its own update ends
    EXPECT_EQ(later->GetTarget(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"w:remove w"}));
}

TEST_F(GuiSafetyTest, StoppingAllAnimatorsFromOnRemoveDuringARemovingStepReportsEachOnce) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1);
    AutoRef<RecordingListener> top(new RecordingListener(&log, "frame"));
    frame->AddListener(top.Get());
    GuiWidget* w = MakeFrame(frame.Get(), "w", 0, 0, 10, 10).Get();
    AutoRef<RecordingListener> own(new RecordingListener(&log, "w"));
    own->onRemove = [](GuiWidget* removed) { removed->StopAllAnimators(false); };
    w->AddListener(own.Get());
    AutoRef<ScriptedAnimator> remover(new ScriptedAnimator);
    remover->Init(w, Vrel::t_Named());
    remover->step = [](ScriptedAnimator& self) {
        self.GetTarget()->RemoveAndDetach();
        return false;
    };
    AutoRef<ScriptedAnimator> other(new ScriptedAnimator);
    other->Init(w, Vrel::t_Named());
    w->AddAnimator(remover.Get());
    w->AddAnimator(other.Get());
    frame->Update(0, 17);
    EXPECT_EQ(remover->finishes, 1);
    EXPECT_EQ(other->finishes, 1);
    EXPECT_EQ(other->steps, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"w:remove w", "frame:14 w", "frame:14 w"}));
}

TEST_F(GuiSafetyTest, EndedAnimatorsAreErasedByIdentityWhenTheListChanges) {
    AutoRef<GuiWidget> w = MakeFrame(nullptr, "w", 0, 0, 10, 10);
    AutoRef<RecordingListener> own(new RecordingListener(&log, "w"));
    w->AddListener(own.Get());
    AutoRef<ScriptedAnimator> first(new ScriptedAnimator);
    AutoRef<ScriptedAnimator> second(new ScriptedAnimator);
    AutoRef<ScriptedAnimator> added(new ScriptedAnimator);
    for (auto* a : {first.Get(), second.Get(), added.Get()}) a->Init(w.Get(), Vrel::t_Named());
    // The first, while it steps, adds an animator in front of nothing and
    // ends; the second keeps running.
    first->step = [&](ScriptedAnimator&) {
        w->AddAnimator(added.Get());
        return false;
    };
    second->step = [](ScriptedAnimator&) { return true; };
    added->step = [](ScriptedAnimator&) { return true; };
    w->AddAnimator(first.Get());
    w->AddAnimator(second.Get());
    w->Update(0, 17);
    EXPECT_EQ(first->steps, 1);
    EXPECT_EQ(second->steps, 1);
    EXPECT_EQ(added->steps, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"w:14 w"}));
}

// Names the animator of every end report it hears.
class EndListener : public halvo::GuiListener {
public:
    std::map<const halvo::GuiAnimator*, std::string> names;
    std::vector<std::string> ended;
    void OnAnimationEnd(GuiWidget*, halvo::GuiAnimator* animator) override { ended.push_back(names[animator]); }
};

// A step that stops every animator and starts others shifts the list under
// the stepping one: only that animator leaves the list, by identity, and an
// animator the stop already reported is never reported a second time.
TEST_F(GuiSafetyTest, AStepThatShiftsTheListErasesTheEndedAnimatorOnlyAndReportsEachEndOnce) {
    AutoRef<GuiWidget> w = MakeFrame(nullptr, "w", 0, 0, 10, 10);
    AutoRef<EndListener> ends(new EndListener);
    w->AddListener(ends.Get());
    auto make = [&](const char* name) {
        AutoRef<ScriptedAnimator> animator(new ScriptedAnimator);
        animator->Init(w.Get(), Vrel::t_Named());
        animator->step = [](ScriptedAnimator&) { return true; };
        ends->names[animator.Get()] = name;
        return animator;
    };
    AutoRef<ScriptedAnimator> a = make("a"), b = make("b"), x = make("x"), y = make("y");
    // b, second in the list, stops both and starts x and y before it ends.
    b->step = [&](ScriptedAnimator&) {
        w->StopAllAnimators(false);
        w->AddAnimator(x.Get());
        w->AddAnimator(y.Get());
        return false;
    };
    w->AddAnimator(a.Get());
    w->AddAnimator(b.Get());
    w->Update(0, 17);
    EXPECT_EQ(ends->ended, (std::vector<std::string>{"a", "b"}));
    w->Update(17, 17);
    EXPECT_EQ(x->steps, 1) << "x was dropped in b's place";
    EXPECT_EQ(y->steps, 2);  // it came after b's place and stepped in b's update too

    // a, first, stops everything, starts z and then itself again, and ends:
    // the a now second in the list goes, z stays.
    AutoRef<ScriptedAnimator> z = make("z");
    w->StopAllAnimators(false);
    ends->ended.clear();
    a->step = [&](ScriptedAnimator&) {
        w->StopAllAnimators(false);
        w->AddAnimator(z.Get());
        w->AddAnimator(a.Get());
        return false;
    };
    w->AddAnimator(a.Get());
    w->Update(34, 17);
    EXPECT_EQ(ends->ended, (std::vector<std::string>{"a", "a"}));  // stopped, then ended when added again
    ASSERT_TRUE(w->HasAnimators());
    const int stepsOfA = a->steps;
    w->Update(51, 17);
    EXPECT_EQ(z->steps, 1) << "z was erased in a's place";
    EXPECT_EQ(a->steps, stepsOfA) << "the ended a is still listed";
}

TEST_F(GuiSafetyTest, AnimatorEndingForeverFromItsEndEventCannotHoldTheFrame) {
    AutoRef<GuiWidget> w = MakeFrame(nullptr, "w", 0, 0, 10, 10);
    AutoRef<RecordingListener> own(new RecordingListener(&log));
    auto restart = [&w] {
        AutoRef<ScriptedAnimator> again(new ScriptedAnimator);
        again->Init(w.Get(), Vrel::t_Named());
        w->AddAnimator(again.Get());
    };
    own->action = [&](int32_t, GuiWidget*) { restart(); };
    w->AddListener(own.Get());
    restart();
    w->Update(0, 17);
    EXPECT_TRUE(w->HasAnimators());
    EXPECT_GT(log.size(), 100u);
}

TEST_F(GuiSafetyTest, OnUpdateMayDestroyItsWidgetOrAddListeners) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1);
    GuiWidget* doomed = MakeFrame(frame.Get(), "doomed", 0, 0, 10, 10).Get();
    AutoRef<GuiWidget> next = MakeFrame(frame.Get(), "next", 0, 0, 10, 10);
    AutoRef<RecordingListener> killer(new RecordingListener(&log));
    killer->onUpdate = [doomed] { doomed->RemoveAndDetach(); };
    doomed->AddListener(killer.Get());
    doomed->AddListener(new RecordingListener(&log, "after"));

    AutoRef<RecordingListener> grower(new RecordingListener(&log));
    AutoRef<RecordingListener> late(new RecordingListener(&log));
    grower->onUpdate = [&] {
        for (int i = 0; i < 16; ++i) next->AddListener(new halvo::GuiListener);
        next->AddListener(late.Get());
        grower->onUpdate = nullptr;
    };
    next->AddListener(grower.Get());
    frame->Update(0, 17);
    EXPECT_EQ(frame->GetFirstChild(), next.Get());
    EXPECT_EQ(killer->updates, 1);
    EXPECT_EQ(late->updates, 1);
}

TEST_F(GuiSafetyTest, ButtonDestroyedByItsOwnClickOutlivesTheClick) {
    AutoRef<GuiWidget> frame = MakeFrame(root, "frame", 0, 0, -1, -1, false);
    GuiWidget* button = Attach<ClickProbe>(frame.Get(), "button", 0, 0, 20, 20).Get();
    AutoRef<RecordingListener> listener(new RecordingListener(&log));
    listener->answer = true;
    listener->action = [](int32_t id, GuiWidget* sender) {
        if (id == halvo::kEventButton) sender->RemoveAndDetach();
    };
    button->AddListener(listener.Get());
    frame->RouteInput(testsupport::Move(5, 5));
    frame->RouteInput(testsupport::Press(5, 5));
    EXPECT_TRUE(frame->RouteInput(testsupport::Release(5, 5)));
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    EXPECT_EQ(gui.GetCaptured(), nullptr);
}

TEST_F(GuiSafetyTest, OnRemoveDetachingASiblingStillRemovesEveryChild) {
    AutoRef<GuiWidget> parent = MakeFrame(nullptr, "parent", 0, 0, -1, -1);
    GuiWidget* a = MakeFrame(parent.Get(), "a", 0, 0, 1, 1).Get();
    GuiWidget* b = MakeFrame(parent.Get(), "b", 0, 0, 1, 1).Get();
    GuiWidget* c = MakeFrame(parent.Get(), "c", 0, 0, 1, 1).Get();
    AutoRef<RecordingListener> la(new RecordingListener(&log, "a"));
    la->onRemove = [b](GuiWidget*) { b->SetParent(nullptr, true); };
    a->AddListener(la.Get());
    b->AddListener(new RecordingListener(&log, "b"));
    c->AddListener(new RecordingListener(&log, "c"));
    parent->Remove(parent.Get());
    EXPECT_EQ(log, (std::vector<std::string>{"a:remove parent", "b:remove parent", "c:remove parent"}));
    EXPECT_EQ(a->GetNextSibling(), c);
}

TEST_F(GuiSafetyTest, SecondDragShowsTheFirstSourceAgainAndAFailedCopyHidesNothing) {
    AutoRef<GuiWidget> host = MakeFrame(nullptr, "host", 0, 0, -1, -1);
    AutoRef<GuiWidget> a = MakeFrame(host.Get(), "a", 10, 10, 5, 5);
    AutoRef<GuiWidget> b = MakeFrame(host.Get(), "b", 30, 10, 5, 5);
    host->StartDrag(a.Get());
    ASSERT_TRUE(host->GetDragImage());
    EXPECT_FALSE(a->ReadBool("show"));
    EXPECT_EQ(testsupport::NameOf(host->GetDragImage()), "a");
    EXPECT_TRUE(host->GetDragImage()->ReadBool("show"));
    host->StartDrag(b.Get());
    EXPECT_TRUE(a->ReadBool("show"));
    EXPECT_FALSE(b->ReadBool("show"));
    EXPECT_EQ(testsupport::NameOf(host->GetDragImage()), "b");
    host->RouteInput(testsupport::Move(300, 400));
    EXPECT_FLOAT_EQ(host->GetDragImage()->GetPosition().x, 300.0f);
    host->EndDrag();
    EXPECT_EQ(host->GetDragImage(), nullptr);
    EXPECT_TRUE(b->ReadBool("show"));
    EXPECT_EQ(host->GetDragSource(), b.Get());

    AutoRef<GuiWidget> c(new Uncopyable);
    host->StartDrag(c.Get());
    EXPECT_EQ(host->GetDragImage(), nullptr);
    EXPECT_TRUE(c->ReadBool("show"));
}

TEST_F(GuiSafetyTest, FocusLostHandlerThatRefocusesKeepsItsChoice) {
    AutoRef<FocusProbe> a = Attach<FocusProbe>(nullptr, "a", 0, 0, 1, 1);
    AutoRef<FocusProbe> b = Attach<FocusProbe>(nullptr, "b", 0, 0, 1, 1);
    AutoRef<FocusProbe> c = Attach<FocusProbe>(nullptr, "c", 0, 0, 1, 1);
    for (FocusProbe* p : {a.Get(), b.Get(), c.Get()}) p->log = &log;
    gui.SetKeyboardFocus(a.Get());
    gui.SetKeyboardFocus(a.Get());
    a->redirect = c.Get();
    gui.SetKeyboardFocus(b.Get());
    EXPECT_EQ(gui.GetKeyboardFocus(), c.Get());
    EXPECT_EQ(log, (std::vector<std::string>{"gained a", "lost a", "gained c"}));
    EXPECT_FALSE(b->HasFocusFlag());
    EXPECT_TRUE(c->HasFocusFlag());
}

TEST_F(GuiSafetyTest, RemovedWidgetHeldByAScriptGivesUpTheKeyboard) {
    AutoRef<GuiWidget> frame = MakeFrame(root, "frame", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> box = MakeFrame(frame.Get(), "box", 0, 0, -1, -1, false);
    AutoRef<FocusProbe> input = Attach<FocusProbe>(box.Get(), "input", 0, 0, 10, 10);
    input->log = &log;
    gui.SetKeyboardFocus(input.Get());
    EXPECT_TRUE(frame->RouteInput(testsupport::Key(65, 97)));
    box->RemoveAndDetach();
    EXPECT_EQ(gui.GetKeyboardFocus(), nullptr);
    EXPECT_FALSE(input->HasFocusFlag());
    EXPECT_FALSE(frame->RouteInput(testsupport::Key(66, 98)));
    EXPECT_EQ(log, (std::vector<std::string>{"gained input", "key input"}));
}

TEST_F(GuiSafetyTest, DestroyingAWidgetWithChildrenAndTheFocusLeavesNothingBehind) {
    AutoRef<GuiWidget> top = MakeFrame(nullptr, "top", 0, 0, -1, -1);
    AutoRef<GuiWidget> kept = MakeFrame(top.Get(), "kept", 0, 0, 1, 1);
    GuiWidget* focused = MakeFrame(top.Get(), "focused", 0, 0, 1, 1).Get();
    MakeFrame(focused, "leaf", 0, 0, 1, 1);
    gui.SetKeyboardFocus(focused);
    top.Reset();
    EXPECT_EQ(gui.GetKeyboardFocus(), nullptr);
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept->GetNextSibling(), nullptr);
    EXPECT_FALSE(root->RouteInput(testsupport::Key(65, 97)));
}

}  // namespace

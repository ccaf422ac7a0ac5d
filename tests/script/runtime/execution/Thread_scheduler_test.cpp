#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/Scheduler.h"
#include "script/runtime/values/VarArray.h"
#include "tests/script/runtime/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::Messages;
using scripttest::ScriptTest;

namespace {

class SchedulerTest : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        AddNative("Sleep", [](Var&, t_Interface& call) {
            float time = 0.0f;
            if (call.GetArg(0)) call.GetArg(0)->ToFloat(time);
            if (call.thread) call.thread->Sleep(time);
        });
        AddNative("Pause", [](Var&, t_Interface& call) {
            if (call.thread) call.thread->SetState(kThreadPaused);
        });
        AddNative("Mark", [this](Var&, t_Interface& call) { marks.push_back(call.GetArg(0) ? call.GetArg(0)->AsInt() : -1); });
    }
    // Mark(first); Sleep(ms); Mark(second)
    halvo::AutoRef<BinCode> Sleeper(const char* name, int first, int ms, int second) {
        Assembler a;
        a.Op(kOpParamCopy).CallNamed("Mark", {first}).Eoc().CallNamed("Sleep", {ms}).Eoc();
        a.CallNamed("Mark", {second}).Eoc().Op(kOpStop);
        return AddFunction(module, name, a);
    }
    static float Timer(Thread& thread) {
        float timer = -1.0f;
        thread.GetValue().ToFloat(timer);
        return timer;
    }
    int Passes(float elapsed, int count) {
        for (int i = 0; i < count; ++i) vm.Update(elapsed);
        return count;
    }
    std::vector<int> marks;
};

TEST_F(SchedulerTest, SleepWakesInTheRightPass) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 100, 2);
    halvo::AutoRef<Thread> thread = Start(f.Get());
    EXPECT_EQ(thread->GetState(), kThreadSleeping);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 1u);
    // Timers 83, 66, 49, 32, 15; the sixth pass after the sleep runs it
    // (the seventh frame counting the one that called Sleep).
    for (int pass = 1; pass <= 5; ++pass) {
        vm.Update(17.0f);
        ASSERT_EQ(marks, std::vector<int>{1}) << "pass " << pass;
    }
    float timer = 0.0f;
    thread->GetValue().ToFloat(timer);
    EXPECT_FLOAT_EQ(timer, 15.0f);
    vm.Update(17.0f);
    EXPECT_EQ(marks, (std::vector<int>{1, 2}));
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    // A thread that finishes leaves the list in the pass that ran it.
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    EXPECT_FALSE(vm.GetScheduler().Contains(thread.Get()));
    EXPECT_TRUE(Messages().empty());
}

// A machine started again (the next game of the process) must not wake the
// threads the last run left sleeping.
TEST_F(SchedulerTest, InitialisingTheMachineAgainDropsTheWaitingThreads) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 17, 2);
    halvo::AutoRef<Thread> thread = Start(f.Get());
    ASSERT_EQ(vm.GetScheduler().GetCount(), 1u);
    vm.Initialize(nullptr);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    for (int pass = 0; pass < 3; ++pass) vm.Update(17.0f);
    EXPECT_EQ(marks, std::vector<int>{1});
}

TEST_F(SchedulerTest, ZeroTimerWaitsForAPositiveFrameTime) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    halvo::AutoRef<Thread> thread = Start(f.Get());
    vm.Update(0.0f);
    EXPECT_EQ(marks, std::vector<int>{1});
    float timer = -1.0f;
    thread->GetValue().ToFloat(timer);
    EXPECT_EQ(timer, 0.0f);
    vm.Update(1.0f);
    EXPECT_EQ(marks, (std::vector<int>{1, 2}));
}

TEST_F(SchedulerTest, TimerEqualToFrameTimeRunsInTheFollowingPass) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 17, 2);
    Start(f.Get());
    vm.Update(17.0f);
    EXPECT_EQ(marks, std::vector<int>{1});
    vm.Update(17.0f);
    EXPECT_EQ(marks, (std::vector<int>{1, 2}));
}

TEST_F(SchedulerTest, PausedThreadsStayUntilResumed) {
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Pause").Eoc().CallNamed("Mark", {5}).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    halvo::AutoRef<Thread> thread = Start(f.Get());
    EXPECT_EQ(thread->GetState(), kThreadPaused);
    Passes(17.0f, 50);
    EXPECT_TRUE(marks.empty());
    EXPECT_EQ(vm.GetScheduler().GetCount(), 1u);
    thread->Yield();
    vm.Update(17.0f);
    EXPECT_EQ(marks, std::vector<int>{5});
}

TEST_F(SchedulerTest, DeferredStartsRunAtTheNextPass) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 10, 2);
    halvo::AutoRef<Thread> thread = NewThread();
    EXPECT_TRUE(thread->Run(f.Get(), true, nullptr, 0));
    EXPECT_TRUE(marks.empty());
    vm.Update(17.0f);
    EXPECT_EQ(marks, std::vector<int>{1});
}

TEST_F(SchedulerTest, ThreadCreatedDuringAPassRunsAfterItsCreator) {
    halvo::AutoRef<BinCode> child = Sleeper("child", 10, 1000, 11);
    AddNative("Spawn", [&](Var&, t_Interface&) {
        halvo::AutoRef<Thread> spawned = NewThread();
        spawned->Run(child.Get(), true, nullptr, 0);
    });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Sleep", {0}).Eoc().CallNamed("Spawn").Eoc().CallNamed("Mark", {1}).Eoc();
    a.Op(kOpStop);
    halvo::AutoRef<BinCode> parent = AddFunction(module, "parent", a);
    Start(parent.Get());
    vm.Update(17.0f);
    EXPECT_EQ(marks, (std::vector<int>{1, 10}));
}

TEST_F(SchedulerTest, AThreadIsNeverListedTwice) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    halvo::AutoRef<Thread> listener = Start(f.Get());
    vm.Update(17.0f);  // finishes and leaves the list
    EXPECT_EQ(listener->GetState(), kThreadIdle);
    listener->Run(f.Get(), false, nullptr, 0);  // reused, sleeping again
    EXPECT_EQ(vm.GetScheduler().GetCount(), 1u);
    marks.clear();
    vm.Update(17.0f);
    EXPECT_EQ(marks, std::vector<int>{2});
}

TEST_F(SchedulerTest, StopAndReuseNeverReachesTheDepthLimit) {
    // outer() { inner(); }  inner() { Sleep(1000); }  stopped while asleep
    Assembler inner;
    inner.Op(kOpParamCopy).CallNamed("Sleep", {1000}).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> in = AddFunction(module, "inner", inner);
    Assembler outer;
    outer.Op(kOpParamCopy).CallNamed("inner").Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> out = AddFunction(module, "outer", outer);
    halvo::AutoRef<Thread> listener = NewThread();
    for (int cycle = 0; cycle < 40; ++cycle) {
        ASSERT_TRUE(listener->Run(out.Get(), false, nullptr, 0)) << cycle;
        ASSERT_EQ(listener->GetState(), kThreadSleeping) << cycle;
        EXPECT_EQ(listener->GetDepth(), 2u);
        vm.StopAllThreads();
        EXPECT_EQ(listener->GetState(), kThreadIdle);
        vm.Update(17.0f);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SchedulerTest, StoppedAndEndedThreadsLeaveTheList) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 500, 2);
    halvo::AutoRef<Thread> a = Start(f.Get());
    halvo::AutoRef<Thread> b = Start(f.Get());
    EXPECT_EQ(vm.GetScheduler().GetCount(), 2u);
    vm.StopAllThreads();
    EXPECT_TRUE(a->GetValue().IsNil());
    vm.Update(17.0f);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    EXPECT_EQ(marks, (std::vector<int>{1, 1}));
}

// A screen that held a paused thread wakes it when it goes; a thread the
// scene's leaving stopped meanwhile must not run on after its scene.
TEST_F(SchedulerTest, ResumeWakesAPausedThreadButNotAStoppedOne) {
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Mark", {1}).Eoc().CallNamed("Pause").Eoc();
    a.CallNamed("Mark", {2}).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    halvo::AutoRef<Thread> stopped = Start(f.Get());
    vm.StopAllThreads();
    halvo::AutoRef<Thread> waiting = Start(f.Get());
    ASSERT_EQ(waiting->GetState(), kThreadPaused);
    waiting->Resume();
    stopped->Resume();
    EXPECT_EQ(stopped->GetState(), kThreadIdle);
    Passes(17.0f, 2);
    EXPECT_EQ(marks, (std::vector<int>{1, 1, 2}));
    waiting->Resume();  // ended: stays so
    EXPECT_NE(waiting->GetState(), kThreadSleeping);
}

TEST_F(SchedulerTest, ReturnedToNativeThreadsStayListed) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    halvo::AutoRef<Thread> thread = NewThread();
    // A native caller's frame below the sleeping call: when the scheduler
    // resumes it, the return lands in that frame.
    AddNative("CallF", [&](Var&, t_Interface& call) { Thread::CallFunction(vm, call.thread, f.Get(), false, nullptr, 0); });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("CallF").Eoc().CallNamed("Mark", {3}).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
    thread->Run(main.Get(), false, nullptr, 0);
    EXPECT_EQ(thread->GetState(), kThreadSleeping);
    vm.Update(17.0f);
    EXPECT_EQ(thread->GetState(), kThreadReturned);
    Passes(17.0f, 3);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 1u);
    EXPECT_EQ(marks, (std::vector<int>{1, 2}));
    vm.StopAllThreads();
}

TEST_F(SchedulerTest, NestedRunOnTheSameThreadKeepsPendingOperands) {
    // main returns 100 + Nested(), where Nested runs g (returning 5) on the
    // calling thread from native code.
    Assembler leaf;
    leaf.Op(kOpParamCopy).PushInt(5).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> g = AddFunction(module, "g", leaf, "int");
    AddNative("Nested", [&](Var& result, t_Interface& call) {
        Thread::CallFunction(vm, call.thread, g.Get(), false, nullptr, 0);
        EXPECT_EQ(call.count, 1);
        EXPECT_EQ(call.GetArg(0)->AsInt(), 42);
        result.Assign(call.thread->GetValue());
    });
    Assembler a;
    a.Op(kOpParamCopy).PushInt(100).Args(1).PushInt(42).ArgDone(0).Named("Nested").Op(kOpCall).Op(kOpAdd);
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetValue().AsInt(), 105);
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SchedulerTest, EndedThreadRestartsFromACleanBaseFrame) {
    Assembler bad;
    bad.Op(kOpParamCopy).CallNamed("inner").Eoc().Op(kOpStop);
    Assembler inner;
    inner.Op(kOpParamCopy).Op(kOpAdd).Op(kOpStop);
    halvo::AutoRef<BinCode> in = AddFunction(module, "inner", inner);
    halvo::AutoRef<BinCode> outer = AddFunction(module, "outer", bad);
    halvo::AutoRef<Thread> thread = Start(outer.Get());
    EXPECT_EQ(thread->GetState(), kThreadEnded);
    EXPECT_EQ(thread->GetDepth(), 2u);
    EXPECT_TRUE(thread->HasError());
    EXPECT_EQ(thread->GetLastError(), "(unkown)(-1) : Fatal: Accessing stack outside range at '+'");
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    thread->Run(f.Get(), false, nullptr, 0);
    EXPECT_EQ(thread->GetDepth(), 1u);
}

// A native calling a script function every frame on one thread: each call
// opens the frame the call before closed and sees its own argument.
TEST_F(SchedulerTest, RepeatedCallsOnOneThreadReuseItsFrame) {
    std::vector<const CallFrame*> frames;
    std::vector<int> seen;
    AddNative("Where", [&](Var&, t_Interface& call) {
        frames.push_back(call.thread->GetFrame(1));
        seen.push_back(call.GetArg(0) ? call.GetArg(0)->AsInt() : -1);
    });
    Assembler a;
    a.Op(kOpParamCopy).Args(1).Local(0).ArgDone(0).Named("Where").Op(kOpCall).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a, "void", 1);
    f->GetVariables().Add("n", "int", nullptr);
    halvo::AutoRef<Thread> thread = NewThread();
    for (int n = 1; n <= 3; ++n) {
        const Var argument[1] = {Var(n)};
        Thread::CallFunction(vm, thread.Get(), f.Get(), false, argument, 1);
        EXPECT_EQ(thread->GetState(), kThreadIdle) << thread->GetLastError();
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_NE(frames[0], nullptr);
    EXPECT_EQ(frames[1], frames[0]);
    EXPECT_EQ(frames[2], frames[0]);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(SchedulerTest, RunMessagesGoOutUnprefixed) {
    halvo::AutoRef<Thread> thread = NewThread();
    EXPECT_FALSE(thread->Run(nullptr, false, nullptr, 0));
    EXPECT_FALSE(thread->Run(Var(5)));
    EXPECT_FALSE(Thread::RunFunction(thread.Get(), "test", "missing", nullptr, 0));
    EXPECT_FALSE(Thread::RunFunction(thread.Get(), "nowhere", nullptr, nullptr, 0));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid function pointer at Thread::Run(...)",
                                                    "Invalid function pointer at Thread::Run(...)",
                                                    "Script function test::missing not found",
                                                    "Script function nowhere::(unknown) not found"}));
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    EXPECT_TRUE(Thread::RunFunction(thread.Get(), "TEST", "f", nullptr, 0));
    EXPECT_EQ(marks, std::vector<int>{1});
}

TEST_F(SchedulerTest, ThreadErrorsWithoutAFrameSayCCall) {
    halvo::AutoRef<Thread> thread = NewThread();
    thread->Error(nullptr, "bad %d", 5);
    EXPECT_EQ(thread->GetLastError(), "c-call(---) : bad 5");
    EXPECT_EQ(Messages(), std::vector<std::string>{"c-call(-1) : bad 5"});
    thread->Error(nullptr, nullptr);
    EXPECT_FALSE(thread->HasError());
    EXPECT_EQ(thread->GetLastError(), "");
    EXPECT_STREQ(thread->GetSourceName(), "(unknown)");
    EXPECT_EQ(Thread::GetCurrentSource(thread.Get()), nullptr);
    EXPECT_EQ(Thread::GetCurrentLine(thread.Get()), -1);
}

TEST_F(SchedulerTest, DroppedEntriesKeepTheOthersInOrderAndLetGo) {
    halvo::AutoRef<BinCode> f = Sleeper("f", 0, 0, 0);
    AddNative("Id", [this](Var&, t_Interface& call) { marks.push_back(call.GetArg(0)->AsInt()); });
    // Each thread sleeps and marks its id, three times.
    Assembler a;
    a.Op(kOpParamCopy);
    for (int round = 0; round < 3; ++round) a.CallNamed("Sleep", {0}).Eoc().CallNamed("Id", {round}).Eoc();
    a.Op(kOpStop);
    halvo::AutoRef<BinCode> loop = AddFunction(module, "loop", a);
    halvo::AutoRef<Thread> first = Start(loop.Get());
    halvo::WeakRef<Thread> middle;
    {
        halvo::AutoRef<Thread> held = Start(f.Get());  // sleeps 0, then ends
        middle = held.Get();
    }
    halvo::AutoRef<Thread> last = Start(loop.Get());
    marks.clear();
    vm.Update(1.0f);
    EXPECT_EQ(marks, (std::vector<int>{0, 0, 0}));
    // The ended thread leaves in the pass that ran it and, held by nothing
    // else, goes with its entry; the others keep their order.
    EXPECT_EQ(middle.Get(), nullptr);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 2u);
    marks.clear();
    vm.Update(1.0f);
    EXPECT_EQ(marks, (std::vector<int>{1, 1}));
    EXPECT_EQ(vm.GetScheduler().GetCount(), 2u);
    EXPECT_TRUE(vm.GetScheduler().Contains(first.Get()));
    EXPECT_TRUE(vm.GetScheduler().Contains(last.Get()));
}

TEST_F(SchedulerTest, APassRunsAtMostItsShareAndTheRestWait) {
    halvo::AutoRef<BinCode> due = Sleeper("due", 1, 0, 2);
    halvo::AutoRef<BinCode> later = Sleeper("later", 1, 100, 3);
    std::vector<halvo::AutoRef<Thread>> threads;
    for (size_t i = 0; i < Scheduler::kMaxRunsPerPass + 2; ++i) threads.push_back(Start(due.Get()));
    halvo::AutoRef<Thread> sleeper = Start(later.Get());
    marks.clear();
    vm.Update(17.0f);
    EXPECT_EQ(marks.size(), Scheduler::kMaxRunsPerPass);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 3u);
    // Past the share a due thread keeps its timer; the others still count down.
    EXPECT_EQ(threads.back()->GetState(), kThreadSleeping);
    EXPECT_FLOAT_EQ(Timer(*threads.back()), 0.0f);
    EXPECT_FLOAT_EQ(Timer(*sleeper), 83.0f);
    marks.clear();
    vm.Update(17.0f);
    EXPECT_EQ(marks, (std::vector<int>{2, 2}));
    EXPECT_EQ(vm.GetScheduler().GetCount(), 1u);
    EXPECT_TRUE(vm.GetScheduler().Contains(sleeper.Get()));
}

TEST_F(SchedulerTest, ClearingDuringAPassEndsThePass) {
    AddNative("ClearAll", [this](Var&, t_Interface&) { vm.Shutdown(); });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Sleep", {0}).Eoc().CallNamed("ClearAll").Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> clearing = AddFunction(module, "clearing", a);
    halvo::AutoRef<BinCode> f = Sleeper("f", 1, 0, 2);
    halvo::AutoRef<Thread> first = Start(clearing.Get());
    halvo::AutoRef<Thread> second = Start(f.Get());
    marks.clear();
    vm.Update(1.0f);
    // The second entry went with the list before its turn came.
    EXPECT_TRUE(marks.empty());
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    EXPECT_EQ(second->GetDepth(), 0u);
}

}  // namespace

// The built-ins that act on threads: assertions, debug output, stopping,
// sleeping, pausing, starting and inspecting threads.

#include "support/QuietDebugHandler.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/BuiltinTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::BuiltinTest;
using scripttest::Messages;

namespace {

std::vector<std::string>& SecondMessages() {
    static std::vector<std::string> messages;
    return messages;
}
void RecordSecond(const char* text) { SecondMessages().push_back(text); }

class Handler : public QuietDebugHandler {
public:
    void OnError(const char* text) override { errors.push_back(text); }
    void AssertFailed(int kind) override { asserts.push_back(kind); }
    const char* GetContext() override { return "frame 3"; }
    std::vector<std::string> errors;
    std::vector<int> asserts;
};

using ThreadBuiltinTest = BuiltinTest;

TEST_F(ThreadBuiltinTest, AssertCountsAndReportsTheJoinedMessage) {
    EXPECT_FALSE(Truth(Call("Assert", {Var(5)})));
    EXPECT_EQ(OnlyText(), "assert value is not bool");
    EXPECT_EQ(caller->AssertionsMade(), 0);

    Messages().clear();
    EXPECT_TRUE(Truth(Call("Assert", {Var(true), Const("unused")})));
    EXPECT_FALSE(Truth(Call("Assert", {Var(false), Const("x"), Var(3)})));
    EXPECT_EQ(Messages(), std::vector<std::string>{"(unknown)(-1) : x3"});
    EXPECT_EQ(Call("AssertCount").AsInt(), 2);
    EXPECT_EQ(Call("AssertThrown").AsInt(), 1);

    // Script text is data, never a format.
    Messages().clear();
    Call("Assert", {Var(false), Const("%n%s%d")});
    EXPECT_EQ(OnlyText(), "%n%s%d");

    // An empty message reports nothing, and the debugger hears of it.
    auto* handler = new Handler;
    vm.SetDebugHandler(std::unique_ptr<DebugHandler>(handler));
    Var condition(false);
    Call("Assert", {Ref(condition)});
    EXPECT_TRUE(handler->errors.empty());
    EXPECT_EQ(handler->asserts, std::vector<int>{2});
    EXPECT_EQ(caller->AssertionsFailed(), 3);
}

TEST_F(ThreadBuiltinTest, DebugoutGoesToTheFirstCallbackOnly) {
    vm.SetSecondCallback(&RecordSecond);
    SecondMessages().clear();
    Call("Debugout", {Const("a%s"), Var(1), Var(2.5f)});
    EXPECT_EQ(Messages(), std::vector<std::string>{"a%s12.500000"});
    EXPECT_TRUE(SecondMessages().empty());
}

TEST_F(ThreadBuiltinTest, CallsWithoutAThreadChangeNoThread) {
    Thread* none = nullptr;
    CallOn(none, "Stop", {Var(1)});
    CallOn(none, "Sleep", {Var(5)});
    CallOn(none, "Pause", {});
    CallOn(none, "SetReturnValue", {Var(1)});
    EXPECT_FALSE(Truth(CallOn(none, "Assert", {Var(false)})));
    EXPECT_TRUE(Truth(CallOn(none, "Assert", {Var(true)})));
    EXPECT_EQ(CallOn(none, "AssertCount", {}).AsInt(), 0);
    EXPECT_EQ(CallOn(none, "DebugPC", {}).AsInt(), -1);
    EXPECT_EQ(CallOn(none, "DebugStackpos", {}).AsInt(), -1);
    EXPECT_TRUE(CallOn(none, "ModuleGetThis", {}).IsNil());
    EXPECT_TRUE(CallOn(none, "ThreadGetCurrent", {}).IsNil());
    EXPECT_FALSE(Truth(CallOn(none, "Include", {Const("x.cis")})));
}

TEST_F(ThreadBuiltinTest, StopSleepAndPauseSetTheCallersState) {
    Call("Stop", {Var(4)});
    EXPECT_EQ(caller->GetState(), kThreadIdle);
    EXPECT_EQ(caller->GetValue().AsInt(), 4);
    Call("Stop");
    EXPECT_TRUE(caller->GetValue().IsNil());

    Call("Sleep", {Var(250)});
    EXPECT_EQ(caller->GetState(), kThreadSleeping);
    EXPECT_EQ(caller->GetValue().RawFloat(), 250.0f);
    Call("Sleep", {Const("soon")});
    EXPECT_EQ(caller->GetValue().RawFloat(), 0.0f);

    caller->SetState(kThreadRunning);
    Call("Sleep", {Var(1), Var(2)});
    EXPECT_EQ(caller->GetState(), kThreadRunning);
    EXPECT_EQ(OnlyText(), "void Sleep(int Ticks) - has only one optional parameter");

    Messages().clear();
    Call("Pause", {Var(1)});
    EXPECT_EQ(caller->GetState(), kThreadRunning);
    EXPECT_EQ(OnlyText(), "void Pause() - no parameters expected");
    Call("Resume");
    EXPECT_EQ(caller->GetState(), kThreadPaused);

    Call("SetReturnValue", {Var(9)});
    EXPECT_EQ(caller->GetValue().AsInt(), 9);
}

TEST_F(ThreadBuiltinTest, ResumePausesAndOnlyThreadResumeContinues) {
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Resume").Eoc().PushInt(7).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetState(), kThreadPaused);
    vm.Update(17.0f);
    EXPECT_EQ(thread->GetState(), kThreadPaused);
    EXPECT_TRUE(Call("ThreadGetReturnValue", {Object(thread.Get())}).IsNil());
    EXPECT_TRUE(Truth(Call("ThreadIsRunning", {Object(thread.Get())})));

    Call("ThreadResume", {Object(thread.Get())});
    EXPECT_EQ(thread->GetState(), kThreadSleeping);
    vm.Update(17.0f);
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    EXPECT_EQ(Call("ThreadGetReturnValue", {Object(thread.Get())}).AsInt(), 7);
    EXPECT_FALSE(Truth(Call("ThreadIsRunning", {Object(thread.Get())})));
    EXPECT_FALSE(Truth(Call("ThreadIsRunning", {Var(1)})));
}

TEST_F(ThreadBuiltinTest, SleepWithoutArgumentRunsAgainAtTheNextPass) {
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Sleep").Eoc().PushInt(3).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetState(), kThreadSleeping);
    vm.Update(1.0f);
    EXPECT_EQ(thread->GetValue().AsInt(), 3);

    Assembler b;
    b.Op(kOpParamCopy).CallNamed("Sleep", {1, 2}).Eoc().PushInt(4).Op(kOpReturn).Op(kOpStop);
    main = AddFunction(module, "main", b, "int");
    Messages().clear();
    thread = Start(main.Get());
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    EXPECT_EQ(thread->GetValue().AsInt(), 4);
    EXPECT_EQ(OnlyText(), "void Sleep(int Ticks) - has only one optional parameter");
}

TEST_F(ThreadBuiltinTest, ThreadCreateStartsTheFunctionWithTheFurtherArgumentsAtTheNextPass) {
    Assembler add;
    add.Op(kOpParamCopy).Local(0).Local(1).Op(kOpAdd).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> sum = AddFunction(module, "sum", add, "int", 2);
    sum->GetVariables().Add("a", "int", nullptr);
    sum->GetVariables().Add("b", "int", nullptr);

    Var first(30);
    Var started = Call("ThreadCreate", {Object(sum.Get()), Ref(first), Var(12)});
    first.SetInt(1000);
    Thread* thread = ToThread(started);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(thread, caller.Get());
    EXPECT_EQ(thread->GetState(), kThreadSleeping);
    EXPECT_TRUE(Call("ThreadGetReturnValue", {started}).IsNil());
    vm.Update(17.0f);
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    EXPECT_EQ(Call("ThreadGetReturnValue", {started}).AsInt(), 42);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ThreadBuiltinTest, ThreadCreateWithoutAFunctionReportsUnprefixed) {
    EXPECT_TRUE(Call("ThreadCreate", {Var(5)}).IsNil());
    EXPECT_TRUE(Call("ThreadCreate").IsNil());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid parameter 2: found int / expected BinCode",
                                                    "Invalid parameter 2: found (null) / expected BinCode"}));
    auto* handler = new Handler;
    vm.SetDebugHandler(std::unique_ptr<DebugHandler>(handler));
    Call("ThreadCreate", {Const("f")});
    EXPECT_EQ(handler->errors,
              std::vector<std::string>{"Invalid parameter 2: found string / expected BinCode at c-call frame 3"});
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
}

TEST_F(ThreadBuiltinTest, ThreadValuesAreCopiesWithoutConst) {
    halvo::AutoRef<Thread> other = NewThread();
    Var constant(5);
    constant.SetConstFlag(true);
    EXPECT_TRUE(Truth(Call("ThreadSetValue", {Object(other.Get()), Const("k"), Ref(constant)})));
    constant.SetInt(6);
    Var* stored = other->GetThreadValues().FindMember("k");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetTag(), kTagInt);
    EXPECT_FALSE(stored->HasConstFlag());
    EXPECT_EQ(Call("ThreadGetValue", {Object(other.Get()), Const("k")}).AsInt(), 5);

    EXPECT_FALSE(Truth(Call("ThreadSetValue", {Object(other.Get()), Const(""), Var(1)})));
    EXPECT_FALSE(Truth(Call("ThreadSetValue", {Var(), Const("k"), Var(1)})));
    EXPECT_TRUE(Call("ThreadGetValue", {Object(other.Get()), Const("missing")}).IsNil());
}

TEST_F(ThreadBuiltinTest, ThreadControlOfAnotherThread) {
    halvo::AutoRef<Thread> other = NewThread();
    Call("ThreadSleep", {Object(other.Get()), Var(100)});
    EXPECT_EQ(other->GetState(), kThreadSleeping);
    EXPECT_EQ(other->GetValue().RawFloat(), 100.0f);
    Call("ThreadResume", {Object(other.Get())});
    EXPECT_EQ(other->GetValue().RawFloat(), 0.0f);
    Call("ThreadStop", {Object(other.Get()), Var(8)});
    EXPECT_EQ(other->GetState(), kThreadIdle);
    EXPECT_EQ(Call("ThreadGetReturnValue", {Object(other.Get())}).AsInt(), 8);
    Call("ThreadStop", {Object(other.Get())});
    EXPECT_TRUE(other->GetValue().IsNil());

    EXPECT_EQ(ToThread(Call("ThreadGetCurrent")), caller.Get());
    Messages().clear();
    EXPECT_TRUE(Call("ThreadGetCurrent", {Var(1)}).IsNil());
    EXPECT_EQ(OnlyText(), "GetCurrentThread() has no parameters");
}

TEST_F(ThreadBuiltinTest, DebugPositionOfTheCallingFrame) {
    Assembler a;
    a.Op(kOpParamCopy).Args(2).CallNamed("DebugStackpos").ArgDone(0).CallNamed("DebugPC").ArgDone(1);
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "auto");
    halvo::AutoRef<Thread> thread = Start(main.Get());
    VarArray* values = ToVarArray(thread->GetValue());
    ASSERT_NE(values, nullptr);
    // The argument array under construction is on the stack, and the
    // native's own list keeps its slot while it runs.
    EXPECT_EQ(values->GetAt(0)->AsInt(), 2);
    EXPECT_GT(values->GetAt(1)->AsInt(), 0);
    EXPECT_EQ(Call("DebugPC").AsInt(), -1);
}

}  // namespace

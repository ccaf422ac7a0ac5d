// Scripts that start threads without end, compiled and driven by the
// per-frame scheduler: each ends with a message or settles into bounded
// work, and every frame ends; ordinary thread chains still run whole.

#include "BackEnd.h"

#include "script/runtime/execution/Scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace {

using Vrel::Scheduler;
using Vrel::Testing::BackEndTest;

constexpr float kFrameMs = 17.0f;
constexpr const char* kCapMessage = "ThreadCreate - too many threads: 100000 are waiting already; no thread started";

class RunawayThreadsTest : public BackEndTest {
protected:
    void SetUp() override {
        BackEndTest::SetUp();
        AddNative("Count", [this](Vrel::Var&, Vrel::t_Interface&) { ++runs; });
    }
    void TearDown() override {
        vm.Shutdown();
        BackEndTest::TearDown();
    }
    // Compiles text as module "runaway" and starts its Main on a thread.
    Vrel::Thread* Start(const std::string& text) {
        EXPECT_EQ(Buffer("runaway", text), Vrel::kCompileOk) << AllMessages();
        Vrel::BinCode* main = Function("runaway", "Main");
        EXPECT_NE(main, nullptr);
        if (!main) return nullptr;
        thread = new Vrel::Thread(vm);
        thread->Run(main, false, nullptr, 0);
        return thread.Get();
    }
    // One frame; how many threads ran in it.
    size_t Frame() {
        const size_t before = runs;
        vm.Update(kFrameMs);
        return runs - before;
    }
    size_t CapMessages() const {
        return static_cast<size_t>(std::count_if(Messages().begin(), Messages().end(), [](const std::string& text) {
            return text.find(kCapMessage) != std::string::npos;
        }));
    }

    halvo::AutoRef<Vrel::Thread> thread;
    size_t runs = 0;
};

TEST_F(RunawayThreadsTest, EndlessThreadCreateEndsTheCallerAtTheCap) {
    Start("function void Worker() { Count(); }\n"
          "function void Main() {\n"
          "  while (1) ThreadCreate(Worker);\n"
          "}\n");
    ASSERT_NE(thread.Get(), nullptr);
    EXPECT_EQ(thread->GetState(), Vrel::kThreadEnded);
    EXPECT_NE(thread->GetLastError().find(kCapMessage), std::string::npos) << thread->GetLastError();
    ASSERT_EQ(Messages().size(), 1u) << AllMessages();
    EXPECT_EQ(Messages()[0], std::string("runaway(3) : ") + kCapMessage);
    EXPECT_EQ(vm.GetScheduler().GetCount(), Scheduler::kMaxListedThreads) << "the refused call started nothing";
    // Each frame runs its share, and the started threads drain away.
    for (size_t frame = 0; frame < Scheduler::kMaxListedThreads / Scheduler::kMaxRunsPerPass; ++frame)
        EXPECT_EQ(Frame(), Scheduler::kMaxRunsPerPass) << frame;
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    EXPECT_EQ(runs, Scheduler::kMaxListedThreads);
}

TEST_F(RunawayThreadsTest, AThreadThatStartsItsSuccessorLetsEveryFrameEnd) {
    Start("function void Next() { Count(); ThreadCreate(Next); }\n"
          "function void Main() { ThreadCreate(Next); }\n");
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(Frame(), Scheduler::kMaxRunsPerPass) << frame;
        // The finished ones left as the pass went: only the successor waits.
        EXPECT_EQ(vm.GetScheduler().GetCount(), 1u) << frame;
    }
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(RunawayThreadsTest, ThreadsStartingTwoEachStayWithinTheCaps) {
    Start("function void Split() { Count(); ThreadCreate(Split); ThreadCreate(Split); }\n"
          "function void Main() { ThreadCreate(Split); }\n");
    // Doubling up to the share of a frame, then growing by a share a frame
    // until the cap refuses: about 25 frames.
    for (int frame = 0; frame < 30; ++frame) {
        EXPECT_LE(Frame(), Scheduler::kMaxRunsPerPass) << frame;
        EXPECT_LE(vm.GetScheduler().GetCount(), Scheduler::kMaxListedThreads) << frame;
    }
    EXPECT_GT(CapMessages(), 0u);
    EXPECT_EQ(Frame(), Scheduler::kMaxRunsPerPass);
    vm.StopAllThreads();
    vm.Update(kFrameMs);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
}

TEST_F(RunawayThreadsTest, AChainOfSixThreadsRunsWholeInOneFrame) {
    Start("int reached = 0;\n"
          "function void Link(int n) { Count(); reached = n; if (n < 6) ThreadCreate(Link, n + 1); }\n"
          "function void Main() { ThreadCreate(Link, 1); }\n");
    EXPECT_EQ(Frame(), 6u);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    Vrel::Var* reached = Module("runaway")->GetMember("reached");
    ASSERT_NE(reached, nullptr);
    EXPECT_EQ(reached->AsInt(), 6);
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

}  // namespace

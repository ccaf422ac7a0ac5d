#pragma once
// Runs a compiled function once on the quick loop and once step by step (a
// step limit keeps the interpreter on the careful loop) and checks that the
// two agree on the result and on every message.

#include "BackEnd.h"

#include <string>
#include <vector>

namespace Vrel::Testing {

struct RunOutcome {
    std::string value;
    std::vector<std::string> messages;
};

class QuickAndSteppedTest : public BackEndTest {
protected:
    static constexpr uint64_t kStepsThatNeverRunOut = uint64_t{1} << 40;

    RunOutcome RunOnce(BinCode* function, std::vector<Var> arguments, bool stepByStep) {
        RecordedMessages().clear();
        vm.SetStepLimit(stepByStep ? kStepsThatNeverRunOut : 0);
        RunOutcome outcome;
        outcome.value = Call(function, std::move(arguments)).ToString();
        outcome.messages = Messages();
        vm.SetStepLimit(0);
        return outcome;
    }
    // Both loops on the same call; the quick one's outcome.
    RunOutcome Agreeing(const char* module, const char* name, std::vector<Var> arguments = {}) {
        BinCode* function = Function(module, name);
        EXPECT_NE(function, nullptr) << name;
        if (!function) return {};
        RunOutcome quick = RunOnce(function, arguments, false);
        RunOutcome stepped = RunOnce(function, arguments, true);
        EXPECT_EQ(quick.value, stepped.value) << name;
        EXPECT_EQ(quick.messages, stepped.messages) << name;
        return quick;
    }
};

}  // namespace Vrel::Testing

#include "support/QuietDebugHandler.h"
#include "script/runtime/machine/ScriptVM.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vrel;

namespace {

std::vector<std::string>& First() {
    static std::vector<std::string> texts;
    return texts;
}
std::vector<std::string>& Second() {
    static std::vector<std::string> texts;
    return texts;
}

class RecordingHandler : public QuietDebugHandler {
public:
    explicit RecordingHandler(bool errors) : errors_(errors) {}
    bool IsErrorChannel() override { return errors_; }
    void OnError(const char* text) override { received.push_back(std::string("E:") + text); }
    void OnWarning(const char* text) override { received.push_back(std::string("W:") + text); }
    std::vector<std::string> received;

private:
    bool errors_;
};

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        First().clear();
        Second().clear();
    }
    ScriptVM vm;
};

TEST_F(MessageTest, ErrorsArePrefixedWithSourceAndLine) {
    vm.SetFirstCallback([](const char* t) { First().push_back(t); });
    vm.Error("scripts/menu.cis", 12, "The variable '%s' is undefined.", "x");
    vm.Error("file", -1, "%s", "Unable to open file");
    ASSERT_EQ(First().size(), 2u);
    EXPECT_EQ(First()[0], "scripts/menu.cis(12) : The variable 'x' is undefined.");
    EXPECT_EQ(First()[1], "file(-1) : Unable to open file");
}

TEST_F(MessageTest, EmptyFormatsReportNothing) {
    vm.SetFirstCallback([](const char* t) { First().push_back(t); });
    vm.Error("file", 1, nullptr);
    vm.Error("file", 1, "%s", "");
    ASSERT_EQ(First().size(), 1u);
    EXPECT_EQ(First()[0], "file(1) : ");
}

TEST_F(MessageTest, LongMessagesAreNotCut) {
    vm.SetFirstCallback([](const char* t) { First().push_back(t); });
    std::string longName(3000, 'n');
    vm.Error("src", 2, "Script function %s::%s not found", longName.c_str(), "f");
    ASSERT_EQ(First().size(), 1u);
    EXPECT_EQ(First()[0], "src(2) : Script function " + longName + "::f not found");
}

TEST_F(MessageTest, OutputPrefersHandlerThenSecondThenFirst) {
    vm.Output("dropped");
    vm.SetFirstCallback([](const char* t) { First().push_back(t); });
    vm.Output("one");
    vm.SetSecondCallback([](const char* t) { Second().push_back(t); });
    vm.Output("two");
    auto handler = std::make_unique<RecordingHandler>(true);
    RecordingHandler* seen = handler.get();
    vm.SetDebugHandler(std::move(handler));
    vm.Output("three");
    EXPECT_EQ(First(), std::vector<std::string>{"one"});
    EXPECT_EQ(Second(), std::vector<std::string>{"two"});
    EXPECT_EQ(seen->received, std::vector<std::string>{"E:three"});
    vm.SetDebugHandler(std::make_unique<RecordingHandler>(false));
    vm.Output("four");
    EXPECT_EQ(static_cast<RecordingHandler*>(vm.GetDebugHandler())->received, std::vector<std::string>{"W:four"});
}

TEST_F(MessageTest, IgnoringCallbackSwallowsEverything) {
    vm.SetFirstCallback(&ScriptVM::IgnoreText);
    vm.SetSecondCallback(&ScriptVM::IgnoreText);
    vm.Error("a", 1, "text");
    EXPECT_TRUE(First().empty());
    EXPECT_TRUE(Second().empty());
}

}  // namespace

// The game started the way the program starts it, without a window.

#include "harness/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DataTree.h"
#include "script/runtime/execution/Thread.h"

namespace {

using Calls = std::vector<std::string>;

// Logs the button events that reach it, in its own units.
class ClickProbe : public GameScreen {
public:
    bool OnInput(const InputEvent& event) override {
        if (event.kind == InputEvent::kButtonDown || event.kind == InputEvent::kButtonUp)
            seen.push_back(std::to_string(event.kind) + " " + std::to_string(static_cast<int>(event.x)) +
                           "," + std::to_string(static_cast<int>(event.y)));
        return true;
    }
    std::vector<std::string> seen;
};

TEST(HeadlessGameTest, StartsFadesInRunsMainIncludeAndDeliversClicksInDesignUnits) {
    testsupport::HeadlessGame harness;
    harness.WriteScript("maininclude", "RecordCall(\"maininclude ran\");\n");
    ASSERT_TRUE(harness.Start());
    EXPECT_EQ(harness.Calls(), Calls{"maininclude ran"});
    // The splash opens even without its script: an empty menu.
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    EXPECT_TRUE(harness.GetGame().IsFading());

    halvo::AutoRef<ClickProbe> probe(new ClickProbe());
    harness.Root()->AddChild(probe.Get());
    harness.Click({640, 360});  // lost: the picture is still fading in
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    EXPECT_TRUE(probe->seen.empty());
    EXPECT_EQ(harness.GetGame().fadeLevel, 0);
    // One second of fade at 17 ms a step.
    EXPECT_NEAR(harness.Now(), 1000, 2 * 17);

    harness.Click({640, 360});
    harness.Step();
    EXPECT_EQ(probe->seen, (Calls{"1 640,360", "2 640,360"}));
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen, GameScreen]");
    EXPECT_TRUE(harness.Messages().empty());
    EXPECT_GT(harness.Gl().calls.size(), 0u);  // the last pass drew a frame
}

TEST(HeadlessGameTest, ClicksAndTravelAreCountedOnceAGameHasStarted) {
    testsupport::HeadlessGame harness;
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    ASSERT_TRUE(DataTree::OpenProfile(0));

    harness.Click({100, 100});
    harness.Step();
    EXPECT_EQ(DataTree::GetInt("[STATS]/clicks"), 0);

    harness.GetGame().gameStarted = true;
    harness.MovePointer({130, 60});  // 30 + 40 window pixels
    harness.Click({130, 60});
    harness.Step();
    EXPECT_EQ(DataTree::GetInt("[STATS]/clicks"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/distance"), 70);
    ASSERT_TRUE(DataTree::SaveGameData());
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("clicks=\"1\""), std::string::npos);
}

TEST(HeadlessGameTest, StubModulesRecordTheirCallsWithArguments) {
    testsupport::HeadlessGame harness;
    harness.WriteStubModule("scene", {"OnObjectFound(string label, int count)"});
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(Game::RunInclude("scene"));
    const Vrel::Var arguments[2] = {Vrel::Var("key"), Vrel::Var(3)};
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    ASSERT_TRUE(Vrel::Thread::RunFunction(thread.Get(), "scene", "OnObjectFound", arguments, 2));
    EXPECT_EQ(harness.Calls(), Calls{"scene.OnObjectFound key 3"});
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace

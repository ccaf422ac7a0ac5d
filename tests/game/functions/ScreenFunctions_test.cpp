// The screen functions over a search scene: the scene's overlay, its
// objects' effects, its frame and module, and a picture the caller waits for.

#include "game/functions/ScreenFunctions.h"

#include <gtest/gtest.h>

#include "tests/game/SearchTestSupport.h"
#include "game/scene/SceneObject.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kProbe =
    "function void Red() { SetSceneColor(0x1FF, 0, 0, 0); }\n"
    "function void Clear() { RemoveOverlay(); }\n"
    "function void NoEffects() { EnableSceneFX(\"cup\", false); EnableSceneFX(\"nothing\", true); }\n"
    "function void Picture() { GroessterSuperGAU(\"missing\"); RecordCall(\"after picture\"); }\n";

class ScreenFunctionsTest : public searchtest::SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(kProbe, "probe"));
        WriteTestScene(searchtest::Square("cup", 100, 100));
        screen = Enter("test");
        ASSERT_TRUE(screen);
    }
    void Run(const char* function) { Game::CallScript(function, "probe"); }

    SearchScreen* screen = nullptr;
};

TEST_F(ScreenFunctionsTest, TheOverlayTakesTheLowBytesAndRemoveOverlayClearsAll) {
    Run("Red");
    EXPECT_EQ(screen->GetScene()->overlayColor, (Color{255, 0, 0, 0}));
    Run("Clear");
    EXPECT_EQ(screen->GetScene()->overlayColor, (Color{0, 0, 0, 0}));
}

TEST_F(ScreenFunctionsTest, SceneEffectsSwitchOnlyARemainingObject) {
    Run("NoEffects");
    EXPECT_FALSE(screen->GetScene()->FindRemaining("cup")->showEffects);
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(ScreenFunctionsTest, APictureThatCannotLoadLetsTheCallerGoOn) {
    halvo::WeakRef<Vrel::Thread> waiting = Game::CallScript("Picture", "probe");
    ASSERT_TRUE(waiting.Get());
    harness.Step(2);
    EXPECT_EQ(harness.Calls(), Calls{"after picture"});
}

}  // namespace

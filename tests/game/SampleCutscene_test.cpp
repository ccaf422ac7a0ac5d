// The sample game's cutscene data: its speaker poses, chat bubbles and the
// scripts of the study, the adventure in the study and the map.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/CutsceneScreen.h"
#include "gui/GuiWidget.h"
#include "tests/game/CutsceneTestSupport.h"

namespace {

using cutscenetest::CutsceneFixture;

class SampleCutsceneTest : public CutsceneFixture {
protected:
    void SetUp() override {
        CutsceneFixture::SetUp();
        const char* source = std::getenv("TAVRIN_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        FileManager::Global().AddRoot((std::string(source) + "/data/Data/Shared").c_str());
        FileManager::Global().ResetDirectoryCaches();
    }
    // The sample's module in place of the fixture's.
    bool Include(const std::string& folder, const char* module) {
        Vrel::ScriptVM::Global().ReleaseModule(module);
        return Vrel::ScriptVM::Global().CompileBuffer(ReadSample(folder + module + ".cis").c_str(), module);
    }
    static std::string ReadSample(const std::string& relative) {
        std::string text;
        if (FILE* file = std::fopen((std::string(std::getenv("TAVRIN_SOURCE_DIR")) + "/data/Data/Shared/" +
                                     relative).c_str(), "rb")) {
            char buffer[4096];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
            std::fclose(file);
        }
        return text;
    }
};

TEST_F(SampleCutsceneTest, TheSampleModulesCompileAndTheBubbleHoldsItsLine) {
    for (const char* module : {"cutscene", "inventory"}) EXPECT_TRUE(Include("scripts/", module)) << module;
    for (const char* scene : {"study", "study_02", "map"}) EXPECT_TRUE(Include("scripts/scenes/", scene)) << scene;
    for (const std::string& message : harness.Messages()) ADD_FAILURE() << message;

    WriteScene("Cutscene", "");
    CutsceneScreen* screen = Enter<CutsceneScreen>();
    // The sample poses stand on the bottom edge.
    for (const char* pose : {"tobin_calm", "tobin_glad", "maren_calm", "maren_worried"})
        EXPECT_EQ(screen->AddSpeaker("Tobin", "center", pose), 500.0f) << pose;
    harness.Step(30);
    const halvo::GuiWidget* speaker = screen->GetSpeakerSprite(CutsceneScreen::kSlotCenter);
    ASSERT_TRUE(speaker);
    EXPECT_EQ(speaker->GetBottom(), 1080.0f);

    SayLine("Tobin", "Hello");
    halvo::GuiWidget* bubble = screen->GetChatBubble();
    ASSERT_TRUE(bubble);
    ASSERT_TRUE(screen->GetWaitingThread());
    ASSERT_TRUE(bubble->GetFirstChild());
    EXPECT_EQ(bubble->GetFirstChild()->GetClassInfo()->name, std::string("GuiText"));
    // Centred on the speaker's side of the screen.
    EXPECT_EQ(bubble->GetLeft() + bubble->ReadFloat(halvo::GuiWidget::kPropXSize) / 2, 960.0f);
    harness.Click({960, 540});
    harness.Step(2);
    EXPECT_EQ(harness.Calls().back(), "said Hello");
}

}  // namespace

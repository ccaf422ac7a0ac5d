// The sample game's cutscene data: its speaker poses, chat bubbles and the
// scripts of the study, the adventure in the study and the map.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "gui/GuiMain.h"
#include "gui/GuiText.h"
#include "platform/Loca.h"
#include "gui/GuiWidget.h"
#include "support/SourceFiles.h"
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
        return testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Shared/" + relative));
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
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Click({960, 540});
    harness.Step(2);
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "said Hello");
}

// A line longer than the bubble is wide wraps inside it, and the bubble grows
// to hold every line; beside a speaker at the screen's edge it stays on the
// screen and clear of the speaker. A short line stays on one.
TEST_F(SampleCutsceneTest, ALongLineWrapsInsideItsBubbleOnTheScreen) {
    ASSERT_TRUE(Include("scripts/", "cutscene"));
    WriteScene("Cutscene", "");
    CutsceneScreen* screen = Enter<CutsceneScreen>();
    ASSERT_EQ(screen->AddSpeaker("Tobin", "left", "tobin_calm"), 500.0f);
    const auto textOf = [](const halvo::GuiWidget* bubble) {
        return bubble ? CastTo<halvo::GuiText>(bubble->GetFirstChild()) : nullptr;
    };
    SayLine("Tobin", "Eight puzzles wait on the study table. Play each one, or ask for help to skip it, "
                     "and then the map shows the way back to the lighthouse.");
    halvo::GuiWidget* bubble = screen->GetChatBubble();
    const halvo::GuiText* text = textOf(bubble);
    ASSERT_TRUE(text);
    EXPECT_GT(text->GetLineCount(), 1u);
    for (size_t line = 0; line < text->GetLineCount(); ++line)
        EXPECT_LE(text->GetLeft() + text->GetLineWidth(line), bubble->ReadFloat(halvo::GuiWidget::kPropXSize))
            << line;
    EXPECT_LE(text->GetBottom(), bubble->ReadFloat(halvo::GuiWidget::kPropYSize));
    EXPECT_GE(bubble->GetLeft(), screen->GetSpeakerSprite(CutsceneScreen::kSlotLeft)->ReadFloat(
                                     halvo::GuiWidget::kPropXSize));
    EXPECT_LE(bubble->GetRight(), 1920.0f);
    EXPECT_GE(bubble->GetTop(), 0.0f);
    EXPECT_LE(bubble->GetBottom(), 1080.0f);
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Click({960, 540});
    harness.Step(2);

    SayLine("Tobin", "Hello");
    text = textOf(screen->GetChatBubble());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->GetLineCount(), 1u);
}

// Target shooting's generic variant announces the round's enemy through the
// bubble function with a seventh argument: the picture shows below the text,
// inside the card, and the text is the key the engine names, looked up in
// both language tables.
TEST_F(SampleCutsceneTest, AnEnemyAnnouncementShowsItsPictureAndItsLookedUpText) {
    ASSERT_TRUE(Include("scripts/", "cutscene"));
    ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(
        "auto shown = 0;\n"
        "function void Announce() {\n"
        "  shown = cutscene::CreateChatBubble(GetWidgetRoot(), 0xFF000000, \"minigame_zielscheiben_enemy\",\n"
        "                                     960.0, 540.0, 500.0, \"#MiniGames/Zielscheiben/enemy_crow.cbi\");\n"
        "  GuiSetValue(shown, \"name\", \"announcement\");\n"
        "}\n",
        "probe"));
    FileManager::Global().AddRoot((testsupport::SourceFolder("data/Data/Global")).c_str());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Loca::Global().Load("english"));
    WriteScene("Cutscene", "");
    Enter<CutsceneScreen>();
    Game::CallScript("Announce", "probe");
    harness.Step(2);
    for (const std::string& message : harness.Messages())
        EXPECT_EQ(message.find("cutscene"), std::string::npos) << message;
    halvo::GuiWidget* root = halvo::GuiMain::Global().GetRoot();
    Vrel::t_Named byName;
    *byName.GetOrAddMember("name") = Vrel::Var("announcement");
    halvo::AutoRef<halvo::GuiWidget> bubble = root->FindFirst(byName);
    ASSERT_TRUE(bubble);
    halvo::GuiText* text = CastTo<halvo::GuiText>(bubble->GetFirstChild());
    ASSERT_TRUE(text);
    // Looked up, not shown as the bare key.
    std::string shown;
    for (char16_t c : text->GetLineText(0)) shown += static_cast<char>(c);
    EXPECT_EQ(shown.rfind("This round", 0), 0u) << shown;
    *byName.GetOrAddMember("name") = Vrel::Var("bubble_picture");
    halvo::AutoRef<halvo::GuiWidget> picture = bubble->FindFirst(byName);
    ASSERT_TRUE(picture);
    EXPECT_GE(picture->GetTop(), text->GetBottom());
    EXPECT_LE(picture->GetBottom(), bubble->ReadFloat(halvo::GuiWidget::kPropYSize));
    EXPECT_LE(picture->GetRight(), bubble->ReadFloat(halvo::GuiWidget::kPropXSize));
    for (const char* language : {"english", "german"})
        EXPECT_NE(ReadSample("../../source/loca/" + std::string(language) + ".txt")
                      .find("\nminigame_zielscheiben_enemy = "),
                  std::string::npos)
            << language;
}

}  // namespace

// The guide's walk-through played as written: the cellar's description, the
// cutscene after it and its script are taken from docs/11-walkthrough.md,
// the campaign is the sample's with the two changes the page makes, and the
// game runs on a copy of the sample's data. Finding the lantern, or leaving
// by the stairs, must lead through the match-three game into the garden, lit;
// a player who leaves for the menu while the game's closing line stands,
// told that the puzzle's result is kept, continues in the garden; and a
// campaign that cannot start keeps the player and their game in the menu,
// told, and the author is told why.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "game/screens/CutsceneScreen.h"
#include "game/screens/MenuScreen.h"
#include "game/Game.h"
#include "game/screens/SearchScreen.h"
#include "harness/HeadlessGame.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "platform/DataTree.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/SourceFiles.h"
#include "tests/game/SampleRouteFixture.h"

namespace {

namespace fs = std::filesystem;

// Bubbles, the mini-game's messages and its fade take a few seconds of game
// time; 3,000 steps are 51 seconds, room to spare.
constexpr int kLegPasses = 3000;

// The fenced blocks of a page whose opening fence is "```" + info, in order.
std::vector<std::string> CodeBlocks(const std::string& page, const std::string& info) {
    std::vector<std::string> blocks;
    std::string block;
    bool inside = false, wanted = false;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find('\n', start);
        if (end == std::string::npos) end = page.size();
        const std::string line = page.substr(start, end - start);
        start = end + 1;
        if (line.rfind("```", 0) != 0) {
            if (inside && wanted) block += line + "\n";
            continue;
        }
        if (inside && wanted) blocks.push_back(block);
        wanted = !inside && line.substr(3) == info;
        inside = !inside;
        block.clear();
    }
    return blocks;
}

// `text` with `from` replaced by `to` once; a missing `from` fails the test.
std::string Changed(const std::string& text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "the sample's campaign no longer has: " << from;
    if (at == std::string::npos) return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

class WalkThroughTest : public testing::Test {
protected:
    void SetUp() override {
        // The sample's data is copied into the test's own folder, where the
        // page's cellar and the changed campaign written below take the place
        // of the sample's own files.
        for (const char* root : {"data/Data/Shared", "data/Data/Global"}) {
            fs::copy(testsupport::SourceFolder(root), harness.DataFolder().Path(),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        }
        const std::string page = testsupport::ReadWholeFile(testsupport::SourceFolder("docs/11-walkthrough.md"));
        const std::vector<std::string> scenes = CodeBlocks(page, "xml");
        const std::vector<std::string> scripts = CodeBlocks(page, "");
        ASSERT_EQ(scenes.size(), 2u);
        ASSERT_GE(scripts.size(), 1u);
        harness.WriteDataFile("Scenes/cellar/cellar.xml", scenes[0]);
        harness.WriteDataFile("Scenes/cellar/cellar_02.xml", scenes[1]);
        harness.WriteScript("cellar_02", scripts[0], "scripts/scenes/");
        // The garden's pictures stand in for the painted ones, at their sizes.
        const std::pair<const char*, const char*> pictures[] = {{"cellar.cbi", "garden.cbi"},
                                                                {"ObjectGfx/lantern.cbi", "ObjectGfx/lamp.cbi"},
                                                                {"ObjectGfx/stairs.cbi", "ObjectGfx/signpost.cbi"}};
        for (const auto& [picture, garden] : pictures) {
            const std::string bytes = testsupport::ReadWholeFile(
                testsupport::SourceFolder(std::string("data/Data/Shared/Scenes/garden/") + garden));
            ASSERT_FALSE(bytes.empty()) << garden;
            harness.WriteDataFile(std::string("Scenes/cellar/") + picture, bytes);
        }
        std::string campaign = testsupport::ReadWholeFile(
            testsupport::SourceFolder("data/Data/Shared/scripts/campain.cis"));
        campaign = Changed(campaign, "const string kFirstScene = \"garden\";", "const string kFirstScene = \"cellar\";");
        campaign = Changed(campaign, "function string NextScene(string scene) {\n",
                           "function string NextScene(string scene) {\n  if (scene == \"cellar\") return \"cellar_02\";\n");
        harness.WriteScript("campain", campaign);

        RegisterMiniGames();
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
        // The splash goes with its waiting script, as the main menu's
        // "New game" would have it; then the campaign begins.
        Game& game = harness.GetGame();
        game.currentScene->RemoveFromParent();
        Vrel::ScriptVM::Global().StopAllThreads();
        Game::CallScript("NewGame", "campain");
    }
    GameScreen* Current() const { return harness.GetGame().currentScene.Get(); }
    std::string SceneName() const {
        const auto* screen = CastTo<SceneScreen>(Current());
        return screen && screen->GetScene() ? screen->GetScene()->name : std::string();
    }
    std::string Messages() const {
        std::string text;
        for (const std::string& message : harness.Messages()) text += message + "\n";
        return text;
    }
    void ClickObject(SearchScreen& cellar, const std::string& label) {
        for (const auto& object : cellar.GetScene()->remaining)
            if (object->label == label) harness.Click(object->hotSpot.BoundsCenter());
        harness.Step(5);
    }
    // Steps until the cellar has given way to the cutscene.
    void UntilCutscene() {
        for (int pass = 0; pass < kLegPasses && !CastTo<CutsceneScreen>(Current()); ++pass) harness.Step();
    }
    MiniGameScreen* Host() const {
        GameScreen* cutscene = CastTo<CutsceneScreen>(Current());
        if (!cutscene || cutscene->Children().empty()) return nullptr;
        return CastTo<MiniGameScreen>(cutscene->Children().front().Get());
    }
    // Clicks the bubbles away, pages through the mini-game's messages and
    // skips it with help, until the cutscene has moved on, or with
    // `untilClosingLine` until the skipped game's closing line stands.
    void PlayCutscene(bool untilClosingLine = false) {
        halvo::WeakRef<GameScreen> cutscene(Current());
        for (int pass = 0; pass < kLegPasses && cutscene.Get() && Current() == cutscene.Get(); ++pass) {
            MiniGameScreen* host = Host();
            if (host && untilClosingLine && host->IsFinished() && host->IsMessageShown()) return;
            if (host) {
                if (!host->Children().empty() || host->IsMessageShown()) host->OnHelp();
            } else if (CastTo<CutsceneScreen>(cutscene.Get())->GetWaitingThread()) {
                harness.Click({960, 140});
            }
            harness.Step();
        }
    }
    halvo::AutoRef<halvo::GuiWidget> OnHud(const char* name) const {
        return sampletest::Find(harness.GetGame().GetHudGui(), "name", name);
    }
    void ClickOn(const halvo::AutoRef<halvo::GuiWidget>& widget) {
        if (!widget) {
            ADD_FAILURE() << "nothing there to click: " << harness.ScreenTree();
            return;
        }
        harness.Click(sampletest::MiddleOnScreen(*widget));
        // Long enough for a question or notice it brings to be read.
        harness.Step(testsupport::HeadlessGame::kBoardReadPasses);
    }
    // The garden comes out of the black the mini-game's host left.
    void ExpectTheGardenLit() {
        for (int pass = 0; pass < kLegPasses && harness.GetGame().IsFading(); ++pass) harness.Step();
        EXPECT_EQ(harness.GetGame().fadeLevel, 0.0f);
    }
    void ExpectTheMiniGameAndThenTheGarden() {
        UntilCutscene();
        ASSERT_TRUE(CastTo<CutsceneScreen>(Current())) << Messages();
        EXPECT_EQ(SceneName(), "cellar_02");
        PlayCutscene();
        EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
        EXPECT_EQ(DataTree::GetInt("[PLAYER]/minigame_result"), 2);  // skipped by help
        ASSERT_TRUE(CastTo<SearchScreen>(Current())) << Messages();
        EXPECT_EQ(SceneName(), "garden");
        ExpectTheGardenLit();
        EXPECT_TRUE(harness.Messages().empty()) << Messages();
    }

    testsupport::HeadlessGame harness;
};

TEST_F(WalkThroughTest, TheLanternFoundLeadsThroughTheMiniGameIntoTheGarden) {
    auto* cellar = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(cellar) << Messages();
    EXPECT_EQ(SceneName(), "cellar");
    ASSERT_EQ(cellar->GetScene()->remaining.size(), 2u);  // the lantern and the stairs
    ClickObject(*cellar, "lamp_01");
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), 1);
    ExpectTheMiniGameAndThenTheGarden();
}

TEST_F(WalkThroughTest, TheStairsTakenTwiceLeaveTheCellarHalfSearchedAndGoOn) {
    auto* cellar = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(cellar) << Messages();
    ClickObject(*cellar, "exit_stairs");
    ASSERT_EQ(Current(), cellar);  // the first click only arms the way out
    ClickObject(*cellar, "exit_stairs");
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/SceneState/cellar/"));
    ExpectTheMiniGameAndThenTheGarden();
}

// The question promises that the game goes on after the puzzle: the
// cutscene's script, run on as the scene goes, saves the garden as the
// scene to continue in, and Continue neither replays the puzzle nor counts
// it again.
TEST_F(WalkThroughTest, TheMiniGameLeftDuringItsClosingLineContinuesInTheGarden) {
    auto* cellar = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(cellar) << Messages();
    ClickObject(*cellar, "lamp_01");
    UntilCutscene();
    ASSERT_EQ(SceneName(), "cellar_02") << Messages();
    PlayCutscene(true);
    ASSERT_TRUE(Host() && Host()->IsMessageShown()) << harness.ScreenTree() << Messages();

    ClickOn(OnHud("hud_menu"));
    ASSERT_TRUE(OnHud("hud_leave")) << harness.ScreenTree();
    EXPECT_TRUE(sampletest::Shows(OnHud("hud_leave").Get(), u"This puzzle's result is kept"));
    ClickOn(sampletest::Find(OnHud("hud_leave").Get(), "action", "leave"));
    ASSERT_TRUE(CastTo<MenuScreen>(Current())) << harness.ScreenTree() << Messages();
    EXPECT_STREQ(DataTree::GetString("[PLAYER]/LastScene"), "garden");
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("LastScene=\"garden\""), std::string::npos)
        << harness.ReadSavedFile("data0.xml");

    auto* menu = CastTo<MenuScreen>(Current());
    halvo::AutoRef<halvo::GuiWidget> resume = sampletest::Find(menu->GetGuiFrame(), "action", "continue");
    ASSERT_TRUE(resume) << harness.ScreenTree();
    ClickOn(resume);
    ASSERT_TRUE(CastTo<SearchScreen>(Current())) << harness.ScreenTree() << Messages();
    EXPECT_EQ(SceneName(), "garden");
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    ExpectTheGardenLit();
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

// The game calls NewGame, which a campaign may lose in the editing: "New
// game" then keeps the menu, lit, which says that no game can start (a
// notice Escape closes), the game under way stays, and standard error
// names the cause for the author: the file named otherwise than the fixed
// `campain`, a campaign that does not compile, or one without NewGame.
struct BrokenCampaign {
    const char* name;
    const char* file;  // the module the changed campaign is written as
    const char* from;  // changed in the sample's campaign
    const char* to;
    const char* cause;
    // Compiled over a first try that did not compile (NotCompiling's), as
    // an author mends one: the cause is what the campaign is now.
    bool afterAFailedTry = false;
};

const BrokenCampaign kBrokenCampaigns[] = {
    {"NamedCampaign", "campaign", "", "", "there is no module 'campain' (no file 'scripts/campain.cis' was loaded)"},
    {"NotCompiling", "campain", "  Transit(kFirstScene);\n", "  Transit(kFirstScene\n",
     "module 'campain' did not compile (cis-run on 'scripts/campain.cis' shows where)"},
    {"WithoutNewGame", "campain", "function void NewGame() {\n  Transit(kFirstScene);\n}\n", "",
     "module 'campain' has no function 'NewGame'", true},
};

class WalkThroughCampaignTest : public WalkThroughTest, public testing::WithParamInterface<BrokenCampaign> {};

TEST_P(WalkThroughCampaignTest, ACampaignWithoutNewGameKeepsThePlayerInTheMenuAndSaysWhy) {
    const BrokenCampaign& broken = GetParam();
    const std::string campaign = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/scripts/campain.cis"));
    fs::remove(fs::path(harness.DataFolder().Path()) / "scripts" / "campain.cis");
    Vrel::ScriptVM::Global().ReleaseModule("campain");
    if (broken.afterAFailedTry) {
        harness.WriteScript(broken.file, Changed(campaign, kBrokenCampaigns[1].from, kBrokenCampaigns[1].to));
        EXPECT_FALSE(Game::RunInclude("campain"));
    }
    const std::string changed = Changed(campaign, broken.from, broken.to);
    harness.WriteScript(broken.file, changed);
    // Compiled again as the game's start includes it, or over the failed
    // try, whose module stays, as a script console would.
    if (broken.afterAFailedTry)
        EXPECT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(changed.c_str(), "campain"));
    else
        Game::RunInclude("campain");
    harness.GetGame().ShowMainMenu(nullptr);
    harness.Step(30);
    auto* menu = CastTo<MenuScreen>(Current());
    ASSERT_TRUE(menu) << harness.ScreenTree();
    ClickOn(sampletest::Find(menu->GetGuiFrame(), "action", "new"));  // asks first: a game is under way
    testing::internal::CaptureStderr();
    ClickOn(sampletest::Find(menu->GetGuiFrame(), "action", "start_over"));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find(std::string("a new game cannot start: ") + broken.cause + "\n"), std::string::npos) << told;
    EXPECT_STREQ(DataTree::GetString("[PLAYER]/LastScene"), "cellar");
    menu = CastTo<MenuScreen>(Current());
    ASSERT_TRUE(menu) << harness.ScreenTree() << Messages();
    EXPECT_EQ(harness.GetGame().fadeLevel, 0.0f);
    EXPECT_TRUE(sampletest::Shows(sampletest::Find(menu->GetGuiFrame(), "name", "cannot_start").Get(),
                                  u"A new game cannot start"))
        << harness.ScreenTree();
    harness.Step(testsupport::HeadlessGame::kBoardReadPasses);
    harness.Character(27);  // it only tells, so Escape closes it as it does its kind
    harness.Step(10);
    EXPECT_FALSE(sampletest::Find(menu->GetGuiFrame(), "name", "cannot_start"));
}

INSTANTIATE_TEST_SUITE_P(Causes, WalkThroughCampaignTest, testing::ValuesIn(kBrokenCampaigns),
                         [](const testing::TestParamInfo<BrokenCampaign>& info) { return info.param.name; });

}  // namespace

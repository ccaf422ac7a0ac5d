// The sample game's story played headless by clicks alone, the manor's
// eight puzzles with it: each one skipped through the lantern the mini-game
// shows once help time has lit it, the map between the places, the farewell
// only once the manor is done, then the credits and the main menu's
// statistics; a story so ended leaves nothing to continue, and a new game
// starts without asking, the statistics kept. And the manor left midway: the game saved after every puzzle,
// so Continue after starting the program again goes on with the next one,
// the time and clicks played kept. No script reports an error on the way.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "gui/GuiButton.h"
#include "gui/GuiMain.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "minigames/lock/LockRules.h"
#include "minigames/lock/MG_Lock.h"
#include "minigames/match3/Match3Config.h"
#include "platform/XmlUtil.h"
#include "tests/game/SampleRouteFixture.h"

namespace {

using sampletest::Find;
using sampletest::Has;

// Half a minute of help time lights a mini-game's skip; the sliding
// picture and the jigsaw then solve themselves, and every game fades out.
constexpr int kPuzzlePasses = 4000;
constexpr int kSkipClickEvery = 30;

class SampleManorRouteTest : public sampletest::SampleRouteFixture {
protected:
    void SetUp() override {
        RegisterMiniGames();
        SampleRouteFixture::SetUp();
    }
    MiniGameScreen* Host() {
        GameScreen* cutscene = CastTo<CutsceneScreen>(Current());
        if (!cutscene || cutscene->Children().empty()) return nullptr;
        return CastTo<MiniGameScreen>(cutscene->Children().front().Get());
    }
    // One pass of the manor played by clicks: lines and how-tos are
    // clicked away, and with `skip` each game's lantern is clicked now and
    // then, which takes once help time has lit it. Notes each game's class.
    void PlayTheManor(bool skip) {
        auto* cutscene = CastTo<CutsceneScreen>(Current());
        MiniGameScreen* host = Host();
        ++passes;
        if (host && !host->Children().empty()) {
            const std::string name = host->Children().front()->GetClassInfo()->name;
            if (host != seen.Get()) {
                played.push_back(name);
                seen = host;
            }
            if (host->IsMessageShown()) {
                // A message stands alone: a round's enemy shows only in its
                // own announcement, never beside a how-to or closing line.
                const halvo::GuiWidget& bubble = *host->GetBubble();
                if (halvo::AutoRef<halvo::GuiWidget> picture = OnHud("bubble_picture")) {
                    EXPECT_EQ(picture->GetParent(), &bubble) << name;
                }
                messages[name].push_back(
                    {bubble.LocalToScreen({0, 0}), bubble.LocalToScreen({bubble.ReadFloat(halvo::GuiWidget::kPropXSize),
                                                                         bubble.ReadFloat(halvo::GuiWidget::kPropYSize)})});
                harness->ReadAndClick(sampletest::kEmptySpot);
            } else if (skip && passes % kSkipClickEvery == 0) {
                halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
                ASSERT_TRUE(lantern) << name;
                harness->Click(sampletest::MiddleOnScreen(*lantern));
            }
        } else if (cutscene && cutscene->GetWaitingThread()) {
            harness->ReadAndClick(sampletest::kEmptySpot);
        }
        Step();
    }
    // Until `count` more puzzles are over.
    void SkipPuzzles(int count) {
        const int done = DataTree::GetInt("[STATS]/mini") + count;
        for (int i = 0; i < count * kPuzzlePasses && DataTree::GetInt("[STATS]/mini") < done; ++i)
            ASSERT_NO_FATAL_FAILURE(PlayTheManor(true));
    }
    // The current puzzle skipped through its lantern, up to the pass its
    // closing line comes.
    void SkipToTheClosingLine(MiniGameScreen& host) {
        for (int i = 0; i < kPuzzlePasses && !host.IsFinished(); ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(true));
        ASSERT_TRUE(host.IsFinished()) << testing::PrintToString(played) << Messages();
        ASSERT_TRUE(host.IsMessageShown()) << testing::PrintToString(played);
    }
    // Every puzzle whose result counted was kept as done: solved, lost and
    // skipped add up to the puzzles played, a lost one counted beside them.
    void ExpectEveryCountedPuzzleDone(const std::string& where) {
        const int results = DataTree::GetInt("[STATS]/mini_won") + DataTree::GetInt("[STATS]/mini_lost") +
                            DataTree::GetInt("[STATS]/mini_skipped");
        EXPECT_EQ(results, DataTree::GetInt("[STATS]/mini")) << where;
        EXPECT_EQ(results, DataTree::GetInt("[PLAYER]/Data/manor/played") + DataTree::GetInt("[STATS]/mini_lost"))
            << where;
    }
    // Until the manor's scene is left, every puzzle on the way skipped.
    void SkipTheRestOfTheManor() {
        const auto inTheManor = [&] { return Current() && Current()->GetName() == "study_03"; };
        for (int i = 0; i < 9 * kPuzzlePasses && inTheManor(); ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(true));
    }

    // Every message the game showed stood apart from the box from `low` to `high`.
    void ExpectMessagesClearOf(const std::string& game, Vec2 low, Vec2 high, const char* what) {
        EXPECT_FALSE(messages[game].empty()) << game;
        for (const Box& box : messages[game]) {
            const bool apart = box.high.x <= low.x || box.low.x >= high.x || box.high.y <= low.y || box.low.y >= high.y;
            EXPECT_TRUE(apart) << game << "'s message from (" << box.low.x << ", " << box.low.y << ") to ("
                               << box.high.x << ", " << box.high.y << ") over " << what;
        }
    }

    struct Box {
        Vec2 low, high;
    };
    int passes = 0;
    halvo::WeakRef<GameScreen> seen;
    std::vector<std::string> played;
    // The screen box of each how-to and closing bubble, by the game's class.
    std::map<std::string, std::vector<Box>> messages;
};

TEST_F(SampleManorRouteTest, ANewPlayerPlaysEveryPlaceAndTheManorToTheCreditsAndReadsTheStatistics) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());

    // The garden: a timed search with an exit, every object found.
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    EXPECT_GT(garden->GetScene()->timeLimit, 0);
    EXPECT_TRUE(garden->GetTimerText());
    bool hasExit = false;
    for (const auto& object : garden->GetScene()->remaining) hasExit |= object->isExit;
    EXPECT_TRUE(hasExit);
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());

    // The cottage and the stall, each back to the map.
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kCottage));
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden_02"));
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kStall));
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("shelf"));

    // The manor: eight puzzles, each skipped through its own lantern.
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kManor));
    ASSERT_NO_FATAL_FAILURE(SkipTheRestOfTheManor());
    EXPECT_EQ(played, (std::vector<std::string>{"MG_Lock", "MG_Senso", "MG_PushPuzzle", "MG_Match3", "MG_Pipes",
                                                "MG_WirePuzzle", "MG_Puzzle", "MG_Target"}));
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 8);
    // The how-tos and closing lines leave the player to see what is counted
    // and clicked: the match-three rows as the sample's board lays them out,
    // and the lock's row of tries (a light no wider than the step between two).
    Match3Config board;
    TiXmlDocument file;
    ASSERT_TRUE(XmlLoadFile(file, "MiniGames/Match3/Sample.xml"));
    ASSERT_EQ(ReadMatch3Config(file, board), nullptr);
    const Vec2 cell{static_cast<float>(board.spcX), static_cast<float>(board.spcY)};
    const Vec2 firstCell{static_cast<float>(board.offX), static_cast<float>(board.offY)};
    ExpectMessagesClearOf("MG_Match3", firstCell - cell * 0.5f,
                          firstCell + cell * 0.5f + Vec2{cell.x * (board.countX - 1), cell.y * (board.countY - 1)},
                          "the board");
    const float halfLight = MG_Lock::kTryLightStep / 2;
    ExpectMessagesClearOf("MG_Lock", {MG_Lock::kTryLightX - halfLight, MG_Lock::kTryLightY - halfLight},
                          {MG_Lock::kTryLightX + MG_Lock::kTryLightStep * (LockRules::kTries - 1) + halfLight,
                           MG_Lock::kTryLightY + halfLight},
                          "the row of tries");

    // Every place done: the farewell, the credits rising over it, and the
    // main menu again.
    auto* farewell = CastTo<CutsceneScreen>(Current());
    ASSERT_TRUE(farewell) << harness->ScreenTree() << Messages() << testing::PrintToString(route);
    halvo::WeakRef<halvo::GuiWidget> frame(farewell->GetGuiFrame());
    // Before the credits the lighthouse fills the screen, then the script
    // fades to black and back.
    bool pictured = false, black = false;
    for (int i = 0; i < sampletest::kLegPasses && !Find(frame.Get(), "name", "credits"); ++i) {
        if (farewell->GetWaitingThread()) harness->ReadAndClick(sampletest::kEmptySpot);
        Step();
        pictured |= farewell->HasImage();
        black |= pictured && game().fadeLevel >= 1.0f;
    }
    EXPECT_TRUE(pictured);
    EXPECT_TRUE(black);
    EXPECT_LT(game().fadeLevel, 1.0f);
    halvo::AutoRef<halvo::GuiWidget> credits = Find(frame.Get(), "name", "credits");
    ASSERT_TRUE(credits) << Messages();
    Step(100);
    EXPECT_TRUE(credits->GetFirstChild());  // the first lines have risen into view
    // They roll once: no line rises again after the last, and the menu comes then.
    halvo::WeakRef<GameScreen> alive(farewell);
    int emptyPasses = 0;
    bool again = false;
    for (int i = 0; i < sampletest::kLegPasses && alive.Get() && Current() == farewell; ++i, Step()) {
        again |= emptyPasses > 0 && credits->GetFirstChild();
        emptyPasses += !credits->GetFirstChild();
    }
    EXPECT_FALSE(again);
    EXPECT_TRUE(emptyPasses > 0 && emptyPasses < 30) << emptyPasses;
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree() << Messages();

    EXPECT_EQ(route, (std::vector<std::string>{"MenuScreen:", "SearchScreen:garden", "CutsceneScreen:study",
                                               "AdventureScreen:study_02", "MapScreen:map", "SearchScreen:garden_02",
                                               "MapScreen:map", "SearchScreen:shelf", "MapScreen:map",
                                               "CutsceneScreen:study_03", "CutsceneScreen:study_04", "MenuScreen:"}));

    // The statistics page rises while the menu is read, so a player who asks
    // for it after a few seconds finds its upper half filled already; its
    // lines are cut off at its edges.
    Step(360);
    ClickAndSettle({960, 688});
    halvo::AutoRef<halvo::GuiWidget> page = Find(MenuFrame(), "name", "statistics_page");
    ASSERT_TRUE(page) << Messages();
    EXPECT_TRUE(page->ReadBool(halvo::GuiWidget::kPropClip));
    float highest = page->ReadFloat(halvo::GuiWidget::kPropYSize);
    for (halvo::GuiWidget* line = page->GetFirstChild(); line; line = line->GetNextSibling())
        highest = std::min(highest, line->ReadFloat(halvo::GuiWidget::kPropYPos));
    EXPECT_LT(highest, page->ReadFloat(halvo::GuiWidget::kPropYSize) * 0.5f);

    // One transit per scene change, the manor's nine visits among them.
    const std::string settings = harness->ReadSavedFile("gamedata.xml");
    for (const char* part : {"name=\"Ada\"", "transits=\"18\"", "search_found=", "clicks=", "time=",
                             "mini_skipped=\"8\"", "<options volume_music="})
        EXPECT_TRUE(Has(settings, part)) << part << "\n" << settings;
    const std::string player = harness->ReadSavedFile("data0.xml");
    EXPECT_FALSE(Has(player, "LastScene")) << player;  // the story is over
    for (const char* part : {"CurrentChar=\"0\"", "<Tobin", "<inv", "<garden enter=\"1\"",
                             "<study_02 ", "key=\"0\"", "door=\"1\"", "<shelf enter=\"1\"", "played=\"8\"",
                             "study_03=\"1\""})
        EXPECT_TRUE(Has(player, part)) << part << "\n" << player;
    EXPECT_FALSE(Has(player, "<SceneState")) << player;  // every search was finished

    // Over, also for the program started again: Continue cannot play the
    // farewell again, and "New game" asks nothing and starts in the garden,
    // the statistics of the story played kept.
    ClickAndSettle(sampletest::kClose);
    halvo::AutoRef<halvo::GuiWidget> resume = Button(MenuFrame(), "continue");
    ASSERT_TRUE(resume) << harness->ScreenTree() << Messages();
    EXPECT_TRUE(resume->ReadBool(halvo::GuiButton::kPropDeactivated));
    ASSERT_NO_FATAL_FAILURE(StartTheGame());
    ClickAndSettle(sampletest::kSplash);
    resume = Button(MenuFrame(), "continue");
    ASSERT_TRUE(resume) << harness->ScreenTree() << Messages();
    EXPECT_TRUE(resume->ReadBool(halvo::GuiButton::kPropDeactivated));
    ClickAndSettle(sampletest::kContinue);
    EXPECT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree();
    ClickAndSettle(sampletest::kNewGame);
    EXPECT_FALSE(Find(MenuFrame(), "name", "ask"));
    auto* fresh = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(fresh) << harness->ScreenTree() << Messages();
    EXPECT_EQ(fresh->GetScene()->name, "garden");
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 8);
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 19);
    EXPECT_FALSE(Has(harness->ReadSavedFile("data0.xml"), "<Tobin"));  // the old story's things are gone
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// The player lets each puzzle's clock run a while (the round's enemy
// clicked away in target shooting, so that its clock runs too), then skips
// it through the lantern (the sliding picture and the jigsaw solve
// themselves): the puzzle's time in the statistics has gained what the clock
// showed by the time the closing line stands. After target shooting, the
// last, the player leaves for the menu from that line and starts the
// program again: the saved statistics keep its seconds beside its skip, and
// the skip counted keeps it done: Continue finds the manor finished.
TEST_F(SampleManorRouteTest, EveryTimedPuzzleAddsTheTimeOnItsClockWithItsResult) {
    constexpr int kRunPasses = 600;  // ten seconds of play
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kManor));
    int timed = 0;
    int targetSeconds = -1;
    for (size_t puzzle = 0; puzzle < 8; ++puzzle) {
        for (int i = 0; i < sampletest::kLegPasses && played.size() == puzzle; ++i)
            ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
        ASSERT_EQ(played.size(), puzzle + 1) << harness->ScreenTree() << Messages();
        const std::string name = played.back();
        halvo::AutoRef<MiniGameScreen> host(Host());
        ASSERT_TRUE(host) << name;
        const double playedBefore = PlayedMs(), clockBefore = game().totalTime;
        for (int i = 0; i < kRunPasses; ++i) {
            if (host->IsMessageShown() || OnHud("bubble_picture")) harness->ReadAndClick(sampletest::kEmptySpot);
            Step();
        }
        EXPECT_EQ(PlayedMs() - playedBefore, game().totalTime - clockBefore) << name << ": each step played once";
        const Vrel::Var* option = host->GetTimerWidget() ? host->GetTimerWidget()->GetMember("option_name") : nullptr;
        const std::string key = option && option->GetCString() ? option->GetCString() : "";
        const int before = key.empty() ? 0 : DataTree::GetInt(key.c_str());
        halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
        ASSERT_TRUE(lantern) << name;
        for (int i = 0; i < kPuzzlePasses && !host->IsFinished(); ++i) {
            if (i % kSkipClickEvery == 0) harness->Click(sampletest::MiddleOnScreen(*lantern));
            Step();
        }
        ASSERT_TRUE(host->IsFinished()) << name << Messages();
        ASSERT_TRUE(host->IsMessageShown()) << name;  // the closing line
        const int seconds = static_cast<int>(host->GetTime() / 1000);
        if (!key.empty()) {
            ++timed;
            EXPECT_GT(seconds, 5) << name;
            EXPECT_EQ(DataTree::GetInt(key.c_str()) - before, seconds) << name << " " << key;
        }
        if (name == "MG_Target") {
            targetSeconds = seconds;
            break;
        }
        halvo::WeakRef<GameScreen> going(host.Get());
        host.Reset();
        for (int i = 0; i < kPuzzlePasses && going.Get(); ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
        ASSERT_FALSE(going.Get()) << name;
        if (!key.empty()) {
            EXPECT_EQ(DataTree::GetInt(key.c_str()) - before, seconds) << name << ": counted once";
        }
    }
    EXPECT_EQ(timed, 6);
    ASSERT_GT(targetSeconds, 5);

    ClickOn(OnHud("hud_menu"), kToRead);
    EXPECT_TRUE(sampletest::Shows(OnHud("hud_leave").Get(), u"This puzzle's result is kept"));
    ClickOn(Button(OnHud("hud_leave").Get(), "leave"));
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree() << Messages();
    ASSERT_NO_FATAL_FAILURE(StartTheGame());
    const std::string settings = harness->ReadSavedFile("gamedata.xml");
    EXPECT_TRUE(Has(settings, "mini_skipped=\"8\"")) << settings;
    EXPECT_TRUE(Has(settings, "zielscheiben=\"" + std::to_string(targetSeconds) + "\"")) << settings;
    const std::string player = harness->ReadSavedFile("data0.xml");
    EXPECT_TRUE(Has(player, "played=\"8\"")) << player;
    ClickAndSettle({960, 540});
    ClickAndSettle(sampletest::kContinue);
    ExpectEveryCountedPuzzleDone("after the menu from the target's closing line");
    played.clear();
    ASSERT_NO_FATAL_FAILURE(SkipTheRestOfTheManor());
    EXPECT_TRUE(played.empty()) << played.front();
    EXPECT_TRUE(CastTo<MapScreen>(Current())) << harness->ScreenTree() << Messages();
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 8);
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// Three puzzles skipped and the fourth begun, then the program ends without
// another word. Started again, Continue goes on with the fourth, the time
// and clicks played in the manor kept. The fourth skipped, the program ends
// while its closing line stands: its skip counted, it is done, and Continue
// goes on with the fifth. The rest skipped, the manor is done and leads
// back to the map, where the two other places still wait.
TEST_F(SampleManorRouteTest, ContinueAfterARestartGoesOnAfterTheLastPuzzlePlayed) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kManor));
    const int timeAtTheManor = DataTree::GetInt("[STATS]/time");
    const int clicksAtTheManor = DataTree::GetInt("[STATS]/clicks");
    ASSERT_NO_FATAL_FAILURE(SkipPuzzles(3));
    for (int i = 0; i < sampletest::kLegPasses && played.size() < 4; ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
    ASSERT_TRUE(Host()) << harness->ScreenTree() << Messages();
    ASSERT_EQ(played.size(), 4u);
    EXPECT_EQ(played.back(), "MG_Match3");
    ASSERT_TRUE(harness->Messages().empty()) << Messages();
    const int timeAtTheEnd = game().playSeconds;

    ASSERT_NO_FATAL_FAILURE(StartTheGame());
    ClickAndSettle({960, 540});
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree() << Messages();
    EXPECT_EQ(DataTree::GetInt("[STATS]/time"), timeAtTheEnd);  // the seconds of the fourth counted
    ClickAndSettle(sampletest::kContinue);
    EXPECT_GT(DataTree::GetInt("[STATS]/time"), timeAtTheManor + 90);  // three half minutes at least
    EXPECT_GT(DataTree::GetInt("[STATS]/clicks"), clicksAtTheManor);
    played.clear();
    for (int i = 0; i < sampletest::kLegPasses && played.empty(); ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
    ASSERT_TRUE(Host()) << harness->ScreenTree() << Messages();
    EXPECT_EQ(played, std::vector<std::string>{"MG_Match3"});
    ASSERT_NO_FATAL_FAILURE(SkipToTheClosingLine(*Host()));

    ASSERT_NO_FATAL_FAILURE(StartTheGame());
    ClickAndSettle({960, 540});
    ClickAndSettle(sampletest::kContinue);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 4);
    ExpectEveryCountedPuzzleDone("after a quit during the fourth's closing line");
    played.clear();
    ASSERT_NO_FATAL_FAILURE(SkipTheRestOfTheManor());
    EXPECT_EQ(played, (std::vector<std::string>{"MG_Pipes", "MG_WirePuzzle", "MG_Puzzle", "MG_Target"}));
    ExpectEveryCountedPuzzleDone("the manor done");

    ASSERT_TRUE(CastTo<MapScreen>(Current())) << harness->ScreenTree() << Messages();
    Step(30);
    EXPECT_TRUE(OnHud("done_study_03"));
    EXPECT_FALSE(OnHud("done_shelf"));
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// In each of the eight puzzles the player asks for the menu: "Keep playing"
// returns to the running game, "To the menu" opens the main menu and leaves
// it there. The puzzle left counts neither as solved nor as skipped, and
// Continue offers the same one again; it is then skipped to reach the next.
// A lost puzzle is played again, so asked in the step it is lost, the
// question warns as for one under way.
TEST_F(SampleManorRouteTest, TheMenuFromEveryMiniGameKeepsItsPuzzleForContinue) {
    const std::vector<std::string> puzzles{"MG_Lock",   "MG_Senso",      "MG_PushPuzzle", "MG_Match3",
                                           "MG_Pipes",  "MG_WirePuzzle", "MG_Puzzle",     "MG_Target"};
    const char* counters[] = {"[STATS]/mini", "[STATS]/mini_won", "[STATS]/mini_lost", "[STATS]/mini_skipped",
                              "[PLAYER]/Data/manor/played"};
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kManor));
    // The lock's how-to read, then the lock lost.
    const auto howToRead = [&] { return !played.empty() && Host() && !Host()->IsMessageShown(); };
    for (int i = 0; i < sampletest::kLegPasses && !howToRead(); ++i) ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
    ASSERT_TRUE(Host()) << harness->ScreenTree() << Messages();
    Host()->Finish(kMiniGameLost);
    ClickOn(OnHud("hud_menu"), 1);
    EXPECT_TRUE(sampletest::Shows(OnHud("hud_leave").Get(), u"What you did")) << "lost";
    played.clear();
    for (size_t puzzle = 0; puzzle < puzzles.size(); ++puzzle) {
        const std::string& name = puzzles[puzzle];
        const size_t offered = played.size();
        for (int i = 0; i < sampletest::kLegPasses && played.size() == offered; ++i)
            ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
        ASSERT_EQ(played.size(), offered + 1) << name << harness->ScreenTree() << Messages();
        ASSERT_EQ(played.back(), name);
        Step(30);
        // The question asked as the lost puzzle went went with the HUD it
        // stood in, and the game stands still no longer.
        EXPECT_TRUE(!game().paused || OnHud("hud_leave")) << name;
        std::vector<int> before;
        for (const char* key : counters) before.push_back(DataTree::GetInt(key));

        halvo::WeakRef<GameScreen> host(Host());
        ClickOn(OnHud("hud_menu"), kToRead);
        ASSERT_TRUE(OnHud("hud_leave")) << name << Messages();
        EXPECT_TRUE(sampletest::Shows(OnHud("hud_leave").Get(), u"What you did")) << name;  // not the last result
        ClickOn(Button(OnHud("hud_leave").Get(), "stay"));
        EXPECT_FALSE(OnHud("hud_leave")) << name;
        ASSERT_TRUE(host.Get()) << name;
        EXPECT_EQ(Host(), host.Get()) << name;
        EXPECT_FALSE(CastTo<MiniGameScreen>(host.Get())->IsFinished()) << name;

        ClickOn(OnHud("hud_menu"), kToRead);
        ClickOn(Button(OnHud("hud_leave").Get(), "leave"));
        ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << name << harness->ScreenTree() << Messages();
        EXPECT_FALSE(Find(halvo::GuiMain::Global().GetRoot(), "name", "bubble_picture")) << name;
        EXPECT_EQ(DataTree::GetInt("[STATS]/time"), game().playSeconds) << name;  // the puzzle's seconds too
        Step(300);
        EXPECT_TRUE(Find(MenuFrame(), "name", "menu")) << name << harness->ScreenTree() << Messages();
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(DataTree::GetInt(counters[i]), before[i]) << name;

        ClickAndSettle(sampletest::kContinue);
        for (int i = 0; i < sampletest::kLegPasses && played.size() == offered + 1; ++i)
            ASSERT_NO_FATAL_FAILURE(PlayTheManor(false));
        ASSERT_EQ(played.size(), offered + 2) << name << harness->ScreenTree() << Messages();
        EXPECT_EQ(played.back(), name);
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(DataTree::GetInt(counters[i]), before[i]) << name;
        ASSERT_NO_FATAL_FAILURE(SkipPuzzles(1));
        played.pop_back();
    }
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 8);
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

}  // namespace

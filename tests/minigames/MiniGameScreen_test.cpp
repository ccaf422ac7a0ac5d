// The host screen with a stub game: texts, results and statistics, messages,
// help, the fade-out, and what becomes of the calling script.

#include "minigames/MiniGameHarness.h"

#include "game/screens/AdventureScreen.h"
#include "gui/GuiText.h"
#include "platform/Loca.h"
#include "script/runtime/values/VarUnicode.h"
#include "support/LocaTableWriter.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using testsupport::HeadlessGame;
using testsupport::MiniGameHarness;

constexpr const char* kTimeKey = "[STATS]/stub_time";
constexpr const char* kMovesKey = "[STATS]/stub_moves";
// The middle of the lantern the help script builds.
constexpr Vec2 kLantern{88, 960};

class StubGame : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2&) override {
        CreateTimer(kTimeKey);
        GetHost()->CreateCounter(true, kMovesKey);
        return true;
    }
    bool SolveOnHelp() override { return solves; }
    bool OnInput(const InputEvent& event) override { return AdvanceMessage(event); }
    void OnUpdate(double, double stepMs) override {
        ++updates;
        if (!IsFrozen()) AddTime(stepMs);
        if (winsAtMs > 0 && GetHost() && GetHost()->GetTime() >= winsAtMs) Finish(kMiniGameWon);
    }
    bool solves = false;
    int updates = 0;
    // The game time it plays itself to a win in; 0 for never.
    double winsAtMs = 0;
};
const ClassRecord StubGame::kClassRecord = {"StubGame", &GameScreen::kClassRecord, nullptr};

std::string TextOf(halvo::GuiWidget* widget) {
    const Vrel::Var* text = widget ? widget->Properties().GetMember(halvo::GuiText::kPropText) : nullptr;
    const Vrel::VarUnicode* wide = text ? Vrel::ToVarUnicode(*text) : nullptr;
    return wide ? Loca::WideToUtf8(wide->GetText()) : "(none)";
}

class MiniGameScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        LocaTableWriter table;
        table.Add("TutA1", "first");
        table.Add("TutA2", "second");
        table.Add("Whole", "whole text");
        h.game.WriteDataFile("loca/loca_english.bin", table.Build());
        h.game.WriteScript("wait", "function void Wait() { BeginStubHost(); RecordCall(\"resumed\"); }\n");
        // The help script builds its lantern in the HUD's frame.
        h.game.WriteScript("help", HeadlessGame::StubModuleSource("help", {"IncHelpTime(float scaled, float step)"}) +
                                       "function void Create() { GuiAddListener(GuiCreate(GetHudRoot(), "
                                       "\"type\", \"Button\", \"color\", 0, \"xpos\", 16.0, "
                                       "\"ypos\", 880.0, \"xsize\", 144.0, \"ysize\", 160.0), "
                                       "\"help\"); }\nfunction bool OnButton(auto b) { ShowHelp(); "
                                       "return true; }\n");
        Vrel::ScriptVM::Global().AddCFunction("AddHelpButton", Vrel::detail::AdapterFor<&AddHelpButton>());
        // The harness's bubble, with a say for the test while its thread runs.
        h.game.WriteScript("cutscene",
                           "function auto CreateChatBubble(auto hud, int colour, auto text, float x, float y, "
                           "float width) { RecordCall(\"bubble\", text, x, y, width); auto bubble = MakeBubble(); "
                           "WhileTheBubbleIsBuilt(bubble); return bubble; }\n");
        Vrel::ScriptVM::Global().AddCFunction("WhileTheBubbleIsBuilt",
                                              Vrel::detail::AdapterFor<&WhileTheBubbleIsBuilt>());
        ASSERT_TRUE(h.Start());
        ASSERT_TRUE(Loca::Global().Load("english"));
        Vrel::ScriptVM::Global().AddCFunction("BeginStubHost", Vrel::detail::AdapterFor<&BeginStubHost>());
        ASSERT_TRUE(Game::RunInclude("wait"));
        fixture = this;
    }

    // A host over the cutscene with the stub game, begun by "wait"."Wait",
    // which waits for it.
    MiniGameScreen* BeginWithStub() {
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        Vrel::Thread::RunFunction(thread.Get(), "wait", "Wait", nullptr, 0);
        EXPECT_EQ(thread->GetState(), Vrel::kThreadPaused);
        return h.Host();
    }

    // Once the page up has stood, two clicks on the lantern 100 ms apart,
    // and the time a page takes to stand after them.
    void DoubleClickTheLantern() {
        h.game.Step(HeadlessGame::kReadPasses);
        for (int click = 0; click < 2; ++click) {
            h.game.Click(kLantern);
            h.game.Step(6);
        }
        h.game.Step(HeadlessGame::kReadPasses);
    }

    static void BeginStubHost(Vrel::t_Interface& call) {
        halvo::AutoRef<MiniGameScreen> host(new MiniGameScreen());
        fixture->h.cutscene->AddChild(host.Get());
        host->Begin(call.thread);
        fixture->stub = new StubGame();
        host->AddGame(fixture->stub.Get());
        fixture->stub->LoadConfig(host->GetViewCenter());
    }

    static void AddHelpButton() {
        halvo::AutoRef<halvo::GuiWidget> button = halvo::GuiMain::Global().CreateWidget("Frame");
        button->SetParent(Game::Current()->GetHudGui(), false);
    }

    // What the bubble's script does before it answers the bubble.
    enum class BubbleScript { kJustBuilds, kTakesTheHostAway, kLetsTheBubbleGo };

    static void WhileTheBubbleIsBuilt(Vrel::t_Interface& call) {
        const Vrel::Var* argument = call.GetArg(0);
        Vrel::VarExtension* object = argument ? argument->GetObject() : nullptr;
        halvo::GuiWidget* bubble = object ? CastTo<halvo::GuiWidget>(object) : nullptr;
        if (!bubble) return;
        fixture->madeBubble = bubble;
        if (fixture->bubbleScript == BubbleScript::kTakesTheHostAway) fixture->h.cutscene->RemoveAllChildren();
        // Only the script's own hold is left.
        if (fixture->bubbleScript == BubbleScript::kLetsTheBubbleGo) bubble->RemoveAndDetach();
    }

    static inline MiniGameScreenTest* fixture = nullptr;
    MiniGameHarness h;
    halvo::AutoRef<StubGame> stub;
    BubbleScript bubbleScript = BubbleScript::kJustBuilds;
    halvo::WeakRef<halvo::GuiWidget> madeBubble;
};

TEST_F(MiniGameScreenTest, TextsShowTimeCounterAndScoreInTheirPlaces) {
    EXPECT_EQ(MiniGameScreen::TimeText(3723000), "1:02:03");
    EXPECT_EQ(MiniGameScreen::TimeText(999), "0:00:00");
    EXPECT_EQ(MiniGameScreen::TimeText(NAN), "0:00:00");

    MiniGameScreen* host = BeginWithStub();
    halvo::GuiWidget* timer = host->GetTimerWidget();
    halvo::GuiWidget* counter = host->GetCounterWidget();
    ASSERT_TRUE(timer && counter);
    EXPECT_EQ(timer->GetPosition(), (Vec2{1500, 45}));
    EXPECT_EQ(counter->GetPosition(), (Vec2{1500, 95}));
    host->CreateTimer(false, nullptr);
    EXPECT_EQ(counter->GetPosition(), (Vec2{1500, 70}));
    host->SetTime(3723000);
    host->SetCounter(12);
    EXPECT_EQ(TextOf(timer), "1:02:03");
    EXPECT_EQ(TextOf(counter), "12");
    // The score's buffer cuts a long text instead of overrunning.
    host->SetScoreText("%s %i", std::string(2000, 'x').c_str(), 5);
    EXPECT_EQ(std::string(host->GetScoreText()), std::string(MiniGameScreen::kScoreTextSize - 1, 'x'));

    // The texts stand on a dark display of their own, drawn once a frame
    // whatever the game leaves open around them, and only while one shows.
    const std::string display = "Color4ub(30,42,36,255)";
    h.game.Gl().Clear();
    h.game.Step();
    EXPECT_EQ(h.game.Gl().Count(display), 1u);
    host->CreateCounter(false, nullptr);
    h.game.Gl().Clear();
    h.game.Step();
    EXPECT_EQ(h.game.Gl().Count(display), 0u);
}

TEST_F(MiniGameScreenTest, TutorialComesFromTheKeyItsNumberedPartsOrItsOwnText) {
    const struct { const char* key; const char* first; size_t queued; } cases[] = {
        {"TutA", "first", 1}, {"Whole", "whole text", 0}, {"Nowhere", "Nowhere", 0}};
    for (const auto& c : cases) {
        DataTree::SetString(MiniGameScreen::kTutorialKey, c.key);
        MiniGameScreen* host = BeginWithStub();
        EXPECT_TRUE(host->IsMessageShown()) << c.key;
        EXPECT_EQ(host->GetQueuedMessageCount(), c.queued) << c.key;
        EXPECT_EQ(h.CountCalls(std::string("bubble uni(") + c.first + ") 960.000000 -50.000000 700.000000"), 1);
        EXPECT_STREQ(DataTree::GetString(MiniGameScreen::kTutorialKey), "") << c.key;
        h.cutscene->RemoveAllChildren();
    }
}

TEST_F(MiniGameScreenTest, MessagesFreezeTheGameAndHelpAdvancesThemThenSkipsUnlessTheGameSolves) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    MiniGameScreen* host = BeginWithStub();
    halvo::AutoRef<halvo::GuiWidget> firstBubble(host->GetBubble());
    h.game.Step(testsupport::HeadlessGame::kReadPasses);
    EXPECT_EQ(host->GetTime(), 0);
    // A release shows the next message; the old bubble, though still held
    // here, has left the tree and counts no more.
    h.game.Click({400, 400});
    h.game.Step();
    EXPECT_EQ(firstBubble->GetParent(), nullptr);
    EXPECT_TRUE(host->IsMessageShown());
    h.game.Step(testsupport::HeadlessGame::kReadPasses);
    host->OnHelp();
    EXPECT_FALSE(host->IsMessageShown());
    EXPECT_FALSE(host->IsFinished());
    h.game.Step(2);
    EXPECT_GT(host->GetTime(), 0);

    stub->solves = true;
    host->OnHelp();
    EXPECT_FALSE(host->IsFinished());
    stub->solves = false;
    host->OnHelp();
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
}

// A quick reader clicking on the spot every 300 ms turns each page once it
// has stood half a second, and so reaches the game.
TEST_F(MiniGameScreenTest, QuickClicksTurnEachPageOnceItHasStoodHalfASecond) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    MiniGameScreen* host = BeginWithStub();
    EXPECT_EQ(h.ClickOnTheSpot(300, 3000), 2);
    EXPECT_FALSE(host->IsMessageShown());
}

// Clicking on as quickly through the game, which plays itself to a win, the
// closing line turns too while the clicks go on, once it has stood.
TEST_F(MiniGameScreenTest, QuickClicksFromTheHowToOnTurnTheClosingLineOnceItHasStood) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    DataTree::SetString(MiniGameScreen::kSolvedKey, "Whole");
    BeginWithStub();
    stub->winsAtMs = 1000;
    EXPECT_EQ(h.ClickOnTheSpot(250, 6000), 3);
    EXPECT_TRUE(h.StepUntilHostGone());
}

// A double-click on the lantern over a how-to of two pages turns the first
// only: the second click takes nothing the player has not seen.
TEST_F(MiniGameScreenTest, ADoubleClickOnTheLanternTurnsOneHowToPage) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    MiniGameScreen* host = BeginWithStub();
    DoubleClickTheLantern();
    EXPECT_EQ(h.CountCalls("bubble uni(second) 960.000000 -50.000000 700.000000"), 1);
    EXPECT_TRUE(host->IsMessageShown());
}

// A double-click on the lit lantern skips the game; its second click leaves
// the closing line the first one brought to be read.
TEST_F(MiniGameScreenTest, ADoubleClickOnTheLanternSkipsAndLeavesTheClosingLine) {
    DataTree::SetString(MiniGameScreen::kSolvedKey, "Whole");
    MiniGameScreen* host = BeginWithStub();
    DoubleClickTheLantern();
    EXPECT_TRUE(host->IsFinished() && host->IsMessageShown());
}

// The "cutscene" script's bubble may end the mini-game while its thread
// still runs (a scene change, say). Help reaches the host from anywhere,
// here with nothing but the tree holding it: the host must live until it
// has taken the bubble, and then takes it down as it goes.
TEST_F(MiniGameScreenTest, ABubbleScriptThatTakesTheHostAwayLeavesNoBubbleBehind) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    halvo::WeakRef<MiniGameScreen> host(BeginWithStub());
    bubbleScript = BubbleScript::kTakesTheHostAway;
    h.game.Step(HeadlessGame::kReadPasses);
    host->OnHelp();
    EXPECT_EQ(h.CountCalls("bubble uni(second) 960.000000 -50.000000 700.000000"), 1);
    EXPECT_EQ(host.Get(), nullptr);
    EXPECT_EQ(madeBubble.Get(), nullptr);  // not left standing on the screen
    h.game.Step(2);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

// A bubble whose script let it go from the tree lives only as long as its
// finished thread's answer: the host holds it while it takes note, and no
// message counts as shown.
TEST_F(MiniGameScreenTest, ABubbleHeldOnlyByItsThreadIsNotedSafelyAndNotShown) {
    bubbleScript = BubbleScript::kLetsTheBubbleGo;
    DataTree::SetString(MiniGameScreen::kTutorialKey, "TutA");
    MiniGameScreen* host = BeginWithStub();
    EXPECT_EQ(h.CountCalls("bubble uni(first) 960.000000 -50.000000 700.000000"), 1);
    EXPECT_EQ(madeBubble.Get(), nullptr);
    EXPECT_EQ(host->GetBubble(), nullptr);
    EXPECT_FALSE(host->IsMessageShown());
    h.game.Step(2);
    EXPECT_GT(host->GetTime(), 0);
}

TEST_F(MiniGameScreenTest, FinishCountsOnceAndOnlyWinsAndSkipsBringTheClosingLineTheGameBeganWith) {
    const struct { int32_t result; const char* counted; bool closing; } cases[] = {
        {kMiniGameWon, "[STATS]/mini_won", true}, {kMiniGameLost, "[STATS]/mini_lost", false},
        {kMiniGameSkipped, "[STATS]/mini_skipped", true}, {7, "[STATS]/mini_skipped", false}};
    int played = 0;
    for (const auto& c : cases) {
        const int32_t before = DataTree::GetInt(c.counted);
        DataTree::SetString(MiniGameScreen::kSolvedKey, "Whole");
        MiniGameScreen* host = BeginWithStub();
        host->Finish(c.result);
        host->Finish(kMiniGameWon);
        EXPECT_EQ(DataTree::GetInt(c.counted), before + 1) << c.result;
        EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), ++played) << c.result;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), c.result);
        EXPECT_EQ(host->IsMessageShown(), c.closing) << c.result;
        EXPECT_FALSE(DataTree::Exists(MiniGameScreen::kSolvedKey)) << c.result;
        h.cutscene->RemoveAllChildren();
    }
    // Left for the menu, a game takes its closing line along: the next shows none.
    DataTree::SetString(MiniGameScreen::kSolvedKey, "Whole");
    BeginWithStub();
    h.cutscene->RemoveAllChildren();
    BeginWithStub()->Finish(kMiniGameWon);
    EXPECT_FALSE(h.Host()->IsMessageShown());
}

TEST_F(MiniGameScreenTest, AfterTheResultTheHostFadesOutCommitsAndResumesTheCallerOnce) {
    MiniGameScreen* host = BeginWithStub();
    host->SetTime(1999);
    host->SetCounter(3);
    halvo::AutoRef<halvo::GuiWidget> timer(host->GetTimerWidget());
    // Help time runs on while the game is paused; the game's time does not.
    h.game.GetGame().paused = true;
    h.game.Step(3);
    EXPECT_EQ(h.CountCalls("help.IncHelpTime 0.000000 17.000000"), 3);
    EXPECT_EQ(host->GetTime(), 1999);
    h.game.GetGame().paused = false;

    host->Finish(kMiniGameWon);
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(h.game.GetGame().fadeLevel, 1.0f);
    EXPECT_EQ(DataTree::GetInt(kTimeKey), 1);
    EXPECT_EQ(DataTree::GetInt(kMovesKey), 3);
    EXPECT_EQ(timer->GetParent(), nullptr);
    h.game.Step(2);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
}

// Left for the menu while the closing line stands, the game's result is the
// waiting script's to take before the scene goes: it runs on at once, a
// scene change it asks for is saved for Continue and entered not, the
// story's end is kept, and a leave of its own does not nest in the one under
// way. A game left unfinished wakes nobody.
TEST_F(MiniGameScreenTest, LeftDuringTheClosingLineTheCallerTakesTheResultBeforeTheSceneGoes) {
    h.game.WriteScript("taker",
                       "function void Then(string what) { BeginStubHost(); RecordCall(\"took\", "
                       "OptionsGetInt(\"[PLAYER]/minigame_result\")); OptionsSetInt(\"[PLAYER]/done\", 1); "
                       "if (what == \"transit\") Transit(\"elsewhere\"); if (what == \"over\") GameOver(); "
                       "if (what == \"menu\") ShowMainMenu(); if (what == \"continue\") ContinueGame(); "
                       "RecordCall(\"after\"); }\n");
    ASSERT_TRUE(Game::RunInclude("taker"));
    const struct { const char* then; bool finished; const char* lastScene; int took; int after; int saved; } rows[] = {
        {"transit", true, "elsewhere", 1, 0, 1}, {"over", true, nullptr, 1, 0, 1}, {"menu", true, "study_03", 1, 0, 0},
        {"continue", true, "study_03", 1, 1, 0}, {"transit", false, "study_03", 0, 0, 0}};
    Game& game = h.game.GetGame();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.then) + (row.finished ? " finished" : " unfinished"));
        h.game.ClearCalls();
        DataTree::SetString("[PLAYER]/LastScene", "study_03");
        DataTree::Remove("[PLAYER]/done");
        ASSERT_TRUE(DataTree::SavePlayer());
        h.cutscene->RemoveAllChildren();
        h.cutscene->RemoveFromParent();
        game.rootScreen->AddChild(h.cutscene.Get());
        game.currentScene = h.cutscene.Get();
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        const Vrel::Var then(row.then);
        Vrel::Thread::RunFunction(thread.Get(), "taker", "Then", &then, 1);
        ASSERT_TRUE(h.Host());
        if (row.finished) h.Host()->Finish(kMiniGameSkipped);
        game.ShowMainMenu(nullptr);
        EXPECT_EQ(h.CountCalls("took 2"), row.took);
        EXPECT_EQ(h.CountCalls("after"), row.after);
        const auto& shown = game.rootScreen->Children();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), h.cutscene), 0);
        // The profile read back from its file: what the script marked was saved with the scene.
        EXPECT_EQ(DataTree::GetInt("[PLAYER]/done"), row.saved);
        const char* lastScene = DataTree::GetString("[PLAYER]/LastScene");
        EXPECT_STREQ(lastScene, row.lastScene);
        h.game.Step(2);
        EXPECT_EQ(h.CountCalls("took 2"), row.took);
    }
    EXPECT_TRUE(h.game.Messages().empty());
}

int CountChildren(const halvo::GuiWidget* widget) {
    int count = 0;
    for (const halvo::GuiWidget* child = widget->GetFirstChild(); child; child = child->GetNextSibling()) ++count;
    return count;
}

// The scene's frame comes back whole at the end, unless a frame built
// meanwhile (the scene left) stands instead.
TEST_F(MiniGameScreenTest, TheHudGetsAFreshFrameForTheHelpGuiAndTheScenesOwnBackAtTheEnd) {
    halvo::AutoRef<halvo::GuiWidget> sceneFrame(h.game.GetGame().GetHudGui());
    ASSERT_TRUE(sceneFrame);
    AddHelpButton();  // the scene's own
    MiniGameScreen* host = BeginWithStub();
    halvo::AutoRef<halvo::GuiWidget> gameFrame(h.game.GetGame().GetHudGui());
    ASSERT_TRUE(gameFrame && gameFrame != sceneFrame);
    EXPECT_EQ(sceneFrame->GetParent(), nullptr);
    EXPECT_EQ(gameFrame->GetParent(), halvo::GuiMain::Global().GetRoot());
    EXPECT_EQ(CountChildren(gameFrame.Get()), 1);  // the help button made after the rebuild
    ASSERT_FALSE(h.game.Root()->Children().empty());
    EXPECT_EQ(h.game.Root()->Children().back().Get(), h.game.GetGame().hudScreen.Get());

    host->Finish(kMiniGameLost);
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(h.game.GetGame().GetHudGui(), sceneFrame.Get());
    EXPECT_EQ(sceneFrame->GetParent(), halvo::GuiMain::Global().GetRoot());
    EXPECT_EQ(gameFrame->GetParent(), nullptr);
    EXPECT_EQ(CountChildren(sceneFrame.Get()), 1);

    BeginWithStub()->Finish(kMiniGameLost);
    h.game.GetGame().RebuildHudFrame();
    halvo::AutoRef<halvo::GuiWidget> built(h.game.GetGame().GetHudGui());
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(h.game.GetGame().GetHudGui(), built.Get());
    EXPECT_EQ(sceneFrame->GetParent(), nullptr);
}

TEST_F(MiniGameScreenTest, HostRemovingItselfDuringItsUpdateLivesUntilTheWalkEnds) {
    BeginWithStub()->Finish(kMiniGameLost);
    h.game.GetGame().SetFade(1.0f);
    const int updates = stub->updates;
    h.game.Step();
    EXPECT_EQ(h.Host(), nullptr);
    EXPECT_EQ(stub->updates, updates + 1);  // walked in the same step
}

// Unknown and refused games say why, naming the name or the picture once,
// and take their closing line along.
TEST_F(MiniGameScreenTest, UnknownAndRefusedGamesSayWhyAndTakeTheirClosingLineAlong) {
    const char* const cases[][2] = {
        {"Pipes", "MiniGames::Start - no mini-game is named 'Pipes' (the names: Abfolge, Draehte, Match3, Mosaik, "
                  "Puzzle, Rohre, Schloss, Zielscheiben)\n"},
        {"Schloss", "MiniGame::LoadConfig - a picture cannot be read (MiniGames/Schloss/Background.cbi)\n"
                    "MG_Lock::LoadConfig - no background (MiniGames/Schloss/)\n"}};
    for (const auto& [name, told] : cases) {
        DataTree::SetString(MiniGameScreen::kSolvedKey, "Whole");
        testing::internal::CaptureStderr();
        h.StartFromScript(name);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), told);
        EXPECT_FALSE(DataTree::Exists(MiniGameScreen::kSolvedKey)) << name;
    }
}

TEST_F(MiniGameScreenTest, AnUnknownNameReturnsSkippedAtOnceAndOnlyACutsceneItselfTakesAGame) {
    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
    h.StartFromScript("Nichts");
    EXPECT_EQ(testsupport::lastStartAnswer, 0);
    EXPECT_EQ(h.Host(), nullptr);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 1);

    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameLost);
    h.cutscene->RemoveFromParent();
    h.cutscene = new AdventureScreen();  // a kind of cutscene, not the cutscene itself
    h.game.Root()->AddChild(h.cutscene.Get());
    h.StartFromScript("Abfolge");
    EXPECT_TRUE(h.cutscene->Children().empty());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameLost);
    EXPECT_EQ(h.CountCalls("resumed"), 2);  // nothing paused it
}

}  // namespace

#include "game/Game.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "game/scene/Scene.h"
#include "game/screens/MapScreen.h"
#include "platform/ShutdownFlag.h"

namespace {

// Records what reaches it and when it dies.
class ProbeScreen : public GameScreen {
public:
    ProbeScreen(std::vector<std::string>& log, std::string name, bool handles = false)
        : log_(log), name_(std::move(name)), handles_(handles) {}
    ~ProbeScreen() override {
        log_.push_back("~" + name_ + (halvo::IsProcessShuttingDown() ? "(late)" : ""));
    }
    bool OnInput(const InputEvent& event) override {
        log_.push_back("input " + name_);
        last = event;
        return handles_;
    }
    void OnUpdate(double total, double step) override {
        log_.push_back("update " + name_ + " " + std::to_string(static_cast<int>(total)) + " " +
                       std::to_string(static_cast<int>(step)));
        if (removeSelfOnUpdate) RemoveFromParent();
    }

    InputEvent last;
    bool removeSelfOnUpdate = false;

private:
    std::vector<std::string>& log_;
    std::string name_;
    bool handles_;
};

class GameTest : public testing::Test {
protected:
    void SetUp() override {
        InputQueue::Global().Clear();
        UpdateMousePosition(0, 0);
        game = new Game();
        game->SetDesignSize({1920, 1080});
    }
    void TearDown() override { InputQueue::Global().Clear(); }

    void PushPointer(int x, int y) {
        UpdateMousePosition(x, y);
        InputQueue::Global().Push(InputEvent::kPointer, 0, 0, 0, 0, kInputMs);
    }

    // When these rows' records were made: no row here times one press against another.
    static constexpr uint32_t kInputMs = 1000;

    std::vector<std::string> log;  // outlives the game and its screens
    halvo::AutoRef<Game> game;
};

TEST_F(GameTest, FourByThreeWindowGetsBarsAboveAndBelow) {
    game->SetWindowSize({1024, 768});
    EXPECT_EQ(game->viewExtent, (Point2i{1920, 1440}));
    EXPECT_EQ(game->screenSize, (Point2i{1920, 1080}));
    ASSERT_TRUE(game->NeedsLetterbox());
    game->BuildLetterbox();
    const auto& v = game->LetterboxVertices();
    EXPECT_FLOAT_EQ(v[0], -970);       // 10 units beyond the left edge
    EXPECT_FLOAT_EQ(v[1], 540);        // top bar starts at the design area's top
    EXPECT_FLOAT_EQ(v[7], 540 + 190);  // 180-unit bar plus the margin
    EXPECT_FLOAT_EQ(v[13], -730);
    EXPECT_FLOAT_EQ(v[19], -540);
    // The design area is centred with y growing downwards.
    EXPECT_FLOAT_EQ(game->baseModelView.m[5], -1);
    EXPECT_FLOAT_EQ(game->baseModelView.m[12], -960);
    EXPECT_FLOAT_EQ(game->baseModelView.m[13], 540);
}

TEST_F(GameTest, WideWindowGetsBarsLeftAndRightAndDesignAspectNone) {
    game->SetWindowSize({2560, 1080});
    EXPECT_EQ(game->viewExtent, (Point2i{2560, 1080}));
    game->BuildLetterbox();
    EXPECT_FLOAT_EQ(game->LetterboxVertices()[0], 960 + 320 + 10);
    EXPECT_FLOAT_EQ(game->LetterboxVertices()[3], 960);

    game->SetWindowSize({1280, 720});
    EXPECT_FALSE(game->NeedsLetterbox());
    EXPECT_EQ(game->viewExtent, (Point2i{1920, 1080}));
}

TEST_F(GameTest, FitWindowAspectShowsNoBarsAndAdoptsTheWindowShape) {
    game->fitWindowAspect = 1;
    game->SetWindowSize({1024, 768});
    EXPECT_FALSE(game->NeedsLetterbox());
    EXPECT_EQ(game->screenSize, (Point2i{1440, 1080}));
    // The design point (0, 0) sits at the window's top-left corner.
    EXPECT_FLOAT_EQ(game->baseModelView.m[12], -720);
    EXPECT_FLOAT_EQ(game->baseModelView.m[13], 540);
}

TEST_F(GameTest, SizesBelowOneAreIgnored) {
    game->SetWindowSize({800, 600});
    game->SetWindowSize({0, 600});
    game->SetWindowSize({800, -5});
    game->SetDesignSize({0, 0});
    EXPECT_EQ(game->windowSize, (Point2i{800, 600}));
    EXPECT_EQ(game->designSize, (Point2i{1920, 1080}));
    EXPECT_EQ(game->viewExtent, (Point2i{1920, 1440}));
}

TEST_F(GameTest, FadeLevelsAndSpeeds) {
    game->SetFadeSpeed(2);
    EXPECT_TRUE(game->IsFading());
    game->SetFade(0.5f);
    EXPECT_TRUE(game->IsFading());  // an intermediate level keeps the fade running
    game->SetFade(1.5f);
    EXPECT_EQ(game->fadeLevel, 1);
    EXPECT_FALSE(game->IsFading());
    game->SetFade(0.3f);
    game->SetFadeSpeed(-4);
    EXPECT_FLOAT_EQ(game->fadeSpeed, -0.25f);
    game->Update(17);
    game->SetFadeSpeed(0);
    const float stopped = game->fadeLevel;
    game->Update(17);
    EXPECT_FALSE(game->IsFading());
    EXPECT_EQ(game->fadeLevel, stopped);
}

TEST_F(GameTest, StartUpFadeInDiscardsInputUntilDone) {
    game->SetWindowSize({1920, 1080});
    game->Init();
    auto* root = new ProbeScreen(log, "child");
    game->rootScreen->AddChild(root);
    int hoverClears = 0;
    game->inputHooks.clearHover = [&] { ++hoverClears; };

    game->SetFade(1.0f);
    game->SetFadeSpeed(-game->defaultFadeTime);
    for (int step = 0; step < 58; ++step) game->Update(17);
    EXPECT_TRUE(game->IsFading());
    EXPECT_GT(game->fadeLevel, 0);
    PushPointer(5, 5);
    InputQueue::Global().Push(InputEvent::kButtonUp, 0, 0, 1, 0, kInputMs);
    game->ProcessInput();
    EXPECT_EQ(hoverClears, 2);
    EXPECT_EQ(InputQueue::Global().Count(), 0u);

    game->Update(17);  // the 59th step
    EXPECT_EQ(game->fadeLevel, 0);
    EXPECT_FALSE(game->IsFading());
    PushPointer(6, 6);
    game->ProcessInput();
    EXPECT_EQ(hoverClears, 2);
    EXPECT_EQ(std::count(log.begin(), log.end(), "input child"), 1);
    game->Shutdown();
}

TEST_F(GameTest, InputReachesScreensInDesignUnitsTopmostFirst) {
    game->SetWindowSize({1024, 768});
    game->Init();
    auto* lower = new ProbeScreen(log, "lower", true);
    auto* upper = new ProbeScreen(log, "upper");
    game->rootScreen->AddChild(lower);
    game->rootScreen->AddChild(upper);
    PushPointer(502, 374);
    PushPointer(512, 384);  // the window's centre, moved by (10, 10)
    game->ProcessInput();
    EXPECT_EQ(log, (std::vector<std::string>{"input upper", "input lower", "input upper",
                                             "input lower"}));
    EXPECT_FLOAT_EQ(lower->last.x, 960);
    EXPECT_FLOAT_EQ(lower->last.y, 540);
    EXPECT_FLOAT_EQ(lower->last.dx, 18.75f);

    // Raise the handling screen: the other one no longer sees events.
    game->rootScreen->AddChild(lower);
    log.clear();
    PushPointer(0, 0);
    game->ProcessInput();
    EXPECT_EQ(log, (std::vector<std::string>{"input lower"}));
    EXPECT_FLOAT_EQ(lower->last.y, -180);  // inside the top bar
    game->Shutdown();
}

// Play time is a game's: a step counts only while a game is under way and
// a scene shows, not in the menus before a game starts nor on a screen that
// shows no scene.
TEST_F(GameTest, PlayTimeCountsOnlyWhileAStartedGameShowsAScene) {
    game->Init();
    halvo::AutoRef<MapScreen> map(new MapScreen());
    ASSERT_TRUE(map->SetScene(new Scene()));
    const struct { bool started; bool sceneShown; double played; } rows[] = {
        {false, false, 0}, {false, true, 0}, {true, false, 0}, {true, true, 17}};
    for (const auto& row : rows) {
        game->rootScreen->RemoveAllChildren();
        game->rootScreen->AddChild(row.sceneShown ? static_cast<GameScreen*>(map.Get()) : new ProbeScreen(log, "menu"));
        game->gameStarted = row.started;
        game->playSeconds = 0;
        game->playTimeMs = 0;
        game->Update(17);
        EXPECT_EQ(game->playSeconds * 1000.0 + game->playTimeMs, row.played) << row.started << row.sceneShown;
    }
    game->Shutdown();
}

TEST_F(GameTest, StatisticsCountOnlyOnceAGameHasStarted) {
    game->SetWindowSize({1920, 1080});
    int counted = 0;
    game->inputHooks.countStatistics = [&](const InputEvent& e) {
        ++counted;
        EXPECT_EQ(e.dx, 40);  // window pixels, before conversion
    };
    PushPointer(40, 0);
    game->ProcessInput();
    EXPECT_EQ(counted, 0);
    game->gameStarted = true;
    PushPointer(80, 0);
    game->ProcessInput();
    EXPECT_EQ(counted, 1);
}

TEST_F(GameTest, UpdateHandsScreensTheTotalBeforeTheStep) {
    game->Init();
    game->rootScreen->AddChild(new ProbeScreen(log, "a"));
    game->totalTime = 340;
    game->Update(17);
    EXPECT_EQ(log, (std::vector<std::string>{"update a 340 17"}));
}

TEST_F(GameTest, ScreenRemovingItselfDuringUpdateLivesUntilTheWalkEnds) {
    game->Init();
    auto* leaving = new ProbeScreen(log, "leaving");
    leaving->removeSelfOnUpdate = true;
    game->rootScreen->AddChild(leaving);
    game->rootScreen->AddChild(new ProbeScreen(log, "staying"));
    game->Update(17);
    EXPECT_EQ(log, (std::vector<std::string>{"update leaving 0 17", "update staying 0 17",
                                             "~leaving"}));
    EXPECT_EQ(game->rootScreen->Children().size(), 1u);
}

TEST_F(GameTest, PlayTimeCountsWholeSeconds) {
    game->AddPlayTime(2500);
    EXPECT_EQ(game->playSeconds, 2);
    game->AddPlayTime(499);
    EXPECT_EQ(game->playSeconds, 2);
    game->AddPlayTime(1);
    EXPECT_EQ(game->playSeconds, 3);
    EXPECT_DOUBLE_EQ(game->playTimeMs, 0);
}

TEST_F(GameTest, ShutdownThenReleaseDestroysEachScreenOnce) {
    game->Init();
    auto* first = new ProbeScreen(log, "first");
    auto* hud = new ProbeScreen(log, "hud");
    game->rootScreen->AddChild(first);
    game->rootScreen->AddChild(new ProbeScreen(log, "second"));
    game->hudScreen = hud;
    game->rootScreen->AddChild(hud);  // during scenes the HUD is the root's last child
    game->currentScene = first;
    game->Shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"~first", "~second", "~hud"}));
    EXPECT_FALSE(game->currentScene);
    game.Reset();
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(GameTest, DestructorReleasesHudBeforeMarkingShutdownAndRootAfter) {
    game->Init();
    game->rootScreen.Reset();
    game->rootScreen = new ProbeScreen(log, "root");
    game->hudScreen = new ProbeScreen(log, "hud");
    EXPECT_FALSE(halvo::IsProcessShuttingDown());
    game.Reset();
    EXPECT_EQ(log, (std::vector<std::string>{"~hud", "~root(late)"}));
    EXPECT_TRUE(halvo::IsProcessShuttingDown());
}

// A game that went marked the end; the next game in the same process lives
// as the first did, its screens going without the late mark.
TEST_F(GameTest, AGameStartedAfterAnotherEndedIsNotShuttingDown) {
    game.Reset();
    ASSERT_TRUE(halvo::IsProcessShuttingDown());
    game = new Game();
    EXPECT_FALSE(halvo::IsProcessShuttingDown());
    game->rootScreen = new ProbeScreen(log, "root");
    game->Shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"~root"}));
}

}  // namespace

TEST(GameCurrentTest, NamesTheLivingGameAndNothingAfterIt) {
    EXPECT_EQ(Game::Current(), nullptr);
    {
        halvo::AutoRef<Game> game(new Game());
        EXPECT_EQ(Game::Current(), game.Get());
    }
    EXPECT_EQ(Game::Current(), nullptr);
}

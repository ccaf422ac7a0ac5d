#pragma once
// The one game object: owns the screen tree's root and the HUD, fits the
// design area into the window (projection, letterbox bars), runs the screen
// fade and the fixed game step, and hands queued input to the screens.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "game/screens/GameScreen.h"
#include "game/NewGameStart.h"
#include "game/TrackList.h"
#include "gui/GuiClickGuard.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class MenuScreen;
class Scene;
namespace Vrel {
class Thread;
}

// Input work done beside the screens: the GUI's hover highlight and the click
// and distance statistics. The game fills both; tests may replace them, and
// empty hooks are skipped.
struct GameInputHooks {
    std::function<void()> clearHover;
    std::function<void(const InputEvent&)> countStatistics;
};

// What the mini-games made of a start request (see Game::StartMiniGame).
enum class MiniGameStart {
    kUnknownName,  // no game of that name; the host has gone again
    kRefused,      // the game refused its configuration; the host has gone again
    kStarted,      // the host and its game run over the cutscene
};
// Appends a begun mini-game host to the cutscene, creates the game by name
// and lets it read its configuration. The mini-games register it: the game
// cannot see them.
using MiniGameStarter = MiniGameStart (*)(GameScreen& cutscene, const char* name, Vrel::Thread* caller);

class Game : public halvo::RefObj {
public:
    static constexpr float kLetterboxMargin = 10.0f;
    static constexpr float kProjectionNear = -10.0f;
    static constexpr float kProjectionFar = 10.0f;
    // The play lists are polled this often, in game time: asking the sound
    // thread waits for its answer, so not every step.
    static constexpr double kTrackPollMs = 250.0;
    // Help time runs this much faster while the quick-help cheat is on.
    static constexpr float kQuickHelpFactor = 30.0f;
    // Share of the step that counts towards help during a mini-game: half a
    // scene's 1/60000.
    static constexpr float kMiniGameHelpFactor = 1.0f / 120000.0f;
    // The one screen class a mini-game may start over, exactly (a kind of it
    // does not qualify).
    static constexpr const char* kCutsceneClass = "CutsceneScreen";
    // Share of the step that counts towards help in search and adventure
    // scenes: a minute of searching gathers one unit.
    static constexpr float kSceneHelpFactor = 1.0f / 60000.0f;
    // The playable characters; inventories are kept under their names.
    static constexpr int32_t kCharacterCount = 4;
    static constexpr const char* kCharacterNames[kCharacterCount] = {"Tobin", "TobinOld", "Maren", "MarenOld"};

    Game();
    ~Game() override;

    // The one game while it lives, else null: how natives, screens and
    // mini-games reach it without each being handed it.
    static Game* Current();

    void Init();
    // Ended mid-game (the window closed), the game saves the time played,
    // once a waiting script has taken a counted result (see Transit); a new
    // game before its first scene did not begin (a QuitGame from "NewGame"
    // among them): the game under way is what stays, and no time is saved.
    void Shutdown();

    void SetWindowSize(const Point2i& size);
    void SetDesignSize(const Point2i& size);
    void UpdateProjection();

    void SetFade(float level);
    void SetFadeSpeed(float seconds);
    bool IsFading() const { return fadeSpeed != 0; }

    // Hands the queued input to the screens, or, while a new game waits for
    // its first scene, Escape ends that start (LeaveNewGameOnEscape) and
    // the rest, pressed on a screen that showed nothing, goes nowhere.
    void ProcessInput();
    // One fixed step: the fade, the play lists, then the screen tree. While
    // a game is under way and a scene (search, cutscene, adventure, map, a
    // mini-game over its cutscene) is shown, the step counts as played, once
    // however many scenes the screens update.
    void Update(double stepMs);
    void AddPlayTime(double ms);
    // Hands the help script its share of the step: "help"."IncHelpTime" with
    // (step x help factor, step).
    void IncHelpTime(float stepMs);
    void Render();
    void RenderLetterbox();

    // Runs a module's function on a new script thread. The answer lives on
    // only while the thread waits (the scheduler holds it); empty when the
    // function ran to its end or there is no such module or function. The
    // thread and every thread it starts are of `lineage` (Vrel::Thread).
    static halvo::WeakRef<Vrel::Thread> CallScript(const char* function, const char* module, uint32_t lineage = 0);
    // Compiles and runs "scripts/<name>.cis" as module `name`; true at once
    // when that module is loaded, false when the file is missing or does
    // not compile. Only source runs here: compiled modules cannot.
    static bool RunInclude(const char* name);
    // The HUD's GUI frame; null without a HUD or a frame.
    halvo::GuiWidget* GetHudGui() const;
    // The HUD's frame is made afresh, empty: what came before in it goes,
    // and the help and character scripts build into the new one.
    void RebuildHudFrame();
    // The HUD leaves the tree and a new menu screen, built by the module
    // "splash" or "mainmenu", joins the root and becomes the current scene.
    // The screen before it stays: callers take it out first. The main menu
    // comes up lit, whatever fade was under way or left at black.
    bool OpenSplash();
    bool OpenMainMenu();
    // Once per run of failed saves, "savenotice"."ShowSaveFailed"(frame)
    // tells the player over whatever shows: the frame is the root screen's
    // own, drawn over every scene, menu, HUD and mini-game and never rebuilt
    // with them, made the first time it is needed. Without that module
    // nobody is told.
    void TellFailedSave();

    // ---- scenes (GameSceneFlow.cpp) ----
    // False without an open profile. Loads "[PLAYER]/LastScene" with the
    // saved character and play time, or starts "campain"."NewGame" with the
    // first character. A saved scene that no longer loads, or a campaign
    // that cannot start (see CanStartNewGame), opens the main menu
    // instead of leaving the player before a black screen, and answers
    // false; so does a new game whose first scene did not load while
    // "NewGame" ran (see Transit), whatever that scene's own script did,
    // or whose "NewGame" ended without loading one, or went back to the
    // main menu first. A "NewGame" that waits first (a fade, a sleep, a
    // thread it started) is answered true; should its first scene then not
    // load, should nothing it started be left to load one, or should it go
    // back to the menu, or should the player press Escape meanwhile, the
    // game under way is open again, what it started stops, and the main
    // menu opens with "savenotice"."ShowCannotStart"(frame) called over it,
    // the menu's frame. Each cause of a new game that did not begin is one
    // line on standard error; a new game that did not begin writes nothing.
    bool ContinueOrNewGame();
    // "Start again" on `slot` (see NewGameStart::Hold): the game under way
    // is kept until the new game's first scene has loaded.
    bool HoldForNewGame(int32_t slot) { return newGame_.Hold(slot); }
    // Whether "campain"."NewGame" is there to start a new game with; when it
    // is not, one line on standard error names the cause: no such module
    // file, a module that did not compile, or a missing function.
    static bool CanStartNewGame();
    // Reads "Scenes/<folder>/<name>.xml" (the folder is the name cut before
    // a '_' that is its third-last character), puts the screen its type asks
    // for into the tree under the HUD, and runs its entry scripts; a
    // cutscene that is still shown then plays its script's "Run". False,
    // changing nothing but the help factor, when the scene or its screen
    // refuses; the halves of a difference scene load without a screen.
    // A scene that loads while a new game is held back (HoldForNewGame) is
    // its first: the player file takes the new game then.
    bool LoadScene(const char* name);
    // "OnFirstEnter" once per profile, then "OnLoadScene", falling back to
    // the module "scene" when the scene's own ran to its end at once.
    void RunSceneEnterScripts(const Scene& scene);
    // The scene of the first search, cutscene or map screen under the root.
    Scene* GetCurrentScene() const;
    // The first child of the root that is a kind of search or cutscene
    // screen; null when none.
    GameScreen* FindSceneScreen() const;
    // The first child of the root whose class is, or derives from, the
    // named one; null for none or a null name.
    GameScreen* FindScreen(const char* className) const;
    // Depth first, but every child of a screen is tested before any
    // grandchild: a direct child wins over a deeper match.
    static GameScreen* FindScreenRecursive(const GameScreen* root, const char* className);
    // Input and a dimmed look (alpha 0.5) for the HUD frame's direct
    // children, except those marked "always_enable".
    void SetHudInput(bool enable);

    // ---- leaving a scene (the script functions' work) ----
    // Every leave first lets the scene's screens hand over what a waiting
    // script has still to take (a mini-game's counted result), and that
    // script runs on until it waits or ends. A scene change or the story's
    // end it asks for meanwhile is saved, not made: the leave under way
    // goes on, and Continue finds the new scene.
    //
    // Leaves the current scene, stops every scheduled thread, saves the
    // profile with "[PLAYER]/LastScene" naming the new scene and loads it;
    // the caller ends. A scene that does not load leaves LastScene as it
    // was, is no scene change in "[STATS]/transits", reports why and opens
    // the main menu; as the first scene of a new game (see
    // ContinueOrNewGame) or of one held back, it leaves the game under way
    // open instead, its file never written over.
    void Transit(const char* scene, Vrel::Thread* caller);
    // Leaves the current scene, ends the caller, saves the settings with the
    // time played, reads the open profile back from its file (dropping what
    // the player gained since it was last saved) and opens the main menu.
    void ShowMainMenu(Vrel::Thread* caller);
    // As ShowMainMenu, and the story is over: the reopened profile's
    // "[PLAYER]/LastScene" is removed and the player file saved, so that
    // nothing is left to continue and a new game needs no question. Either,
    // before a new game's first scene, is a new game that did not begin:
    // the game under way stays as it was.
    void EndStory(Vrel::Thread* caller);
    // While a game is under way, its seconds played into the profile's
    // "[STATS]/time", for the caller to save; false in the menus, whose time
    // belongs to no game (nor, after a change of profile, to the open one).
    bool KeepPlayTime();
    // While a game is under way, the count goes on from the open profile's
    // own "[STATS]/time" (0 for a new one): a script opened another player
    // (SetCurrentProfileSlot, StartPlayerOver, CreateProfile), and the time
    // so far went to the one before (KeepPlayTime, as their statistics closed).
    void CountOnFromOpenPlayer();
    // Leaves the current scene and stops every scheduled thread; nothing is
    // saved. Refused while a result is handed over.
    void EndGameState();
    // As EndGameState, then ContinueOrNewGame, with its answer; false while
    // a result is handed over.
    bool ContinueGame();

    // ---- characters and inventory (GameInventory.cpp) ----
    // False for an index outside 0..3; "character"/"inventory"
    // "OnCharacterChange"(new, old) hear a change.
    bool SetCharacter(int32_t index);
    // kCharacterCount for a name not in the table.
    static int32_t CharacterIndex(const char* name);
    // 0 for a character outside 0..3.
    static int32_t CountInventoryItems(int32_t character);
    // The index-th token in the order it was added, as the script named it;
    // empty when there is none.
    static std::string GetInventoryItem(int32_t index, int32_t character);
    // True for a character in 0..3, new token or not; only a new one reaches
    // "inventory"."AddToken", flying in from the adventure scene's object of
    // that label when asked to.
    bool AddToken(const char* token, int32_t character, bool flyIn);
    // True when the token was there; "inventory"."RemoveToken" hears it.
    bool RemoveToken(int32_t character, const char* token);

    // Starts the named mini-game over the current cutscene, the caller
    // paused until the game's host goes. False without any effect outside a
    // cutscene. False too for an unknown name or a refused configuration:
    // the host goes at once, the caller resumes at the next scheduler pass
    // and reads "skipped" as the result.
    bool StartMiniGame(const char* name, Vrel::Thread* caller);
    // Called once by the program (and by tests) before any start.
    static void SetMiniGameStarter(MiniGameStarter starter);

    // Window pixels to design units, for position and motion alike.
    InputEvent WindowToDesign(const InputEvent& event) const;
    // The window pixel a design point shows at, the design fitted whole and
    // centred: for the tools that click as a player would.
    Point2i DesignToWindow(Vec2 design) const;
    // The bars' geometry (8 vertices of x, y, z; 12 indices), built on demand.
    bool NeedsLetterbox() const;
    void BuildLetterbox();
    const std::array<float, 24>& LetterboxVertices() const { return letterboxVertices; }

    Point2i windowSize{1, 1};
    float windowAspect = 1.0f;
    Point2i designSize{1, 1};
    float designAspect = 1.0f;
    Point2i viewExtent{1, 1};
    Point2i screenSize{1, 1};
    bool quitRequested = false;
    Matrix4 baseModelView;
    Matrix4 frameModelView;
    int32_t fitWindowAspect = 0;
    float fadeLevel = 0.0f;
    float fadeSpeed = 0.0f;
    halvo::AutoRef<GameScreen> rootScreen;
    halvo::AutoRef<GameScreen> hudScreen;
    double totalTime = 0;
    float defaultFadeTime = 1.0f;
    float foundDissolveTime = 2.0f;
    double frameAccumulator = 0;
    bool resetAccumulator = true;
    std::string userFolder;
    int32_t character = 0;
    bool cheatAutoPlay = false;
    bool cheatShowHotspots = false;
    bool cheatQuickHelp = false;
    double playTimeMs = 0;
    float helpFactor = 0.0f;
    bool gameStarted = false;
    bool paused = false;
    bool hudInputEnabled = true;
    int32_t playSeconds = 0;
    halvo::WeakRef<GameScreen> currentScene;

    GameInputHooks inputHooks;
    // Per game, so that a game built anew has no earlier press to compare with.
    halvo::GuiClickGuard clickGuard;
    TrackHooks trackHooks = TrackHooks::ForSound();

private:
    halvo::AutoRef<Vrel::Thread> helpThread_;

    bool OpenMenu(bool (MenuScreen::*build)());
    // The root screen's frame, made on first use; null when the GUI refuses.
    halvo::GuiWidget* NoticeFrame();
    // False for the second press of a double-click that would act on what
    // its first press opened, for a press or key that a question or notice
    // not yet read would take, and for a refused press's release.
    bool AdmitToScreens(const InputEvent& event);
    // The current scene screen leaves the tree and lets its module go at
    // once; every scheduled thread stops; the HUD gets an empty frame.
    void LeaveCurrentScene();
    // The current scene's screens hand over what waiting scripts have still
    // to take (see Transit), once however the leaves nest.
    void HandOverResults();
    // Transit's work while a result is handed over: the scene is saved as
    // the one to continue in, and the caller ends.
    void KeepSceneForContinue(const std::string& scene, Vrel::Thread* caller);
    // The factor as the difficulty allows it: half at difficulty 1, the
    // level whose scenes take their medium time limit.
    static float EasedHelpFactor(float factor);
    // ShowMainMenu's work; `storyOver` for EndStory.
    void LeaveForTheMenu(Vrel::Thread* caller, bool storyOver);
    // Into the tree under the HUD as the current scene, its view centred.
    void EnterSceneScreen(GameScreen& screen, const Scene& scene);
    void ClearLetterbox() { letterboxBuilt = false; }
    // ContinueOrNewGame's "NewGame", with its answer.
    bool StartNewGame();
    // A "NewGame" that waited, and nothing it started is left to run on
    // before any scene loaded: the new game did not begin.
    void WatchNewGame();
    // Escape while "NewGame" runs before its first scene (nothing shows):
    // the start ends at the menu (RollBackNewGameToTheMenu). False, doing
    // nothing, for any other input or time.
    bool LeaveNewGameOnEscape(const InputEvent& event);
    // Each way out of a new game's start rolls it back where it decides
    // that the game did not begin, through one of these two (a campaign
    // without "NewGame", whose cause CanStartNewGame told, through
    // NewGameStart::RollBack); no menu or other place rolls back a start it
    // did not decide the end of. This one: what "NewGame" started stops,
    // the game under way is open again as it was, no game counts time
    // (gameStarted), and `cause` is one line on standard error. False,
    // doing nothing, when no start was pending.
    bool RollBackNewGame(const std::string& cause);
    // RollBackNewGame, then the main menu opens and the player is told
    // there, unless ContinueOrNewGame is still to answer.
    void RollBackNewGameToTheMenu(const std::string& cause);
    // "a new game cannot start" and why, one line on standard error.
    static void LogCannotStart(const std::string& cause);
    // "savenotice"."ShowCannotStart"(frame) over the main menu shown.
    void TellCannotStart();
    // "savenotice".`function`(frame), the frame held meanwhile; nothing
    // without a frame. The module must have been included.
    void CallSaveNotice(const char* function, halvo::GuiWidget* frame);
    void PollTracks(double stepMs);

    std::array<float, 24> letterboxVertices{};
    std::array<uint8_t, 12> letterboxIndices{};
    bool letterboxBuilt = false;
    double trackPollMs_ = 0;
    bool handingOver_ = false;
    // A new game from "Start again" until its first scene has loaded.
    NewGameStart newGame_;
};

#pragma once
// The screen that frames every mini-game: created over the cutscene by
// Game::StartMiniGame, it keeps the calling script thread paused, draws the
// timer, counter and score texts, shows the tutorial and closing messages in
// chat bubbles the "cutscene" script builds, turns help into a skip (or the
// game's own solve), records the result once with the timer and counter,
// fades out and removes itself; its destruction wakes the caller and gives
// the scene back its HUD as it was (the Menu button, Escape). A scene left
// before it has gone hands a counted result to the caller at once.

#include "game/PageTurnGuard.h"
#include "game/screens/GameScreen.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGame.h"
#include "platform/RefObj.h"
#include "script/runtime/execution/Thread.h"

#include <cstdint>
#include <deque>
#include <string>

// One page a game shows: a text, or a localisation key with a picture
// below it, which stands in the middle of the screen (target shooting's
// round enemy).
struct MiniGameMessage {
    std::u16string text;
    std::string key;
    std::string picture;
};

// The result a script reads from "[PLAYER]/minigame_result".
enum MiniGameResult : int32_t {
    kMiniGameWon = 0,
    kMiniGameLost = 1,
    kMiniGameSkipped = 2,  // also any other code, in the statistics
};

class MiniGameScreen : public GameScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kResultKey = "[PLAYER]/minigame_result";
    static constexpr const char* kTutorialKey = "[PLAYER]/Data/Minigames/Tutorial";
    static constexpr const char* kSolvedKey = "[PLAYER]/Data/Minigames/Solved";
    static constexpr const char* kHelpTimerKey = "[PLAYER]/help_timer";
    // The texts stand at the right of the design area, one above the other
    // when two are shown.
    static constexpr float kTextX = 1500.0f;
    static constexpr float kTextAloneY = 70.0f;
    static constexpr float kTextUpperY = 45.0f;
    static constexpr float kTextLowerY = 95.0f;
    // The dark display the texts stand on: 120 either side of their
    // column's middle, from above the upper line to below the lower one.
    // Games keep what they move off it.
    static constexpr Vec2 kTextDisplayMin{1430.0f, 80.0f};
    static constexpr Vec2 kTextDisplayMax{1670.0f, 192.0f};
    // The score's printf buffer; a longer text is cut.
    static constexpr size_t kScoreTextSize = 1024;

    // Covers what the logical screen shows of the design area.
    MiniGameScreen();
    // Commits the timer and counter unless the result did, wakes the caller
    // and gives the HUD back the frame Begin set aside.
    ~MiniGameScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // A bubble that has stood advances; else the game may solve itself;
    // else skipped.
    void OnHelp() override;
    // The release of a press made before the shown message came up, or in
    // the moment after, ends here, taking nothing away: the message stands
    // until a click of its own.
    bool DispatchInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;
    // Left during the closing line (the menu, a quit): the caller takes the
    // counted result now, before its thread is stopped, so that what it
    // marks with it (a puzzle done) is saved with the count.
    void BeforeSceneLeft() override;

    // Pauses the caller, starts the fade-in, sets the HUD's frame aside for
    // a new one that takes the help and character GUI and shows the
    // tutorial. Empties the tutorial's key and takes the closing line's key
    // away, so that neither outlasts this game, and the result's until this
    // game has one. Always true.
    bool Begin(Vrel::Thread* caller);
    // Appends the game as the only child; the help request reaches it.
    void AddGame(MiniGame* game);
    // Leaves without a game to play (unknown name, refused configuration):
    // the script reads "skipped", no statistics count, the host goes.
    void GiveUp();

    void CreateTimer(bool show, const char* statisticsKey);
    void SetTime(double ms);
    void AddTime(double ms);
    void CreateCounter(bool show, const char* statisticsKey);
    void SetCounter(int32_t value);
    void CreateScore(bool show);
    // Formats are the code's own, never data.
    void SetScoreText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Queues the key's translation, or its numbered parts key1, key2, ...;
    // a null or empty key only empties the queue.
    void SetMessages(const char* key);
    // Queues the text of localisation key `key` with `picture` below it,
    // shown at once unless a message stands.
    void AddPictureMessage(const char* key, const std::string& picture);
    // Takes the shown bubble down and shows the next message; false when
    // none is left.
    bool ShowNextMessage();
    // A bubble is shown while it lives in the widget tree.
    bool IsMessageShown() const;
    // Only the first call counts; the timer and counter are committed with
    // the result, a message still up goes, and a win or a skip shows the
    // closing line taken at Begin.
    void Finish(int32_t result);
    bool IsFinished() const { return finished_; }
    // Finish with "won" when the game's parent is a host.
    static void ReportWon(const GameScreen& game);

    // "h:mm:ss" of the whole seconds in ms.
    static std::string TimeText(double ms);
    double GetTime() const { return timeMs_; }
    int32_t GetCounter() const { return counter_; }
    const char* GetScoreText() const { return scoreText_; }
    size_t GetQueuedMessageCount() const { return messages_.size(); }
    halvo::GuiWidget* GetTimerWidget() const { return timerWidget_.Get(); }
    halvo::GuiWidget* GetCounterWidget() const { return counterWidget_.Get(); }
    halvo::GuiWidget* GetBubble() const { return bubble_.Get(); }

private:
    void CommitStatistics();
    // The bubble while it is shown, else null.
    halvo::GuiWidget* ShownBubble() const;
    void SetHudFrameAside();
    void GiveHudFrameBack();
    // The timer's seconds and the counter into their statistics keys, once:
    // at the result, else as the host goes.
    void CommitTimerAndCounter();
    void RunScriptSetup();
    halvo::WeakRef<halvo::GuiWidget> CreateText(const char* text, const char* statisticsKey);
    void PlaceTexts(halvo::GuiWidget* lower);
    void DrawTextDisplay(const Matrix4& matrix);
    halvo::AutoRef<halvo::GuiWidget> MakeBubble(const MiniGameMessage& message);

    halvo::WeakRef<MiniGame> game_;
    Vec2 textOffset_;
    bool timerShown_ = false;
    double timeMs_ = 0;
    halvo::WeakRef<halvo::GuiWidget> timerWidget_;
    bool counterShown_ = false;
    int32_t counter_ = 0;
    halvo::WeakRef<halvo::GuiWidget> counterWidget_;
    bool scoreShown_ = false;
    char scoreText_[kScoreTextSize] = {};
    halvo::WeakRef<halvo::GuiWidget> scoreWidget_;
    std::deque<MiniGameMessage> messages_;
    halvo::WeakRef<halvo::GuiWidget> bubble_;
    PageTurnGuard pageTurn_;
    bool finished_ = false;
    bool clocksCommitted_ = false;
    halvo::WeakRef<Vrel::Thread> caller_;
    // The HUD frame of the screen the game was started from, out of the
    // tree while this game lasts, and the one the game had instead.
    halvo::AutoRef<halvo::GuiWidget> hostHudFrame_;
    halvo::WeakRef<halvo::GuiWidget> ownHudFrame_;
    // The value "Solved" held at Begin.
    std::string closingKey_;
};

#include "minigames/MiniGameScreen.h"

#include "game/screens/CutsceneScreen.h"
#include "game/screens/HudScreen.h"
#include "game/Game.h"
#include "game/ModuleCall.h"
#include "game/Statistics.h"
#include "gui/GuiMain.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGame.h"
#include "platform/Color.h"
#include "platform/DataTree.h"
#include "platform/GLState.h"
#include "platform/InputQueue.h"
#include "platform/Loca.h"
#include "platform/Sound.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/VarUnicode.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kTextType = "Text";
constexpr const char* kTextFont = "gui/DAYROM__.ttf";
constexpr int32_t kTextSize = 40;
constexpr float kTextBox = 100.0f;
constexpr int32_t kTextColour = -1;  // opaque white
constexpr int32_t kTextCentred = halvo::GuiText::kAlignCentre;
constexpr Color kDisplayColour{0x1e, 0x2a, 0x24, 0xff};
constexpr int32_t kTextMiddle = halvo::GuiText::kAlignMiddle;
// Carries the data-tree key the widget's value is committed into.
constexpr const char* kPropOptionName = "option_name";

constexpr const char* kSolvedSound = "Sfx/minigame_solved";
constexpr const char* kWonKey = "[STATS]/mini_won";
constexpr const char* kLostKey = "[STATS]/mini_lost";
constexpr const char* kSkippedKey = "[STATS]/mini_skipped";
constexpr const char* kPlayedKey = "[STATS]/mini";

constexpr int32_t kBubbleColour = static_cast<int32_t>(0xFF000000u);  // opaque black
constexpr float kBubbleY = -50.0f;
constexpr float kBubbleWidth = 700.0f;
constexpr int32_t kTextBubbleArguments = 6;
constexpr float kPictureBubbleWidth = 500.0f;
constexpr int32_t kPictureBubbleArguments = 7;
constexpr const char* kSetupModules[] = {"help", "character"};
constexpr const char* kSetupFunction = "Create";

// Numbered message parts stop at the first missing number; the localisation
// table bounds them, this only guards a table that never ends.
constexpr int32_t kMaxMessageParts = 1000;

constexpr int32_t kSecondsPerMinute = 60;
constexpr int32_t kSecondsPerHour = 3600;

// Whole seconds of a time, truncated; a time below zero, not a number or
// beyond the counters' range is held inside it.
int32_t WholeSeconds(double ms) {
    const double seconds = std::trunc(ms / 1000.0);
    if (!(seconds > 0)) return 0;
    return seconds >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(seconds);
}

void ShowText(halvo::GuiWidget* widget, const std::u16string& text) {
    if (halvo::GuiText* shown = CastTo<halvo::GuiText>(widget)) shown->SetText(text);
}

// The statistics key a text carries; null for none or no widget.
const char* OptionName(halvo::GuiWidget* widget) {
    const Vrel::Var* option = widget ? widget->Properties().GetMember(kPropOptionName) : nullptr;
    return option ? option->GetCString() : nullptr;
}

void Place(halvo::GuiWidget* widget, float y) {
    if (widget) widget->SetPositionXY(MiniGameScreen::kTextX, y);
}

Vec2 RootScreenCorner() {
    const Game* game = Game::Current();
    return game && game->rootScreen ? game->rootScreen->GetScreenRectMin() : Vec2{};
}

HudScreen* CurrentHud() {
    const Game* game = Game::Current();
    return game ? CastTo<HudScreen>(game->hudScreen) : nullptr;
}

}  // namespace

const ClassRecord MiniGameScreen::kClassRecord = {"MiniGameScreen", &GameScreen::kClassRecord,
                                                  &MiniGameScreen::Create};

halvo::RefObj* MiniGameScreen::Create() { return new MiniGameScreen(); }

MiniGameScreen::MiniGameScreen() {
    if (const Game* game = Game::Current()) SetSize(game->screenSize);
    SetPosition(RootScreenCorner());
}

MiniGameScreen::~MiniGameScreen() {
    CommitStatistics();
    caller_.Reset();
    bubble_.Reset();
    messages_.clear();
}

// ---- the screen ----------------------------------------------------------------

void MiniGameScreen::OnHelp() {
    if (IsMessageShown()) {
        // Help turns a page only once it has stood on screen, as a click on
        // it does: the second click of a double-click on the lantern leaves
        // the next page, or the closing line its first click brought, to be
        // read.
        const uint32_t nowMs = halvo::GuiMain::Global().Frames().PresentedMs();
        if (pageTurn_.StoodBy(nowMs, ShownBubble())) ShowNextMessage();
        return;
    }
    halvo::AutoRef<MiniGame> game(game_.Get());
    if (game && game->GetParent() == this && game->SolveOnHelp()) return;
    Finish(kMiniGameSkipped);
}

// A game may end on a press, as the lock does on the one that pushes its
// last bolt in; the closing line then comes while the button is still held,
// and the release that follows is no answer to it.
bool MiniGameScreen::DispatchInput(const InputEvent& event) {
    if (event.kind == InputEvent::kButtonDown) {
        pageTurn_.NotePress(event.timeMs, ShownBubble());
    } else if (event.kind == InputEvent::kButtonUp) {
        const bool turns = pageTurn_.ReleaseTurns(ShownBubble());
        if (IsMessageShown() && !turns) return true;
    }
    return GameScreen::DispatchInput(event);
}

void MiniGameScreen::OnUpdate(double, double stepMs) {
    Game* game = Game::Current();
    if (!game) return;
    // Help time runs on while the game is paused and after the result.
    game->IncHelpTime(static_cast<float>(stepMs));
    if (!finished_) return;
    if (game->fadeLevel >= 1.0f) {
        RemoveFromParent();
        return;
    }
    if (game->fadeSpeed == 0 && !IsMessageShown()) game->SetFadeSpeed(game->defaultFadeTime);
}

void MiniGameScreen::BeforeSceneLeft() {
    GameScreen::BeforeSceneLeft();
    halvo::AutoRef<Vrel::Thread> caller(caller_.Get());
    if (!finished_ || !caller || caller->GetState() != Vrel::kThreadPaused || caller->IsExecuting()) return;
    // Taken once: the host's going must not wake it a second time.
    caller_.Reset();
    Vrel::Thread::RunThread(caller.Get());
}

void MiniGameScreen::OnRender(const Matrix4& matrix) {
    const std::pair<bool, halvo::GuiWidget*> texts[] = {
        {timerShown_, timerWidget_.Get()}, {counterShown_, counterWidget_.Get()}, {scoreShown_, scoreWidget_.Get()}};
    bool backed = false;
    for (const auto& [shown, widget] : texts) {
        if (!shown || !widget) continue;
        if (!backed) DrawTextDisplay(matrix);
        backed = true;
        widget->Render(textOffset_.x, textOffset_.y, 1.0f, 1.0f, matrix);
    }
}

// The games draw over the texts and leave a window for them; without this
// the screen the game was started from would show through that window
// around the white figures.
void MiniGameScreen::DrawTextDisplay(const Matrix4& matrix) {
    GLState::SetModelview(matrix);
    GLState::SetColor(kDisplayColour);
    GLState::DrawRect(kTextDisplayMin + textOffset_, kTextDisplayMax + textOffset_);
    GLState::SetColor(Color::White);
}

// ---- start and end ---------------------------------------------------------------

bool MiniGameScreen::Begin(Vrel::Thread* caller) {
    Game* game = Game::Current();
    if (game) SetScrollBoundsInt({0, 0}, game->designSize);
    caller_ = caller;
    if (caller) caller->SetState(Vrel::kThreadPaused);
    if (game) game->fadeSpeed = game->defaultFadeTime == 0 ? 0.0f : -1.0f / game->defaultFadeTime;
    SetHudFrameAside();
    RunScriptSetup();
    if (game && game->hudScreen && game->rootScreen) {
        // Topmost again: its help button sees input before the game.
        halvo::AutoRef<GameScreen> hud(game->hudScreen);
        hud->RemoveFromParent();
        game->rootScreen->AddChild(hud.Get());
    }
    textOffset_ = Vec2::Negate(RootScreenCorner());
    const char* tutorial = DataTree::GetString(kTutorialKey);
    const std::string key = tutorial ? tutorial : "";
    SetMessages(key.c_str());
    if (DataTree::Exists(kTutorialKey)) DataTree::SetString(kTutorialKey, "");
    // Taken now, whatever becomes of the game (lost, refused, left for the
    // menu): a later game that names no closing line must show none.
    const char* solved = DataTree::GetString(kSolvedKey);
    closingKey_ = solved ? solved : "";
    DataTree::Remove(kSolvedKey);
    // No result until this game has one: an earlier game's would tell the
    // HUD that this one's is in and kept.
    DataTree::Remove(kResultKey);
    return true;
}

void MiniGameScreen::AddGame(MiniGame* game) {
    game_ = game;
    AddChild(game);
}

void MiniGameScreen::GiveUp() {
    // A script that reads the result must not take an earlier game's win
    // for this one; "lost" could make it retry a game that cannot start.
    DataTree::SetInt(kResultKey, kMiniGameSkipped);
    RemoveFromParent();
}

void MiniGameScreen::Finish(int32_t result) {
    if (finished_) return;
    // No page of the game's outlasts it (a round's announcement): won or
    // skipped, the closing line stands alone.
    messages_.clear();
    halvo::RemoveObservedWidget(bubble_);
    AddToStatistic(result == kMiniGameWon ? kWonKey : result == kMiniGameLost ? kLostKey : kSkippedKey, 1);
    AddToStatistic(kPlayedKey);
    // The clock stands from here on: its seconds go in with the result, so
    // that whatever saves next (a quit or the menu during the closing line)
    // keeps both, not the result alone.
    CommitTimerAndCounter();
    DataTree::SetInt(kResultKey, result);
    if (result == kMiniGameWon || result == kMiniGameSkipped) SetMessages(closingKey_.c_str());
    finished_ = true;
}

void MiniGameScreen::ReportWon(const GameScreen& game) {
    if (MiniGameScreen* host = CastTo<MiniGameScreen>(game.GetParent())) host->Finish(kMiniGameWon);
}

void MiniGameScreen::CommitTimerAndCounter() {
    if (clocksCommitted_) return;
    clocksCommitted_ = true;
    if (const char* key = OptionName(counterWidget_.Get())) AddToStatistic(key, counter_);
    if (const char* key = OptionName(timerWidget_.Get())) AddToStatistic(key, WholeSeconds(timeMs_));
}

void MiniGameScreen::CommitStatistics() {
    Sound::Play(1.0f, false, "%s", kSolvedSound);
    CommitTimerAndCounter();
    halvo::RemoveObservedWidget(timerWidget_);
    halvo::RemoveObservedWidget(counterWidget_);
    halvo::RemoveObservedWidget(scoreWidget_);
    halvo::RemoveObservedWidget(bubble_);
    if (Vrel::Thread* caller = caller_.Get()) caller->Resume();
    caller_.Reset();
    GiveHudFrameBack();
}

// The scene's HUD (its Menu button, and the listener that takes Escape) is
// set aside whole rather than built again, so that whatever its scripts put
// there comes back as it was for a script that goes on after the game.
void MiniGameScreen::SetHudFrameAside() {
    HudScreen* hud = CurrentHud();
    if (!hud) return;
    hostHudFrame_ = hud->SetFrameAside();
    ownHudFrame_ = hud->GetGuiFrame();
}

void MiniGameScreen::GiveHudFrameBack() {
    halvo::AutoRef<halvo::GuiWidget> kept(std::move(hostHudFrame_));
    if (HudScreen* hud = CurrentHud()) hud->TakeFrameBack(kept.Get(), ownHudFrame_.Get());
    ownHudFrame_.Reset();
}

void MiniGameScreen::RunScriptSetup() {
    DataTree::SetFloat(kHelpTimerKey, 0.0f);
    for (const char* module : kSetupModules) {
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        Vrel::Thread::RunFunction(thread.Get(), module, kSetupFunction, nullptr, 0);
    }
}

// ---- texts -----------------------------------------------------------------------

halvo::WeakRef<halvo::GuiWidget> MiniGameScreen::CreateText(const char* text, const char* statisticsKey) {
    Vrel::t_Named table;
    table.GetOrAddMember(halvo::GuiWidget::kPropXPos)->SetFloat(0.0f);
    table.GetOrAddMember(halvo::GuiWidget::kPropYPos)->SetFloat(0.0f);
    table.GetOrAddMember(halvo::GuiWidget::kPropXSize)->SetFloat(kTextBox);
    table.GetOrAddMember(halvo::GuiWidget::kPropYSize)->SetFloat(kTextBox);
    table.GetOrAddMember(halvo::GuiText::kPropFont)->SetString(kTextFont);
    table.GetOrAddMember(halvo::GuiText::kPropSize)->SetInt(kTextSize);
    table.GetOrAddMember(halvo::GuiText::kPropText)->SetString(text);
    table.GetOrAddMember(halvo::GuiText::kPropColor)->SetInt(kTextColour);
    table.GetOrAddMember(halvo::GuiText::kPropXAlign)->SetInt(kTextCentred);
    table.GetOrAddMember(halvo::GuiText::kPropYAlign)->SetInt(kTextMiddle);
    if (statisticsKey) table.GetOrAddMember(kPropOptionName)->SetString(statisticsKey);
    halvo::AutoRef<halvo::GuiWidget> widget =
        halvo::GuiCreateWidget(kTextType, table, halvo::GuiMain::Global().GetRoot());
    return halvo::WeakRef<halvo::GuiWidget>(widget.Get());
}

void MiniGameScreen::CreateTimer(bool show, const char* statisticsKey) {
    timerShown_ = show;
    if (!show) {
        Place(counterWidget_.Get(), kTextAloneY);
        return;
    }
    if (!timerWidget_) timerWidget_ = CreateText(TimeText(timeMs_).c_str(), statisticsKey);
    if (counterShown_) {
        Place(timerWidget_.Get(), kTextUpperY);
        Place(counterWidget_.Get(), kTextLowerY);
    } else {
        Place(timerWidget_.Get(), kTextAloneY);
    }
}

void MiniGameScreen::CreateCounter(bool show, const char* statisticsKey) {
    counterShown_ = show;
    if (!show) {
        Place(timerWidget_.Get(), kTextAloneY);
        return;
    }
    if (!counterWidget_) counterWidget_ = CreateText("0", statisticsKey);
    PlaceTexts(counterWidget_.Get());
}

void MiniGameScreen::CreateScore(bool show) {
    scoreShown_ = show;
    if (!show) {
        Place(timerWidget_.Get(), kTextAloneY);
        return;
    }
    if (!scoreWidget_) scoreWidget_ = CreateText("", nullptr);
    PlaceTexts(scoreWidget_.Get());
}

// The counter or the score goes beneath a shown timer, else alone.
void MiniGameScreen::PlaceTexts(halvo::GuiWidget* lower) {
    if (timerShown_) {
        Place(timerWidget_.Get(), kTextUpperY);
        Place(lower, kTextLowerY);
    } else {
        Place(lower, kTextAloneY);
    }
}

std::string MiniGameScreen::TimeText(double ms) {
    const int32_t s = WholeSeconds(ms);
    char text[32];
    std::snprintf(text, sizeof text, "%i:%02i:%02i", s / kSecondsPerHour, (s / kSecondsPerMinute) % 60,
                  s % kSecondsPerMinute);
    return text;
}

void MiniGameScreen::SetTime(double ms) {
    // The text shows whole seconds: laying it out again every step would
    // redo the same text 58 times a second.
    const bool sameText = WholeSeconds(ms) == WholeSeconds(timeMs_);
    timeMs_ = ms;
    if (sameText) return;
    if (halvo::GuiWidget* timer = timerWidget_.Get()) ShowText(timer, WidenBytes(TimeText(ms)));
}

void MiniGameScreen::AddTime(double ms) { SetTime(timeMs_ + ms); }

void MiniGameScreen::SetCounter(int32_t value) {
    if (value == counter_) return;
    counter_ = value;
    if (halvo::GuiWidget* counter = counterWidget_.Get()) ShowText(counter, WidenBytes(std::to_string(value)));
}

void MiniGameScreen::SetScoreText(const char* format, ...) {
    char text[kScoreTextSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (std::strcmp(text, scoreText_) == 0) return;
    std::memcpy(scoreText_, text, sizeof text);
    if (halvo::GuiWidget* score = scoreWidget_.Get()) ShowText(score, WidenBytes(scoreText_));
}

// ---- messages ------------------------------------------------------------------------

void MiniGameScreen::SetMessages(const char* key) {
    messages_.clear();
    if (!key || !*key) return;
    const Loca& loca = Loca::Global();
    std::u16string text;
    if (loca.Find(key) >= 0) {
        loca.Translate(key, text);
        messages_.push_back({text, {}, {}});
    } else {
        for (int32_t part = 1; part <= kMaxMessageParts; ++part) {
            const std::string partKey = std::string(key) + std::to_string(part);
            if (loca.Find(partKey.c_str()) < 0) break;
            loca.Translate(partKey.c_str(), text);
            messages_.push_back({text, {}, {}});
        }
        if (messages_.empty()) {
            loca.Translate(key, text);
            messages_.push_back({text, {}, {}});
        }
    }
    ShowNextMessage();
}

void MiniGameScreen::AddPictureMessage(const char* key, const std::string& picture) {
    messages_.push_back({{}, key ? key : "", picture});
    if (!IsMessageShown()) ShowNextMessage();
}

bool MiniGameScreen::ShowNextMessage() {
    // Cleared as it goes: whatever else still holds the old bubble, it no
    // longer counts as shown.
    halvo::RemoveObservedWidget(bubble_);
    // With the last page gone the game lies open, and the lantern that
    // turned it skips: a quick second click must not act on what the first
    // one uncovered.
    if (messages_.empty()) {
        if (Game* game = Game::Current()) game->clickGuard.ForgetTarget();
        return false;
    }
    const MiniGameMessage message = std::move(messages_.front());
    messages_.pop_front();
    // The bubble's script may end the game and take this host away while it
    // runs; the bubble is still to be noted, and taken down as the host goes.
    halvo::AutoRef<MiniGameScreen> self(this);
    if (halvo::AutoRef<halvo::GuiWidget> made = MakeBubble(message)) bubble_ = made.Get();
    // A page guards itself, however quick the presses before it came: the
    // closing line after a game clicked through must not wait for a pause.
    pageTurn_.PageCameUp(bubble_.Get());
    if (Game* current = Game::Current()) current->clickGuard.LeavePressesTo(bubble_.Get());
    return true;
}

// A text hangs at the top, where the "cutscene" script may place the
// host's messages; a picture's key is translated by the script, which draws
// the picture below it in the middle of the screen.
halvo::AutoRef<halvo::GuiWidget> MiniGameScreen::MakeBubble(const MiniGameMessage& message) {
    const Game* game = Game::Current();
    const Vec2 middle =
        game ? Vec2{static_cast<float>(game->screenSize.x), static_cast<float>(game->screenSize.y)} * 0.5f : Vec2{};
    const bool withPicture = !message.picture.empty();
    Vrel::Var arguments[kPictureBubbleArguments];
    if (halvo::GuiWidget* hud = game ? game->GetHudGui() : nullptr) arguments[0].SetObject(hud);
    arguments[1].SetInt(kBubbleColour);
    if (withPicture) {
        arguments[2].SetString(message.key.c_str());
    } else {
        arguments[2].SetObject(
            new Vrel::VarUnicode(std::vector<char16_t>(message.text.begin(), message.text.end())));
    }
    arguments[3].SetFloat(middle.x);
    arguments[4].SetFloat(withPicture ? middle.y : kBubbleY);
    arguments[5].SetFloat(withPicture ? kPictureBubbleWidth : kBubbleWidth);
    if (withPicture) arguments[6].SetString(message.picture.c_str());
    return CallModuleForWidget(CutsceneScreen::kBubbleModule, CutsceneScreen::kBubbleFunction, arguments,
                               withPicture ? kPictureBubbleArguments : kTextBubbleArguments);
}

halvo::GuiWidget* MiniGameScreen::ShownBubble() const { return IsMessageShown() ? bubble_.Get() : nullptr; }

bool MiniGameScreen::IsMessageShown() const {
    const halvo::GuiWidget* bubble = bubble_.Get();
    return bubble && bubble->GetParent();
}

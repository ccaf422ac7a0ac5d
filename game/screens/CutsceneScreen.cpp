#include "game/screens/CutsceneScreen.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "game/Game.h"
#include "game/ModuleCall.h"
#include "gui/GuiAlpha.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/Loca.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarUnicode.h"
#include "script/runtime/values/t_Named.h"

namespace {

using halvo::GuiWidget;

constexpr const char* kPositionWords[CutsceneScreen::kSlotCount] = {"left", "center", "right"};
constexpr const char* kParamTag = "tag";
constexpr const char* kParamTime = halvo::GuiAnimator::kParamTime;
constexpr const char* kParamAlpha = halvo::GuiAlpha::kParamAlpha;
constexpr const char* kTexture = "texture";
constexpr const char* kMover = "Mover";
constexpr const char* kAlpha = "Alpha";
constexpr const char* kFrame = "Frame";
constexpr const char* kSprite = "Sprite";

// Bubbles are opaque black on the script's side (alpha in the top byte).
constexpr int32_t kBubbleColour = static_cast<int32_t>(0xFF000000u);
// A bubble stands beside its speaker: these shares of the screen's width,
// at half its height.
constexpr float kBubbleX[CutsceneScreen::kSlotCount] = {0.35f, 0.5f, 0.65f};
constexpr float kBubbleY = 0.5f;
constexpr int kBubbleArguments = 5;

constexpr Point2i kFallbackScreenSize{1920, 1080};

const std::string kNoName;

void Put(Vrel::t_Named& table, const char* name, float value) { table.GetOrAddMember(name)->SetFloat(value); }
void Put(Vrel::t_Named& table, const char* name, const char* value) {
    table.GetOrAddMember(name)->SetString(value);
}

bool IsSlot(int32_t slot) { return slot >= 0 && slot < CutsceneScreen::kSlotCount; }

bool HasRemoveTag(halvo::GuiAnimator& animator) {
    const Vrel::Var* tag = animator.GetMember(kParamTag);
    const char* text = tag ? tag->GetCString() : nullptr;
    return text && std::strcmp(text, CutsceneScreen::kRemoveTag) == 0;
}

void StartMove(GuiWidget& widget, Vec2 to, bool removeAtEnd) {
    Vrel::t_Named table;
    Put(table, GuiWidget::kPropXPos, to.x);
    Put(table, GuiWidget::kPropYPos, to.y);
    Put(table, kParamTime, CutsceneScreen::kSpeakerAnimationMs);
    if (removeAtEnd) Put(table, kParamTag, CutsceneScreen::kRemoveTag);
    halvo::StartAnimation(&widget, kMover, table);
}

void StartFade(GuiWidget& widget, float alpha, bool removeAtEnd) {
    Vrel::t_Named table;
    Put(table, kParamAlpha, alpha);
    Put(table, kParamTime, CutsceneScreen::kSpeakerAnimationMs);
    if (removeAtEnd) Put(table, kParamTag, CutsceneScreen::kRemoveTag);
    halvo::StartAnimation(&widget, kAlpha, table);
}

void RemoveFromTree(GuiWidget* widget) {
    if (!widget || !widget->GetParent()) return;
    halvo::AutoRef<GuiWidget> hold(widget);
    widget->RemoveAndDetach();
}

// The localised text of a key the table knows; any other text as it is,
// each byte one character.
Vrel::VarUnicode* BubbleText(const char* text) {
    std::u16string translated;
    if (Loca::Global().Translate(text, translated) >= 0)
        return new Vrel::VarUnicode(std::vector<char16_t>(translated.begin(), translated.end()));
    return new Vrel::VarUnicode(text);
}

}  // namespace

const ClassRecord CutsceneScreen::kClassRecord = {"CutsceneScreen", &SceneScreen::kClassRecord,
                                                  &CutsceneScreen::Create};

halvo::RefObj* CutsceneScreen::Create() { return new CutsceneScreen(); }

double CutsceneScreen::autoplayElapsed = 0.0;

CutsceneScreen::CutsceneScreen() {
    SetPosition(GetScreenRectMin());
    const Vec2 size = LogicalSize();
    SetSize({TruncateToInt(size.x), TruncateToInt(size.y)});
}

CutsceneScreen::~CutsceneScreen() {
    for (int32_t slot : {kSlotLeft, kSlotRight, kSlotCenter}) ClearSpeaker(slot);
    RemoveFromTree(GetGuiFrame());
    SetGuiFrame(nullptr);
}

bool CutsceneScreen::OnInput(const InputEvent& event) {
    if (event.kind == InputEvent::kButtonDown) pageTurn_.NotePress(event.timeMs, chatBubble_.Get());
    if (event.kind != InputEvent::kButtonUp) return false;
    const bool turns = pageTurn_.ReleaseTurns(chatBubble_.Get());
    if (!waitingThread_) return false;
    // While a line waits, a release that does not turn it is nobody's: an
    // adventure's hotspot under it must not take it either.
    if (turns) DismissBubble();
    return true;
}

void CutsceneScreen::OnUpdate(double totalMs, double stepMs) {
    halvo::AutoRef<CutsceneScreen> self(this);
    SceneScreen::OnUpdate(totalMs, stepMs);
    if (GuiWidget* frame = GetGuiFrame()) frame->WriteFloat(GuiWidget::kPropXPos, GetScroll().x);
    if (halvo::AutoRef<Scene> scene = GetScene()) scene->UpdateMarkers(totalMs, stepMs);
    StepAutoplay(stepMs);
}

bool CutsceneScreen::SetScene(Scene* scene) {
    SceneScreen::SetScene(scene);
    const Vec2 size = LogicalSize();
    Vrel::t_Named table;
    Put(table, GuiWidget::kPropXSize, size.x);
    Put(table, GuiWidget::kPropYSize, size.y);
    Put(table, GuiWidget::kPropXPos, GetScreenRectMin().x);
    const Game* game = Game::Current();
    // Window pixels per design unit: what the frame's text is rendered at.
    const float startScale = game && game->viewExtent.y != 0
                                 ? static_cast<float>(game->windowSize.y) / static_cast<float>(game->viewExtent.y)
                                 : 1.0f;
    Put(table, GuiWidget::kPropStartScale, startScale);
    halvo::AutoRef<GuiWidget> frame = halvo::GuiCreateWidget(kFrame, table, halvo::GuiMain::Global().GetRoot());
    SetGuiFrame(frame.Get());
    if (frame) frame->AddListener(new CutsceneListener());
    return true;
}

// ---- speakers ---------------------------------------------------------------------

float CutsceneScreen::AddSpeaker(const char* name, const char* position, const char* pose) {
    const int32_t slot = SpeakerSlotFromPosition(position);
    if (!IsSlot(slot)) return 0.0f;
    ClearSpeaker(slot);
    speakerNames_[slot] = name ? name : "";
    if (!SetSpeakerPose(slot, pose)) return 0.0f;
    GuiWidget& sprite = *speakerSprites_[slot];
    const Vec2 resting = sprite.GetPosition();
    const Vec2 outside = OffscreenPosition(slot, sprite);
    sprite.SetPositionXY(outside.x, outside.y);
    StartMove(sprite, resting, false);
    return kSpeakerAnimationMs;
}

float CutsceneScreen::RemoveSpeaker(const char* speaker) {
    const int32_t slot = FindSpeakerSlot(speaker);
    if (!IsSlot(slot)) return 0.0f;
    if (GuiWidget* sprite = speakerSprites_[slot].Get()) StartMove(*sprite, OffscreenPosition(slot, *sprite), true);
    speakerSprites_[slot].Reset();
    speakerNames_[slot].clear();
    return kSpeakerAnimationMs;
}

float CutsceneScreen::SetPose(const char* speaker, const char* pose) {
    const int32_t slot = FindSpeakerSlot(speaker);
    if (!IsSlot(slot)) return 0.0f;
    const halvo::AutoRef<GuiWidget> old = speakerSprites_[slot];
    if (!SetSpeakerPose(slot, pose)) return kSpeakerAnimationMs;
    if (old) StartFade(*old, 0.0f, true);
    GuiWidget& sprite = *speakerSprites_[slot];
    sprite.WriteFloat(GuiWidget::kPropAlpha, 0.0f);
    StartFade(sprite, 1.0f, false);
    return kSpeakerAnimationMs;
}

bool CutsceneScreen::SetSpeakerPose(int32_t slot, const char* pose) {
    char texture[512];
    std::snprintf(texture, sizeof texture, kPoseTexture, pose ? pose : "");
    Vrel::t_Named table;
    Put(table, GuiWidget::kPropXPos, 0.0f);
    Put(table, GuiWidget::kPropYPos, 0.0f);
    Put(table, kTexture, texture);
    Put(table, GuiWidget::kPropAlpha, 1.0f);
    halvo::AutoRef<GuiWidget> sprite = halvo::GuiCreateWidget(kSprite, table, GetGuiFrame());
    if (!sprite) return false;
    const Vec2 size = LogicalSize();
    const float width = sprite->ReadFloat(GuiWidget::kPropXSize);
    const float x = slot == kSlotLeft ? 0.0f : slot == kSlotCenter ? (size.x - width) * 0.5f : size.x - width;
    sprite->SetPositionXY(x, size.y - sprite->ReadFloat(GuiWidget::kPropYSize));
    speakerSprites_[slot] = sprite;
    return true;
}

void CutsceneScreen::ClearSpeaker(int32_t slot) {
    if (!IsSlot(slot)) return;
    speakerNames_[slot].clear();
    RemoveFromTree(speakerSprites_[slot].Get());
    speakerSprites_[slot].Reset();
}

Vec2 CutsceneScreen::OffscreenPosition(int32_t slot, const GuiWidget& sprite) const {
    const Vec2 size = LogicalSize();
    const Vec2 at = sprite.GetPosition();
    switch (slot) {
    case kSlotLeft: return {-sprite.ReadFloat(GuiWidget::kPropXSize), at.y};
    case kSlotCenter: return {at.x, size.y};
    default: return {size.x, at.y};
    }
}

int32_t CutsceneScreen::SpeakerSlotFromPosition(const char* position) {
    if (!position) return kSlotNone;
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
        if (std::strcmp(position, kPositionWords[slot]) == 0) return slot;
    return kSlotNone;
}

int32_t CutsceneScreen::FindSpeakerSlot(const char* speaker) const {
    if (!speaker) return kSlotNone;
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
        if (!speakerNames_[slot].empty() && speakerNames_[slot] == speaker) return slot;
    return SpeakerSlotFromPosition(speaker);
}

// ---- chat bubbles ------------------------------------------------------------------

void CutsceneScreen::Says(Vrel::Thread* caller, const char* speaker, const char* text) {
    autoplayElapsed = 0.0;
    const int32_t slot = FindSpeakerSlot(speaker);
    if (!IsSlot(slot)) return;
    halvo::AutoRef<CutsceneScreen> self(this);
    // Only one script can wait here; an earlier one would stay paused for good.
    if (waitingThread_) DismissBubble();
    const Vec2 size = LogicalSize();
    Vrel::Var arguments[kBubbleArguments];
    if (GuiWidget* frame = GetGuiFrame()) arguments[0].SetObject(frame);
    arguments[1].SetInt(kBubbleColour);
    arguments[2].SetObject(BubbleText(text ? text : ""));
    arguments[3].SetFloat(size.x * kBubbleX[slot]);
    arguments[4].SetFloat(size.y * kBubbleY);
    chatBubble_ = CallModuleForWidget(kBubbleModule, kBubbleFunction, arguments, kBubbleArguments).Get();
    if (!chatBubble_) return;
    pageTurn_.PageCameUp(chatBubble_.Get());
    if (!caller) return;
    caller->SetState(Vrel::kThreadPaused);
    waitingThread_ = caller;
}

void CutsceneScreen::DismissBubble() {
    halvo::AutoRef<CutsceneScreen> self(this);
    RemoveFromTree(chatBubble_.Get());
    if (Vrel::Thread* thread = waitingThread_.Get()) thread->Resume();
    waitingThread_ = nullptr;
}

void CutsceneScreen::StepAutoplay(double stepMs) {
    const Game* game = Game::Current();
    if (!game || !game->cheatAutoPlay) return;
    autoplayElapsed += stepMs;
    if (!(autoplayElapsed > kAutoplayMs)) return;
    if (waitingThread_) DismissBubble();
    autoplayElapsed = 0.0;
}

// ---- queries -----------------------------------------------------------------------

const std::string& CutsceneScreen::GetSpeakerName(int32_t slot) const {
    return IsSlot(slot) ? speakerNames_[slot] : kNoName;
}

GuiWidget* CutsceneScreen::GetSpeakerSprite(int32_t slot) const {
    return IsSlot(slot) ? speakerSprites_[slot].Get() : nullptr;
}

GuiWidget* CutsceneScreen::GetChatBubble() const { return chatBubble_.Get(); }

Vrel::Thread* CutsceneScreen::GetWaitingThread() const { return waitingThread_.Get(); }

Vec2 CutsceneScreen::LogicalSize() const {
    const Game* game = Game::Current();
    const Point2i size = game ? game->screenSize : kFallbackScreenSize;
    return {static_cast<float>(size.x), static_cast<float>(size.y)};
}

// ---- the listener ------------------------------------------------------------------

void CutsceneListener::OnAnimationEnd(GuiWidget* widget, halvo::GuiAnimator* animator) {
    if (animator && HasRemoveTag(*animator)) RemoveFromTree(widget);
}

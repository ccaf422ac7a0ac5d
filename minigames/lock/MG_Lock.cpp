#include "minigames/lock/MG_Lock.h"

#include "game/Statistics.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The panel's layout, in the game's own coordinates.
constexpr Vec2 kBackgroundCorner{0.0f, 580.0f};
constexpr int32_t kGameHeight = 1080;
constexpr Vec2 kButtonPosition{960.0f, 760.0f};
constexpr Vec2 kButtonHalfBox{80.0f, 80.0f};
constexpr float kPieceStartX = 380.0f, kPieceStartStep = 130.0f, kPieceStartY = 260.0f;
// Bolts wider than the room left of the timer overlap rather than pile up.
constexpr float kPieceMinStep = 40.0f;
constexpr Vec2 kPieceHalfBox{60.0f, 160.0f};
constexpr float kSlotX = 400.0f, kSlotStep = 160.0f;
constexpr float kSlotDropY = 580.0f, kSlotPlacedY = 500.0f, kSlotPushedY = 600.0f;
constexpr Vec2 kSlotHalfBox{80.0f, 160.0f};
constexpr float kDragMinX = 340.0f, kDragMaxX = 1580.0f, kDragMinY = 100.0f;
// Below the bolt's own height: a bolt dragged down stays above the panel.
constexpr float kDragBelowPieceHeight = 450.0f;
constexpr float kLightX = 364.0f, kLightStep = 159.5f, kLightY = 648.0f;
constexpr float kYellowOffset = 38.0f, kGreenOffset = 76.0f;

constexpr const char* kFolder = "MiniGames/Schloss/";
constexpr const char* kLiftSound = "Sfx/action_metal_click_open_out_6028_24_1";
constexpr const char* kDropSound = "Sfx/action_metal_click_close_in_6028_24_2";
constexpr const char* kCheckSound = "Sfx/bestaetigung_drop_hit_wood_button";
constexpr const char* kPushSound = "Sfx/action_button_metal_click_pressed_6028_85_3";
constexpr const char* kWrongPushSound = "Sfx/action_button_metal_click_released_6028_85_4";

bool InBox(Vec2 p, Vec2 centre, Vec2 half) {
    return std::fabs(p.x - centre.x) < half.x && std::fabs(p.y - centre.y) < half.y;
}

float SlotX(int32_t slot) { return kSlotX + kSlotStep * static_cast<float>(slot); }

void CountTry() { AddToStatistic(MG_Lock::kTriesKey); }

}  // namespace

const ClassRecord MG_Lock::kClassRecord = {"MG_Lock", &GameScreen::kClassRecord, &MG_Lock::Create};

halvo::RefObj* MG_Lock::Create() { return new MG_Lock(); }

MG_Lock::MG_Lock() = default;

MG_Lock::~MG_Lock() = default;

bool MG_Lock::LoadConfig(const Vec2& centre) {
    LockConfig config;
    config.solved = DataTree::GetInt(kSolvedKey);
    ReadLockConfig(config);
    if (const char* why = LoadImages()) {
        halvo::LogMessage("MG_Lock::LoadConfig - %s (%s)", why, kFolder);
        return false;
    }
    CentreOn(centre, {background_->size.x, kGameHeight});
    rules_ = std::make_unique<LockRules>(config);
    SettlePieces();
    CreateTimer(kTimeKey);
    return true;
}

const char* MG_Lock::LoadImages() {
    background_ = LoadMiniGameImage(kFolder, "Background");
    if (!background_) return "no background";
    background_->anchor = {0.0f, 0.0f};
    for (int32_t i = 0; i < LockRules::kPieceCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Bolt%02d", i + 1);
        pieces_[i].image = LoadMiniGameImage(kFolder, name);
        if (!pieces_[i].image) return "no bolt picture";
    }
    PlaceWaitingRow();
    // Without these the lock still plays; what is missing is not drawn.
    buttonOut_ = LoadMiniGameImage(kFolder, "ButtonOut");
    buttonIn_ = LoadMiniGameImage(kFolder, "ButtonIn");
    lightWhite_ = LoadMiniGameImage(kFolder, "LightWhite");
    lightRed_ = LoadMiniGameImage(kFolder, "LightRed");
    lightYellow_ = LoadMiniGameImage(kFolder, "LightYellow");
    lightGreen_ = LoadMiniGameImage(kFolder, "LightGreen");
    return nullptr;
}

// ---- input -------------------------------------------------------------------------

bool MG_Lock::OnInput(const InputEvent& event) {
    if (IsMessageShown()) {
        AdvanceMessage(event);
        return true;
    }
    if (!rules_) return false;
    const Vec2 p{event.x, event.y};
    switch (event.kind) {
    case InputEvent::kButtonDown:
        // A second press while a bolt is held would take another one up.
        if (dragged_ < 0) PressAt(p);
        return true;
    case InputEvent::kPointer:
        DragTo(p);
        return false;
    case InputEvent::kButtonUp:
        if (buttonDown_) {
            CheckCode();
            buttonDown_ = false;
            return true;
        }
        DropDragged();
        return false;
    default:
        return false;
    }
}

void MG_Lock::PressAt(Vec2 p) {
    for (int32_t i = LockRules::kPieceCount - 1; i >= 0; --i) {
        if (!InBox(p, pieces_[i].position, kPieceHalfBox)) continue;
        if (rules_->GetPhase() == LockPhase::kPushing) {
            Push(i);
            continue;
        }
        const LockLift lift = rules_->TryLift(i);
        if (lift != LockLift::kTaken && lift != LockLift::kTakenFromSlot) continue;
        if (lift == LockLift::kTakenFromSlot) PlayMiniGameSound(kLiftSound);
        dragged_ = i;
        grabOffset_ = p - pieces_[i].position;
        return;
    }
    if (InBox(p, kButtonPosition, kButtonHalfBox)) buttonDown_ = true;
}

void MG_Lock::Push(int32_t piece) {
    const LockPush push = rules_->Push(piece);
    if (push == LockPush::kIgnored) return;
    if (push == LockPush::kWrongOrder) {
        PlayMiniGameSound(kWrongPushSound);
        CountTry();
    } else {
        PlayMiniGameSound(kPushSound);
    }
    SettlePieces();
}

void MG_Lock::DragTo(Vec2 p) {
    if (dragged_ < 0) return;
    Piece& piece = pieces_[dragged_];
    Vec2 at = p - grabOffset_;
    at.x = std::clamp(at.x, kDragMinX, kDragMaxX);
    at.y = std::max(at.y, kDragMinY);
    at.y = std::min(at.y, static_cast<float>(piece.image->size.y) + kDragBelowPieceHeight);
    // A bolt left at the top right would hide the timer: it stays below.
    const Vec2 half = {static_cast<float>(piece.image->size.x) / 2, static_cast<float>(piece.image->size.y) / 2};
    if (at.x + half.x > MiniGameScreen::kTextDisplayMin.x)
        at.y = std::max(at.y, MiniGameScreen::kTextDisplayMax.y + half.y);
    piece.position = at;
}

// The bolts wait in one even row, closed up where its right end would
// reach under the timer (dropped there, a bolt would go below it).
void MG_Lock::PlaceWaitingRow() {
    float widest = 0;
    for (const Piece& piece : pieces_) widest = std::max(widest, static_cast<float>(piece.image->size.x));
    const float lastX = MiniGameScreen::kTextDisplayMin.x - widest / 2;
    const float room = (lastX - kPieceStartX) / static_cast<float>(LockRules::kPieceCount - 1);
    const float step = std::clamp(room, kPieceMinStep, kPieceStartStep);
    for (int32_t i = 0; i < LockRules::kPieceCount; ++i)
        pieces_[i].position = {kPieceStartX + step * static_cast<float>(i), kPieceStartY};
}

void MG_Lock::DropDragged() {
    if (dragged_ < 0) return;
    const int32_t piece = dragged_;
    dragged_ = -1;
    int32_t target = -1;
    for (int32_t s = 0; s < LockRules::kSlotCount && target < 0; ++s) {
        const bool inBox = InBox(pieces_[piece].position, {SlotX(s), kSlotDropY}, kSlotHalfBox);
        if (inBox && rules_->GetSlotState(s) == LockSlotState::kEmpty) target = s;
    }
    if (!rules_->Drop(target)) return;
    PlayMiniGameSound(kDropSound);
    pieces_[piece].position = {SlotX(target), kSlotPlacedY};
}

void MG_Lock::CheckCode() {
    const LockCheck check = rules_->Check();
    if (check == LockCheck::kNothingToCheck) return;
    PlayMiniGameSound(kCheckSound);
    CountTry();
    if (check == LockCheck::kLost) Finish(kMiniGameLost);
}

void MG_Lock::SettlePieces() {
    for (int32_t s = 0; s < LockRules::kSlotCount; ++s) {
        const int32_t piece = rules_->GetSlotPiece(s);
        if (piece < 0) continue;
        const bool pushed = rules_->GetSlotState(s) == LockSlotState::kPushedIn;
        pieces_[piece].position = {SlotX(s), pushed ? kSlotPushedY : kSlotPlacedY};
    }
}

// ---- update and drawing -------------------------------------------------------------

void MG_Lock::OnUpdate(double, double stepMs) {
    if (!rules_ || IsFrozen()) return;
    AddTime(stepMs);
    if (rules_->IsWon()) Finish(kMiniGameWon);
}

void MG_Lock::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::SetColor(Color::White);
    GLState::EnableBlend();
    DrawPieces(matrix, true);
    DrawAt(background_.Get(), kBackgroundCorner, matrix);
    const bool placing = rules_->GetPhase() == LockPhase::kPlacing;
    if (placing) DrawAt(buttonDown_ ? buttonIn_.Get() : buttonOut_.Get(), kButtonPosition, matrix);
    DrawLights(matrix);
    if (placing) DrawPieces(matrix, false);
}

void MG_Lock::DrawPieces(const Matrix4& matrix, bool inSlots) {
    for (int32_t i = 0; i < LockRules::kPieceCount; ++i) {
        const bool inSlot = rules_->GetPieceSlot(i) >= 0;
        if (inSlot == inSlots && i != dragged_) DrawAt(pieces_[i].image.Get(), pieces_[i].position, matrix);
    }
    if (!inSlots && dragged_ >= 0) DrawAt(pieces_[dragged_].image.Get(), pieces_[dragged_].position, matrix);
}

void MG_Lock::DrawLights(const Matrix4& matrix) {
    for (int32_t s = 0; s < LockRules::kSlotCount; ++s) {
        const float x = kLightX + kLightStep * static_cast<float>(s);
        switch (rules_->GetSlotState(s)) {
        case LockSlotState::kRight:
        case LockSlotState::kPushedIn:
            DrawAt(lightGreen_.Get(), {x + kGreenOffset, kLightY}, matrix);
            break;
        case LockSlotState::kWrong:
            DrawAt(lightRed_.Get(), {x, kLightY}, matrix);
            break;
        case LockSlotState::kElsewhere:
            DrawAt(lightYellow_.Get(), {x + kYellowOffset, kLightY}, matrix);
            break;
        default:
            break;
        }
    }
    for (int32_t i = 0; i < rules_->GetTriesLeft(); ++i)
        DrawAt(lightWhite_.Get(), {kTryLightX + kTryLightStep * static_cast<float>(i), kTryLightY}, matrix);
}

void MG_Lock::DrawAt(GLImage* image, Vec2 position, const Matrix4& matrix) {
    if (!image) return;
    if (!(image->position == position)) {
        image->position = position;
        image->matrixDirty = true;
    }
    image->Draw(matrix);
}

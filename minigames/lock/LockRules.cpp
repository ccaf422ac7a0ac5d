#include "minigames/lock/LockRules.h"

#include "platform/os/Random.h"

#include <algorithm>

void ReadLockConfig(LockConfig& config) {
    config.solved = std::clamp(config.solved, int32_t{0}, LockRules::kSlotCount);
}

LockRules::LockRules(const LockConfig& config) {
    pieceSlot_.fill(-1);
    slotPiece_.fill(-1);
    slotState_.fill(LockSlotState::kEmpty);
    DrawCode();
    DrawPushOrder();
    // ReadLockConfig decides the range; this only keeps a config that never
    // went through it from reading past the push order.
    presetCount_ = std::clamp(config.solved, int32_t{0}, kSlotCount);
    ApplyPresets();
}

int32_t LockRules::GetPieceSlot(int32_t piece) const {
    return piece >= 0 && piece < kPieceCount ? pieceSlot_[piece] : -1;
}

int32_t LockRules::GetSlotPiece(int32_t slot) const {
    return slot >= 0 && slot < kSlotCount ? slotPiece_[slot] : -1;
}

LockSlotState LockRules::GetSlotState(int32_t slot) const {
    return slot >= 0 && slot < kSlotCount ? slotState_[slot] : LockSlotState::kEmpty;
}

LockLift LockRules::TryLift(int32_t piece) {
    if (phase_ != LockPhase::kPlacing || held_ >= 0 || piece < 0 || piece >= kPieceCount) {
        return LockLift::kRefused;
    }
    const int32_t slot = pieceSlot_[piece];
    if (slot < 0) {
        held_ = piece;
        return LockLift::kTaken;
    }
    const LockSlotState state = slotState_[slot];
    if (state == LockSlotState::kRight || state == LockSlotState::kPushedIn) return LockLift::kFixed;
    slotState_[slot] = LockSlotState::kEmpty;
    slotPiece_[slot] = -1;
    pieceSlot_[piece] = -1;
    for (LockSlotState& other : slotState_) {
        if (other == LockSlotState::kWrong || other == LockSlotState::kElsewhere) {
            other = LockSlotState::kPlaced;
        }
    }
    held_ = piece;
    return LockLift::kTakenFromSlot;
}

bool LockRules::Drop(int32_t slot) {
    const int32_t piece = held_;
    held_ = -1;
    if (piece < 0 || slot < 0 || slot >= kSlotCount) return false;
    if (slotState_[slot] != LockSlotState::kEmpty) return false;
    slotState_[slot] = LockSlotState::kPlaced;
    slotPiece_[slot] = piece;
    pieceSlot_[piece] = slot;
    return true;
}

LockCheck LockRules::Check() {
    if (phase_ != LockPhase::kPlacing || lost_) return LockCheck::kNothingToCheck;
    if (std::find(slotState_.begin(), slotState_.end(), LockSlotState::kPlaced) == slotState_.end()) {
        return LockCheck::kNothingToCheck;
    }
    bool allRight = true;
    for (int32_t s = 0; s < kSlotCount; ++s) {
        LockSlotState& state = slotState_[s];
        if (state == LockSlotState::kPlaced) {
            const int32_t piece = slotPiece_[s];
            if (piece == code_[s]) {
                state = LockSlotState::kRight;
            } else {
                allRight = false;
                state = IsInCode(piece) ? LockSlotState::kElsewhere : LockSlotState::kWrong;
            }
        } else if (state != LockSlotState::kRight && state != LockSlotState::kPushedIn) {
            allRight = false;
        }
    }
    if (allRight) {
        phase_ = LockPhase::kPushing;
        triesLeft_ = 0;
        return LockCheck::kOpened;
    }
    if (--triesLeft_ > 0) return LockCheck::kWrong;
    lost_ = true;
    return LockCheck::kLost;
}

LockPush LockRules::Push(int32_t piece) {
    if (phase_ != LockPhase::kPushing || piece < 0 || piece >= kPieceCount) return LockPush::kIgnored;
    const int32_t slot = pieceSlot_[piece];
    if (slot < 0) return LockPush::kIgnored;
    if (slot == pressOrder_[pressedCount_]) {
        slotState_[slot] = LockSlotState::kPushedIn;
        if (++pressedCount_ < kSlotCount) return LockPush::kPushed;
        phase_ = LockPhase::kOpen;
        return LockPush::kOpened;
    }
    pressedCount_ = presetCount_;
    for (int32_t k = presetCount_; k < kSlotCount; ++k) {
        LockSlotState& state = slotState_[pressOrder_[k]];
        if (state == LockSlotState::kPushedIn) state = LockSlotState::kRight;
    }
    return LockPush::kWrongOrder;
}

void LockRules::DrawCode() {
    std::array<int32_t, kPieceCount> pieces{};
    for (int32_t i = 0; i < kPieceCount; ++i) pieces[i] = i;
    for (int32_t i = 0; i < kPieceCount; ++i) {
        const int32_t r = os::Rand() % kPieceCount;
        if (r != i) std::swap(pieces[i], pieces[r]);
    }
    std::copy_n(pieces.begin(), kSlotCount, code_.begin());
}

void LockRules::DrawPushOrder() {
    for (int32_t i = 0; i < kSlotCount; ++i) pressOrder_[i] = i;
    for (int32_t i = 0; i < kSlotCount; ++i) {
        const int32_t r = os::Rand() % kSlotCount;
        if (r != i) std::swap(pressOrder_[i], pressOrder_[r]);
    }
}

void LockRules::ApplyPresets() {
    for (int32_t k = 0; k < presetCount_; ++k) {
        const int32_t slot = pressOrder_[k];
        const int32_t piece = code_[slot];
        slotState_[slot] = LockSlotState::kPushedIn;
        slotPiece_[slot] = piece;
        pieceSlot_[piece] = slot;
    }
    pressedCount_ = presetCount_;
    // Every slot pushed in leaves nothing to place or check: the lock is open
    // and the first update reports the win instead of waiting forever.
    if (presetCount_ == kSlotCount) phase_ = LockPhase::kOpen;
}

bool LockRules::IsInCode(int32_t piece) const {
    return std::find(code_.begin(), code_.end(), piece) != code_.end();
}

#pragma once
// The code lock's rules: ten numbered pieces, eight slots, a hidden code of
// eight different pieces and a hidden order in which the slots must be pushed
// in. The screen drags and draws; every change to a piece or a slot is one
// move here, so a whole game can be played without a screen.

#include <array>
#include <cstdint>

// The lock reads no file, only how many slots the script solved in advance.
struct LockConfig {
    int32_t solved = 0;  // "[PLAYER]/Data/Minigames/Lock/Solved" as the screen found it
};

// Brings "solved" into 0..8: a negative count means none, a count above the
// slots means all of them (the key is a script's hint, not a reason to refuse).
void ReadLockConfig(LockConfig& config);

enum class LockSlotState : int32_t {
    kEmpty = 0,
    kPlaced = 1,     // not graded yet
    kRight = 2,      // graded green; the piece stays in
    kPushedIn = 3,   // green, pushed in during the second phase
    kWrong = 4,      // red: the piece is not in the code
    kElsewhere = 5,  // yellow: the piece belongs in another slot
};

enum class LockPhase : int32_t { kPlacing = 0, kPushing = 1, kOpen = 2 };

enum class LockLift { kTaken, kTakenFromSlot, kFixed, kRefused };
enum class LockCheck { kNothingToCheck, kWrong, kLost, kOpened };
enum class LockPush { kIgnored, kPushed, kOpened, kWrongOrder };

class LockRules {
public:
    static constexpr int32_t kPieceCount = 10;
    static constexpr int32_t kSlotCount = 8;
    static constexpr int32_t kTries = 10;

    // Draws the code, then the push order (two rounds of swaps through
    // os::Rand), then pushes in the preset slots.
    explicit LockRules(const LockConfig& config);

    LockPhase GetPhase() const { return phase_; }
    bool IsWon() const { return phase_ == LockPhase::kOpen; }
    bool IsLost() const { return lost_; }
    int32_t GetTriesLeft() const { return triesLeft_; }
    // -1 while the piece lies outside the lock (or is held).
    int32_t GetPieceSlot(int32_t piece) const;
    // -1 for an empty slot or an index outside the lock.
    int32_t GetSlotPiece(int32_t slot) const;
    LockSlotState GetSlotState(int32_t slot) const;
    // The piece taken by TryLift and not yet dropped; -1 none.
    int32_t GetHeldPiece() const { return held_; }
    int32_t GetPressedCount() const { return pressedCount_; }
    int32_t GetPresetCount() const { return presetCount_; }
    // The hidden solution, for tests; the screen never shows it.
    int32_t CodeAt(int32_t slot) const { return code_[slot]; }
    int32_t PushOrderAt(int32_t index) const { return pressOrder_[index]; }

    // Picks a piece up while placing. Refused while another piece is held or
    // outside the placing phase; a graded green piece stays fixed. Taking one
    // out of its slot puts every red and yellow light out.
    LockLift TryLift(int32_t piece);
    // Lets the held piece go over the given slot (-1 none). True when it went
    // into that slot; false leaves it lying where it was dropped.
    bool Drop(int32_t slot);
    // Grades the newly placed pieces; costs a try unless nothing is placed.
    LockCheck Check();
    // Pushes in a piece sitting in a slot during the second phase. A push out
    // of order lets out every piece the player pushed in, not the presets.
    LockPush Push(int32_t piece);

private:
    void DrawCode();
    void DrawPushOrder();
    void ApplyPresets();
    bool IsInCode(int32_t piece) const;

    std::array<int32_t, kSlotCount> code_{};
    std::array<int32_t, kSlotCount> pressOrder_{};
    std::array<int32_t, kPieceCount> pieceSlot_{};
    std::array<int32_t, kSlotCount> slotPiece_{};
    std::array<LockSlotState, kSlotCount> slotState_{};
    int32_t pressedCount_ = 0;
    int32_t presetCount_ = 0;
    int32_t triesLeft_ = kTries;
    int32_t held_ = -1;
    LockPhase phase_ = LockPhase::kPlacing;
    bool lost_ = false;
};

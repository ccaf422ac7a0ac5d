#include "minigames/lock/LockRules.h"

#include "platform/os/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

LockRules MakeLock(uint32_t seed, int32_t solved = 0) {
    os::SeedRand(seed);
    LockConfig config{solved};
    ReadLockConfig(config);
    return LockRules(config);
}

void Place(LockRules& lock, int32_t piece, int32_t slot) {
    ASSERT_NE(lock.TryLift(piece), LockLift::kRefused) << "piece " << piece;
    ASSERT_TRUE(lock.Drop(slot)) << "piece " << piece << " slot " << slot;
}

// The pieces not in the code, in ascending order.
std::vector<int32_t> Spares(const LockRules& lock) {
    std::vector<int32_t> spares;
    for (int32_t p = 0; p < LockRules::kPieceCount; ++p) {
        bool used = false;
        for (int32_t s = 0; s < LockRules::kSlotCount; ++s) used |= lock.CodeAt(s) == p;
        if (!used) spares.push_back(p);
    }
    return spares;
}

void PushAllInOrder(LockRules& lock) {
    for (int32_t k = lock.GetPressedCount(); k < LockRules::kSlotCount; ++k) {
        const int32_t slot = lock.PushOrderAt(k);
        lock.Push(lock.GetSlotPiece(slot));
    }
}

}  // namespace



TEST(LockRulesTest, PresetsArePushedInFollowingThePushOrder) {
    LockRules lock = MakeLock(7, 3);
    EXPECT_EQ(lock.GetPressedCount(), 3);
    for (int32_t k = 0; k < 3; ++k) {
        const int32_t slot = lock.PushOrderAt(k);
        EXPECT_EQ(lock.GetSlotState(slot), LockSlotState::kPushedIn);
        EXPECT_EQ(lock.GetSlotPiece(slot), lock.CodeAt(slot));
        EXPECT_EQ(lock.GetPieceSlot(lock.CodeAt(slot)), slot);
        EXPECT_EQ(lock.TryLift(lock.CodeAt(slot)), LockLift::kFixed);
    }
    EXPECT_EQ(lock.GetPhase(), LockPhase::kPlacing);
}

TEST(LockRulesTest, AllSlotsPresetOpensTheLockInsteadOfWaitingForACheck) {
    for (int32_t key : {8, 12}) {
        LockRules lock = MakeLock(3, key);
        EXPECT_TRUE(lock.IsWon()) << key;
        EXPECT_EQ(lock.Check(), LockCheck::kNothingToCheck);
        EXPECT_EQ(lock.GetTriesLeft(), 10);
    }
}

TEST(LockRulesTest, NegativeSolvedKeyPresetsNothingAndTheGameStillOpens) {
    LockRules lock = MakeLock(11, -3);
    EXPECT_EQ(lock.GetPresetCount(), 0);
    for (int32_t s = 0; s < 8; ++s) Place(lock, lock.CodeAt(s), s);
    EXPECT_EQ(lock.Check(), LockCheck::kOpened);
    lock.Push(lock.GetSlotPiece(lock.PushOrderAt(1)));  // out of order: nothing stays in
    EXPECT_EQ(lock.GetPressedCount(), 0);
    PushAllInOrder(lock);
    EXPECT_TRUE(lock.IsWon());
}

TEST(LockRulesTest, CheckGradesOnlyNewlyPlacedPiecesAndCostsATry) {
    LockRules lock = MakeLock(5);
    EXPECT_EQ(lock.Check(), LockCheck::kNothingToCheck);  // nothing placed: free
    EXPECT_EQ(lock.GetTriesLeft(), 10);
    Place(lock, lock.CodeAt(0), 0);
    Place(lock, lock.CodeAt(1), 1);
    EXPECT_EQ(lock.Check(), LockCheck::kWrong);
    EXPECT_EQ(lock.GetTriesLeft(), 9);
    EXPECT_EQ(lock.GetSlotState(0), LockSlotState::kRight);
    EXPECT_EQ(lock.GetSlotState(1), LockSlotState::kRight);
    EXPECT_EQ(lock.GetSlotState(2), LockSlotState::kEmpty);
    EXPECT_EQ(lock.Check(), LockCheck::kNothingToCheck);  // graded pieces are not new
    EXPECT_EQ(lock.GetTriesLeft(), 9);
}

TEST(LockRulesTest, WrongAndElsewhereLightsGoOutWhenAPieceIsTakenOut) {
    LockRules lock = MakeLock(9);
    const int32_t spare = Spares(lock)[0];
    Place(lock, spare, 0);             // not in the code: red
    Place(lock, lock.CodeAt(1), 2);    // belongs in slot 1: yellow
    Place(lock, lock.CodeAt(3), 3);    // green
    lock.Check();
    EXPECT_EQ(lock.GetSlotState(0), LockSlotState::kWrong);
    EXPECT_EQ(lock.GetSlotState(2), LockSlotState::kElsewhere);
    EXPECT_EQ(lock.GetSlotState(3), LockSlotState::kRight);
    EXPECT_EQ(lock.TryLift(lock.CodeAt(3)), LockLift::kFixed);
    EXPECT_EQ(lock.TryLift(spare), LockLift::kTakenFromSlot);
    EXPECT_EQ(lock.GetSlotState(0), LockSlotState::kEmpty);
    EXPECT_EQ(lock.GetSlotState(2), LockSlotState::kPlaced);
    EXPECT_EQ(lock.GetSlotState(3), LockSlotState::kRight);
    EXPECT_FALSE(lock.Drop(-1));  // dropped outside every slot
    EXPECT_EQ(lock.GetPieceSlot(spare), -1);
}

TEST(LockRulesTest, ASecondLiftWhileHoldingIsRefusedSoNoPieceLosesItsSlot) {
    LockRules lock = MakeLock(13);
    Place(lock, 4, 0);
    Place(lock, 5, 1);
    EXPECT_EQ(lock.TryLift(4), LockLift::kTakenFromSlot);
    EXPECT_EQ(lock.TryLift(5), LockLift::kRefused);
    EXPECT_EQ(lock.GetSlotPiece(1), 5);
    EXPECT_FALSE(lock.Drop(1));  // occupied: the held piece stays out
    EXPECT_EQ(lock.GetHeldPiece(), -1);
    EXPECT_EQ(lock.GetPieceSlot(4), -1);
    EXPECT_EQ(lock.TryLift(4), LockLift::kTaken);  // still free to pick up
    EXPECT_TRUE(lock.Drop(0));
    EXPECT_EQ(lock.GetSlotPiece(0), 4);
}

TEST(LockRulesTest, TenFailedChecksLoseAndFurtherChecksDoNothing) {
    LockRules lock = MakeLock(17);
    const int32_t spare = Spares(lock)[0];
    for (int32_t i = 1; i <= 10; ++i) {
        Place(lock, spare, 0);
        EXPECT_EQ(lock.Check(), i < 10 ? LockCheck::kWrong : LockCheck::kLost) << i;
        if (i < 10) {
            ASSERT_EQ(lock.TryLift(spare), LockLift::kTakenFromSlot);
            ASSERT_FALSE(lock.Drop(-1));
        }
    }
    EXPECT_TRUE(lock.IsLost());
    EXPECT_EQ(lock.GetTriesLeft(), 0);
    EXPECT_EQ(lock.Check(), LockCheck::kNothingToCheck);
}

TEST(LockRulesTest, WrongPushReleasesOnlyThePlayersPushesNotThePresets) {
    LockRules lock = MakeLock(21, 2);
    for (int32_t s = 0; s < 8; ++s) {
        if (lock.GetSlotState(s) == LockSlotState::kEmpty) Place(lock, lock.CodeAt(s), s);
    }
    ASSERT_EQ(lock.Check(), LockCheck::kOpened);
    EXPECT_EQ(lock.GetTriesLeft(), 0);
    EXPECT_EQ(lock.Push(lock.GetSlotPiece(lock.PushOrderAt(2))), LockPush::kPushed);
    EXPECT_EQ(lock.Push(lock.GetSlotPiece(lock.PushOrderAt(3))), LockPush::kPushed);
    EXPECT_EQ(lock.Push(lock.GetSlotPiece(lock.PushOrderAt(7))), LockPush::kWrongOrder);
    EXPECT_EQ(lock.GetPressedCount(), 2);
    EXPECT_EQ(lock.GetSlotState(lock.PushOrderAt(0)), LockSlotState::kPushedIn);
    EXPECT_EQ(lock.GetSlotState(lock.PushOrderAt(1)), LockSlotState::kPushedIn);
    EXPECT_EQ(lock.GetSlotState(lock.PushOrderAt(2)), LockSlotState::kRight);
    EXPECT_EQ(lock.GetSlotState(lock.PushOrderAt(3)), LockSlotState::kRight);
    EXPECT_EQ(lock.Push(Spares(lock)[0]), LockPush::kIgnored);  // not in a slot
    PushAllInOrder(lock);
    EXPECT_TRUE(lock.IsWon());
    EXPECT_EQ(lock.TryLift(Spares(lock)[0]), LockLift::kRefused);
}

// A player who only sees the lights: each check fills every open slot with a
// candidate not yet ruled out there. The lights must always tell the truth
// (green exactly where the code says, yellow for code pieces elsewhere, red
// for spares), and this plain strategy opens every seed within ten tries.
TEST(LockRulesTest, PlayingByTheLightsAloneOpensTheLock) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        LockRules lock = MakeLock(seed);
        bool ruledOut[8][10] = {};
        bool spare[10] = {};
        LockCheck result = LockCheck::kWrong;
        while (result == LockCheck::kWrong) {
            std::vector<bool> used(10, false);
            for (int32_t s = 0; s < 8; ++s) {
                if (lock.GetSlotState(s) == LockSlotState::kRight) used[lock.GetSlotPiece(s)] = true;
            }
            for (int32_t s = 0; s < 8; ++s) {
                if (lock.GetSlotState(s) == LockSlotState::kRight) continue;
                if (lock.GetSlotPiece(s) >= 0) {
                    ASSERT_EQ(lock.TryLift(lock.GetSlotPiece(s)), LockLift::kTakenFromSlot);
                    lock.Drop(-1);
                }
                for (int32_t p = 0; p < 10; ++p) {
                    if (used[p] || spare[p] || ruledOut[s][p]) continue;
                    Place(lock, p, s);
                    used[p] = true;
                    break;
                }
            }
            result = lock.Check();
            for (int32_t s = 0; s < 8; ++s) {
                const int32_t p = lock.GetSlotPiece(s);
                const LockSlotState state = lock.GetSlotState(s);
                if (p < 0) continue;
                ASSERT_EQ(state == LockSlotState::kRight || state == LockSlotState::kPushedIn,
                          p == lock.CodeAt(s)) << seed;
                if (state == LockSlotState::kWrong) spare[p] = true;
                if (state == LockSlotState::kElsewhere) ruledOut[s][p] = true;
            }
        }
        ASSERT_EQ(result, LockCheck::kOpened) << "seed " << seed;
        PushAllInOrder(lock);
        EXPECT_TRUE(lock.IsWon()) << seed;
    }
}

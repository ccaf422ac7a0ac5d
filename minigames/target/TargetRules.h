#pragma once
// The rules of the target game: rounds of a preview (every target flips up,
// shows friend, enemy or nothing, and flips down), a shooting phase (clicks
// on the hidden enemies score; a hit enemy stays up) and a reveal, until the
// score reaches the goal at the end of a round. Counts are 17 ms steps.
// Pictures, floating numbers, the enemy's announcement and sounds belong to
// the screen; here a face is an index into a picture list.

#include "minigames/target/TargetConfig.h"
#include "platform/Math.h"

#include <cstdint>
#include <vector>

// Numbers the rules hand out with each tile.
enum TargetKind {
    kTargetFriend = -1,  // costs points when hit
    kTargetEmpty = 0,    // costs points when hit
    kTargetEnemy = 1     // scores when hit
};

enum TargetPhase {
    kTargetPreview = 0,   // the round's targets flip up, show and flip down
    kTargetShooting = 1,  // hits count
    kTargetReveal = 2     // every target up for about three seconds
};

struct TargetTile {
    int32_t kind = kTargetEmpty;
    // The face: -1 the empty front; else an index into the generic pictures
    // (generic variant) or into the friend or enemy pictures by kind.
    int32_t picture = -1;
    int32_t column = 0, row = 0;
    int32_t upLeft = 0, upTotal = 15;
    int32_t showLeft = 0, showTotal = 15;
    int32_t downLeft = 0, downTotal = 15;
};

enum class TargetShot {
    kNone,    // not a shot: another phase, no target, or a target up or moving
    kFriend,  // cost kFriendPoints
    kEmpty,   // cost kEmptyPoints
    kEnemy    // won kEnemyPoints
};

struct TargetClick {
    TargetShot shot = TargetShot::kNone;
    int32_t tile = -1;  // the target shot at
};

struct TargetStepReport {
    bool flipSound = false;  // a flip sound is due
    bool newRound = false;   // a round began (the generic variant announces its enemy)
    bool won = false;        // the round ended with the goal reached
    TargetClick shot;        // the autoplay cheat's shot, scored like a click
};

class TargetRules {
public:
    static constexpr int32_t kGoal = 50;
    static constexpr int32_t kFriendPoints = -10;
    static constexpr int32_t kEmptyPoints = -5;
    static constexpr int32_t kEnemyPoints = 5;
    static constexpr int32_t kFlipSteps = 15;
    static constexpr int32_t kRoundPause = 240;
    static constexpr int32_t kCheatRoundPause = 24;
    static constexpr int32_t kRevealFrames = 180;

    static int32_t PointsFor(TargetShot shot);

    // Starts the first round (os::Rand in the written order). `backSize` is
    // the back picture's size, the target's clickable box.
    TargetRules(const TargetConfig& config, Point2i backSize, bool autoPlay);

    const std::vector<TargetTile>& GetTiles() const { return tiles_; }
    int32_t GetPhase() const { return phase_; }
    int32_t GetScore() const { return score_; }
    int32_t GetGoal() const { return kGoal; }
    int32_t GetWaitFrames() const { return waitFrames_; }
    int32_t GetShowFrames() const { return showFrames_; }
    // The generic picture that is this round's enemy; -1 without generics.
    int32_t GetRoundEnemy() const { return lastEnemy_; }
    bool IsWon() const { return won_; }
    // How far the target has turned its face up: 0 down, 1 up.
    float GetFlip(int32_t tile) const;
    // The first target whose box holds the point, or -1.
    int32_t PickCell(Point2i point) const;

    // A click in the game: ends the pause before a preview, shortens a
    // reveal once every target is up, or shoots.
    TargetClick Click(Point2i point);
    TargetShot ScoreHit(int32_t tile);

    // One 17 ms step of a running game (the screen holds it back while the
    // enemy is announced, a message shows or the game is paused). With the
    // autoplay cheat the pauses are shorter, and an enemy is shot whenever
    // the targets rest.
    TargetStepReport Step(bool autoPlay);

private:
    void NewRound(TargetStepReport& report);
    void PickEnemyPicture();
    void Place(int32_t count, int32_t kind);
    int32_t RandomPicture(int32_t kind);
    void StepTile(TargetTile& tile, bool& active, bool& done, TargetStepReport& report);
    bool AreEnemiesUp() const;
    void StartReveal();
    void RetimeForReveal(TargetTile& tile);
    static int32_t Jitter();

    TargetConfig config_;
    Point2i halfBack_;
    std::vector<TargetTile> tiles_;
    int32_t phase_ = kTargetPreview;
    int32_t waitFrames_ = 0;
    int32_t showFrames_ = 0;
    int32_t score_ = 0;
    int32_t lastEnemy_ = -1;
    bool won_ = false;
    bool flipUpSoundPending_ = false;
    bool flipDownSoundPending_ = false;
};

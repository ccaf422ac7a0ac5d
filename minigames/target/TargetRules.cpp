#include "minigames/target/TargetRules.h"

#include "platform/os/Random.h"

#include <cmath>

namespace {

// Flip and show lengths vary by up to this many steps per target.
constexpr int32_t kJitterRange = 9;
constexpr int32_t kFlipBase = 11;
constexpr int32_t kShowJitterShift = 4;
// Reveal show lengths: targets still flipping up show a little less.
constexpr int32_t kRevealShow = 191;
constexpr int32_t kRevealShowAfterFlip = 176;
constexpr float kPi = 3.1415927f;

}  // namespace

int32_t TargetRules::PointsFor(TargetShot shot) {
    switch (shot) {
    case TargetShot::kFriend: return kFriendPoints;
    case TargetShot::kEmpty: return kEmptyPoints;
    case TargetShot::kEnemy: return kEnemyPoints;
    case TargetShot::kNone: break;
    }
    return 0;
}

TargetRules::TargetRules(const TargetConfig& config, Point2i backSize, bool autoPlay)
    : config_(config),
      halfBack_{TruncateToInt(static_cast<float>(backSize.x) * 0.5f), TruncateToInt(static_cast<float>(backSize.y) * 0.5f)} {
    tiles_.resize(static_cast<size_t>(config_.columns) * static_cast<size_t>(config_.rows));
    for (size_t i = 0; i < tiles_.size(); ++i) {
        tiles_[i].column = static_cast<int32_t>(i) % config_.columns;
        tiles_[i].row = static_cast<int32_t>(i) / config_.columns;
    }
    showFrames_ = config_.showFrames;
    waitFrames_ = autoPlay ? kCheatRoundPause : kRoundPause;
    TargetStepReport ignored;
    NewRound(ignored);
}

float TargetRules::GetFlip(int32_t index) const {
    const TargetTile& t = tiles_[index];
    if (t.upLeft > 0) return 0.5f + 0.5f * std::cos(kPi * static_cast<float>(t.upLeft) / static_cast<float>(t.upTotal));
    if (t.downLeft > 0 && t.showLeft > 0) return 1.0f;
    if (t.downLeft > 0) {
        return 0.5f - 0.5f * std::cos(kPi * static_cast<float>(t.downLeft) / static_cast<float>(t.downTotal));
    }
    return 0.0f;
}

int32_t TargetRules::PickCell(Point2i point) const {
    for (size_t i = 0; i < tiles_.size(); ++i) {
        const int64_t cx = config_.offsetX + static_cast<int64_t>(config_.spacingX) * tiles_[i].column;
        const int64_t cy = config_.offsetY + static_cast<int64_t>(config_.spacingY) * tiles_[i].row;
        if (cx - halfBack_.x <= point.x && point.x < cx + halfBack_.x && cy - halfBack_.y <= point.y &&
            point.y < cy + halfBack_.y) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

TargetClick TargetRules::Click(Point2i point) {
    TargetClick click;
    if (won_) return click;
    if (phase_ == kTargetPreview) {
        waitFrames_ = 1;
    } else if (phase_ == kTargetReveal) {
        bool allUp = true;
        for (const TargetTile& t : tiles_) allUp &= t.upLeft <= 0 && t.downLeft >= t.downTotal;
        if (allUp) {
            for (TargetTile& t : tiles_) t.showLeft = Jitter() - kShowJitterShift;
        }
    } else {
        click.tile = PickCell(point);
        if (click.tile >= 0) click.shot = ScoreHit(click.tile);
    }
    return click;
}

TargetShot TargetRules::ScoreHit(int32_t index) {
    if (won_ || phase_ != kTargetShooting || index < 0 || index >= static_cast<int32_t>(tiles_.size())) {
        return TargetShot::kNone;
    }
    TargetTile& t = tiles_[index];
    if (t.downLeft > 0) return TargetShot::kNone;
    const TargetShot shot = t.kind == kTargetEnemy ? TargetShot::kEnemy
                            : t.kind == kTargetFriend ? TargetShot::kFriend
                                                      : TargetShot::kEmpty;
    score_ += PointsFor(shot);
    if (score_ < 0) score_ = 0;
    t.upLeft = t.upTotal = t.showLeft = t.showTotal = t.downLeft = t.downTotal = kFlipSteps;
    return shot;
}

TargetStepReport TargetRules::Step(bool autoPlay) {
    TargetStepReport report;
    if (won_) return report;
    bool active = false, done = false;
    if (waitFrames_ > 0) {
        --waitFrames_;
    } else {
        for (TargetTile& t : tiles_) StepTile(t, active, done, report);
    }
    const bool settled = done && !active;
    if (phase_ == kTargetPreview) {
        if (settled) {
            phase_ = kTargetShooting;
            showFrames_ = config_.showFrames;
        }
    } else if (phase_ == kTargetShooting) {
        if (AreEnemiesUp()) {
            StartReveal();
            report.flipSound = true;
        }
    } else if (settled) {
        phase_ = kTargetPreview;
        showFrames_ = config_.showFrames;
        waitFrames_ = autoPlay ? kCheatRoundPause : kRoundPause;
        if (score_ >= kGoal) {
            won_ = report.won = true;
        } else {
            NewRound(report);
        }
    }
    if (autoPlay && settled && phase_ == kTargetShooting) {
        for (size_t i = 0; i < tiles_.size(); ++i) {
            const TargetTile& t = tiles_[i];
            if (t.kind == kTargetEnemy && t.upLeft == 0 && t.downLeft == 0) {
                report.shot.tile = static_cast<int32_t>(i);
                report.shot.shot = ScoreHit(report.shot.tile);
                break;
            }
        }
    }
    return report;
}

void TargetRules::NewRound(TargetStepReport& report) {
    for (TargetTile& t : tiles_) {
        t.kind = kTargetEmpty;
        t.picture = -1;
        t.upLeft = t.upTotal = Jitter() + kFlipBase;
        t.showLeft = t.showTotal = Jitter() - kShowJitterShift + showFrames_;
        t.downLeft = t.downTotal = Jitter() + kFlipBase;
    }
    if (config_.IsGeneric()) PickEnemyPicture();
    Place(config_.friendCount, kTargetFriend);
    Place(config_.enemyCount, kTargetEnemy);
    if (config_.IsGeneric()) waitFrames_ = 1;
    report.newRound = true;
    flipUpSoundPending_ = flipDownSoundPending_ = true;
}

// Never the same enemy twice in a row when there is a choice.
void TargetRules::PickEnemyPicture() {
    const int32_t n = static_cast<int32_t>(config_.genericNames.size());
    int32_t k = 0;
    if (n > 1) {
        do {
            k = os::Rand() % n;
        } while (k == lastEnemy_);
    }
    lastEnemy_ = k;
}

// The reader made sure there are free targets enough for every draw.
void TargetRules::Place(int32_t count, int32_t kind) {
    for (int32_t placed = 0; placed < count;) {
        const int32_t x = os::Rand() % config_.columns;
        const int32_t y = os::Rand() % config_.rows;
        TargetTile& t = tiles_[static_cast<size_t>(y) * config_.columns + x];
        if (t.kind != kTargetEmpty) continue;
        t.kind = kind;
        t.picture = RandomPicture(kind);
        ++placed;
    }
}

int32_t TargetRules::RandomPicture(int32_t kind) {
    if (config_.IsGeneric()) {
        if (kind == kTargetEnemy) return lastEnemy_;
        // The friends are every generic picture but the enemy, in order.
        const int32_t friends = static_cast<int32_t>(config_.genericNames.size()) - 1;
        const int32_t j = os::Rand() % friends;
        return j < lastEnemy_ ? j : j + 1;
    }
    const auto& names = kind == kTargetEnemy ? config_.enemyNames : config_.friendNames;
    return os::Rand() % static_cast<int32_t>(names.size());
}

void TargetRules::StepTile(TargetTile& t, bool& active, bool& done, TargetStepReport& report) {
    if (t.upLeft > 0) {
        if (t.upLeft == t.upTotal && flipUpSoundPending_) {
            report.flipSound = true;
            flipUpSoundPending_ = false;
        }
        --t.upLeft;
        active = true;
    } else if (t.downLeft > 0 && t.showLeft > 0) {
        --t.showLeft;
        if (phase_ == kTargetShooting && t.kind == kTargetEnemy) {
            t.showLeft = t.showTotal = showFrames_;
            done = true;
        } else {
            active = true;
            if (t.showLeft == 0 && flipDownSoundPending_) {
                report.flipSound = true;
                flipDownSoundPending_ = false;
            }
        }
    } else if (t.downLeft > 0) {
        if (phase_ == kTargetShooting && t.kind == kTargetEnemy) return;
        --t.downLeft;
        if (t.downLeft > 0) active = true; else done = true;
    }
}

bool TargetRules::AreEnemiesUp() const {
    for (const TargetTile& t : tiles_) {
        if (t.kind == kTargetEnemy && !(t.upLeft <= 0 && t.showLeft > 0)) return false;
    }
    return true;
}

void TargetRules::StartReveal() {
    phase_ = kTargetReveal;
    showFrames_ = kRevealFrames;
    for (TargetTile& t : tiles_) RetimeForReveal(t);
    flipDownSoundPending_ = true;
}

void TargetRules::RetimeForReveal(TargetTile& t) {
    auto newFlipDown = [&t] { t.downLeft = t.downTotal = Jitter() + kFlipBase; };
    if (t.kind == kTargetEnemy) {
        t.showLeft = t.showTotal = Jitter() + kRevealShow;
    } else if (t.upLeft > 0) {
        t.upTotal += kFlipSteps;
        t.showLeft = t.showTotal = kRevealShowAfterFlip + Jitter();
        newFlipDown();
    } else if (t.downLeft > 0 && t.showLeft > 0) {
        t.showLeft = t.showTotal = kRevealShow + Jitter();
        newFlipDown();
    } else if (t.downLeft > 0) {
        t.upTotal = t.downTotal;
        t.upLeft = t.downTotal - t.downLeft;
        t.showLeft = t.showTotal = kRevealShow + Jitter() - t.upLeft;
        newFlipDown();
    } else {
        t.upLeft = t.upTotal = Jitter() + kFlipBase;
        t.showLeft = t.showTotal = kRevealShowAfterFlip + Jitter();
        newFlipDown();
    }
}

int32_t TargetRules::Jitter() { return os::Rand() % kJitterRange; }

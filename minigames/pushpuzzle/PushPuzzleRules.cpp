#include "minigames/pushpuzzle/PushPuzzleRules.h"

#include "platform/os/Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Random draws allowed per round of shuffling, as a multiple of N⁴. A round
// needs 8·N² slides at a few draws per slide per cell: the most measured
// (2,000 seeds for N = 2..8, 100 for 16 and 32) is 6.0·N⁴ at N = 2, falling
// to 2.1·N⁴ at N = 32, so this bound never cuts short a shuffle that the
// unbounded loop would have finished.
constexpr int64_t kShuffleDrawsPerN4 = 64;
// Rounds repeat while the shuffle lands on the solved picture, which only
// small grids do: at most 8 rounds in a row measured for N = 2, 2 for N = 3.
constexpr int32_t kMaxShuffleRounds = 100;

float Ease(int32_t progress) {
    return 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * progress / 15.0f);
}

}  // namespace

PushPuzzleRules::PushPuzzleRules(const PushPuzzleConfig& config) : gridSize_(config.gridSize) {
    if (ReadPushPuzzleConfig(config)) return;  // an unread config builds nothing
    tileWidth_ = config.pictureWidth / gridSize_;
    tileHeight_ = config.pictureHeight / gridSize_;
    pictureX_ = (config.backgroundWidth - tileWidth_ * gridSize_) / 2;
    pictureY_ = (config.backgroundHeight - tileHeight_ * gridSize_) / 2;
    entries_.resize(size_t(GetCellCount()));
    for (int32_t cell = 0; cell < GetCellCount(); ++cell) entries_[cell] = Entry{cell, cell, 0};
    ready_ = Shuffle();
}

int32_t PushPuzzleRules::HomeAt(int32_t cell) const {
    return cell >= 0 && cell < int32_t(entries_.size()) ? entries_[cell].home : -1;
}

bool PushPuzzleRules::IsSolved() const {
    for (int32_t cell = 0; cell < int32_t(entries_.size()); ++cell) {
        if (entries_[cell].home != cell) return false;
    }
    return true;
}

bool PushPuzzleRules::IsAtRest() const {
    return std::none_of(entries_.begin(), entries_.end(), [this](const Entry& entry) {
        return HasPiece(entry) && entry.progress < kSlideSteps;
    });
}

PushPuzzlePoint PushPuzzleRules::PiecePlace(int32_t cell) const {
    if (cell < 0 || cell >= int32_t(entries_.size())) return {};
    const Entry& entry = entries_[cell];
    // The last step drawn used progress - 1; a slide not yet stepped shows
    // the piece where it starts.
    const float f = entry.progress >= kSlideSteps ? 1.0f : Ease(std::max(entry.progress - 1, 0));
    const float fromX = float(entry.from % gridSize_), fromY = float(entry.from / gridSize_);
    const float toX = float(cell % gridSize_), toY = float(cell / gridSize_);
    return {tileWidth_ * (fromX + f * (toX - fromX)) + pictureX_,
            tileHeight_ * (fromY + f * (toY - fromY)) + pictureY_};
}

bool PushPuzzleRules::Slide(int32_t x, int32_t y) {
    if (!ready_ || !SlideCell(x, y, false)) return false;
    ++moves_;
    return true;
}

void PushPuzzleRules::AutoSolve() {
    autoSolved_ = true;
    const std::vector<Entry> before = entries_;
    for (int32_t cell = 0; cell < int32_t(before.size()); ++cell) {
        Entry& target = entries_[before[cell].home];
        target.home = before[cell].home;
        target.from = cell;
        target.progress = 0;
    }
}

PushPuzzleStep PushPuzzleRules::Step(bool autoPlay) {
    bool arrived = false, moving = false;
    for (int32_t cell = 0; cell < int32_t(entries_.size()); ++cell) {
        Entry& entry = entries_[cell];
        if (!HasPiece(entry) || entry.progress >= kSlideSteps) continue;
        if (++entry.progress < kSlideSteps) {
            moving = true;
        } else {
            arrived = true;
            entry.from = cell;
        }
    }
    if (!arrived || moving) return PushPuzzleStep::kNone;
    if (IsSolved()) return PushPuzzleStep::kSolved;
    if (autoPlay) AutoPlayStep();
    return PushPuzzleStep::kNone;
}

bool PushPuzzleRules::SlideCell(int32_t x, int32_t y, bool instant) {
    const int32_t n = gridSize_;
    if (x < 0 || y < 0 || x >= n || y >= n) return false;
    static constexpr int32_t kNeighbours[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& d : kNeighbours) {
        const int32_t tx = x + d[0], ty = y + d[1];
        if (tx < 0 || ty < 0 || tx >= n || ty >= n) continue;
        const int32_t cell = n * y + x, gap = n * ty + tx;
        if (HasPiece(entries_[gap])) continue;
        std::swap(entries_[cell].home, entries_[gap].home);
        if (!instant) {
            entries_[gap].from = cell;
            entries_[gap].progress = 0;
        }
        return true;
    }
    return false;
}

bool PushPuzzleRules::Shuffle() {
    const int64_t n = gridSize_;
    const int64_t drawBound = kShuffleDrawsPerN4 * n * n * n * n;
    for (int32_t round = 0; round < kMaxShuffleRounds; ++round) {
        int64_t count = 0, draws = 0;
        while (count < 8 * n * n) {
            if (++draws > drawBound) return false;
            const int32_t y = os::Rand() % gridSize_;
            const int32_t x = os::Rand() % gridSize_;
            if (SlideCell(x, y, true)) ++count;
        }
        if (!IsSolved()) return true;
    }
    return false;
}

// Brings the piece that belongs in the first wrong cell there, trading it
// for whatever that cell showed. Not a move of the player's.
void PushPuzzleRules::AutoPlayStep() {
    const int32_t count = int32_t(entries_.size());
    int32_t i = 0;
    while (i < count && entries_[i].home == i) ++i;
    if (i == count) return;
    int32_t j = i + 1;
    while (j < count && entries_[j].home != i) ++j;
    if (j == count) return;
    std::swap(entries_[i].home, entries_[j].home);
    entries_[i].from = j;
    entries_[j].from = i;
    entries_[i].progress = 0;
    entries_[j].progress = 0;
}

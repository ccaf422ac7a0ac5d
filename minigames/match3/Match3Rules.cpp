#include "minigames/match3/Match3Rules.h"

#include "platform/Math.h"
#include "platform/os/Random.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Work allowed for one settle, counted as passes (explode, then refill) times
// cells. Measured over 2,000 seeds: two types on 12 × 12 need at most 95,080
// passes (1.4·10^7 cell visits), on 10 × 10 5,208; three types on 64 × 64 at
// most 281 passes (1.2·10^6), four types 64. The bound sits fourteen times
// above the largest of these, so it does not change such boards. Two types
// on 14 × 14 and up come near it or past it (up to 1.4·10^8 over 20 seeds,
// about 5 s at the bound): such a board is refused at load, not waited for.
constexpr int64_t kMaxSettleWork = 200'000'000;

template <typename TypeAt>
bool RunAt(int32_t x, int32_t y, TypeAt typeAt) {
    const int32_t t = typeAt(x, y);
    if (t < 0) return false;
    auto same = [&](int32_t ax, int32_t ay, int32_t bx, int32_t by) {
        return typeAt(ax, ay) == t && typeAt(bx, by) == t;
    };
    return same(x - 2, y, x - 1, y) || same(x - 1, y, x + 1, y) || same(x + 1, y, x + 2, y) ||
           same(x, y - 2, x, y - 1) || same(x, y - 1, x, y + 1) || same(x, y + 1, x, y + 2);
}

}  // namespace

Match3Rules::Match3Rules(const Match3Config& config)
    : typeCount_(int32_t(config.types.size())),
      countX_(config.countX),
      countY_(config.countY),
      offX_(config.offX),
      offY_(config.offY),
      spcX_(config.spcX),
      spcY_(config.spcY) {
    if (CheckMatch3Config(config)) return;  // an unchecked config builds nothing
    const size_t slots = size_t(typeCount_) * size_t(typeCount_);
    collected_.assign(size_t(typeCount_), 0);
    stackTimer_.assign(slots, -1);
    stackFill_.assign(slots, 0.0f);
    tiles_.resize(size_t(countX_) * size_t(countY_));
    for (int32_t y = 0; y < countY_; ++y) {
        for (int32_t x = 0; x < countX_; ++x) {
            Match3Tile& tile = tiles_[Index(x, y)];
            tile.type = tile.shownType = os::Rand() % typeCount_;
            tile.fromX = tile.targetX = tile.currentX = CentreX(x);
            tile.fromY = tile.targetY = tile.currentY = CentreY(y);
        }
    }
    ready_ = Settle(false);
    state_ = kStateRest;
}

const Match3Tile* Match3Rules::TileAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= countX_ || y >= countY_ || tiles_.empty()) return nullptr;
    return &tiles_[Index(x, y)];
}

int32_t Match3Rules::CellAt(float x, float y) const {
    if (tiles_.empty()) return -1;
    const float qx = x + float(spcX_ / 2), qy = y + float(spcY_ / 2);
    if (!(qx >= float(offX_) && qx < float(offX_ + countX_ * spcX_))) return -1;
    if (!(qy >= float(offY_) && qy < float(offY_ + countY_ * spcY_))) return -1;
    const int32_t cx = std::min(TruncateToInt((qx - float(offX_)) / float(spcX_)), countX_ - 1);
    const int32_t cy = std::min(TruncateToInt((qy - float(offY_)) / float(spcY_)), countY_ - 1);
    return Index(cx, cy);
}

int32_t Match3Rules::GetCollected(int32_t type) const {
    return type >= 0 && type < typeCount_ ? collected_[type] : 0;
}

float Match3Rules::GetStackFill(int32_t type, int32_t slot) const {
    if (type < 0 || type >= typeCount_ || slot < 0 || slot > type) return 0.0f;
    return stackFill_[size_t(type) * size_t(typeCount_) + size_t(slot)];
}

bool Match3Rules::HasMove() const {
    for (int32_t y = countY_ - 1; y >= 0; --y) {
        for (int32_t x = 0; x < countX_; ++x) {
            const int32_t cell = Index(x, y);
            if (x + 1 < countX_ && SwapMakesLine(cell, cell + 1)) return true;
            if (y > 0 && SwapMakesLine(cell, cell - countX_)) return true;
        }
    }
    return false;
}

Match3Press Match3Rules::Press(float x, float y) {
    if (dragging_ || !ready_) return Match3Press::kIgnored;
    dragging_ = true;
    pressX_ = pointerX_ = x;
    pressY_ = pointerY_ = y;
    second_ = -1;
    first_ = CellAt(x, y);
    // An empty cell has nothing to pick up, and a falling tile would lose its
    // fall when it is put back.
    if (first_ >= 0 && IsBusy(first_)) first_ = -1;
    if (first_ < 0) return Match3Press::kNoTile;
    tiles_[first_].scale = kLiftedScale;
    return Match3Press::kPicked;
}

void Match3Rules::MovePointer(float x, float y) {
    if (!dragging_) return;
    pointerX_ = x;
    pointerY_ = y;
}

Match3Release Match3Rules::Release() {
    if (!dragging_) return Match3Release::kNoDrag;
    Match3Release result = Match3Release::kDropped;
    if (second_ >= 0) result = TrySwap(true) ? Match3Release::kSwapped : Match3Release::kRefused;
    if (result != Match3Release::kSwapped) {
        for (int32_t cell : {first_, second_}) {
            if (cell < 0) continue;
            MoveTileTo(cell, cell);
            tiles_[cell].scale = 1.0f;
        }
    }
    dragging_ = false;
    first_ = second_ = -1;
    return result;
}

Match3Step Match3Rules::Step(bool autoPlay) {
    if (won_ || !ready_) return Match3Step::kAtRest;
    if (dragging_ && first_ >= 0) FollowDrag();
    Animation seen;
    for (int32_t cell = 0; cell < int32_t(tiles_.size()); ++cell) Animate(tiles_[cell], cell, seen);
    Match3Step result = Match3Step::kBusy;
    if (!seen.vanishing && seen.vanished) {
        // A replacement board that ran out of its bound is kept as it came.
        if (state_ == kStateCleared) {
            Settle(true);
        } else {
            Refill(false);
        }
    } else if (!seen.falling && seen.landed) {
        ExplodeAll(false);
    } else if (!seen.moving && !seen.vanishing && !seen.falling) {
        state_ = kStateRest;
        result = Match3Step::kAtRest;
        if (AllStacksFull()) {
            won_ = true;
            result = Match3Step::kWon;
        } else if (!dragging_ && !HasMove()) {
            ClearBoard();
            result = Match3Step::kCleared;
        } else if (autoPlay) {
            AutoPlayStep();
        }
    }
    StepStacks();
    return result;
}

int32_t Match3Rules::TypeAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= countX_ || y >= countY_) return -1;
    return tiles_[Index(x, y)].type;
}

bool Match3Rules::IsBusy(int32_t cell) const {
    const Match3Tile& tile = tiles_[cell];
    return tile.type < 0 || tile.vanishSteps > 0 || tile.fallSteps > 0;
}

bool Match3Rules::IsInRun(int32_t x, int32_t y) const {
    return RunAt(x, y, [this](int32_t ax, int32_t ay) { return TypeAt(ax, ay); });
}

void Match3Rules::ClearCell(Match3Tile& tile, bool instant) {
    tile.type = -1;
    if (instant) {
        tile.shownType = -1;
    } else {
        tile.vanishSteps = kVanishSteps;  // the image stays until the vanish ends
    }
}

// Both spans are measured before either is cleared.
void Match3Rules::ExplodeRun(int32_t x, int32_t y, bool instant) {
    const int32_t t = TypeAt(x, y);
    int32_t left = x, right = x, top = y, bottom = y;
    while (TypeAt(left - 1, y) == t) --left;
    while (TypeAt(right + 1, y) == t) ++right;
    while (TypeAt(x, top - 1) == t) --top;
    while (TypeAt(x, bottom + 1) == t) ++bottom;
    if (right - left + 1 >= 3) {
        for (int32_t cx = left; cx <= right; ++cx) ClearCell(tiles_[Index(cx, y)], instant);
    }
    if (bottom - top + 1 >= 3) {
        for (int32_t cy = top; cy <= bottom; ++cy) ClearCell(tiles_[Index(x, cy)], instant);
    }
}

void Match3Rules::Collect(int32_t type) {
    int32_t& count = collected_[type];
    count = std::min(count + 1, type + 1);
    for (int32_t slot = 0; slot < count; ++slot) {
        int32_t& timer = stackTimer_[size_t(type) * size_t(typeCount_) + size_t(slot)];
        if (timer < 0) timer = kStackFillSteps;
    }
}

// Rows from the top, each from the left. A run's cells are empty by the
// time the scan reaches them, so a line counts once; the other arm of an
// L or T counts again only if it still makes three by itself.
void Match3Rules::ExplodeAll(bool instant) {
    bool any = false;
    for (int32_t y = 0; y < countY_; ++y) {
        for (int32_t x = 0; x < countX_; ++x) {
            if (!IsInRun(x, y)) continue;
            if (!instant) {
                ++explosions_;
                Collect(TypeAt(x, y));
            }
            ExplodeRun(x, y, instant);
            any = true;
        }
    }
    if (any) state_ = kStateExploding;
}

// Rows from the bottom, each from the left: every empty cell takes the
// nearest tile above it, or a new one dropped from above the board.
bool Match3Rules::Refill(bool instant) {
    bool any = false;
    for (int32_t y = countY_ - 1; y >= 0; --y) {
        for (int32_t x = 0; x < countX_; ++x) {
            Match3Tile& tile = tiles_[Index(x, y)];
            if (tile.type >= 0) continue;
            any = true;
            int32_t source = y - 1;
            while (source >= 0 && TypeAt(x, source) < 0) --source;
            if (source >= 0) {
                Match3Tile& above = tiles_[Index(x, source)];
                tile.type = above.type;
                tile.shownType = above.shownType;
                tile.fromX = tile.currentX = above.currentX;
                tile.fromY = tile.currentY = above.currentY;
                above.type = above.shownType = -1;
                above.fromX = above.targetX = above.currentX = CentreX(x);
                above.fromY = above.targetY = above.currentY = CentreY(source);
            } else {
                tile.type = tile.shownType = os::Rand() % typeCount_;
                tile.fromX = tile.currentX = CentreX(x);
                tile.fromY = tile.currentY = CentreY(-kDropRows);
            }
            tile.targetX = CentreX(x);
            tile.targetY = CentreY(y);
            tile.fallSteps = kFallSteps;
            if (instant) {
                tile.currentX = tile.targetX;
                tile.currentY = tile.targetY;
                tile.fallSteps = 0;
            }
        }
    }
    if (any) state_ = kStateDropping;
    return any;
}

// Explode and refill at once until nothing is left to fill. False when the
// bound on work was reached first; the board is then full but may hold lines.
bool Match3Rules::Settle(bool refillFirst) {
    const int64_t passWork = int64_t(tiles_.size());
    int64_t work = passWork;
    if (!refillFirst) ExplodeAll(true);
    bool filled = Refill(true);
    while (filled) {
        work += passWork;
        if (work > kMaxSettleWork) return false;
        ExplodeAll(true);
        filled = Refill(true);
    }
    return true;
}

void Match3Rules::MoveTileTo(int32_t cell, int32_t destination) {
    Match3Tile& tile = tiles_[cell];
    tile.fromX = tile.currentX;
    tile.fromY = tile.currentY;
    tile.targetX = CentreX(destination % countX_);
    tile.targetY = CentreY(destination / countX_);
    const float dx = tile.targetX - tile.fromX, dy = tile.targetY - tile.fromY;
    if (dx * dx + dy * dy > 1.0f) {
        tile.swapSteps = kSwapSteps;
    } else {
        tile.currentX = tile.targetX;
        tile.currentY = tile.targetY;
        tile.swapSteps = 0;
    }
}

bool Match3Rules::SwapMakesLine(int32_t a, int32_t b) const {
    auto typeAt = [this, a, b](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= countX_ || y >= countY_) return -1;
        const int32_t cell = Index(x, y);
        return tiles_[cell == a ? b : cell == b ? a : cell].type;
    };
    return RunAt(a % countX_, a / countX_, typeAt) || RunAt(b % countX_, b / countX_, typeAt);
}

// Vanishing and falling tiles are refused: a type moved into a vanishing
// cell would stay behind as an invisible tile that still matches.
bool Match3Rules::TrySwap(bool commit) {
    if (first_ < 0 || second_ < 0 || IsBusy(first_) || IsBusy(second_)) return false;
    const bool line = SwapMakesLine(first_, second_);
    if (!line || !commit) return line;
    Match3Tile& a = tiles_[first_];
    Match3Tile& b = tiles_[second_];
    std::swap(a.type, b.type);
    std::swap(a.shownType, b.shownType);
    for (int32_t cell : {first_, second_}) {
        Match3Tile& tile = tiles_[cell];
        tile.fromX = tile.targetX = tile.currentX = CentreX(cell % countX_);
        tile.fromY = tile.targetY = tile.currentY = CentreY(cell / countX_);
        tile.swapSteps = 0;
    }
    ExplodeAll(false);
    return true;
}

void Match3Rules::ClearBoard() {
    for (Match3Tile& tile : tiles_) {
        tile.type = -1;
        tile.vanishSteps = kVanishSteps;
    }
    state_ = kStateCleared;
}

void Match3Rules::FollowDrag() {
    const float dx = pointerX_ - pressX_, dy = pointerY_ - pressY_;
    const int32_t fx = first_ % countX_, fy = first_ / countX_;
    int32_t neighbour = -1;
    bool within = false;
    if (std::fabs(dx) > std::fabs(dy)) {
        if (std::fabs(dx) <= float(spcX_ / 2)) {
            within = true;
        } else if (dx > 0 && fx < countX_ - 1) {
            neighbour = first_ + 1;
        } else if (dx < 0 && fx > 0) {
            neighbour = first_ - 1;
        }
    } else if (std::fabs(dy) <= float(spcY_ / 2)) {
        within = true;
    } else if (dy > 0 && fy < countY_ - 1) {
        neighbour = first_ + countX_;
    } else if (dy < 0 && fy > 0) {
        neighbour = first_ - countX_;
    }
    if (within) {
        if (second_ >= 0) {
            MoveTileTo(first_, first_);
            MoveTileTo(second_, second_);
            second_ = -1;
        }
        return;
    }
    if (neighbour < 0 || neighbour == second_) return;
    if (IsBusy(first_) || IsBusy(neighbour)) return;  // vanishing and falling tiles stay put
    if (second_ >= 0) MoveTileTo(second_, second_);
    MoveTileTo(first_, neighbour);
    MoveTileTo(neighbour, first_);
    second_ = neighbour;
}

// The first counter still running decides what the tile does this step.
void Match3Rules::Animate(Match3Tile& tile, int32_t cell, Animation& seen) {
    if (tile.swapSteps > 0) {
        --tile.swapSteps;
        const float t = 1.0f - float(tile.swapSteps) / kSwapSteps;
        tile.currentX = tile.fromX + t * (tile.targetX - tile.fromX);
        tile.currentY = tile.fromY + t * (tile.targetY - tile.fromY);
        tile.scale = kLiftedScale;
        if (tile.swapSteps > 0) seen.moving = true;
    } else if (tile.vanishSteps > 0) {
        if (--tile.vanishSteps > 0) {
            tile.scale = float(tile.vanishSteps) / kVanishSteps;
            seen.vanishing = true;
        } else {
            tile.shownType = -1;
            tile.scale = 1.0f;
            seen.vanished = true;
        }
    } else if (tile.fallSteps > 0) {
        if (--tile.fallSteps == 0) {
            seen.landed = true;
            ++landings_;
        } else {
            seen.falling = true;
        }
        const float t = 1.0f - float(tile.fallSteps) / kFallSteps;
        tile.currentX = tile.fromX + t * (tile.targetX - tile.fromX);
        tile.currentY = tile.fromY + t * (tile.targetY - tile.fromY);
    } else {
        tile.scale = cell == first_ || cell == second_ ? kLiftedScale : 1.0f;
    }
}

// Rows from the bottom, each from the left: the first swap with the left,
// right, upper or lower neighbour that makes a line is made.
void Match3Rules::AutoPlayStep() {
    static constexpr int32_t kNeighbours[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int32_t y = countY_ - 1; y >= 0; --y) {
        for (int32_t x = 0; x < countX_; ++x) {
            first_ = Index(x, y);
            bool swapped = false;
            for (const auto& d : kNeighbours) {
                const int32_t nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= countX_ || ny >= countY_) continue;
                second_ = Index(nx, ny);
                if ((swapped = TrySwap(true))) break;
            }
            first_ = second_ = -1;
            if (swapped) return;
        }
    }
}

bool Match3Rules::AllStacksFull() const {
    for (int32_t t = 0; t < typeCount_; ++t) {
        if (collected_[t] != t + 1) return false;
    }
    return true;
}

void Match3Rules::StepStacks() {
    for (size_t slot = 0; slot < stackTimer_.size(); ++slot) {
        int32_t& timer = stackTimer_[slot];
        if (timer <= 0) continue;
        --timer;
        stackFill_[slot] = 1.0f - float(timer) / kStackFillSteps;
    }
}

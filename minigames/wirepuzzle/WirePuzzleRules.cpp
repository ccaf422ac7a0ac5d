#include "minigames/wirepuzzle/WirePuzzleRules.h"

#include "platform/os/Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// 0 at the end of an animation, 1 at its start, eased between.
float Easing(int32_t framesLeft) {
    const float progress = static_cast<float>(framesLeft) / static_cast<float>(WirePuzzleRules::kAnimationSteps);
    return 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * progress);
}

int32_t SideCount(const WireTile& tile) { return static_cast<int32_t>(tile.sides.size()); }

}  // namespace

WirePuzzleRules::WirePuzzleRules(const WirePuzzleConfig& config) {
    for (const auto& [label, place] : config.places) {
        placeLabels_.push_back(label);
        placePositions_.push_back({place.position.x, place.position.y});
    }
    auto placeIndex = [&](const std::string& label) {
        const auto at = std::lower_bound(placeLabels_.begin(), placeLabels_.end(), label);
        return static_cast<int32_t>(at - placeLabels_.begin());
    };
    for (const WireTileConfig& plate : config.tiles) {
        WireTile tile;
        tile.id = static_cast<int32_t>(tiles_.size());
        tile.homePlace = tile.currentPlace = placeIndex(plate.homePlace);
        for (const std::string& colour : plate.sides) tile.sides.push_back(ColourIndex(colour));
        tile.fixed = plate.fixed;
        tile.position = tile.prevPosition = {plate.position.x, plate.position.y};
        tiles_.push_back(std::move(tile));
    }
    for (const WireConnectionConfig& wire : config.connections) {
        connections_.push_back({placeIndex(wire.fromPlace), wire.fromSide, placeIndex(wire.toPlace), wire.toSide});
    }
    do {
        Scramble();
        ++scrambleAttempts_;
    } while (AllConnected() && scrambleAttempts_ < kMaxScrambleAttempts);
}

int32_t WirePuzzleRules::ColourIndex(const std::string& name) {
    const auto at = std::find(colourNames_.begin(), colourNames_.end(), name);
    if (at != colourNames_.end()) return static_cast<int32_t>(at - colourNames_.begin());
    colourNames_.push_back(name);
    return static_cast<int32_t>(colourNames_.size()) - 1;
}

int32_t WirePuzzleRules::TileAtPlace(int32_t place) const {
    for (size_t i = 0; i < tiles_.size(); ++i) {
        if (tiles_[i].currentPlace == place) return static_cast<int32_t>(i);
    }
    return kNoPlate;
}

int32_t WirePuzzleRules::SideAt(const WireTile& tile, int32_t side) {
    const int64_t n = SideCount(tile);
    if (n == 0) return 0;
    // Side numbers come from the file and may be negative.
    return static_cast<int32_t>(((static_cast<int64_t>(tile.rotation) + side) % n + n) % n);
}

float WirePuzzleRules::ShownTurn(const WireTile& tile) {
    const float n = static_cast<float>(SideCount(tile));
    if (tile.turnFrames <= 0 || n == 0) return static_cast<float>(tile.rotation);
    float wrap = std::fmod(static_cast<float>(tile.prevRotation), n) - std::fmod(static_cast<float>(tile.rotation), n);
    if (wrap <= -n / 2) wrap += n;
    if (wrap > n / 2) wrap -= n;
    return static_cast<float>(tile.rotation) + Easing(tile.turnFrames) * wrap;
}

Vec2 WirePuzzleRules::ShownPosition(const WireTile& tile) {
    if (tile.moveFrames <= 0) return tile.position;
    return tile.position + (tile.prevPosition - tile.position) * Easing(tile.moveFrames);
}

// ---- moves --------------------------------------------------------------------------

bool WirePuzzleRules::Grab(int32_t place) {
    grabbed_ = kNoPlate;
    const int32_t index = place == kNoPlace ? kNoPlate : TileAtPlace(place);
    if (index == kNoPlate || tiles_[index].fixed) return false;
    // The grabbed plate trades places with the first one: drawn on top, and
    // first in the self-play's order.
    std::swap(tiles_[index], tiles_[0]);
    grabbed_ = 0;
    return true;
}

void WirePuzzleRules::DragGrabbedTo(Vec2 position) {
    if (grabbed_ != kNoPlate) tiles_[grabbed_].position = position;
}

bool WirePuzzleRules::TurnGrabbed() {
    if (grabbed_ == kNoPlate || won_) return false;
    TurnBack(tiles_[grabbed_], true);
    return true;
}

WireDrop WirePuzzleRules::DropGrabbed(int32_t place) {
    if (grabbed_ == kNoPlate) return WireDrop::kReturned;
    WireTile& tile = tiles_[grabbed_];
    if (place >= 0 && place < GetPlaceCount() && IsPlaceFree(place) && !won_) {
        MoveTo(tile, place, false);
        return WireDrop::kMoved;
    }
    MoveTo(tile, tile.currentPlace, false);
    return WireDrop::kReturned;
}

bool WirePuzzleRules::AllConnected() {
    bool all = true;
    for (WireCnnct& wire : connections_) {
        wire.shownColour = -1;
        const int32_t a = TileAtPlace(wire.fromPlace), b = TileAtPlace(wire.toPlace);
        if (a == kNoPlate || b == kNoPlate || a == grabbed_ || b == grabbed_ || IsAnimating(tiles_[a]) ||
            IsAnimating(tiles_[b])) {
            all = false;
            continue;
        }
        const int32_t colour = tiles_[a].sides[SideAt(tiles_[a], wire.fromSide)];
        if (colour != tiles_[b].sides[SideAt(tiles_[b], wire.toSide)]) {
            all = false;
            continue;
        }
        wire.shownColour = colour;
    }
    return all;
}

void WirePuzzleRules::StartAutoPlay() {
    if (!tiles_.empty()) TurnBack(tiles_[0], true);
}

WireStepReport WirePuzzleRules::Step(bool autoPlay) {
    WireStepReport report;
    bool running = false;
    for (WireTile& tile : tiles_) {
        int32_t* frames = tile.turnFrames > 0 ? &tile.turnFrames : tile.moveFrames > 0 ? &tile.moveFrames : nullptr;
        if (!frames) continue;
        if (--*frames == 0) report.animationEnded = true; else running = true;
    }
    if (!report.animationEnded || running || won_) return report;
    if (AllConnected()) {
        won_ = report.won = true;
    } else if (autoPlay) {
        AutoPlayMove();
    }
    return report;
}

bool WirePuzzleRules::AutoPlayMove() {
    for (WireTile& tile : tiles_) {
        if (tile.currentPlace == tile.homePlace && tile.rotation != 0) {
            tile.prevRotation = tile.rotation;
            tile.rotation = (tile.rotation + 1) % SideCount(tile);
            tile.turnFrames = kAnimationSteps;
            return true;
        }
    }
    for (WireTile& tile : tiles_) {
        if (tile.currentPlace != tile.homePlace && IsPlaceFree(tile.homePlace)) {
            MoveTo(tile, tile.homePlace, false);
            return true;
        }
    }
    for (int32_t place = 0; place < GetPlaceCount(); ++place) {
        if (!IsPlaceFree(place)) continue;
        for (WireTile& tile : tiles_) {
            if (tile.currentPlace == tile.homePlace) continue;
            MoveTo(tile, place, false);
            return true;
        }
        return false;
    }
    return false;
}

// ---- helpers ------------------------------------------------------------------------

void WirePuzzleRules::Scramble() {
    const int32_t count = GetTileCount();
    if (count < 2) return;
    const auto movable = std::count_if(tiles_.begin(), tiles_.end(), [](const WireTile& t) { return !t.fixed; });
    bool anyFree = false;
    for (int32_t place = 0; place < GetPlaceCount() && !anyFree; ++place) anyFree = IsPlaceFree(place);
    // Swapped plates can only go home through a free place, and only two
    // movable plates make a swap.
    if (movable >= 2 && anyFree) {
        int32_t swaps = 0;
        for (int64_t draws = 0; swaps < count && draws < kMaxSwapDraws; ++draws) {
            WireTile& a = tiles_[os::Rand() % count];
            WireTile& b = tiles_[os::Rand() % count];
            if (a.fixed || b.fixed || &a == &b) continue;
            const int32_t placeOfA = a.currentPlace;
            MoveTo(a, b.currentPlace, true);
            MoveTo(b, placeOfA, true);
            ++swaps;
        }
    }
    for (WireTile& tile : tiles_) {
        if (tile.fixed) continue;
        for (int32_t k = os::Rand() % 16; k > 0; --k) TurnBack(tile, false);
    }
}

void WirePuzzleRules::TurnBack(WireTile& tile, bool animate) {
    tile.prevRotation = tile.rotation;
    tile.rotation = tile.rotation > 0 ? tile.rotation - 1 : SideCount(tile) - 1;
    if (animate) tile.turnFrames = kAnimationSteps;
}

void WirePuzzleRules::MoveTo(WireTile& tile, int32_t place, bool immediate) {
    if (!immediate) {
        tile.prevPosition = tile.position;
        tile.moveFrames = kAnimationSteps;
    }
    tile.currentPlace = place;
    tile.position = placePositions_[place];
    if (immediate) {
        tile.prevPosition = tile.position;
        tile.moveFrames = 0;
    }
}

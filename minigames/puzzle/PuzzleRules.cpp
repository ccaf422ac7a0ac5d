#include "minigames/puzzle/PuzzleRules.h"

#include "platform/os/Random.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

// Neighbours are found in windows of this many mask pixels a side, laid
// every kWindowStep pixels.
constexpr int32_t kWindowSide = 8;
constexpr int32_t kWindowStep = 4;
constexpr int32_t kTurnsPerCircle = 4;
// Draws between an automatic solve's actions, counting the acting one.
constexpr int32_t kAutoSolvePace = 2;

Point2i Rotate(Point2i p, float angle) { return Point2i::Rotate(p, angle); }

Point2i Half(Point2i p) {
    return {TruncateToInt(static_cast<float>(p.x) * 0.5f), TruncateToInt(static_cast<float>(p.y) * 0.5f)};
}

// The far corner of a box turned about its near corner as Rotate turns it
// by the group angle, in whole quarters: exact, as the picture is drawn.
Point2i TurnedDiagonal(Point2i size, int32_t rotation) {
    switch (rotation) {
    case 1: return {size.y, -size.x};
    case 2: return {-size.x, -size.y};
    case 3: return {-size.y, size.x};
    default: return size;
    }
}

// A draw from [0, span) spread over [0, room].
int32_t SpreadOver(int32_t drawn, int32_t span, int32_t room) {
    return static_cast<int32_t>(static_cast<int64_t>(drawn) * (room + 1) / span);
}

}  // namespace

PuzzleRules::PuzzleRules(const PuzzleConfig& config)
    : trayWidth_(config.trayWidth),
      trayHeight_(config.trayHeight),
      snapThreshold_(config.snapThreshold),
      clearMin_(config.clearMin),
      clearMax_(config.clearMax),
      maskSize_(config.maskSize),
      mask_(config.maskBytes) {
    std::fill(std::begin(tileOfId_), std::end(tileOfId_), kNone);
    CutPieces(config);
    FindNeighbours(config);
    Scatter();
    drawOrder_.reserve(tiles_.size());
}

int32_t PuzzleRules::GetGroupRoot(int32_t piece) const {
    while (tiles_[piece].parent >= 0) piece = tiles_[piece].parent;
    return piece;
}

Point2i PuzzleRules::GetWorldPosition(int32_t piece) const {
    const int32_t root = GetGroupRoot(piece);
    const PuzzleTile& g = tiles_[root];
    if (root == piece) return g.position;
    const Point2i offset = Point2i::Subtract(tiles_[piece].home, g.home);
    return Point2i::Add(g.position, Rotate(offset, -GetGroupAngle(root)));
}

Point2i PuzzleRules::GetPieceCentre(int32_t piece) const {
    const Point2i turned = Rotate(tiles_[piece].size, -GetGroupAngle(piece));
    return Point2i::Add(GetWorldPosition(piece), Half(turned));
}

Point2i PuzzleRules::GetGroupCentre(int32_t root) const {
    int64_t sumX = 0, sumY = 0, count = 0;
    for (size_t i = 0; i < tiles_.size(); ++i) {
        if (GetGroupRoot(static_cast<int32_t>(i)) != root) continue;
        const Point2i centre = GetPieceCentre(static_cast<int32_t>(i));
        sumX += centre.x;
        sumY += centre.y;
        ++count;
    }
    if (count == 0) return {};
    return {static_cast<int32_t>(sumX / count), static_cast<int32_t>(sumY / count)};
}

std::vector<int32_t> PuzzleRules::GetTopGroups() const {
    std::vector<int32_t> groups;
    for (int32_t g = trayFirst_; g != kNone; g = tiles_[g].next) groups.push_back(g);
    return groups;
}

const std::vector<int32_t>& PuzzleRules::GetDrawOrder() {
    drawOrder_.clear();
    for (int32_t g = trayFirst_; g != kNone; g = tiles_[g].next) {
        if (g != dragged_) AppendGroupOrder(g);
    }
    if (dragged_ != kNone) AppendGroupOrder(dragged_);
    return drawOrder_;
}

int32_t PuzzleRules::Pick(Point2i point) {
    const std::vector<int32_t>& order = GetDrawOrder();
    for (size_t i = order.size(); i-- > 0;) {
        if (Hits(order[i], point)) return GetGroupRoot(order[i]);
    }
    return kNone;
}

bool PuzzleRules::IsSolved() const {
    return dragged_ == kNone && trayFirst_ != kNone && tiles_[trayFirst_].next == kNone &&
           tiles_[trayFirst_].rotation == 0;
}

PuzzleMove PuzzleRules::Press(Point2i point, double timeMs) {
    if (autoSolve_) return PuzzleMove::kIgnored;
    pressed_ = true;
    pressPoint_ = currentPoint_ = point;
    pressTime_ = timeMs;
    mode_ = Mode::kNone;
    return HandlePointer();
}

PuzzleMove PuzzleRules::MovePointer(Point2i point) {
    if (autoSolve_ || !pressed_) return PuzzleMove::kIgnored;
    currentPoint_ = point;
    const int64_t dx = static_cast<int64_t>(point.x) - pressPoint_.x;
    const int64_t dy = static_cast<int64_t>(point.y) - pressPoint_.y;
    if (mode_ == Mode::kNone && dx * dx + dy * dy > kDragDistanceSquared) {
        lastPoint_ = currentPoint_;
        mode_ = Mode::kDrag;
    }
    return HandlePointer();
}

PuzzleMove PuzzleRules::Release(double timeMs) {
    if (autoSolve_) return PuzzleMove::kIgnored;
    if (!pressed_) return PuzzleMove::kNothing;
    currentPoint_ = pressPoint_;
    mode_ = mode_ == Mode::kNone && timeMs - pressTime_ < kClickMs ? Mode::kClick : Mode::kNone;
    const PuzzleMove move = HandlePointer();
    pressed_ = false;
    return move;
}

PuzzleMove PuzzleRules::Drop() {
    if (dragged_ == kNone) return PuzzleMove::kNothing;
    const int32_t partner = FindSnapPartner(dragged_);
    const int32_t held = dragged_;
    dragged_ = kNone;
    if (partner == kNone) {
        Attach(held, kTray, false);
        return PuzzleMove::kPlaced;
    }
    const int32_t root = GetGroupRoot(partner);
    Attach(held, root, true);
    ClampGroup(root);
    return PuzzleMove::kJoined;
}

PuzzleResult PuzzleRules::Step(bool autoPlay) {
    if (result_ != PuzzleResult::kNone) return PuzzleResult::kNone;
    if (autoSolve_ || autoPlay) return AutoSolveStep();
    if (dragged_ == kNone && trayFirst_ != kNone && tiles_[trayFirst_].next == kNone &&
        tiles_[trayFirst_].rotation != 0) {
        const int32_t g = trayFirst_;
        tiles_[g].rotation = 0;
        const Point2i middle = Half({trayWidth_, trayHeight_});
        MoveGroupBy(g, Point2i::Subtract(middle, GetGroupCentre(g)));
    }
    return IsSolved() ? ReportSolved() : PuzzleResult::kNone;
}

void PuzzleRules::StartAutoSolve() {
    if (dragged_ != kNone) {
        Attach(dragged_, kTray, false);
        dragged_ = kNone;
    }
    autoSolveDelay_ = 0;
    autoSolve_ = true;
}

PuzzleResult PuzzleRules::AutoSolveStep() {
    if (result_ != PuzzleResult::kNone) return PuzzleResult::kNone;
    if (--autoSolveDelay_ >= 1) return PuzzleResult::kNone;
    autoSolveDelay_ = kAutoSolvePace;
    // The only group may be held (the cheat leaves dragging to the player).
    const int32_t g = trayFirst_;
    if (g == kNone) return PuzzleResult::kNone;
    if (tiles_[g].rotation != 0) {
        tiles_[g].rotation = (tiles_[g].rotation + 1) % kTurnsPerCircle;
        return PuzzleResult::kNone;
    }
    const Point2i d = Point2i::Subtract(Half({trayWidth_, trayHeight_}), GetGroupCentre(g));
    if (static_cast<int64_t>(d.x) * d.x + static_cast<int64_t>(d.y) * d.y > kCentredSquared) {
        MoveGroupBy(g, d);
        return PuzzleResult::kNone;
    }
    const int32_t g2 = tiles_[g].next;
    if (g2 != kNone) {
        if (tiles_[g2].rotation != 0) {
            tiles_[g2].rotation = (tiles_[g2].rotation + 1) % kTurnsPerCircle;
        } else {
            Attach(g2, g, true);
            ClampGroup(g);
        }
        return PuzzleResult::kNone;
    }
    if (!IsSolved()) return PuzzleResult::kNone;
    const PuzzleResult result = ReportSolved();
    autoSolve_ = false;
    return result;
}

// Ids in scan order; each box spans every pixel of its id.
void PuzzleRules::CutPieces(const PuzzleConfig& config) {
    Point2i low[256], high[256];
    std::vector<uint8_t> order;
    for (int32_t y = 0; y < maskSize_.y; ++y) {
        for (int32_t x = 0; x < maskSize_.x; ++x) {
            const uint8_t id = config.maskBytes[static_cast<size_t>(y) * maskSize_.x + x];
            if (id == 0) continue;
            if (tileOfId_[id] == kNone) {
                tileOfId_[id] = static_cast<int32_t>(order.size());
                order.push_back(id);
                low[id] = high[id] = {x, y};
            }
            low[id] = {std::min(low[id].x, x), std::min(low[id].y, y)};
            high[id] = {std::max(high[id].x, x), std::max(high[id].y, y)};
        }
    }
    for (uint8_t id : order) {
        PuzzleTile piece;
        piece.id = id;
        piece.home = low[id];
        piece.size = {high[id].x - low[id].x + 1, high[id].y - low[id].y + 1};
        tiles_.push_back(piece);
    }
}

// Two ids alone in a window border each other; the one met first (columns
// from the left, each from the top) lists the other first.
void PuzzleRules::FindNeighbours(const PuzzleConfig& config) {
    for (int32_t y0 = 0; y0 < maskSize_.y - kWindowSide; y0 += kWindowStep) {
        for (int32_t x0 = 0; x0 < maskSize_.x - kWindowSide; x0 += kWindowStep) {
            uint8_t ids[2] = {0, 0};
            bool third = false;
            for (int32_t x = x0; x < x0 + kWindowSide && !third; ++x) {
                for (int32_t y = y0; y < y0 + kWindowSide; ++y) {
                    const uint8_t id = config.maskBytes[static_cast<size_t>(y) * maskSize_.x + x];
                    if (id == 0 || id == ids[0] || id == ids[1]) continue;
                    if (ids[0] == 0) ids[0] = id;
                    else if (ids[1] == 0) ids[1] = id;
                    else { third = true; break; }
                }
            }
            if (third || ids[1] == 0) continue;
            PuzzleTile& a = tiles_[tileOfId_[ids[0]]];
            PuzzleTile& b = tiles_[tileOfId_[ids[1]]];
            const int32_t before = a.neighbourCount;
            AddNeighbour(a, ids[1]);
            if (a.neighbourCount > before) AddNeighbour(b, ids[0]);
        }
    }
}

void PuzzleRules::AddNeighbour(PuzzleTile& piece, uint8_t id) const {
    if (piece.neighbourCount >= PuzzleTile::kMaxNeighbours) return;
    for (int32_t i = 0; i < piece.neighbourCount; ++i) {
        if (piece.neighbours[i] == id) return;
    }
    piece.neighbours[piece.neighbourCount++] = id;
}

// A swap shuffle, then per piece y, x and rotation; each becomes the tray's
// first group, so the last scattered is drawn first.
void PuzzleRules::Scatter() {
    for (size_t i = 1; i < tiles_.size(); ++i) {
        std::swap(tiles_[i], tiles_[static_cast<size_t>(os::Rand()) % (i + 1)]);
    }
    for (size_t i = 0; i < tiles_.size(); ++i) tileOfId_[tiles_[i].id] = static_cast<int32_t>(i);
    dragged_ = kNone;
    trayFirst_ = kNone;
    for (size_t i = 0; i < tiles_.size(); ++i) {
        PuzzleTile& piece = tiles_[i];
        piece.parent = piece.firstChild = piece.prev = piece.next = kNone;
        piece.position.y = os::Rand() % trayHeight_;
        piece.position.x = os::Rand() % trayWidth_;
        piece.rotation = os::Rand() % kTurnsPerCircle;
        LayOnTray(piece);
        Attach(static_cast<int32_t>(i), kTray, true);
    }
}

// The drawn corner, spread over the room the turned piece leaves, puts it
// wholly on the tray (at the top left when it is larger); one that falls
// on the box to keep clear moves off it the shortest way the tray allows.
void PuzzleRules::LayOnTray(PuzzleTile& piece) const {
    const Point2i diagonal = TurnedDiagonal(piece.size, piece.rotation);
    const Point2i size{std::abs(diagonal.x), std::abs(diagonal.y)};
    const Point2i room{std::max(trayWidth_ - size.x, 0), std::max(trayHeight_ - size.y, 0)};
    Point2i corner{SpreadOver(piece.position.x, trayWidth_, room.x),
                   SpreadOver(piece.position.y, trayHeight_, room.y)};
    const bool onClear = corner.x < clearMax_.x && corner.x + size.x > clearMin_.x && corner.y < clearMax_.y &&
                         corner.y + size.y > clearMin_.y;
    if (onClear) {
        const Point2i ways[] = {{clearMin_.x - size.x, corner.y},
                                {clearMax_.x, corner.y},
                                {corner.x, clearMin_.y - size.y},
                                {corner.x, clearMax_.y}};
        int32_t shortest = INT32_MAX;
        const Point2i from = corner;
        for (const Point2i& way : ways) {
            const int32_t length = std::abs(way.x - from.x) + std::abs(way.y - from.y);
            if (way.x < 0 || way.y < 0 || way.x > room.x || way.y > room.y || length >= shortest) continue;
            shortest = length;
            corner = way;
        }
    }
    piece.position = {corner.x - std::min(diagonal.x, 0), corner.y - std::min(diagonal.y, 0)};
}

bool PuzzleRules::Hits(int32_t piece, Point2i point) const {
    const Point2i local = Rotate(Point2i::Subtract(point, GetWorldPosition(piece)), GetGroupAngle(piece));
    const Point2i p = Point2i::Add(local, tiles_[piece].home);
    if (p.x < 0 || p.y < 0 || p.x >= maskSize_.x || p.y >= maskSize_.y) return false;
    return mask_[static_cast<size_t>(p.y) * maskSize_.x + p.x] == tiles_[piece].id;
}

int32_t& PuzzleRules::FirstChildOf(int32_t node) { return node == kTray ? trayFirst_ : tiles_[node].firstChild; }

void PuzzleRules::Unlink(int32_t piece) {
    PuzzleTile& p = tiles_[piece];
    if (p.prev != kNone) {
        tiles_[p.prev].next = p.next;
    } else if (p.parent != kNone && FirstChildOf(p.parent) == piece) {
        FirstChildOf(p.parent) = p.next;
    }
    if (p.next != kNone) tiles_[p.next].prev = p.prev;
    p.prev = p.next = p.parent = kNone;
}

void PuzzleRules::Attach(int32_t piece, int32_t target, bool asFirstChild) {
    Unlink(piece);
    PuzzleTile& p = tiles_[piece];
    p.parent = target;
    int32_t& first = FirstChildOf(target);
    if (!asFirstChild && first != kNone) {
        int32_t last = first;
        while (tiles_[last].next != kNone) last = tiles_[last].next;
        tiles_[last].next = piece;
        p.prev = last;
        return;
    }
    p.next = first;
    if (first != kNone) tiles_[first].prev = piece;
    first = piece;
}

// A group whose centre left the tray comes back with it on the edge.
void PuzzleRules::ClampGroup(int32_t root) {
    const Point2i c = GetGroupCentre(root);
    Point2i shift;
    shift.x = c.x < 0 ? -c.x : (c.x > trayWidth_ ? trayWidth_ - c.x : 0);
    shift.y = c.y < 0 ? -c.y : (c.y > trayHeight_ ? trayHeight_ - c.y : 0);
    tiles_[root].position = Point2i::Add(GetWorldPosition(root), shift);
}

void PuzzleRules::MoveGroupBy(int32_t root, Point2i delta) {
    tiles_[root].position = Point2i::Add(GetWorldPosition(root), delta);
    ClampGroup(root);
}

// A quarter clockwise on screen about the point, which stays in place; the
// group is then drawn on top.
void PuzzleRules::TurnGroupAt(int32_t root, Point2i point) {
    PuzzleTile& g = tiles_[root];
    const Point2i d = Point2i::Subtract(point, g.position);
    g.rotation = (g.rotation + kTurnsPerCircle - 1) % kTurnsPerCircle;
    g.position = Point2i::Add(Point2i::Subtract(g.position, Rotate(d, kQuarterTurn)), d);
    ClampGroup(root);
    Attach(root, kTray, false);
}

// The held group's pieces, root first and then depth first, each trying
// its neighbours in order.
int32_t PuzzleRules::FindSnapPartner(int32_t held) const {
    int32_t node = held;
    while (node != kNone) {
        const PuzzleTile& a = tiles_[node];
        for (int32_t i = 0; i < a.neighbourCount; ++i) {
            const int32_t b = tileOfId_[a.neighbours[i]];
            if (b != kNone && Qualifies(node, b)) return b;
        }
        if (a.firstChild != kNone) {
            node = a.firstChild;
            continue;
        }
        while (node != held && tiles_[node].next == kNone) node = tiles_[node].parent;
        node = node == held ? kNone : tiles_[node].next;
    }
    return kNone;
}

bool PuzzleRules::Qualifies(int32_t a, int32_t b) const {
    if (GetGroupRoot(a) == GetGroupRoot(b) || GetGroupRotation(a) != GetGroupRotation(b)) return false;
    const Point2i apart = Point2i::Subtract(GetWorldPosition(a), GetWorldPosition(b));
    const Point2i err = Point2i::Subtract(Point2i::Subtract(tiles_[a].home, tiles_[b].home),
                                          Rotate(apart, GetGroupAngle(b)));
    const double squared = static_cast<double>(err.x) * err.x + static_cast<double>(err.y) * err.y;
    return squared < snapThreshold_;
}

void PuzzleRules::AppendGroupOrder(int32_t root) {
    int32_t node = root;
    while (node != kNone) {
        drawOrder_.push_back(node);
        if (tiles_[node].firstChild != kNone) {
            node = tiles_[node].firstChild;
            continue;
        }
        while (node != root && tiles_[node].next == kNone) node = tiles_[node].parent;
        node = node == root ? kNone : tiles_[node].next;
    }
}

PuzzleMove PuzzleRules::HandlePointer() {
    const int32_t picked = Pick(currentPoint_);
    switch (mode_) {
    case Mode::kClick:
        if (picked == kNone) return PuzzleMove::kNothing;
        TurnGroupAt(picked, currentPoint_);
        return PuzzleMove::kTurned;
    case Mode::kDrag:
        if (dragged_ == kNone && picked != kNone) {
            dragged_ = picked;
            Unlink(picked);
        }
        if (dragged_ == kNone) return PuzzleMove::kNothing;
        MoveGroupBy(dragged_, Point2i::Subtract(currentPoint_, lastPoint_));
        lastPoint_ = currentPoint_;
        return PuzzleMove::kDragging;
    case Mode::kNone: break;
    }
    return Drop();
}

PuzzleResult PuzzleRules::ReportSolved() {
    result_ = autoSolve_ ? PuzzleResult::kSkipped : PuzzleResult::kWon;
    return result_;
}
